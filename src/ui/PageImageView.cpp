#include "ui/PageImageView.h"

#include <QPaintEvent>
#include <QPainter>

PageImageView::PageImageView(QWidget* parent) : QWidget(parent) {
    // Every exposed pixel is painted (background first), so Qt need not clear it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PageImageView::~PageImageView() = default;

void PageImageView::setPicture(std::unique_ptr<PageImage> picture) {
    picture_ = std::move(picture);
    resize(picture_ ? picture_->size() : QSize(0, 0));
    update();
}

void PageImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The corners beside the shadow are not part of the picture: they show the background.
    painter.fillRect(event->rect(), palette().brush(backgroundRole()));
    if (picture_)
        picture_->paint(painter, event->rect());
}
