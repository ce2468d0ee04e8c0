#include "platform/InputEncoding.h"

#include <QString>

#include "platform/Cp932.h"

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

bool InputEncoding::isUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        qsizetype length;
        unsigned char min2 = 0x80, max2 = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                min2 = 0xA0; // overlong
            else if (b == 0xED)
                max2 = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                min2 = 0x90; // overlong
            else if (b == 0xF4)
                max2 = 0x8F; // beyond U+10FFFF
        } else {
            return false;
        }
        if (i + length > n || p[i + 1] < min2 || p[i + 1] > max2)
            return false;
        for (qsizetype k = 2; k < length; ++k)
            if (!isContinuation(p[i + k]))
                return false;
        i += length;
    }
    return true;
}

bool InputEncoding::isCp932(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!cp932::isLeadByte(p[i]))
            continue;
        if (i + 1 >= n)
            return false;
        const unsigned char trail = p[++i];
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return false;
    }
    return true;
}

QByteArray InputEncoding::utf8ToCp932(QByteArrayView utf8, qsizetype& unmapped) {
    // glibc's CP932 table also takes the characters that other Japanese tables use for the
    // same marks (U+301C wave dash, U+2212 minus, U+2016 double bar, ...).
    return cp932::encode(QString::fromUtf8(utf8), "\x81\x48", &unmapped); // "？"
}

InputEncoding InputEncoding::normalise(QByteArrayList& lines) {
    InputEncoding result;
    if (lines.isEmpty())
        return result;
    // Line breaks are ASCII in both encodings, so the lines can be judged one by one.
    const bool hasMark = lines.front().startsWith(ByteOrderMark);
    bool utf8 = true, ascii = true, cp932 = true;
    for (qsizetype i = 0; i < lines.size() && utf8; ++i) {
        const QByteArrayView line =
            i == 0 && hasMark ? QByteArrayView(lines[i]).sliced(3) : QByteArrayView(lines[i]);
        utf8 = isUtf8(line);
        if (ascii && !isAscii(line))
            ascii = false;
        if (cp932 && !isCp932(line))
            cp932 = false;
    }
    // The mark decides on its own (it is valid code page 932 as well); without it, text that
    // is valid in both encodings is the producing programs' code page 932.
    if (!utf8 || (!hasMark && (ascii || cp932)))
        return result;

    result.source = Source::Utf8;
    result.byteOrderMarkDropped = hasMark;
    if (hasMark)
        lines.front().remove(0, 3);
    for (QByteArray& line : lines)
        if (!isAscii(line))
            line = utf8ToCp932(line, result.unmappedCharacters);
    return result;
}
