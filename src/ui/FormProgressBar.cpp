#include "ui/FormProgressBar.h"

#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TFormProgressBar::TFormProgressBar(QWidget* centreOn)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      centreOn_(centreOn) {
    setObjectName("FormProgressBar");
    setWindowTitle(QStringLiteral("データ処理中..."));
    setModal(false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setTextVisible(false); // a plain smooth bar, no percentage text

    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->addWidget(ProgressBar1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Panel1);
    setFixedSize(320, 56);
}

void TFormProgressBar::start(int lineCount) {
    ProgressBar1->setRange(0, lineCount);
    ProgressBar1->setValue(0);
    shownValue_ = 0;
    show();
    centre(); // once shown, so that the window frame counts

    // The layout blocks the event loop; let the window appear before it starts.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormProgressBar::step() {
    const int value = ProgressBar1->value() + 1;
    ProgressBar1->setValue(value);
    // Repaint only when the bar moves by a visible amount (about 1/200 of its length).
    const int total = ProgressBar1->maximum();
    if (total <= 0 || qint64(value - shownValue_) * 200 >= total) {
        shownValue_ = value;
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TFormProgressBar::finish() {
    close();
}

void TFormProgressBar::centre() {
    const QRect area = centreOn_  ? centreOn_->frameGeometry()
                       : screen() ? screen()->availableGeometry()
                                  : QRect();
    if (area.isValid())
        move(area.center() - frameGeometry().center() + pos());
}
