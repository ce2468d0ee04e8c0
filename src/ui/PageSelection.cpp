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

// A see-through layer over the single page's picture that draws the selected rectangle.
class SelectionLayer : public QWidget {
public:
    SelectionLayer(PageImageView* image, const PageSelection& selection)
        : QWidget(image), image_(image), selection_(selection) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (const PageImage* picture = image_->picture()) {
            QPainter painter(this);
            selection_.paintOn(painter, picture->page(), picture->pageTransform());
        }
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

void PageSelection::watch(QWidget* surface, PageAt pageAt) {
    surface_ = surface;
    surfacePageAt_ = std::move(pageAt);
    surface->installEventFilter(this);
}

const PageRecording* PageSelection::shownPage() const {
    return image_->picture() ? &image_->picture()->page() : nullptr;
}

bool PageSelection::hasSelection() const {
    return page_ && (anyPage_ || page_ == shownPage()) && document_ == store_.DocumentNumber() &&
           !dots_.isEmpty();
}

void PageSelection::changed() {
    layer_->update();
    if (surface_)
        surface_->update();
}

void PageSelection::clear() {
    page_ = nullptr;
    dots_ = QRect();
    changed();
}

void PageSelection::selectAll() {
    page_ = shownPage();
    document_ = store_.DocumentNumber();
    // Every record lies within the paper; a wide margin also takes text that runs past it.
    dots_ = page_ ? QRect(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21) : QRect();
    changed();
}

std::optional<PageSelection::PageUnder> PageSelection::pageAt(QObject* surface, QPoint at) const {
    if (surface == surface_)
        return surfacePageAt_(at);
    if (const PageImage* picture = image_->picture())
        return PageUnder{&picture->page(), picture->pageTransform()};
    return std::nullopt;
}

void PageSelection::selectBetween(const PageUnder& under, QPoint from, QPoint to) {
    page_ = under.page;
    document_ = store_.DocumentNumber();
    dots_ = under.toSurface.inverted().mapRect(QRectF(QRectF(from, to).normalized())).toRect();
    changed();
}

QString PageSelection::text() const {
    return hasSelection() ? page_text_copy::textIn(*page_, dots_) : QString();
}

void PageSelection::copy() const {
    if (hasSelection())
        QApplication::clipboard()->setText(text());
}

void PageSelection::paintOn(QPainter& painter, const PageRecording& page,
                            const QTransform& toSurface) const {
    if (!hasSelection() || page_ != &page)
        return;
    const QRect box = toSurface.mapRect(QRectF(dots_)).toRect();
    const QPalette palette = QApplication::palette();
    QColor fill = palette.color(QPalette::Highlight);
    fill.setAlpha(60);
    painter.fillRect(box, fill);
    painter.setPen(palette.color(QPalette::Highlight));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

bool PageSelection::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == image_)
            layer_->resize(image_->size());
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        pressedAt_ = mouse->position().toPoint();
        pressedOn_ = pageAt(watched, pressedAt_);
        clear(); // a click without dragging lets the rectangle go
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!pressedOn_ || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint at = mouse->position().toPoint();
        if ((at - pressedAt_).manhattanLength() >= QApplication::startDragDistance())
            selectBetween(*pressedOn_, pressedAt_, at);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            pressedOn_.reset();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
