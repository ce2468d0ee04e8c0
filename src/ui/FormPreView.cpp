#include "ui/FormPreView.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "document/LayoutEngine.h"
#include "document/OutputSettings.h"
#include "help/HelpFolder.h"
#include "help/HelpTopics.h"
#include "help/ShowHelpTopic.h"
#include "pages/ReadPrinterInfo.h"
#include "ui/FileChangeWatcher.h"
#include "ui/FileDropTarget.h"
#include "ui/FindBar.h"
#include "ui/FitKeeper.h"
#include "ui/FormFontSettei.h"
#include "ui/FormProgressBar.h"
#include "ui/FormRegDatInjiSettei.h"
#include "ui/NoteBar.h"
#include "ui/PageAreaKeys.h"
#include "ui/PageImage.h"
#include "ui/PageImageView.h"
#include "ui/PreviewActions.h"
#include "ui/PreviewFind.h"
#include "ui/PreviewPrinting.h"
#include "ui/PreviewReload.h"
#include "ui/PreviewSidePanel.h"
#include "ui/PreviewStatusLine.h"
#include "ui/PreviewZoom.h"
#include "ui/UpDownButtons.h"
#include "ui/ViewerHabits.h"
#include "ui/WindowCentring.h"

static void initPreviewResources() {
    Q_INIT_RESOURCE(preview);
}

namespace {

// One notch of the wheel scrolls by the scroll bar's line increment.
constexpr int WheelLinePixels = 8;
// Image1 sits this far from the scrolling area's top-left corner.
constexpr int ImageMargin = 8;

const char* const PageNoFormatText = "Page  %-4d ";

// Shows the hourglass while it lives, also when the work inside throws.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QPushButton* bitmapButton(QWidget* parent, const QRect& geometry, const char* icon,
                          const QString& text = {}, const QString& hint = {}) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    if (icon)
        button->setIcon(QIcon(QStringLiteral(":/preview/%1.svg").arg(QLatin1String(icon))));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    // Enter belongs to the edit boxes; no button is pressed by it.
    button->setAutoDefault(false);
    return button;
}

QGroupBox* groupBox(QWidget* parent, const QRect& geometry, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    return box;
}

} // namespace

