#include "ui/PageImage.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "pages/PageRecording.h"

namespace {

// Nearest integer, halves to even, as the picture's sizes are rounded.
double nearest(double x) {
    return std::nearbyint(x);
}

// One side of the picture. The recording's nominal size is kept in hundredths of a millimetre
// (printable size in mm over printable size in dots gives the millimetres of one dot); it is
// turned into screen pixels at the screen's logical resolution, then scaled by the zoom.
double side(int paperDots, double printableMm, int printableDots, int dpi, double screenDpi,
            double zoom) {
    double mmPerDot = 0;
    if (printableDots > 0 && printableMm > 0)
        mmPerDot = printableMm / printableDots;
    else if (dpi > 0)
        mmPerDot = 25.4 / dpi;
    const double hundredthsMm = nearest((paperDots + PageImage::ShadowDots) * mmPerDot * 100);
    const double screenPixels = nearest(hundredthsMm * screenDpi / 2540);
    return screenPixels * zoom;
}

} // namespace

QSize PageImage::pictureSize(const TPrinterInfo& printer, double zoom, double screenDpiX,
                             double screenDpiY) {
    if (!(zoom > 0))
        return {};
    double w = side(printer.PaperWidthDots, printer.PrintableWidthMm, printer.PrintableWidthDots,
                    printer.DpiX, screenDpiX, zoom);
    double h = side(printer.PaperHeightDots, printer.PrintableHeightMm, printer.PrintableHeightDots,
                    printer.DpiY, screenDpiY, zoom);
    // A huge typed zoom would overflow the widget and painter coordinates: shrink both sides
    // by the same factor until the longer one fits.
    const double longer = std::max(w, h);
    if (!std::isfinite(longer))
        return {};
    if (longer > MaximumSide) {
        w = w * MaximumSide / longer;
        h = h * MaximumSide / longer;
    }
    return {int(nearest(w)), int(nearest(h))};
}

PageImage::PageImage(const PageRecording& page, const TPrinterInfo& printer, double zoom,
                     bool showPrintableArea, double screenDpiX, double screenDpiY)
    : page_(&page), printer_(printer), showPrintableArea_(showPrintableArea),
      size_(pictureSize(printer, zoom, screenDpiX, screenDpiY)) {}

QTransform PageImage::pageTransform() const {
    const int paperW = printer_.PaperWidthDots;
    const int paperH = printer_.PaperHeightDots;
    if (size_.isEmpty() || paperW <= 0 || paperH <= 0)
        return QTransform::fromScale(0, 0);
    return QTransform::fromScale(double(size_.width()) / (paperW + ShadowDots),
                                 double(size_.height()) / (paperH + ShadowDots));
}

void PageImage::paint(QPainter& painter, const QRect& exposed) const {
    const int paperW = printer_.PaperWidthDots;
    const int paperH = printer_.PaperHeightDots;
    if (size_.isEmpty() || paperW <= 0 || paperH <= 0)
        return;
    // Dots to picture pixels: the picture spans paper + shadow.
    const double sx = double(size_.width()) / (paperW + ShadowDots);
    const double sy = double(size_.height()) / (paperH + ShadowDots);
    const auto x = [sx](double dots) { return int(std::lround(dots * sx)); };
    const auto y = [sy](double dots) { return int(std::lround(dots * sy)); };

    painter.save();
    painter.setClipRect(exposed);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Shadow, sheet and printable area are drawn in pixels so that their edges and the
    // one-pixel outlines stay sharp at every zoom.
    const QRect sheet(QPoint(0, 0), QPoint(x(paperW) - 1, y(paperH) - 1));
    painter.fillRect(
        QRect(QPoint(x(ShadowDots), y(ShadowDots)), QPoint(size_.width() - 1, size_.height() - 1)),
        QColor(128, 128, 128));
    painter.setBrush(Qt::white);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    if (showPrintableArea_) {
        const QRect area(QPoint(x(printer_.OffsetXDots), y(printer_.OffsetYDots)),
                         QPoint(x(printer_.OffsetXDots + printer_.PrintableWidthDots) - 1,
                                y(printer_.OffsetYDots + printer_.PrintableHeightDots) - 1));
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }
    painter.setBrush(Qt::NoBrush);

    // The page itself, one recorded dot to sx by sy pixels, its (0, 0) on the paper corner;
    // figures shrunk by the zoom are drawn from pixels scaled to the screen, not smoothed at
    // printer resolution.
    painter.scale(sx, sy);
    page_->replay(painter, QPoint(0, 0), PageRecording::Target::Screen);
    painter.restore();
}

QImage PageImage::toImage() const {
    QImage image(size_, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, image.rect());
    return image;
}
