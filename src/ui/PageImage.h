#pragma once
// The on-screen picture of one recorded page: a grey shadow, the white sheet with a thin black
// outline, optionally the dotted printable area, and the page played over them, all scaled by
// the zoom. The picture is not a bitmap: it paints any part of itself on demand, so a zoom of
// 1000 percent costs no more memory than the part of it that is on screen.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QTransform>

#include "pages/PrinterInfo.h"

class PageRecording;
class QPainter;

class PageImage {
public:
    // Width of the shadow band beyond the sheet, in printer dots.
    static constexpr int ShadowDots = 50;
    // Neither side of a picture grows beyond this many pixels, however large the zoom.
    static constexpr int MaximumSide = 1 << 16;

    // page must outlive the picture (it belongs to the page store).
    PageImage(const PageRecording& page, const TPrinterInfo& printer, double zoom,
              bool showPrintableArea, double screenDpiX, double screenDpiY);

    // The picture's size in screen pixels: the physical size of (paper + shadow) at the
    // screen's logical resolution, times the zoom.
    QSize size() const { return size_; }
    const PageRecording& page() const { return *page_; }
    static QSize pictureSize(const TPrinterInfo& printer, double zoom, double screenDpiX,
                             double screenDpiY);

    // Page dots to picture pixels (the page's (0, 0) on the paper's corner), as paint() draws.
    QTransform pageTransform() const;

    // Paints the part of the picture inside exposed; (0, 0) is the picture's top-left corner.
    void paint(QPainter& painter, const QRect& exposed) const;
    // The whole picture as a bitmap (tests, screenshots); only for moderate sizes.
    QImage toImage() const;

private:
    const PageRecording* page_;
    TPrinterInfo printer_;
    bool showPrintableArea_;
    QSize size_;
};
