#pragma once
// Numbers typed through a Japanese input method: its default mode writes full-width digits
// ("１５０"), and its minus and full-stop keys give marks that only look like "-" and ".".
// Folding them to ASCII first lets the text-to-number rules read what the user meant.

#include <QString>

namespace number_text {

// The text with every full-width ASCII form (U+FF01..U+FF5E: digits, signs, "＄", letters)
// turned into its ASCII character, the ideographic space into a blank, the minus-like marks
// (minus sign, hyphens, en dash, small hyphen-minus, the prolonged sound mark "ー" that the
// minus key gives in kana mode) into "-", and the ideographic full stop "。" into ".". Every
// other character stays as it is, so text that was no number stays no number.
QString foldToAscii(const QString& text);

} // namespace number_text
