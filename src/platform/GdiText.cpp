#include "platform/GdiText.h"

#include "platform/Cp932.h"

namespace gdi_text {
namespace {

constexpr int kDefaultCharset = 1;
constexpr int kSymbolCharset = 2;
constexpr int kShiftJisCharset = 128;
constexpr int kOemCharset = 255;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
QChar windows1252(unsigned char b) {
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    if (b >= 0x80 && b <= 0x9F)
        return QChar(high[b - 0x80]);
    return QChar(b);
}

// The symbol font's code points: Greek letters and the common mathematical signs.
QChar symbol(unsigned char b) {
    static const char16_t upper[26] = {0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
                                       0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D,
                                       0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5,
                                       0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396};
    static const char16_t lower[26] = {0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
                                       0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD,
                                       0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5,
                                       0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6};
    if (b >= 'A' && b <= 'Z')
        return QChar(upper[b - 'A']);
    if (b >= 'a' && b <= 'z')
        return QChar(lower[b - 'a']);
    switch (b) {
    case 0x22:
        return QChar(0x2200);
    case 0x24:
        return QChar(0x2203);
    case 0x27:
        return QChar(0x220B);
    case 0x2A:
        return QChar(0x2217);
    case 0x2D:
        return QChar(0x2212);
    case 0x40:
        return QChar(0x2245);
    case 0x5C:
        return QChar(0x2234);
    case 0x5E:
        return QChar(0x22A5);
    case 0xA3:
        return QChar(0x2264);
    case 0xA5:
        return QChar(0x221E);
    case 0xAC:
        return QChar(0x2190);
    case 0xAD:
        return QChar(0x2191);
    case 0xAE:
        return QChar(0x2192);
    case 0xAF:
        return QChar(0x2193);
    case 0xB0:
        return QChar(0x00B0);
    case 0xB1:
        return QChar(0x00B1);
    case 0xB3:
        return QChar(0x2265);
    case 0xB4:
        return QChar(0x00D7);
    case 0xB6:
        return QChar(0x2202);
    case 0xB8:
        return QChar(0x00F7);
    case 0xB9:
        return QChar(0x2260);
    case 0xBA:
        return QChar(0x2261);
    case 0xBB:
        return QChar(0x2248);
    case 0xD1:
        return QChar(0x2207);
    case 0xD6:
        return QChar(0x221A);
    case 0xE5:
        return QChar(0x2211);
    case 0xF2:
        return QChar(0x222B);
    default:
        return QChar(b);
    }
}

bool isCp932(int charset) {
    return charset == kShiftJisCharset || charset == kDefaultCharset || charset == kOemCharset;
}

} // namespace

bool isSymbolCharset(int charset) {
    return charset == kSymbolCharset;
}

std::vector<Character> splitBytes(QByteArrayView bytes, int charset) {
    std::vector<Character> out;
    out.reserve(size_t(bytes.size()));
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isCp932(charset)) {
            const int units = (cp932::isLeadByte(b) && i + 1 < bytes.size()) ? 2 : 1;
            out.push_back({cp932::decode(bytes.sliced(i, units)), units});
            i += units;
            continue;
        }
        const QChar c = charset == kSymbolCharset ? symbol(b) : windows1252(b);
        out.push_back({QString(c), 1});
        ++i;
    }
    return out;
}

std::vector<Character> splitUtf16(QStringView text) {
    std::vector<Character> out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const int units =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        out.push_back({text.sliced(i, units).toString(), units});
        i += units;
    }
    return out;
}

QString symbolFace() {
    return QStringLiteral("Standard Symbols PS");
}

} // namespace gdi_text
