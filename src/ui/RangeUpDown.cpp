#include "ui/RangeUpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "platform/TextToNumber.h"

RangeUpDown::RangeUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum),
      up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(7, 4));
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void RangeUpDown::step(int direction) {
    const int current =
        std::clamp(text_to_number::intOr(buddy_->text(), minimum_), minimum_, maximum_);
    const int next = std::clamp(current + (direction > 0 ? 1 : -1), minimum_, maximum_);
    buddy_->setText(QString::number(next));
}

void RangeUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
