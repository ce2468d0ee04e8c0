#pragma once
// How the preview reads its two edit boxes: the zoom percent and the page number. Invalid
// text is never refused; it is replaced by a fixed value.

#include <QString>

namespace preview_zoom {

constexpr double DefaultPercent = 100;
constexpr double MinimumPercent = 20;
// The arrows (and Ctrl + wheel) step within this range.
constexpr int StepMinimum = 20;
constexpr int StepMaximum = 500;
constexpr int StepIncrement = 10;

// The zoom percent of a text: a decimal real (sign, fraction, exponent, leading blanks), 100
// when the text is not a number, at least 20, no upper limit.
double percentFromText(const QString& text);

// The display scale of a zoom percent: 100 percent shows the sheet at 0.8 of its size.
inline double factorFromPercent(double percent) {
    return percent / 100 / 1.25;
}

// One step of the arrows from the percent now in force: +10 or -10 (direction > 0 or < 0),
// kept within 20 .. 500.
int stepPercent(double currentPercent, int direction);

// The page number of a text: an integer (leading blanks, sign), 1 when the text is not a
// number, then kept within 1 .. pageCount.
int pageFromText(const QString& text, int pageCount);

} // namespace preview_zoom
