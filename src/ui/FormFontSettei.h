#pragma once
// The font settings dialog: one chooser each for Font1 (titles), Font2 (data and case names)
// and Font3 (numeric body). "戻る" stores the three faces and sizes into OutputSettings;
// "キャンセル" and the close box store nothing.

#include <QDialog>

#include "ui/FontChooser.h"

class QPushButton;

class TFormFontSettei : public QDialog {
    Q_OBJECT
public:
    explicit TFormFontSettei(QWidget* parent = nullptr);

    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // Index 0, 1, 2 of FontName and FontSize.
    FontChooser FontDialog1;
    FontChooser FontDialog2;
    FontChooser FontDialog3;

    // True once the fonts have been written into OutputSettings.
    bool FontsStored = false;

    // The chooser of index 0, 1 or 2.
    FontChooser& chooser(int index);

public slots:
    void BitBtn1Click(); // all three font buttons; tells them apart by the sender
    void BitBtnOKClick();
    void BitBtnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void FormClose(int result);
};
