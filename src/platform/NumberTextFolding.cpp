#include "platform/NumberTextFolding.h"

namespace number_text {
namespace {

constexpr char16_t FullWidthFirst = 0xFF01; // "！"
constexpr char16_t FullWidthLast = 0xFF5E;  // "～"
constexpr char16_t FullWidthOffset = 0xFF01 - 0x21;

char16_t fold(char16_t c) {
    if (c >= FullWidthFirst && c <= FullWidthLast)
        return c - FullWidthOffset;
    switch (c) {
    case 0x3000: // ideographic space
        return u' ';
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
    case 0x2012: // figure dash
    case 0x2013: // en dash
    case 0x2212: // minus sign
    case 0xFE63: // small hyphen-minus
    case 0x30FC: // prolonged sound mark "ー"
    case 0xFF70: // half-width prolonged sound mark "ｰ"
        return u'-';
    case 0x3002: // ideographic full stop "。"
    case 0xFF61: // half-width ideographic full stop "｡"
        return u'.';
    default:
        return c;
    }
}

} // namespace

QString foldToAscii(const QString& text) {
    QString folded(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        folded[i] = QChar(fold(text[i].unicode()));
    return folded;
}

} // namespace number_text
