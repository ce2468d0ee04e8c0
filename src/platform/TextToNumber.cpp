#include "platform/TextToNumber.h"

#include <charconv>
#include <cmath>

#include "platform/NumberTextFolding.h"

namespace text_to_number {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> parseInt(QByteArrayView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;

    std::int64_t value = 0;
    if (hex) {
        if (n - i > 8)
            return std::nullopt;
        for (; i < n; ++i) {
            const int d = hexValue(text[i]);
            if (d < 0)
                return std::nullopt;
            value = value * 16 + d;
        }
        auto bits = static_cast<std::uint32_t>(value);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    for (; i < n; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t intOr(QByteArrayView text, std::int32_t fallback) {
    return parseInt(text).value_or(fallback);
}

std::int32_t intOr(const QString& text, std::int32_t fallback) {
    return intOr(QByteArrayView(number_text::foldToAscii(text).toLatin1()), fallback);
}

std::optional<double> parseReal(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    // Check the grammar ourselves; from_chars alone would accept "inf", "nan" and hex floats.
    qsizetype i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        ++i;
    qsizetype digits = 0;
    while (i < end && isDigit(text[i]))
        ++i, ++digits;
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < end && isDigit(text[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    // from_chars takes no leading '+'.
    const char* first = text.data() + begin;
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, text.data() + end, value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double realOr(QByteArrayView text, double fallback) {
    return parseReal(text).value_or(fallback);
}

double realOr(const QString& text, double fallback) {
    return realOr(QByteArrayView(number_text::foldToAscii(text).toLatin1()), fallback);
}

} // namespace text_to_number
