#pragma once
// The preview window. For now it shows which file it was given and how many lines it has.

#include <QByteArrayList>
#include <QDialog>
#include <QString>

class QLabel;

class TFormPreView : public QDialog {
    Q_OBJECT
public:
    explicit TFormPreView(QWidget* parent = nullptr);

    int DataKind = 1; // -1: lines read from a text file opened in the main window
    QString FileName;
    const QByteArrayList* Lines = nullptr; // owned by the opener, never changed here

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* summary_;
};
