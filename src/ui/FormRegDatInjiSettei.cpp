#include "ui/FormRegDatInjiSettei.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "document/OutputSettings.h"
#include "help/HelpFolder.h"
#include "help/HelpTopics.h"
#include "help/ShowHelpTopic.h"
#include "platform/TextToNumber.h"
#include "ui/HelpKey.h"
#include "ui/RangeUpDown.h"
#include "ui/WindowCentring.h"

static void initSettingsResources() {
    Q_INIT_RESOURCE(preview);
}

namespace {

// Panel coordinates of every row.
constexpr int RowLeft = 48;
constexpr int RowWidth = 473;
constexpr int RowHeight = 30;
constexpr int LabelRight = 181;
constexpr int FirstChoiceX = 208;
constexpr int SecondChoiceX = 328;
constexpr int NoteX = 272;

QFont pixelFont(int pixels) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixels);
    return font;
}

// A bordered row panel at the given top of the tab sheet.
QFrame* rowPanel(QWidget* sheet, int top) {
    auto* panel = new QFrame(sheet);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(RowLeft, top, RowWidth, RowHeight);
    return panel;
}

// A row label that ends at the row's label edge (the texts keep their leading blanks).
QLabel* rowLabel(QWidget* panel, const QString& text, int right = LabelRight) {
    auto* label = new QLabel(text, panel);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(2, 0, right - 2, RowHeight);
    return label;
}

QLabel* note(QWidget* parent, const QString& text, int x, int y, const QColor& colour = {}) {
    auto* label = new QLabel(text, parent);
    label->setFont(pixelFont(11));
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
}

// The two radio buttons of a flag row, one group.
std::pair<QRadioButton*, QRadioButton*> choicePair(QWidget* panel) {
    auto* yes = new QRadioButton(QStringLiteral("出力する"), panel);
    auto* no = new QRadioButton(QStringLiteral("出力しない"), panel);
    yes->setGeometry(FirstChoiceX, 6, SecondChoiceX - FirstChoiceX - 8, 18);
    no->setGeometry(SecondChoiceX, 6, RowWidth - SecondChoiceX - 8, 18);
    auto* group = new QButtonGroup(panel);
    group->addButton(yes);
    group->addButton(no);
    return {yes, no};
}

QLineEdit* rowEdit(QWidget* panel, int width = 50) {
    auto* edit = new QLineEdit(panel);
    edit->setGeometry(FirstChoiceX, 5, width, 20);
    return edit;
}

QPushButton* topButton(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormRegDatInjiSettei::TFormRegDatInjiSettei(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    initSettingsResources();
    createControls();
}

void TFormRegDatInjiSettei::createControls() {
    setWindowTitle(QStringLiteral("印字出力設定"));
    setFont(pixelFont(12));
    setFixedSize(657, 821);

    createButtons();
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(40, 72, 577, 713);
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet2, QStringLiteral("印字設定(マージン他)"));
    createFlagRows(TabSheet2);
    createEditRows(TabSheet2);
    createPenRow(TabSheet2);
    createNotes(TabSheet2);
    connectControls();
}

void TFormRegDatInjiSettei::createButtons() {
    BitBtnPreView = topButton(this, {160, 24, 89, 25}, QStringLiteral("印刷プレビュー"));
    BitBtnCancel = topButton(this, {312, 24, 80, 25}, QStringLiteral("キャンセル"));
    BitBtnHelp = topButton(this, {448, 24, 80, 25}, QStringLiteral("ヘルプ"));
    BitBtnHelp->setIcon(QIcon(QStringLiteral(":/preview/help.svg")));
    BitBtnHelp->setIconSize(QSize(16, 16));
}

