#include "ui/FormPreView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormPreView::TFormPreView(QWidget* parent) : QDialog(parent), summary_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("プレビュー"));
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(480, 160);
}

void TFormPreView::showEvent(QShowEvent* event) {
    const qsizetype count = Lines ? Lines->size() : 0;
    summary_->setText(QStringLiteral("%1\n%2 行").arg(FileName).arg(count));
    QDialog::showEvent(event);
}
