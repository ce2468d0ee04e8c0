#include "pages/PagePlayer.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <mutex>

#include "pages/CachedFont.h"

PagePlayer::PagePlayer(QPainter& painter, const PageRecording& page, PageRecording::Target target)
    : painter_(painter), page_(page), screen_(target == PageRecording::Target::Screen) {
    // A rule one dot wide at 600 dpi is a fraction of a screen pixel in the preview;
    // draw such rules at least one device pixel wide, as a printer or metafile player does.
    // The scale is the whole way to the device: world transform, window and viewport.
    const QTransform t = painter.combinedTransform();
    scale_ = std::sqrt(std::abs(t.determinant()));
    // On a raster image a pen of exactly one device pixel draws the same pixels as Qt's
    // one-pixel line, which is much quicker than stroking an outline. Vector devices (PDF,
    // printers) keep the true width, since a hairline there follows the viewer's zoom.
    const QPaintEngine* engine = painter.paintEngine();
    raster_ = engine && engine->type() == QPaintEngine::Raster;
    // Qt's raster engine draws glyphs above 64 device pixels (a 9-point glyph at 600 dpi
    // is 75) as outlines, one path fill per glyph, instead of from its glyph cache. At one
    // dot per pixel such glyphs are painted from images of them drawn once per font, glyph
    // and colour; moved by whole pixels they give the same pixels as drawing the outline.
    const bool wholePixels = t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
                             t.dy() == std::floor(t.dy());
    glyphImages_ = raster_ && wholePixels && painter.testRenderHint(QPainter::TextAntialiasing);
}

void PagePlayer::text(QPoint topLeft, QSize box, QByteArrayView bytes, int fontIndex, int cellWidth,
                      int extraSpacing, QRgb color, const QRgb* background) {
    if (background)
        painter_.fillRect(QRect(topLeft, box), QColor(*background));
    if (bytes.isEmpty())
        return;
    CachedFont& font = CachedFont::get(page_.font(fontIndex));
    glyphs_.clear();
    positions_.clear();
    int x = 0;
    forEachCp932Char(bytes, [&](quint16 code, qsizetype, int byteCount) {
        if (code != ' ') {
            glyphs_.append(font.glyph(code));
            positions_.append(QPointF(x, 0));
        }
        x += byteCount * cellWidth + extraSpacing;
    });
    if (glyphs_.isEmpty())
        return;
    const QPoint origin(topLeft.x(), topLeft.y() + font.ascent());
    if (glyphImages_ && font.font().pixelSize() > 64) {
        for (qsizetype i = 0; i < glyphs_.size(); ++i) {
            const CachedFont::GlyphImage& g = font.glyphImage(glyphs_[i], color);
            if (!g.image.isNull())
                painter_.drawImage(origin + QPoint(int(positions_[i].x()), 0) + g.offset, g.image);
        }
        return;
    }
    QGlyphRun run;
    run.setRawFont(font.rawFont());
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    penSet_ = false;
    painter_.setPen(QColor(color));
    painter_.drawGlyphRun(origin, run);
}

void PagePlayer::line(QPoint from, QPoint to, const PenSpec& penSpec) {
    if (!(penSpec == lastPen_) || !penSet_) {
        painter_.setPen(pen(penSpec));
        lastPen_ = penSpec;
        penSet_ = true;
    }
    const QPointF shift = centre(penSpec);
    painter_.drawLine(QPointF(from) + shift, QPointF(to) + shift);
}

void PagePlayer::operator()(const PolylineRecord& r) {
    penSet_ = false;
    painter_.setPen(pen(r.pen));
    const QPointF shift = centre(r.pen);
    QPolygonF points;
    points.reserve(qsizetype(r.points.size()));
    for (const QPoint& p : r.points)
        points.append(QPointF(p) + shift);
    painter_.drawPolyline(points);
}

// The outline runs on the rectangle's outermost dots (left .. right, top .. bottom), the
// inside filled with the brush, as a printer draws a rectangle.
void PagePlayer::operator()(const RectangleRecord& r) {
    penSet_ = false;
    painter_.setPen(pen(r.pen));
    painter_.setBrush(r.fill ? QBrush(QColor(*r.fill)) : QBrush(Qt::NoBrush));
    const QPointF shift = centre(r.pen);
    painter_.drawRect(
        QRectF(QPointF(r.rect.topLeft()) + shift, QSizeF(r.rect.width() - 1, r.rect.height() - 1)));
    painter_.setBrush(Qt::NoBrush);
}

