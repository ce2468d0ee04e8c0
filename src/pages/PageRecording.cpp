#include "pages/PageRecording.h"

#include <QPainter>

#include "pages/PagePlayer.h"

int PageRecording::fontIndex(const FontSpec& font) {
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == font)
            return int(i);
    fonts_.push_back(font);
    return int(fonts_.size() - 1);
}

std::uint32_t PageRecording::penIndex(const PenSpec& pen) {
    // A page uses a handful of pens, mostly the one used last.
    for (std::size_t i = pens_.size(); i-- > 0;)
        if (pens_[i] == pen)
            return std::uint32_t(i);
    pens_.push_back(pen);
    return std::uint32_t(pens_.size() - 1);
}

void PageRecording::appendText(QPoint topLeft, QByteArrayView bytes, int fontIndex, int cellWidth,
                               int extraSpacing, QSize box, QRgb color,
                               std::optional<QRgb> background) {
    StoredText text{topLeft,
                    box,
                    std::uint32_t(text_.size()),
                    std::uint32_t(bytes.size()),
                    cellWidth,
                    extraSpacing,
                    color,
                    background.value_or(0),
                    std::uint16_t(fontIndex),
                    background.has_value()};
    text_.append(bytes);
    texts_.push_back(text);
    order_.push_back(Kind::Text);
}

void PageRecording::appendLine(QPoint from, QPoint to, const PenSpec& pen) {
    lines_.push_back(StoredLine{from, to, penIndex(pen)});
    order_.push_back(Kind::Line);
}

void PageRecording::append(PageRecord record) {
    struct Appender {
        PageRecording& page;
        void operator()(TextRecord& r) {
            page.appendText(r.topLeft, r.bytes, r.fontIndex, r.cellWidth, r.extraSpacing, r.box,
                            r.color, r.background);
        }
        void operator()(LineRecord& r) { page.appendLine(r.from, r.to, r.pen); }
        void operator()(PolylineRecord& r) {
            page.polylines_.push_back(std::move(r));
            page.order_.push_back(Kind::Polyline);
        }
        void operator()(RectangleRecord& r) {
            page.rectangles_.push_back(r);
            page.order_.push_back(Kind::Rectangle);
        }
        void operator()(FillRecord& r) {
            page.fills_.push_back(r);
            page.order_.push_back(Kind::Fill);
        }
        void operator()(ImageRecord& r) {
            page.images_.push_back(std::move(r));
            page.order_.push_back(Kind::Image);
        }
        void operator()(FigureRecord& r) {
            page.figures_.push_back(std::move(r));
            page.order_.push_back(Kind::Figure);
        }
    };
    std::visit(Appender{*this}, record);
}

PageRecording::TextRun PageRecording::textRun(std::size_t index) const {
    const StoredText& t = texts_[index];
    return {t.topLeft, t.box, QByteArrayView(text_.constData() + t.offset, qsizetype(t.size)),
            t.cellWidth, t.extraSpacing};
}

PageRecord PageRecording::decode(Kind kind, Cursor& cursor) const {
    switch (kind) {
    case Kind::Text: {
        const StoredText& t = texts_[cursor.text++];
        TextRecord r;
        r.topLeft = t.topLeft;
        r.bytes = QByteArray(text_.constData() + t.offset, qsizetype(t.size));
        r.fontIndex = t.fontIndex;
        r.cellWidth = t.cellWidth;
        r.extraSpacing = t.extraSpacing;
        r.box = t.box;
        r.color = t.color;
        if (t.opaque)
            r.background = t.background;
        return r;
    }
    case Kind::Line: {
        const StoredLine& l = lines_[cursor.line++];
        return LineRecord{l.from, l.to, pens_[l.pen]};
    }
    case Kind::Polyline:
        return polylines_[cursor.polyline++];
    case Kind::Rectangle:
        return rectangles_[cursor.rectangle++];
    case Kind::Fill:
        return fills_[cursor.fill++];
    case Kind::Image:
        return images_[cursor.image++];
    case Kind::Figure:
        return figures_[cursor.figure++];
    }
    Q_UNREACHABLE();
}

const std::vector<PageRecord>& PageRecording::records() const {
    if (decoded_.size() < order_.size()) {
        decoded_.reserve(order_.size());
        for (std::size_t i = decoded_.size(); i < order_.size(); ++i)
            decoded_.push_back(decode(order_[i], decodedCursor_));
    }
    return decoded_;
}

void PageRecording::reserveLike(const PageRecording& other) {
    order_.reserve(other.order_.size());
    texts_.reserve(other.texts_.size());
    lines_.reserve(other.lines_.size());
    text_.reserve(other.text_.size());
}

void PageRecording::squeeze() {
    order_.shrink_to_fit();
    texts_.shrink_to_fit();
    lines_.shrink_to_fit();
    text_.squeeze();
}

std::size_t PageRecording::storageBytes() const {
    return order_.capacity() * sizeof(Kind) + texts_.capacity() * sizeof(StoredText) +
           lines_.capacity() * sizeof(StoredLine) + pens_.capacity() * sizeof(PenSpec) +
           polylines_.capacity() * sizeof(PolylineRecord) +
           rectangles_.capacity() * sizeof(RectangleRecord) +
           fills_.capacity() * sizeof(FillRecord) + images_.capacity() * sizeof(ImageRecord) +
           figures_.capacity() * sizeof(FigureRecord) + std::size_t(text_.capacity()) +
           fonts_.capacity() * sizeof(FontSpec);
}

void PageRecording::replay(QPainter& painter, QPoint origin, Target target) const {
    painter.save();
    painter.translate(origin);
    PagePlayer(painter, *this, target).play();
    painter.restore();
}
