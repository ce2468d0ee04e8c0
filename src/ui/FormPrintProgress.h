#pragma once
// The progress window of printing and of the PDF output: pages done of pages, a smooth bar in
// a lowered panel like the layout's progress window, and a cancel button. Cancelling stops
// the whole output; nothing of it is printed or written.

#include <QDialog>

#include "pages/PrintProgress.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class TFormPrintProgress : public QDialog, public PrintProgress {
    Q_OBJECT
public:
    // centreOn: the window to centre on; caption: the window's title.
    TFormPrintProgress(QWidget* centreOn, const QString& caption);

    void start(int pageCount) override;
    bool step(int pagesDone) override;
    void finish() override;

    bool cancelled() const { return cancelled_; }

    QFrame* Panel1;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* ButtonCancel;

public slots:
    // Escape and the cancel button ask to stop; the window stays until the output has ended.
    void reject() override;

private:
    void showCount(int pagesDone);

    QWidget* centreOn_;
    int shownValue_ = 0;
    bool cancelled_ = false;
};
