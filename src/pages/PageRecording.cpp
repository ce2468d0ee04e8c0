#include "pages/PageRecording.h"

#include <QGlyphRun>
#include <QPainter>
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
        const QTransform& t = painter.worldTransform();
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
        painter_.drawLine(r.from, r.to);
    }

    void operator()(const PolylineRecord& r) {
        painter_.setPen(pen(r.pen));
        painter_.drawPolyline(r.points.data(), int(r.points.size()));
    }

    void operator()(const RectangleRecord& r) {
        painter_.setPen(pen(r.pen));
        painter_.setBrush(r.fill ? QBrush(QColor(*r.fill)) : QBrush(Qt::NoBrush));
        painter_.drawRect(r.rect);
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
