#include "pages/RecordingCanvas.h"

#include <cmath>

#include "pages/CachedFont.h"
#include "pages/PageRecording.h"
#include "platform/FontSubstitution.h"

namespace {
// "┌": one full-width cell, two half-pitch cells.
const QByteArrayView boxCorner("\x84\xA1");
} // namespace

RecordingCanvas::RecordingCanvas(PageRecording& page, int dpiY)
    : page_(&page), dpiY_(dpiY), face_(font_substitution::defaultFace()) {
    updateFont();
}

void RecordingCanvas::copyStateFrom(const RecordingCanvas& other) {
    face_ = other.face_;
    pointSize_ = other.pointSize_;
    pen_ = other.pen_;
    brush_ = other.brush_;
    textColor_ = other.textColor_;
    copyMode_ = other.copyMode_;
    textFlags_ = other.textFlags_;
    updateFont();
}

void RecordingCanvas::setFont(const QString& face, int pointSize) {
    face_ = face;
    pointSize_ = pointSize;
    updateFont();
}

void RecordingCanvas::setFontFace(const QString& face) {
    setFont(face, pointSize_);
}

void RecordingCanvas::setFontSize(int pointSize) {
    setFont(face_, pointSize);
}

void RecordingCanvas::updateFont() {
    // Round(points * dpi / 72), halves to even; a size of 0 or less still draws at 1 pixel.
    const int pixels = int(std::nearbyint(double(pointSize_) * dpiY_ / 72.0));
    fontSpec_ = FontSpec{face_, std::max(1, std::abs(pixels))};
    font_ = &CachedFont::get(fontSpec_);
    fontIndex_ = -1; // added to the page's table when text is first drawn
}

int RecordingCanvas::textWidth(QByteArrayView text) const {
    int characters = 0;
    forEachCp932Char(text, [&](quint16, qsizetype, int) { ++characters; });
    return font_->textWidth(text) + characters * textExtra_;
}

int RecordingCanvas::textHeight(QByteArrayView) const {
    return font_->height();
}

void RecordingCanvas::textOut(int x, int y, QByteArrayView text) {
    if (fontIndex_ < 0)
        fontIndex_ = page_->fontIndex(fontSpec_);
    const int cellWidth = font_->textWidth(boxCorner) / 2;
    int characters = 0;
    forEachCp932Char(text, [&](quint16, qsizetype, int) { ++characters; });
    const QSize box(int(text.size()) * cellWidth + characters * textExtra_, font_->height());
    page_->appendText(QPoint(x, y), text, fontIndex_, cellWidth, textExtra_, box, textColor_,
                      brush_);
}

void RecordingCanvas::lineTo(int x, int y) {
    page_->appendLine(penPos_, QPoint(x, y), pen_);
    penPos_ = QPoint(x, y);
}

void RecordingCanvas::polyline(std::vector<QPoint> points) {
    if (points.empty())
        return;
    penPos_ = points.back();
    page_->append(PolylineRecord{std::move(points), pen_});
}

void RecordingCanvas::rectangle(const QRect& rect) {
    page_->append(RectangleRecord{rect, pen_, brush_});
}

void RecordingCanvas::fillRect(const QRect& rect) {
    if (brush_)
        page_->append(FillRecord{rect, *brush_});
}

void RecordingCanvas::stretchDraw(const QRect& target, std::shared_ptr<const QImage> image,
                                  bool smooth) {
    ImageRecord record;
    record.target = target;
    record.image = std::move(image);
    record.smooth = smooth;
    page_->append(std::move(record));
}

void RecordingCanvas::drawEncodedImage(const QRect& target,
                                       std::shared_ptr<const EncodedImage> image, QSize resampleTo,
                                       bool smooth) {
    ImageRecord record;
    record.target = target;
    record.smooth = smooth;
    record.encoded = std::move(image);
    record.resampleTo = resampleTo;
    page_->append(std::move(record));
}

void RecordingCanvas::drawFigure(const QRect& target, std::shared_ptr<const VectorFigure> figure) {
    page_->append(FigureRecord{target, std::move(figure)});
}
