#pragma once
// The about box: the tool's icon, name and version, and a button that closes it.

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutFolioscope : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFolioscope(QWidget* parent = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;
};
