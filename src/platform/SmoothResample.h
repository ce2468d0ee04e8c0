#pragma once
// Bilinear resampling of bitmaps for printing: a figure bitmap is smoothed to its size in
// printer dots before it is drawn, instead of being stretched pixel by pixel.

#include <QImage>
#include <QRect>
#include <stdexcept>

// "Assertion failure": a broken precondition (a source bitmap with no pixels).
class AssertionFailure : public std::runtime_error {
public:
    AssertionFailure();
};

// Returns a new 24-bit (QImage::Format_RGB888) bitmap of width × height pixels resampled
// bilinearly from source, pixel centres aligned and edges clamped; each channel is rounded to
// the nearest integer, halves to even, with the interpolation evaluated in extended
// precision. Any source format is accepted (a copy is converted to 24 bits). A width or
// height of 0 or less gives a null image. Throws AssertionFailure when source has zero width
// or height.
QImage SmoothResample(const QImage& source, int width, int height);

// The part of that width × height image inside part (clipped to it), with the same pixels as
// the whole image has there; a null image when nothing of part lies inside. A page needs only
// the part of a figure that falls on the paper.
QImage SmoothResample(const QImage& source, int width, int height, const QRect& part);
