#include "app/AboutFolioscope.h"

#include <QLabel>
#include <QPushButton>

#include "app/AppIcons.h"

namespace {

QLabel* blackLabel(const QString& text, int pixelHeight, bool bold, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: black"));
    return label;
}

} // namespace

TAboutFolioscope::TAboutFolioscope(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ProgramIcon(new QLabel(this)),
      ProductName(blackLabel(QStringLiteral("Folioscope"), 15, true, this)),
      Version(blackLabel(QStringLiteral("Ver.1.01.06"), 13, false, this)),
      OKButton(new QPushButton(QStringLiteral("戻る"), this)) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(360, 219);

    ProgramIcon->setPixmap(app_icons::tool().pixmap(QSize(32, 32)));
    ProgramIcon->setGeometry(40, 40, 32, 32);
    ProductName->setGeometry(100, 40, 220, 20);
    Version->setGeometry(100, 72, 220, 18);
    OKButton->setGeometry(142, 160, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}
