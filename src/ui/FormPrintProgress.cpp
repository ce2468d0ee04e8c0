#include "ui/FormPrintProgress.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFormPrintProgress::TFormPrintProgress(QWidget* centreOn, const QString& caption)
    : QDialog(centreOn, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::MSWindowsFixedSizeDialogHint),
      centreOn_(centreOn) {
    setObjectName("FormPrintProgress");
    setWindowTitle(caption);
    // Only the cancel button takes input while pages are sent.
    setWindowModality(Qt::ApplicationModal);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1 = new QLabel(Panel1);
    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setTextVisible(false);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->addWidget(Label1);
    panelLayout->addWidget(ProgressBar1);

    ButtonCancel = new QPushButton(QStringLiteral("中止"), this);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormPrintProgress::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Panel1);
    layout->addWidget(ButtonCancel, 0, Qt::AlignRight);
    setFixedSize(320, 104);
}

void TFormPrintProgress::start(int pageCount) {
    cancelled_ = false;
    ProgressBar1->setRange(0, pageCount);
    showCount(0);
    shownValue_ = 0;
    show();
    const QRect area = centreOn_  ? centreOn_->frameGeometry()
                       : screen() ? screen()->availableGeometry()
                                  : QRect();
    if (area.isValid())
        move(area.center() - frameGeometry().center() + pos());
    QApplication::processEvents();
}

bool TFormPrintProgress::step(int pagesDone) {
    // Repaint, and look at the cancel button, when the bar moves by a visible amount.
    const int total = ProgressBar1->maximum();
    if (total <= 0 || qint64(pagesDone - shownValue_) * 200 >= total || pagesDone == total) {
        shownValue_ = pagesDone;
        showCount(pagesDone);
        QApplication::processEvents();
    }
    return !cancelled_;
}

void TFormPrintProgress::finish() {
    hide();
}

void TFormPrintProgress::reject() {
    cancelled_ = true;
    ButtonCancel->setEnabled(false);
}

void TFormPrintProgress::showCount(int pagesDone) {
    ProgressBar1->setValue(pagesDone);
    Label1->setText(QStringLiteral("%1 / %2 ページ").arg(pagesDone).arg(ProgressBar1->maximum()));
}
