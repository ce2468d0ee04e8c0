#include "ui/ContinuousPages.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

ContinuousPages::ContinuousPages(PictureOf pictureOf, QWidget* parent)
    : QWidget(parent), pictureOf_(std::move(pictureOf)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Button);
}

void ContinuousPages::setPages(int pageCount, QSize pictureSize) {
    count_ = std::max(0, pageCount);
    picture_ = pictureSize;
    // A widget cannot be taller than QWIDGETSIZE_MAX; pages beyond it are not reachable.
    const qint64 height = Margin + qint64(count_) * pitch();
    resize(picture_.width() + 2 * Margin, int(std::min<qint64>(height, QWIDGETSIZE_MAX)));
    update();
}

int ContinuousPages::topOf(int page) const {
    return Margin + (std::clamp(page, 1, std::max(count_, 1)) - 1) * pitch();
}

int ContinuousPages::pageAt(int y) const {
    if (count_ < 1 || pitch() < 1)
        return std::min(count_, 1);
    return std::clamp(y / pitch() + 1, 1, count_);
}

void ContinuousPages::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().brush(backgroundRole()));
    if (count_ < 1 || picture_.isEmpty())
        return;
    const int first = pageAt(exposed.top());
    const int last = pageAt(exposed.bottom());
    for (int page = first; page <= last; ++page) {
        const QPoint origin(Margin, topOf(page));
        const QRect inPicture =
            exposed.translated(-origin).intersected(QRect(QPoint(0, 0), picture_));
        if (inPicture.isEmpty())
            continue;
        const std::unique_ptr<PageImage> picture = pictureOf_(page - 1);
        if (!picture)
            continue;
        painter.save();
        painter.translate(origin);
        picture->paint(painter, inPicture);
        if (decoration_)
            decoration_(painter, *picture);
        painter.restore();
    }
}
