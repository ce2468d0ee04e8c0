#pragma once
// The small modeless window that shows how many lines a layout has done: a smooth bar in a
// lowered panel, no border icons, centred on the window that started the layout.

#include <QDialog>

#include "document/LayoutProgress.h"

class QFrame;
class QProgressBar;

class TFormProgressBar : public QDialog, public LayoutProgress {
    Q_OBJECT
public:
    // centreOn: the window to centre on (the main window); may be null.
    explicit TFormProgressBar(QWidget* centreOn = nullptr);

    void start(int lineCount) override;
    void step() override;
    void finish() override;

    QFrame* Panel1;
    QProgressBar* ProgressBar1;

private:
    void centre();

    QWidget* centreOn_;
    int shownValue_ = 0;
};
