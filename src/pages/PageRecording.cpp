#include "pages/PageRecording.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPolygonF>
#include <cmath>

#include "pages/CachedFont.h"

int PageRecording::fontIndex(const FontSpec& font) {
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == font)
            return int(i);
    fonts_.push_back(font);
    return int(fonts_.size() - 1);
}

namespace {

class Player {
public:
    Player(QPainter& painter, const PageRecording& page) : painter_(painter), page_(page) {
        // A rule one dot wide at 600 dpi is a fraction of a screen pixel in the preview;
        // draw such rules at least one device pixel wide, as a printer or metafile player does.
        // The scale is the whole way to the device: world transform, window and viewport.
        const QTransform t = painter.combinedTransform();
        scale_ = std::sqrt(std::abs(t.determinant()));
    }

    void operator()(const TextRecord& r) {
        if (r.background)
            painter_.fillRect(QRect(r.topLeft, r.box), QColor(*r.background));
        if (r.bytes.isEmpty())
            return;
        CachedFont& font = CachedFont::get(page_.font(r.fontIndex));
        QList<quint32> glyphs;
        QList<QPointF> positions;
        glyphs.reserve(r.bytes.size());
        positions.reserve(r.bytes.size());
        int x = 0;
        forEachCp932Char(r.bytes, [&](quint16 code, qsizetype, int byteCount) {
            if (code != ' ') {
                glyphs.append(font.glyph(code));
                positions.append(QPointF(x, 0));
            }
            x += byteCount * r.cellWidth + r.extraSpacing;
        });
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(font.rawFont());
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter_.setPen(QColor(r.color));
        painter_.drawGlyphRun(QPointF(r.topLeft.x(), r.topLeft.y() + font.ascent()), run);
    }

    void operator()(const LineRecord& r) {
        painter_.setPen(pen(r.pen));
        const QPointF shift = centre(r.pen);
        painter_.drawLine(QPointF(r.from) + shift, QPointF(r.to) + shift);
    }

    void operator()(const PolylineRecord& r) {
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
    void operator()(const RectangleRecord& r) {
        painter_.setPen(pen(r.pen));
        painter_.setBrush(r.fill ? QBrush(QColor(*r.fill)) : QBrush(Qt::NoBrush));
        const QPointF shift = centre(r.pen);
        painter_.drawRect(QRectF(QPointF(r.rect.topLeft()) + shift,
                                 QSizeF(r.rect.width() - 1, r.rect.height() - 1)));
        painter_.setBrush(Qt::NoBrush);
    }

    void operator()(const FillRecord& r) { painter_.fillRect(r.rect, QColor(r.color)); }

    void operator()(const ImageRecord& r) {
        if (!r.image)
            return;
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, r.smooth);
        painter_.drawImage(r.target, *r.image);
    }

    void operator()(const FigureRecord& r) {
        if (!r.figure)
            return;
        painter_.save();
        r.figure->draw(painter_, r.target);
        painter_.restore();
    }

private:
    // A dot at (x, y) is the square from (x, y) to (x + 1, y + 1). A line of odd width runs
    // through the middle of its dots so that it covers whole device pixels at one dot per
    // pixel (one row for a one-dot rule, also when antialiased or scaled); a line of even
    // width already has its edges on dot boundaries.
    static QPointF centre(const PenSpec& spec) {
        return std::max(1, spec.width) % 2 == 1 ? QPointF(0.5, 0.5) : QPointF(0, 0);
    }

    QPen pen(const PenSpec& spec) const {
        const bool thin = spec.width * scale_ < 1.0;
        QPen p(QColor(spec.color), thin ? 0 : std::max(1, spec.width),
               spec.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap,
               Qt::RoundJoin); // the ends and joins of a wide pen are round, as on GDI
        return p;
    }

    QPainter& painter_;
    const PageRecording& page_;
    double scale_ = 1.0;
};

} // namespace

void PageRecording::replay(QPainter& painter, QPoint origin) const {
    painter.save();
    painter.translate(origin);
    Player player(painter, *this);
    for (const PageRecord& record : records_)
        std::visit(player, record);
    painter.restore();
}
