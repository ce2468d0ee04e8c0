#pragma once
// A pair of small arrows bound to the zoom box: each click reads the number in the box, steps
// it by the increment within the range, writes it back and reports the click.

#include "ui/ArrowPair.h"

class UpDownButtons : public ArrowPair {
    Q_OBJECT
public:
    explicit UpDownButtons(QLineEdit* buddy, QWidget* parent = nullptr);

    // Steps up (direction > 0) or down, writes the new number into the buddy and emits clicked.
    void step(int direction) override;

signals:
    void clicked(int direction);
};