void PagePlayer::operator()(const FillRecord& r) {
    painter_.fillRect(r.rect, QColor(r.color));
}

void PagePlayer::operator()(const ImageRecord& r) {
    if (r.encoded) {
        encoded(r);
        return;
    }
    if (!r.image)
        return;
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, r.smooth);
    painter_.drawImage(r.target, *r.image);
}

void PagePlayer::operator()(const FigureRecord& r) {
    if (!r.figure)
        return;
    penSet_ = false;
    painter_.save();
    r.figure->draw(painter_, r.target);
    painter_.restore();
}

// A figure file's image. Bitmaps stay lossless on vector devices (a PDF, a print job):
// the labels of a plan must not blur. JPEG photographs keep Qt's JPEG encoding there (the
// PDF finishing puts the file's own data back where it can).
void PagePlayer::encoded(const ImageRecord& r) {
    const EncodedImage& figure = *r.encoded;
    if (screen_ && screenImage(r))
        return;
    if (!raster_) {
        vectorImage(r);
        return;
    }
    QRectF target = r.target;
    QImage pixels;
    if (r.resampleTo.isEmpty()) {
        pixels = figure.pixels();
    } else {
        // Only the part of the smoothed image that reaches the device is made (a bitmap
        // at printer resolution can be far larger than the paper). It is drawn where it
        // lies in the whole image's target, with the same scale, so each device pixel
        // samples the same image pixel as when the whole image is drawn.
        const QSize size = r.resampleTo;
        const double sx = double(r.target.width()) / size.width();
        const double sy = double(r.target.height()) / size.height();
        const QRect visible = visibleDots() & r.target;
        if (visible.isEmpty())
            return;
        const QRect part =
            QRectF((visible.left() - r.target.left()) / sx, (visible.top() - r.target.top()) / sy,
                   visible.width() / sx, visible.height() / sy)
                .toAlignedRect()
                .adjusted(-2, -2, 2, 2) &
            QRect(QPoint(0, 0), size);
        pixels = figure.smoothedPart(size, part);
        target = QRectF(r.target.left() + part.left() * sx, r.target.top() + part.top() * sy,
                        part.width() * sx, part.height() * sy);
    }
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, r.smooth);
    painter_.drawImage(target, pixels);
    painter_.restore();
}

// On a vector device (a PDF, a print job) the figure goes out once at its own pixel size,
// scaled into its rectangle by the page's transform; smoothing to the target size is left to
// the device, which smooths at its own resolution (the PDF finishing sets the image's
// interpolation flag for that). The same cached pixels on every page let the PDF engine write
// the image once however often it is placed.
void PagePlayer::vectorImage(const ImageRecord& r) {
    const EncodedImage& figure = *r.encoded;
    // PDF engines writing slices of one document at once would each hold a large figure and
    // their converted copy of it (a photograph of 3000 x 2000: 18 MB of pixels, 24 MB in the
    // engine) at the same time: large figures go to the engines one at a time.
    static std::mutex largeFigures;
    constexpr qint64 LargeBytes = qint64(8) * 1024 * 1024;
    const QSize size = figure.pixelSize();
    std::unique_lock<std::mutex> oneAtATime(largeFigures, std::defer_lock);
    if (qint64(size.width()) * size.height() * 3 >= LargeBytes)
        oneAtATime.lock();
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, r.smooth || !r.resampleTo.isEmpty());
    painter_.setRenderHint(QPainter::LosslessImageRendering,
                           figure.format() == EncodedImage::Format::Bitmap);
    painter_.drawImage(QRectF(r.target), figure.pixels());
    painter_.restore();
}

// The part of the page's coordinates that can reach the device: the device (and the
// clip, when there is one) taken back through the painter's transform.
QRect PagePlayer::visibleDots() const {
    constexpr int unbounded = 1 << 30;
    const QRect everything(-unbounded / 2, -unbounded / 2, unbounded, unbounded);
    const QPaintDevice* device = painter_.device();
    bool invertible = false;
    const QTransform back = painter_.combinedTransform().inverted(&invertible);
    if (!device || !invertible)
        return everything;
    QRectF area = back.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (painter_.hasClipping())
        area &= painter_.clipBoundingRect();
    return area.toAlignedRect();
}

