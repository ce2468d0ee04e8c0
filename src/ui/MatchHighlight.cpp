#include "ui/MatchHighlight.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include "ui/PageImageView.h"

MatchHighlight::MatchHighlight(PageImageView* image, Provider provider)
    : QWidget(image), image_(image), provider_(std::move(provider)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    resize(image->size());
    image->installEventFilter(this);
    show();
}

bool MatchHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (watched == image_ && event->type() == QEvent::Resize)
        resize(image_->size());
    return QWidget::eventFilter(watched, event);
}

void MatchHighlight::paintEvent(QPaintEvent* event) {
    const PageImage* picture = image_->picture();
    if (!picture || !provider_)
        return;
    const MatchMarks marks = provider_(picture->page());
    if (marks.others.isEmpty() && marks.current.isEmpty())
        return;
    const QTransform toPicture = picture->pageTransform();
    QPainter painter(this);
    painter.setClipRect(event->rect());
    // Multiplied over the page, so the text under a mark stays readable.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    const auto mark = [&](const QList<QRect>& boxes, const QColor& colour) {
        for (const QRect& box : boxes) {
            const QRect r = toPicture.mapRect(QRectF(box)).toAlignedRect();
            painter.fillRect(r.adjusted(-1, -1, 1, 1), colour);
        }
    };
    mark(marks.others, QColor(255, 235, 59));
    mark(marks.current, QColor(255, 152, 0));
}
