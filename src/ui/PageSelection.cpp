#include "ui/PageSelection.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "pages/PageTextCopy.h"
#include "pages/PrintPreview.h"
#include "ui/PageImageView.h"

namespace {

// A see-through layer over the picture that draws the selected rectangle.
class SelectionLayer : public QWidget {
public:
    SelectionLayer(PageImageView* image, const PageSelection& selection)
        : QWidget(image), image_(image), selection_(selection) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!selection_.hasSelection() || !image_->picture())
            return;
        const QRect box =
            image_->picture()->pageTransform().mapRect(QRectF(selection_.dots())).toRect();
        QPainter painter(this);
        QColor fill = palette().color(QPalette::Highlight);
        fill.setAlpha(60);
        painter.fillRect(box, fill);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }

private:
    PageImageView* image_;
    const PageSelection& selection_;
};

} // namespace

PageSelection::PageSelection(PageImageView* image, const TPrintPreview& store)
    : QObject(image), image_(image), store_(store), layer_(new SelectionLayer(image, *this)) {
    layer_->resize(image->size());
    image->installEventFilter(this);
}

const PageRecording* PageSelection::shownPage() const {
    return image_->picture() ? &image_->picture()->page() : nullptr;
}

bool PageSelection::hasSelection() const {
    return page_ && page_ == shownPage() && document_ == store_.DocumentNumber() &&
           !dots_.isEmpty();
}

void PageSelection::clear() {
    page_ = nullptr;
    dots_ = QRect();
    layer_->update();
}

void PageSelection::selectAll() {
    page_ = shownPage();
    document_ = store_.DocumentNumber();
    // Every record lies within the paper; a wide margin also takes text that runs past it.
    dots_ = page_ ? QRect(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21) : QRect();
    layer_->update();
}

void PageSelection::selectBetween(QPoint from, QPoint to) {
    const PageImage* picture = image_->picture();
    if (!picture)
        return;
    const QTransform toDots = picture->pageTransform().inverted();
    page_ = &picture->page();
    document_ = store_.DocumentNumber();
    dots_ = toDots.mapRect(QRectF(QRectF(from, to).normalized())).toRect();
    layer_->update();
}

QString PageSelection::text() const {
    return hasSelection() ? page_text_copy::textIn(*page_, dots_) : QString();
}

void PageSelection::copy() const {
    if (hasSelection())
        QApplication::clipboard()->setText(text());
}

bool PageSelection::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        layer_->resize(image_->size());
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        pressedAt_ = mouse->position().toPoint();
        dragging_ = true;
        clear(); // a click without dragging lets the rectangle go
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragging_ || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint at = mouse->position().toPoint();
        if ((at - pressedAt_).manhattanLength() >= QApplication::startDragDistance())
            selectBetween(pressedAt_, at);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            dragging_ = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
