#pragma once
// The output settings dialog: printable-area outline, outer frame, page numbers, table side
// lines, first page number, body and frame margins, frame pen width and colour. Its preview
// button stores everything into OutputSettings and closes with ModalResultYes; cancel and the
// close box store nothing. No input is refused: text that is not a whole number is stored as
// the fixed value of its row.

#include <QColor>
#include <QDialog>
#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class RangeUpDown;

class TFormRegDatInjiSettei : public QDialog {
    Q_OBJECT
public:
    // The modal result of the preview button (settings stored).
    static constexpr int ModalResultYes = 6;
    // What Edit1 .. Edit7 store when their text is not a whole 32-bit integer.
    static constexpr std::array<std::int32_t, 7> FixedValues = {1, 5, 10, 20, 20, 15, 10};

    explicit TFormRegDatInjiSettei(QWidget* parent = nullptr);

    QPushButton* BitBtnPreView = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QPushButton* BitBtnHelp = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QRadioButton* RadioButton13 = nullptr; // printable-area outline: 出力する
    QRadioButton* RadioButton14 = nullptr; //                         出力しない
    QRadioButton* RadioButton5 = nullptr;  // outer frame
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton1 = nullptr; // page number
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton15 = nullptr; // table side lines
    QRadioButton* RadioButton16 = nullptr;
    QLineEdit* Edit1 = nullptr;   // first page number
    QLineEdit* Edit2 = nullptr;   // body top margin
    QLineEdit* Edit3 = nullptr;   // body left margin
    QLineEdit* Edit4 = nullptr;   // frame top margin
    QLineEdit* Edit5 = nullptr;   // frame bottom margin
    QLineEdit* Edit6 = nullptr;   // frame left margin
    QLineEdit* Edit7 = nullptr;   // frame right margin
    QLineEdit* EditSen = nullptr; // frame pen width, changed only by its arrows
    RangeUpDown* UpDown4 = nullptr;
    QFrame* PanelSotoIro = nullptr; // frame colour swatch; a click opens the colour dialog

    // The colour the swatch shows.
    QColor swatchColour() const;

    // Conversions between the settings' 0x00BBGGRR value and a colour.
    static QColor colourFromSetting(std::uint32_t value);
    static std::uint32_t settingFromColour(const QColor& colour);

public slots:
    void BitBtnPreViewClick();
    void BitBtnCancelClick();
    void BitBtnHelpClick();
    void PanelSotoIroClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createButtons();
    void createFlagRows(QWidget* sheet);
    void createEditRows(QWidget* sheet);
    void createPenRow(QWidget* sheet);
    void createNotes(QWidget* sheet);
    void connectControls();
    void FormShow();
    void setSwatchColour(const QColor& colour);
    std::array<QLineEdit*, 7> edits() const;
};
