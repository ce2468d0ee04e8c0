#pragma once
// Text to number with a fallback: edit boxes and settings never refuse input with a message;
// text that does not read as a whole number gives the caller's fixed value instead.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace text_to_number {

// A whole-text 32-bit integer: leading blanks, an optional sign, decimal digits or hexadecimal
// written "$1F" or "0x1F". Hexadecimal takes up to 8 digits (32 bits, so "$FFFFFFFF" is -1);
// a decimal value outside the 32-bit range, trailing text or an empty text is not a number.
std::optional<std::int32_t> parseInt(QByteArrayView text);
std::int32_t intOr(QByteArrayView text, std::int32_t fallback);
// The text of an edit box: full-width digits and signs of an input method are read as their
// ASCII forms first (number_text::foldToAscii); likewise realOr.
std::int32_t intOr(const QString& text, std::int32_t fallback);

// A whole-text decimal real: leading and trailing blanks, an optional sign, digits with an
// optional fraction ("12.5", ".5", "5.") and an optional exponent ("1e3", "2.5E-2").
std::optional<double> parseReal(QByteArrayView text);
double realOr(QByteArrayView text, double fallback);
double realOr(const QString& text, double fallback);

} // namespace text_to_number