// The four output flags, each a row with its pair of radio buttons.
void TFormRegDatInjiSettei::createFlagRows(QWidget* sheet) {
    struct FlagRow {
        int top;
        const char16_t* label;
        QRadioButton** yes;
        QRadioButton** no;
    };
    const FlagRow flagRows[] = {
        {18, u"点線枠（印字可能域）の出力　：", &RadioButton13, &RadioButton14},
        {48, u"外枠の出力　：", &RadioButton5, &RadioButton6},
        {78, u"ページ番号の出力　：", &RadioButton1, &RadioButton2},
        {138, u"出力表の側線の出力　：", &RadioButton15, &RadioButton16},
    };
    for (const FlagRow& row : flagRows) {
        QFrame* panel = rowPanel(sheet, row.top);
        rowLabel(panel, QString::fromUtf16(row.label));
        std::tie(*row.yes, *row.no) = choicePair(panel);
    }
}

// The first page number and the six margins, each a row with its edit box and a note.
void TFormRegDatInjiSettei::createEditRows(QWidget* sheet) {
    struct EditRow {
        int top;
        const char16_t* label;
        const char16_t* note;
        QLineEdit** edit;
    };
    const EditRow editRows[] = {
        {188, u"ページ番号初期値　：", u"(-1のとき数値抜きで枠のみ出力)", &Edit1},
        {234, u"   ページ上端のマージン(mm)　：", u"(外枠から本文まで)", &Edit2},
        {264, u"  ページ左端のマージン(mm)　：", u"(外枠から本文まで)", &Edit3},
        {306, u"  外枠上端のマージン(mm)　：", u"(紙端から外枠まで)", &Edit4},
        {336, u"  外枠下端のマージン(mm)　：", u"(紙端から外枠まで)", &Edit5},
        {366, u"  外枠左端のマージン(mm)　：", u"(紙端から外枠まで)", &Edit6},
        {396, u"  外枠右端のマージン(mm)　：", u"(紙端から外枠まで)", &Edit7},
    };
    for (const EditRow& row : editRows) {
        QFrame* panel = rowPanel(sheet, row.top);
        rowLabel(panel, QString::fromUtf16(row.label));
        *row.edit = rowEdit(panel);
        QLabel* small = note(panel, QString::fromUtf16(row.note), NoteX, 0);
        small->setFixedHeight(RowHeight);
        small->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
}

// Frame pen width and colour share one row.
void TFormRegDatInjiSettei::createPenRow(QWidget* sheet) {
    QFrame* penRow = rowPanel(sheet, 426);
    rowLabel(penRow, QStringLiteral("  外枠の太さ　："));
    EditSen = rowEdit(penRow, 33);
    EditSen->setReadOnly(true);
    EditSen->setMaxLength(8);
    UpDown4 = new RangeUpDown(EditSen, 1, 30, penRow);
    UpDown4->setGeometry(FirstChoiceX + 33, 5, 15, 20);
    auto* colourLabel = new QLabel(QStringLiteral("  外枠の色 ："), penRow);
    colourLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    colourLabel->setGeometry(FirstChoiceX + 50, 0, 358 - FirstChoiceX - 50, RowHeight);
    PanelSotoIro = new QFrame(penRow);
    PanelSotoIro->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelSotoIro->setGeometry(360, 10, 65, 11);
    PanelSotoIro->setAutoFillBackground(true);
    PanelSotoIro->setCursor(Qt::PointingHandCursor);
    PanelSotoIro->installEventFilter(this);
    setSwatchColour(Qt::black);
}

// The blue notes below the rows.
void TFormRegDatInjiSettei::createNotes(QWidget* sheet) {
    const QColor blue(0, 0, 255);
    note(sheet,
         QStringLiteral(
             "注）一覧表の印字内容、間隔はメインの一覧表表示の変更がそのまま反映されます。"),
         64, 592, blue);
    note(sheet,
         QStringLiteral("印字内容、間隔、項目数に応じて用紙を横にする、フォントサイズを小さくするな"
                        "どしてください。"),
         82, 608, blue);
    note(
        sheet,
        QStringLiteral(
            "注）プレビュー内の点線の枠線は印刷可能領域（プリンタによる）を示し、印字されません。"),
        64, 632, blue);
    note(sheet,
         QStringLiteral(
             "本文の下端がこれからはみ出る場合は「外枠下端のマージン」を大きくしてください。"),
         82, 648, blue);
}

void TFormRegDatInjiSettei::connectControls() {
    connect(BitBtnPreView, &QPushButton::clicked, this, &TFormRegDatInjiSettei::BitBtnPreViewClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormRegDatInjiSettei::BitBtnCancelClick);
    connect(BitBtnHelp, &QPushButton::clicked, this, &TFormRegDatInjiSettei::BitBtnHelpClick);
    BindHelpKey(*this, *BitBtnHelp);
}

std::array<QLineEdit*, 7> TFormRegDatInjiSettei::edits() const {
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7};
}

