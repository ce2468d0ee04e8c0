#pragma once
// The drawing surface the layout talks to while a page is recorded. It carries the current
// font, pen, brush and extra character spacing, answers text width and height in printer
// dots, and appends drawing records to its page. Fonts are sized at the printer's vertical
// resolution given to it, never at a device's.

#include <QByteArrayView>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>

#include "pages/PageRecord.h"

class CachedFont;
class PageRecording;

class RecordingCanvas {
public:
    // A fresh canvas starts at 9 points in the default face, a solid black pen one dot wide
    // and a solid white brush.
    RecordingCanvas(PageRecording& page, int dpiY);

    // Takes over font (face, size, text colour), pen, brush, copy mode and text flags: a new
    // page's canvas keeps them from the previous one. Extra character spacing and the pen
    // position belong to the page and start again at 0 and (0, 0).
    void copyStateFrom(const RecordingCanvas& other);

    int dpiY() const { return dpiY_; }

    // Font: face and size in points; the pixel size is Round(points * dpiY / 72).
    void setFont(const QString& face, int pointSize);
    void setFontFace(const QString& face);
    void setFontSize(int pointSize);
    const QString& fontFace() const { return face_; }
    int fontSize() const { return pointSize_; }
    int fontPixelSize() const { return fontSpec_.pixelSize; }

    PenSpec pen() const { return pen_; }
    void setPen(const PenSpec& pen) { pen_ = pen; }
    void setPenWidth(int width) { pen_.width = width; }
    void setPenStyle(PenStyle style) { pen_.style = style; }
    void setPenColor(QRgb color) { pen_.color = color; }

    // Brush: a colour, or none (clear).
    std::optional<QRgb> brush() const { return brush_; }
    void setBrush(std::optional<QRgb> color) { brush_ = color; }

    QRgb textColor() const { return textColor_; }
    void setTextColor(QRgb color) { textColor_ = color; }

    // Extra spacing in dots added after every character of text.
    int textExtra() const { return textExtra_; }
    void setTextExtra(int dots) { textExtra_ = dots; }

    // Carried from page to page, otherwise unused by the recording.
    int copyMode() const { return copyMode_; }
    void setCopyMode(int mode) { copyMode_ = mode; }
    int textFlags() const { return textFlags_; }
    void setTextFlags(int flags) { textFlags_ = flags; }

    // Width of code page 932 text in dots: the integer advances of its characters plus the
    // extra spacing of each. Height: the font's ascent + descent.
    int textWidth(QByteArrayView text) const;
    int textHeight(QByteArrayView text) const;

    // Text with the top-left of its cell at (x, y), over an opaque box in the brush colour.
    // Each byte takes one half-pitch cell (width of "┌" div 2 in this font).
    void textOut(int x, int y, QByteArrayView text);

    QPoint penPos() const { return penPos_; }
    void moveTo(int x, int y) { penPos_ = QPoint(x, y); }
    void lineTo(int x, int y);
    void polyline(std::vector<QPoint> points);
    // Outline with the pen, filled with the brush.
    void rectangle(const QRect& rect);
    // Filled with the brush, no outline.
    void fillRect(const QRect& rect);
    void stretchDraw(const QRect& target, std::shared_ptr<const QImage> image, bool smooth = false);
    void drawFigure(const QRect& target, std::shared_ptr<const VectorFigure> figure);
    // A figure file's image, decoded when the page is played: stretched into target (with
    // smoothing when smooth), after SmoothResample to resampleTo when that is not empty.
    void drawEncodedImage(const QRect& target, std::shared_ptr<const EncodedImage> image,
                          QSize resampleTo = {}, bool smooth = false);

private:
    void updateFont();

    PageRecording* page_;
    int dpiY_;
    QString face_;
    int pointSize_ = 9;
    FontSpec fontSpec_;
    CachedFont* font_ = nullptr;
    int fontIndex_ = -1;
    PenSpec pen_;
    std::optional<QRgb> brush_ = qRgb(255, 255, 255);
    QRgb textColor_ = qRgb(0, 0, 0);
    int textExtra_ = 0;
    int copyMode_ = 0;
    int textFlags_ = 0;
    QPoint penPos_;
};
