#pragma once
// Two small auto-repeating arrow buttons stacked in one widget beside an edit box. What a click
// does to the box is the subclass's step().

#include <QWidget>

class QLineEdit;
class QToolButton;

class ArrowPair : public QWidget {
    Q_OBJECT
public:
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // Steps up (direction > 0) or down.
    virtual void step(int direction) = 0;

protected:
    ArrowPair(QLineEdit* buddy, QWidget* parent);
    QLineEdit* buddy() const { return buddy_; }
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
};
