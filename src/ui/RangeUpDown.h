#pragma once
// A pair of small arrows bound to an edit box that holds a whole number within a range: each
// click reads the box (text that is not a number counts as the minimum), steps by one within
// the range and writes the number back. The box may be read-only: the arrows still work.

#include "ui/ArrowPair.h"

class RangeUpDown : public ArrowPair {
    Q_OBJECT
public:
    RangeUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    // Steps up (direction > 0) or down and writes the new number into the buddy.
    void step(int direction) override;

private:
    int minimum_;
    int maximum_;
};
