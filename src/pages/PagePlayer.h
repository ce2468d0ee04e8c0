#pragma once
// Plays one recorded page onto a QPainter in drawing order, keeping the pen it set last. Pens
// narrower than a device pixel are widened to one, glyphs are placed cell by cell from the
// page's cached fonts, and figure images are drawn from the parts that reach the device.
// PageRecording::replay is the way in; the page itself only stores records.

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include "pages/PageRecording.h"

class QPen;

class PagePlayer {
public:
    PagePlayer(QPainter& painter, const PageRecording& page, PageRecording::Target target);

    // Walks the page in drawing order.
    void play();

private:
    void text(QPoint topLeft, QSize box, QByteArrayView bytes, int fontIndex, int cellWidth,
              int extraSpacing, QRgb color, const QRgb* background);
    void line(QPoint from, QPoint to, const PenSpec& penSpec);
    void operator()(const PolylineRecord& r);
    void operator()(const RectangleRecord& r);
    void operator()(const FillRecord& r);
    void operator()(const ImageRecord& r);
    void operator()(const FigureRecord& r);

    // Figure images: whole, smoothed in part on raster devices, at their own size on vector
    // devices, or scaled once for the screen.
    void encoded(const ImageRecord& r);
    void vectorImage(const ImageRecord& r);
    QRect visibleDots() const;
    bool screenImage(const ImageRecord& r);

    static QPointF centre(const PenSpec& penSpec);
    QPen pen(const PenSpec& penSpec) const;

    QPainter& painter_;
    const PageRecording& page_;
    bool screen_ = false;
    double scale_ = 1.0;
    bool raster_ = false;
    bool glyphImages_ = false;
    PenSpec lastPen_;
    bool penSet_ = false;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};