// On the screen, a figure that the painter shrinks is drawn from its pixels scaled once
// to its size on the device (cached), one image pixel per device pixel. False when the
// painter enlarges it, rotates or shears: the figure is then drawn as for output.
bool PagePlayer::screenImage(const ImageRecord& r) {
    if (painter_.window() != painter_.viewport())
        return false;
    const QTransform t = painter_.worldTransform();
    if (t.type() > QTransform::TxScale || t.m11() <= 0 || t.m22() <= 0)
        return false;
    const QRectF device = t.mapRect(QRectF(r.target));
    const int left = int(std::lround(device.left()));
    const int top = int(std::lround(device.top()));
    const QSize size(int(std::lround(device.right())) - left,
                     int(std::lround(device.bottom())) - top);
    const QSize full = r.resampleTo.isEmpty() ? r.encoded->pixelSize() : r.resampleTo;
    if (size.width() >= full.width() || size.height() >= full.height())
        return false;
    if (size.isEmpty())
        return true; // less than a pixel: nothing to see
    // Only the part on the device (and inside the clip) is scaled.
    QRect visible(0, 0, painter_.device()->width(), painter_.device()->height());
    if (painter_.hasClipping())
        visible &= t.mapRect(painter_.clipBoundingRect()).toAlignedRect();
    const QRect part = QRect(QPoint(left, top), size) & visible.adjusted(-1, -1, 1, 1);
    if (part.isEmpty())
        return true;
    const QImage view = r.encoded->viewImagePart(size, part.translated(-left, -top));
    painter_.save();
    painter_.resetTransform();
    painter_.drawImage(part.topLeft(), view);
    painter_.restore();
    return true;
}

// Walks the page in drawing order.
void PagePlayer::play() {
    PageRecording::Cursor c;
    for (const PageRecording::Kind kind : page_.order_) {
        switch (kind) {
        case PageRecording::Kind::Text: {
            const PageRecording::StoredText& t = page_.texts_[c.text++];
            text(t.topLeft, t.box,
                 QByteArrayView(page_.text_.constData() + t.offset, qsizetype(t.size)), t.fontIndex,
                 t.cellWidth, t.extraSpacing, t.color, t.opaque ? &t.background : nullptr);
            break;
        }
        case PageRecording::Kind::Line: {
            const PageRecording::StoredLine& l = page_.lines_[c.line++];
            line(l.from, l.to, page_.pens_[l.pen]);
            break;
        }
        case PageRecording::Kind::Polyline:
            (*this)(page_.polylines_[c.polyline++]);
            break;
        case PageRecording::Kind::Rectangle:
            (*this)(page_.rectangles_[c.rectangle++]);
            break;
        case PageRecording::Kind::Fill:
            (*this)(page_.fills_[c.fill++]);
            break;
        case PageRecording::Kind::Image:
            (*this)(page_.images_[c.image++]);
            break;
        case PageRecording::Kind::Figure:
            (*this)(page_.figures_[c.figure++]);
            break;
        }
    }
}

// A dot at (x, y) is the square from (x, y) to (x + 1, y + 1). A line of odd width runs
// through the middle of its dots so that it covers whole device pixels at one dot per
// pixel (one row for a one-dot rule, also when antialiased or scaled); a line of even
// width already has its edges on dot boundaries.
QPointF PagePlayer::centre(const PenSpec& penSpec) {
    return std::max(1, penSpec.width) % 2 == 1 ? QPointF(0.5, 0.5) : QPointF(0, 0);
}

QPen PagePlayer::pen(const PenSpec& penSpec) const {
    const double deviceWidth = std::max(1, penSpec.width) * scale_;
    const bool thin = deviceWidth < 1.0 || (raster_ && deviceWidth < 1.0 + 1e-9);
    QPen p(QColor(penSpec.color), thin ? 0 : std::max(1, penSpec.width),
           penSpec.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap,
           Qt::RoundJoin); // the ends and joins of a wide pen are round, as on GDI
    return p;
}
