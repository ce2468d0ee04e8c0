#include "ui/MessageBoxes.h"

#include <QCoreApplication>
#include <QMessageBox>

void ShowWarning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("警告"), text, QMessageBox::Ok);
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    // No application title is set, so this is the program file's name.
    QMessageBox::critical(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}
