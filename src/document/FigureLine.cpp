#include "document/FigureLine.h"

#include <charconv>
#include <optional>

namespace {

// A whole field as a signed decimal 32-bit integer: an optional '+' or '-', then digits only.
std::optional<std::int32_t> decimalField(QByteArrayView field) {
    const char* first = field.data();
    const char* last = first + field.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-'))
        ++first;
    if (first == last || *first < '0' || *first > '9')
        return std::nullopt; // from_chars would accept a second sign
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(first, last, magnitude);
    if (error != std::errc() || end != last)
        return std::nullopt;
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

FigureLine ParseFigureLine(QByteArrayView line) {
    FigureLine result;
    if (!line.startsWith("Fig"))
        return result;
    result.IsFigureLine = true;

    // Byte 3 is the separator and is skipped whatever it is; each later field starts one
    // byte after the blank that ended the previous one, so two blanks give an empty field.
    QByteArrayView fields[3];
    qsizetype p = 3;
    for (QByteArrayView& field : fields) {
        ++p;
        const qsizetype start = p;
        while (p < line.size() && line[p] != ' ')
            ++p;
        field = start < line.size() ? line.sliced(start, p - start) : QByteArrayView();
    }

    if (const auto n = decimalField(fields[0])) {
        result.FigureVariant = *n % 100; // C++ division truncates toward zero, as wanted
        result.FigureGroup = *n / 100;
    }
    if (result.FigureGroup == 0)
        result.FigureGroup = 1;
    if (const auto n = decimalField(fields[1]))
        result.FigureIndex = *n;
    if (const auto n = decimalField(fields[2]))
        result.FigureKind = *n;
    return result;
}
