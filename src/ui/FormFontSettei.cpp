#include "ui/FormFontSettei.h"

#include <QPushButton>

#include "document/OutputSettings.h"
#include "ui/WindowCentring.h"

namespace {

QPushButton* button(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFormFontSettei::TFormFontSettei(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("フォント設定"));
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setFixedSize(453, 301);

    BitBtnOK = button(this, {96, 24, 75, 25}, QStringLiteral("戻る"));
    BitBtnCancel = button(this, {224, 24, 75, 25}, QStringLiteral("キャンセル"));
    BitBtn1 = button(this, {88, 112, 249, 25}, QStringLiteral("表題のフォント（Font1）"));
    BitBtn2 =
        button(this, {88, 152, 249, 25}, QStringLiteral("データ名、ケース名のフォント（Font2）"));
    BitBtn3 =
        button(this, {88, 192, 249, 25}, QStringLiteral("本文（数値データ）のフォント（Font3）"));

    connect(BitBtnOK, &QPushButton::clicked, this, &TFormFontSettei::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormFontSettei::BitBtnCancelClick);
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3})
        connect(b, &QPushButton::clicked, this, &TFormFontSettei::BitBtn1Click);
}

FontChooser& TFormFontSettei::chooser(int index) {
    return index == 0 ? FontDialog1 : index == 1 ? FontDialog2 : FontDialog3;
}

void TFormFontSettei::showEvent(QShowEvent* event) {
    CentreOnMainWindow(this);
    QDialog::showEvent(event);
    FormShow();
}

void TFormFontSettei::FormShow() {
    FontsStored = false;
    for (int i = 0; i < 3; ++i) {
        QFont& font = chooser(i).Font;
        font.setFamily(OutputSettings.FontName[i].text());
        if (OutputSettings.FontSize[i] > 0)
            font.setPointSize(OutputSettings.FontSize[i]);
    }
}

void TFormFontSettei::BitBtn1Click() {
    const QObject* source = sender();
    const int index = source == BitBtn1 ? 0 : source == BitBtn2 ? 1 : source == BitBtn3 ? 2 : -1;
    if (index >= 0)
        chooser(index).Execute(this);
}

void TFormFontSettei::BitBtnOKClick() {
    accept();
}

void TFormFontSettei::BitBtnCancelClick() {
    reject();
}

void TFormFontSettei::done(int result) {
    FormClose(result);
    QDialog::done(result);
}

void TFormFontSettei::FormClose(int result) {
    // Cancel, the close box and Esc store nothing.
    if (result != QDialog::Accepted)
        return;
    for (int i = 0; i < 3; ++i) {
        const QFont& font = chooser(i).Font;
        // Cut to 30 bytes of code page 932, never in the middle of a character.
        OutputSettings.FontName[i] = font.family();
        OutputSettings.FontSize[i] = font.pointSize();
    }
    FontsStored = true;
}
