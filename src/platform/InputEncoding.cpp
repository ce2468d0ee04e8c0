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
    // Judged by the table itself: besides a lead byte without its trail byte, 0x80, 0xA0 and
    // 0xFD-0xFF alone, and unassigned double-byte codes, are not code page 932 text. UTF-8
    // Japanese is often well-formed as lead and trail bytes but rarely avoids all of these.
    return !cp932::decode(bytes).contains(QChar(QChar::ReplacementCharacter));
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
    const auto lineAt = [&](qsizetype i) {
        return i == 0 && hasMark ? QByteArrayView(lines[i]).sliced(3) : QByteArrayView(lines[i]);
    };
    // Code page 932 text nearly always fails the UTF-8 test within its first lines.
    bool ascii = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isUtf8(lineAt(i)))
            return result;
        ascii = ascii && isAscii(lineAt(i));
    }
    // The mark decides on its own (it is valid code page 932 as well); without it, text that
    // is valid in both encodings is the producing programs' code page 932.
    if (!hasMark) {
        if (ascii)
            return result;
        bool cp932 = true;
        for (qsizetype i = 0; i < lines.size() && cp932; ++i)
            cp932 = isCp932(lineAt(i));
        if (cp932)
            return result;
    }

    result.source = Source::Utf8;
    result.byteOrderMarkDropped = hasMark;
    if (hasMark)
        lines.front().remove(0, 3);
    for (QByteArray& line : lines)
        if (!isAscii(line))
            line = utf8ToCp932(line, result.unmappedCharacters);
    return result;
}
