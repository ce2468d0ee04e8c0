#pragma once
// A pair of small arrows bound to an edit box: each click reads the number in the box, steps
// it by the increment within the range, writes it back and reports the click.

#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    UpDownButtons(QLineEdit* buddy, QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // Steps up (direction > 0) or down, writes the new number into the buddy and emits clicked.
    void step(int direction);

signals:
    void clicked(int direction);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
};