TFormPreView::TFormPreView(QWidget* parent)
    : QDialog(parent), progress_(std::make_unique<TFormProgressBar>(this)),
      engine_(
          std::make_unique<LayoutEngine>(State, PrintPreview1, OutputSettings, progress_.get())) {
    initPreviewResources();
    createControls();
    createViewerAids();
    qApp->installEventFilter(this);
    printing_ = std::make_unique<PreviewPrinting>(
        this, PrintPreview1, State,
        PreviewPrinting::Dialogs{ExecPrinterSetupDialog, ExecPrintDialog, ChoosePdfFile},
        [this] { LayoutForPrinter(); }, [this] { return CurrentPage; });
    ExecPrinterSetupDialog = [](QPageSetupDialog& dialog) { return dialog.exec(); };
    ExecPrintDialog = [](QPrintDialog& dialog) { return dialog.exec(); };
    ChoosePdfFile = [](QWidget* parent, const QString& suggestedPath) {
        QFileDialog dialog(parent, QStringLiteral("PDF出力"), suggestedPath,
                           QStringLiteral("PDF (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

TFormPreView::~TFormPreView() {
    qApp->removeEventFilter(this);
    // The picture refers to a page of the store; let it go first.
    Image1->clear();
}

void TFormPreView::createControls() {
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    // Outer size 729 x 885 and at least 700 x 400, less a classic frame (4-pixel borders,
    // 23-pixel caption) for the client area.
    resize(729 - 8, 885 - 27);
    setMinimumSize(700 - 8, 400 - 27);
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(73);
    layout->addWidget(Panel1);
    createToolbar();
    createPageArea(layout);
    createPopupMenu();
    connectControls();
}

void TFormPreView::createToolbar() {
    BitBtnReturn = bitmapButton(Panel1, {15, 3, 81, 25}, "return", QStringLiteral("戻る"));
    BitBtnPrintOut =
        bitmapButton(Panel1, {105, 31, 81, 25}, nullptr, QStringLiteral("印字出力..."));
    BitBtnPdfOut = bitmapButton(Panel1, {15, 31, 81, 25}, nullptr, QStringLiteral("PDF出力..."),
                                QStringLiteral("全ページをPDFファイルに出力"));
    BitBtnSettei = bitmapButton(Panel1, {196, 31, 81, 25}, "settings", QStringLiteral("出力設定"),
                                QStringLiteral("印字データ/マージン設定"));

    GroupBox2 = groupBox(Panel1, {288, 12, 81, 49}, QStringLiteral("各種設定"));
    BitBtnPrintSetUp =
        bitmapButton(GroupBox2, {11, 16, 25, 25}, "printer", {}, QStringLiteral("プリンタ設定"));
    BitBtnFont =
        bitmapButton(GroupBox2, {46, 16, 25, 25}, "font", {}, QStringLiteral("フォント設定"));

    GroupBox1 = groupBox(Panel1, {376, 12, 177, 49}, QStringLiteral("表示ページ切替"));
    BitBtnTopPage =
        bitmapButton(GroupBox1, {8, 16, 25, 25}, "first", {}, QStringLiteral("最初のページ"));
    BitBtnPreviousPage =
        bitmapButton(GroupBox1, {31, 16, 25, 25}, "previous", {}, QStringLiteral("前ページ(F7)"));
    EditBoxPage = new QLineEdit(GroupBox1);
    EditBoxPage->setGeometry(60, 20, 27, 20);
    LabelTotalPage = new QLabel(GroupBox1);
    LabelTotalPage->setGeometry(88, 23, 28, 12);
    QFont bold = font();
    bold.setBold(true);
    LabelTotalPage->setFont(bold);
    BitBtnNextPage =
        bitmapButton(GroupBox1, {120, 16, 25, 25}, "next", {}, QStringLiteral("次ページ(F8)"));
    BitBtnBottomPage =
        bitmapButton(GroupBox1, {145, 16, 25, 25}, "last", {}, QStringLiteral("最後のページ"));

    GroupBox3 = groupBox(Panel1, {560, 12, 81, 49}, QStringLiteral("表示倍率%"));
    BitBtn1 =
        bitmapButton(GroupBox3, {5, 19, 19, 22}, "zoomreset", {}, QStringLiteral("倍率リセット"));
    BitBtn1->setIconSize(QSize(14, 14));
    EditBoxBairitu = new QLineEdit(QStringLiteral("100"), GroupBox3);
    EditBoxBairitu->setGeometry(26, 20, 33, 20);
    UpDownBairitu = new UpDownButtons(EditBoxBairitu, GroupBox3);
    UpDownBairitu->setGeometry(59, 20, 15, 20);

    BitBtnHelp = bitmapButton(Panel1, {651, 26, 41, 25}, "help");
}

void TFormPreView::createPageArea(QVBoxLayout* layout) {
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFocusPolicy(Qt::NoFocus); // it takes no keys: they are the window's
    ScrollBox1->setBackgroundRole(QPalette::Button);
    ScrollBox1->setWidgetResizable(false);
    pageArea_ = new QWidget;
    pageArea_->setBackgroundRole(QPalette::Button);
    pageArea_->setAutoFillBackground(true);
    Image1 = new PageImageView(pageArea_);
    Image1->setBackgroundRole(QPalette::Button);
    Image1->move(ImageMargin, ImageMargin);
    pageArea_->resize(ImageMargin, ImageMargin);
    ScrollBox1->setWidget(pageArea_);
    // The scroll bars' line increment, also the distance of one wheel notch.
    ScrollBox1->verticalScrollBar()->setSingleStep(WheelLinePixels);
    ScrollBox1->horizontalScrollBar()->setSingleStep(WheelLinePixels);
    layout->addWidget(ScrollBox1, 1);
    StatusLine = new PreviewStatusLine(this);
    layout->addWidget(StatusLine);
}

void TFormPreView::createPopupMenu() {
    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(QStringLiteral("表示倍率リセット"));
    PopupMenu1->addSeparator();
    N2 = PopupMenu1->addAction(QStringLiteral("最初のページへ"));
    N3 = PopupMenu1->addAction(QStringLiteral("最後のページへ"));
    for (QWidget* w : {static_cast<QWidget*>(ScrollBox1->viewport()), pageArea_,
                       static_cast<QWidget*>(Image1)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& pos) { showPopupMenu(w, pos); });
    }
}

void TFormPreView::connectControls() {
    connect(BitBtnReturn, &QPushButton::clicked, this, &TFormPreView::BitBtnReturnClick);
    connect(BitBtnPrintOut, &QPushButton::clicked, this, &TFormPreView::BitBtnPrintOutClick);
    connect(BitBtnPdfOut, &QPushButton::clicked, this, &TFormPreView::BitBtnPdfOutClick);
    connect(BitBtnSettei, &QPushButton::clicked, this, &TFormPreView::BitBtnSetteiClick);
    connect(BitBtnPrintSetUp, &QPushButton::clicked, this, &TFormPreView::BitBtnPrintSetUpClick);
    connect(BitBtnFont, &QPushButton::clicked, this, &TFormPreView::BitBtnFontClick);
    connect(BitBtnTopPage, &QPushButton::clicked, this, &TFormPreView::BitBtnTopPageClick);
    connect(BitBtnPreviousPage, &QPushButton::clicked, this,
            &TFormPreView::BitBtnPreviousPageClick);
    connect(BitBtnNextPage, &QPushButton::clicked, this, &TFormPreView::BitBtnNextPageClick);
    connect(BitBtnBottomPage, &QPushButton::clicked, this, &TFormPreView::BitBtnBottomPageClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormPreView::BitBtn1Click);
    connect(BitBtnHelp, &QPushButton::clicked, this, &TFormPreView::BitBtnHelpClick);
    connect(UpDownBairitu, &UpDownButtons::clicked, this, &TFormPreView::UpDownBairituClick);
    connect(N1, &QAction::triggered, this, &TFormPreView::N1Click);
    connect(N2, &QAction::triggered, this, &TFormPreView::N2Click);
    connect(N3, &QAction::triggered, this, &TFormPreView::N3Click);
}

void TFormPreView::showEvent(QShowEvent* event) {
    if (!shown_) {
        CentreOnMainWindow(this);   // before the layout, so that its progress window follows
        habits_->restoreGeometry(); // a report seen before opens where its window was
    }
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // The keyboard starts on the page: the arrows scroll it, and Space presses no button.
        ScrollBox1->setFocus(Qt::OtherFocusReason);
        watchFile();
        FormShow();
    }
}

void TFormPreView::FormShow() {
    ReadPrinterInfo(State.PrinterInfo);
    PrintPreview1.setReferenceDevice(State.PrinterInfo);
    setWindowTitle(QStringLiteral("印刷プレビュー  < ファイル名 ： ") + FileName +
                   QStringLiteral(" >"));
    WaitCursor wait;
    Zoom = 0.8;
    CurrentPage = 1;
    State.PageNoFormat = PageNoFormatText;
    State.CurFont.Name = OutputSettings.DecorationFontName.text();
    State.CurFont.Size = OutputSettings.DecorationFontSize;
    State.DataKind = DataKind;
    CalcFrameGeometry();
    // Page 1 is shown and the edit boxes answer Enter even when the layout stopped early: the
    // window stays open with the pages recorded so far.
    const auto showFirstPage = [this] {
        CurrentPage = 1;
        EditBoxBairitu->setText(OutputSettings.PreviewZoomText.text());
        habits_->showFirstPage();     // ApplyZoom, at the report's remembered place if any
        editHandlersAttached_ = true; // the window's event filter passes Enter to EditKeyDown
    };
    if (Lines) {
        try {
            LayoutDocument();
        } catch (...) {
            showFirstPage();
            throw;
        }
    }
    showFirstPage();
}

void TFormPreView::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TFormPreView::FormClose() {
    // The next preview of the run starts from this zoom text (cut to its 8 bytes).
    OutputSettings.PreviewZoomText = EditBoxBairitu->text();
    habits_->rememberPlace();
}

void TFormPreView::CalcFrameGeometry() {
    engine_->CalcFrameGeometry();
}

void TFormPreView::LayoutDocument() {
    // The picture shown refers to a page that the new layout drops.
    Image1->clear();
    static const QByteArrayList noLines;
    // Figures are looked up beside the report first, wherever the tool was started from.
    State.ReportFolder = FileName.isEmpty() ? QString() : QFileInfo(FileName).absolutePath();
    const auto notes =
        qScopeGuard([this] { StatusLine->showNotes(LinesEncoding, State.MissingFigures); });
    engine_->LayoutDocument(Lines ? *Lines : noLines);
}

void TFormPreView::LayoutAgain() {
    try {
        LayoutDocument();
    } catch (...) {
        ShowPage();
        throw;
    }
    ShowPage();
}

void TFormPreView::ShowPage() {
    const int count = PrintPreview1.PageCount();
    if (CurrentPage > count)
        CurrentPage = count;
    else if (CurrentPage < 1)
        CurrentPage = 1;
    if (count < 1)
        CurrentPage = 0; // nothing was laid out: there is no page to show
    EditBoxPage->setText(QString::number(CurrentPage));
    LabelTotalPage->setText(QString::asprintf("/%d", count));

    for (QPushButton* button :
         {BitBtnTopPage, BitBtnPreviousPage, BitBtnNextPage, BitBtnBottomPage})
        button->setEnabled(count > 1);
    if (count > 1 && CurrentPage == 1) {
        BitBtnTopPage->setEnabled(false);
        BitBtnPreviousPage->setEnabled(false);
    } else if (count > 1 && CurrentPage == count) {
        BitBtnBottomPage->setEnabled(false);
        BitBtnNextPage->setEnabled(false);
    }

    if (count < 1)
        Image1->clear();
    else
        Image1->setPicture(MakePageImage(PrintPreview1.GetPage(CurrentPage - 1), Zoom));
    pageArea_->resize(Image1->size() + QSize(ImageMargin, ImageMargin));
    habits_->pageShown(); // continuous pages follow
    SidePanel->pageShown(CurrentPage);
}

std::unique_ptr<PageImage> TFormPreView::MakePageImage(const PageRecording& page,
                                                       double zoom) const {
    return std::make_unique<PageImage>(page, State.PrinterInfo, zoom,
                                       OutputSettings.ShowPrintableArea == 1, logicalDpiX(),
                                       logicalDpiY());
}

void TFormPreView::ApplyZoom() {
    // Every way of setting the zoom ends here, and ends a fit kept in force (FitZoom keeps
    // its fit again afterwards).
    fitKeeper_->drop();
    Zoom = preview_zoom::factorFromPercent(preview_zoom::percentFromText(EditBoxBairitu->text()));
    ShowPage();
}

void TFormPreView::OpenOutputSettings() {
    TFormRegDatInjiSettei dialog(this);
    if (dialog.exec() == TFormRegDatInjiSettei::ModalResultYes) {
        CalcFrameGeometry();
        LayoutAgain();
    }
}

void TFormPreView::goToPage(int page) {
    CurrentPage = page;
    ScrollBox1->verticalScrollBar()->setValue(0);
    ShowPage();
}

void TFormPreView::BitBtnReturnClick() {
    reject();
}

void TFormPreView::BitBtnTopPageClick() {
    if (CurrentPage != 1 && PrintPreview1.PageCount() > 0)
        goToPage(1);
}

void TFormPreView::BitBtnPreviousPageClick() {
    if (CurrentPage != 1 && PrintPreview1.PageCount() > 0)
        goToPage(CurrentPage - 1);
}

void TFormPreView::BitBtnNextPageClick() {
    if (CurrentPage < PrintPreview1.PageCount())
        goToPage(CurrentPage + 1);
}

void TFormPreView::BitBtnBottomPageClick() {
    if (CurrentPage < PrintPreview1.PageCount())
        goToPage(PrintPreview1.PageCount());
}

void TFormPreView::BitBtnFontClick() {
    TFormFontSettei dialog(this);
    const int result = dialog.exec();
    if (result == QDialog::Accepted && dialog.FontsStored)
        LayoutAgain();
}

void TFormPreView::BitBtnSetteiClick() {
    OpenOutputSettings();
}

void TFormPreView::BitBtnHelpClick() {
    ShowHelpTopic(help_numbers::PreviewWindow, HelpFolder, ToolHelpFileKind);
}

void TFormPreView::LayoutForPrinter() {
    ReadPrinterInfo(State.PrinterInfo);
    PrintPreview1.setReferenceDevice(State.PrinterInfo);
    CalcFrameGeometry();
    LayoutAgain();
    // Another paper (or the same turned) needs another zoom for a fit kept in force.
    if (const auto fit = fitKeeper_->kept())
        FitZoom(*fit);
}

void TFormPreView::BitBtnPrintSetUpClick() {
    printing_->printerSetup();
}

void TFormPreView::BitBtnPrintOutClick() {
    printing_->print();
}

void TFormPreView::BitBtnPdfOutClick() {
    printing_->writePdf(FileName);
}

void TFormPreView::BitBtn1Click() {
    EditBoxBairitu->setText(QStringLiteral("100"));
    ApplyZoom();
}

void TFormPreView::UpDownBairituClick() {
    ApplyZoom();
}

void TFormPreView::N1Click() {
    BitBtn1Click();
}
void TFormPreView::N2Click() {
    BitBtnTopPageClick();
}
void TFormPreView::N3Click() {
    BitBtnBottomPageClick();
}

void TFormPreView::showPopupMenu(QWidget* source, const QPoint& pos) {
    PopupMenu1->popup(source->mapToGlobal(pos));
}

bool TFormPreView::ownsWidget(const QObject* object) const {
    return object->isWidgetType() && static_cast<const QWidget*>(object)->window() == this;
}

bool TFormPreView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && ownsWidget(watched)) {
        // A key press that the focused control ignores travels on to its parents; the window
        // acts on its first delivery only, to the focused control (or to the window itself).
        const QWidget* focus = focusWidget();
        const bool firstDelivery =
            watched == focus || (watched == this && (!focus || focus->window() != this));
        if (firstDelivery) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            FormKeyDown(key);
            if (editHandlersAttached_ && (watched == EditBoxPage || watched == EditBoxBairitu))
                return EditKeyDown(static_cast<QLineEdit*>(watched), key);
        }
        return false;
    }
    if (event->type() == QEvent::Wheel && ownsWidget(watched)) {
        // The side panel's lists scroll themselves; everywhere else the wheel turns pages.
        if (SidePanel && SidePanel->isAncestorOf(static_cast<QWidget*>(watched)))
            return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        if (delta == 0)
            return false; // sideways: the scroll area's own business
        wheel->accept();
        wheelTurned(delta, wheel->modifiers() & Qt::ControlModifier);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormPreView::keyPressEvent(QKeyEvent* event) {
    // Esc does not close the window (a dialog's default): one key press would throw away a
    // long layout. The window closes with "戻る" or its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormPreView::FormKeyDown(int key) {
    switch (key) {
    case Qt::Key_F1:
        BitBtnHelpClick();
        return true;
    case Qt::Key_F7:
    case Qt::Key_PageUp:
        BitBtnPreviousPageClick();
        return true;
    case Qt::Key_F8:
    case Qt::Key_PageDown:
        BitBtnNextPageClick();
        return true;
    case Qt::Key_Home:
        BitBtnTopPageClick();
        return true;
    case Qt::Key_End:
        BitBtnBottomPageClick();
        return true;
    default:
        return false;
    }
}

bool TFormPreView::EditKeyDown(QLineEdit* edit, int key) {
    // The arrow keys in the zoom box work its arrows, as an up-down control's buddy does.
    if (edit == EditBoxBairitu && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        UpDownBairitu->step(key == Qt::Key_Up ? +1 : -1);
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (edit == EditBoxPage) {
        const int page = preview_zoom::pageFromText(EditBoxPage->text(), PrintPreview1.PageCount());
        EditBoxPage->setText(QString::number(page));
        goToPage(page); // even when the page does not change
    } else {
        ApplyZoom();
    }
    return true; // Enter is used up here: no button is pressed by it
}

void TFormPreView::wheelTurned(int delta, bool zoom) {
    const int notches = wheel_.add(delta);
    if (notches == 0)
        return;
    if (zoom) {
        // Ctrl + wheel zooms through the zoom box, one arrow step per notch.
        double percent = preview_zoom::percentFromText(EditBoxBairitu->text());
        for (int i = 0; i < std::abs(notches); ++i)
            percent = preview_zoom::stepPercent(percent, notches);
        EditBoxBairitu->setText(QString::number(int(percent)));
        ApplyZoom();
    } else {
        QScrollBar* bar = ScrollBox1->verticalScrollBar();
        bar->setValue(bar->value() - notches * WheelLinePixels);
    }
}

void TFormPreView::createViewerAids() {
    // The keyboard follows a click on the page: the arrows then scroll it.
    new PageAreaKeys(ScrollBox1);

    auto* column = static_cast<QVBoxLayout*>(layout());
    FindBar1 = new FindBar(this);
    column->insertWidget(1, FindBar1);
    ReloadNote = new NoteBar(this);
    column->insertWidget(2, ReloadNote);
    find_ = new PreviewFind(FindBar1, PrintPreview1, ScrollBox1, Image1,
                            {[this] { return CurrentPage; }, [this](int page) { goToPage(page); }});
    connect(FindBar1, &FindBar::closed, this, [this] { ScrollBox1->setFocus(); });
    const auto fits =
        preview_actions::add(this, PopupMenu1, *find_, [this](fit_zoom::Fit fit) { FitZoom(fit); });
    FitPageAction = fits.page;
    FitWidthAction = fits.width;
    fitKeeper_ = new FitKeeper(ScrollBox1, [this](fit_zoom::Fit fit) { FitZoom(fit); });
    EditBoxBairitu->setToolTip(QStringLiteral("ページ全体: Ctrl+0 / 幅に合わせる: Ctrl+2"));
    habits_ = new ViewerHabits(*this);

    reload_ = new PreviewReload({this, ReloadNote, [this] { return PrintPreview1.Printing(); },
                                 [this] { LayoutAgain(); }, ReadAgain},
                                new FileChangeWatcher(this));
    SidePanel = new PreviewSidePanel(
        PrintPreview1, [this](int page) { goToPage(page); }, this);
    SidePanel->install(column, ScrollBox1, Panel1, {105, 3, 81, 25});
    new FileDropTarget(this, [this](const QString& fileName) {
        if (OpenDropped)
            OpenDropped(fileName);
    });
}

void TFormPreView::FitZoom(fit_zoom::Fit fit) {
    // The scrolled content is the picture and the margin before it (Image1 at 8, 8).
    const fit_zoom::Area area{ScrollBox1->maximumViewportSize(),
                              ScrollBox1->verticalScrollBar()->sizeHint().width(), ImageMargin};
    EditBoxBairitu->setText(QString::number(
        fit_zoom::percent(fit, State.PrinterInfo, logicalDpiX(), logicalDpiY(), area)));
    ApplyZoom();
    fitKeeper_->keep(fit); // fitted again whenever the page area is resized
}

void TFormPreView::watchFile() {
    reload_->watch(FileName);
}

FileChangeWatcher& TFormPreView::fileWatcher() {
    return reload_->watcher();
}

void TFormPreView::OpenOtherFile(const QString& fileName) {
    habits_->rememberPlace(); // where the report shown so far is left
    FileName = fileName;
    setWindowTitle(QStringLiteral("印刷プレビュー  < ファイル名 ： ") + FileName +
                   QStringLiteral(" >"));
    CurrentPage = 1;
    ScrollBox1->verticalScrollBar()->setValue(0);
    ReloadNote->hide();
    watchFile();
    LayoutAgain();
}