QColor TFormRegDatInjiSettei::colourFromSetting(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

std::uint32_t TFormRegDatInjiSettei::settingFromColour(const QColor& colour) {
    return std::uint32_t(colour.red()) | std::uint32_t(colour.green()) << 8 |
           std::uint32_t(colour.blue()) << 16;
}

QColor TFormRegDatInjiSettei::swatchColour() const {
    return PanelSotoIro->palette().color(QPalette::Window);
}

void TFormRegDatInjiSettei::setSwatchColour(const QColor& colour) {
    QPalette palette = PanelSotoIro->palette();
    palette.setColor(QPalette::Window, colour);
    PanelSotoIro->setPalette(palette);
}

void TFormRegDatInjiSettei::showEvent(QShowEvent* event) {
    CentreOnMainWindow(this);
    QDialog::showEvent(event);
    FormShow();
}

void TFormRegDatInjiSettei::FormShow() {
    const TOutputSettings& s = OutputSettings;
    const std::pair<std::int32_t, std::pair<QRadioButton*, QRadioButton*>> flags[] = {
        {s.ShowPrintableArea, {RadioButton13, RadioButton14}},
        {s.DrawOuterFrame, {RadioButton5, RadioButton6}},
        {s.DrawPageNumber, {RadioButton1, RadioButton2}},
        {s.DrawTableSideLines, {RadioButton15, RadioButton16}},
    };
    for (const auto& [value, buttons] : flags)
        (value == 1 ? buttons.first : buttons.second)->setChecked(true);
    setSwatchColour(colourFromSetting(s.FrameColor));
    const std::int32_t values[] = {s.PageNumberStart,   s.BodyTopMarginMm,     s.BodyLeftMarginMm,
                                   s.FrameTopMarginMm,  s.FrameBottomMarginMm, s.FrameLeftMarginMm,
                                   s.FrameRightMarginMm};
    const auto boxes = edits();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(QString::number(values[i]));
    EditSen->setText(s.FrameLineWidthText.text());
}

void TFormRegDatInjiSettei::BitBtnPreViewClick() {
    TOutputSettings& s = OutputSettings;
    s.FrameColor = settingFromColour(swatchColour());
    s.ShowPrintableArea = RadioButton13->isChecked() ? 1 : 0;
    s.DrawOuterFrame = RadioButton5->isChecked() ? 1 : 0;
    s.DrawPageNumber = RadioButton1->isChecked() ? 1 : 0;
    s.DrawTableSideLines = RadioButton15->isChecked() ? 1 : 0;
    std::int32_t* fields[] = {&s.PageNumberStart,   &s.BodyTopMarginMm,     &s.BodyLeftMarginMm,
                              &s.FrameTopMarginMm,  &s.FrameBottomMarginMm, &s.FrameLeftMarginMm,
                              &s.FrameRightMarginMm};
    const auto boxes = edits();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        *fields[i] = text_to_number::intOr(boxes[i]->text(), FixedValues[i]);
    s.FrameLineWidthText = EditSen->text();
    done(ModalResultYes);
}

void TFormRegDatInjiSettei::BitBtnCancelClick() {
    reject();
}

void TFormRegDatInjiSettei::BitBtnHelpClick() {
    ShowHelpTopic(help_numbers::OutputSettings, HelpFolder, ToolHelpFileKind);
}

void TFormRegDatInjiSettei::PanelSotoIroClick() {
    QColorDialog dialog(swatchColour(), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted)
        setSwatchColour(dialog.selectedColor());
}

bool TFormRegDatInjiSettei::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelSotoIro && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        PanelSotoIroClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
