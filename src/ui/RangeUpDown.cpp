#include "ui/RangeUpDown.h"

#include <QLineEdit>
#include <algorithm>

#include "platform/TextToNumber.h"

RangeUpDown::RangeUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : ArrowPair(buddy, parent), minimum_(minimum), maximum_(maximum) {}

void RangeUpDown::step(int direction) {
    const int current =
        std::clamp(text_to_number::intOr(buddy()->text(), minimum_), minimum_, maximum_);
    const int next = std::clamp(current + (direction > 0 ? 1 : -1), minimum_, maximum_);
    buddy()->setText(QString::number(next));
}
