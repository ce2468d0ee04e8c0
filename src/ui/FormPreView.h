#pragma once
// The preview window: lays the opened file out into pages when it is shown and shows one page
// at a time on a shadowed sheet, with page navigation, zoom and the buttons that change fonts,
// output settings and printer.

#include <QByteArrayList>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "document/LayoutState.h"
#include "pages/PrintPreview.h"
#include "platform/InputEncoding.h"
#include "ui/FitZoom.h"
#include "ui/WheelNotches.h"

class FileChangeWatcher;
class FindBar;
class FitKeeper;
class LayoutEngine;
class LayoutProgress;
class PageImage;
class PageImageView;
class NoteBar;
class PageRecording;
class PreviewStatusLine;
class PreviewFind;
class PreviewPrinting;
class PreviewReload;
class PreviewSidePanel;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPageSetupDialog;
class QPrintDialog;
class QPushButton;
class QScrollArea;
class UpDownButtons;
class ViewerHabits;
class QVBoxLayout;
class ReportPlaces;

class TFormPreView : public QDialog {
    Q_OBJECT
public:
    explicit TFormPreView(QWidget* parent = nullptr);
    ~TFormPreView() override;

    // Set by the creator before the window is shown.
    int DataKind = 1;
    QString FileName;
    const QByteArrayList* Lines = nullptr;
    InputEncoding LinesEncoding; // how Lines were read, told on the status line

    // The page shown, from 1, and the display scale (zoom percent / 100 / 1.25).
    int CurrentPage = 1;
    double Zoom = 0.8;

    // The layout's shared state (printer geometry, frame, page geometry, current font) and
    // the recorded pages.
    LayoutState State;
    TPrintPreview PrintPreview1;

    // Controls.
    QWidget* Panel1 = nullptr;
    QPushButton* BitBtnReturn = nullptr;
    QPushButton* BitBtnPrintOut = nullptr;
    QPushButton* BitBtnPdfOut = nullptr; // "PDF出力..."
    QPushButton* BitBtnSettei = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BitBtnPrintSetUp = nullptr;
    QPushButton* BitBtnFont = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* BitBtnTopPage = nullptr;
    QPushButton* BitBtnPreviousPage = nullptr;
    QLineEdit* EditBoxPage = nullptr;
    QLabel* LabelTotalPage = nullptr;
    QPushButton* BitBtnNextPage = nullptr;
    QPushButton* BitBtnBottomPage = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLineEdit* EditBoxBairitu = nullptr;
    UpDownButtons* UpDownBairitu = nullptr;
    QPushButton* BitBtnHelp = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    PageImageView* Image1 = nullptr;
    PreviewStatusLine* StatusLine = nullptr; // under the page area
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr; // "表示倍率リセット"
    QAction* N2 = nullptr; // "最初のページへ"
    QAction* N3 = nullptr; // "最後のページへ"

    // Frame geometry for the current printer and margins (before a layout that follows a
    // change of either).
    virtual void CalcFrameGeometry();
    // Lays Lines out again from the first line into PrintPreview1. A failure keeps the pages
    // recorded so far and is thrown on.
    void LayoutDocument();
    // Lays out again and shows CurrentPage (clamped to the new page count), also when the
    // layout fails; the failure is thrown on afterwards.
    void LayoutAgain();
    // Shows CurrentPage, clamped to the page count; does not move the scroll bars.
    void ShowPage();
    // The on-screen picture of page at zoom, owned by the caller.
    std::unique_ptr<PageImage> MakePageImage(const PageRecording& page, double zoom) const;
    // Reads the zoom box, sets Zoom and shows the page again.
    void ApplyZoom();
    virtual void OpenOutputSettings();

    // Printer geometry, frame and layout again for the current printer, then the current page:
    // what follows a confirmed printer setup or print dialog.
    void LayoutForPrinter();

    // How the printer setup and print dialogs run and how the PDF file is chosen; tests
    // replace them to answer without a window. The dialogs return their modal result; the
    // file chooser returns the path, empty when cancelled.
    std::function<int(QPageSetupDialog& dialog)> ExecPrinterSetupDialog;
    std::function<int(QPrintDialog& dialog)> ExecPrintDialog;
    std::function<QString(QWidget* parent, const QString& suggestedPath)> ChoosePdfFile;

    // The layout engine the window forwards to.
    LayoutEngine& engine() { return *engine_; }

    // Reading the file again when it changes on disk, set by the creator (the window watches
    // FileName only when it is set): reads fileName into *Lines through the open flow's checks
    // and reader; returns an empty string when done, else why not (Lines stay as they were).
    std::function<QString(const QString& fileName)> ReadAgain;
    // Opens a file dropped on the window as if chosen in the open dialog; set by the creator.
    std::function<void(const QString& fileName)> OpenDropped;
    // Ends the tool (Ctrl+Q): set by the creator, which closes this window and then itself.
    std::function<void()> EndTool;
    // Where reports were left, set by the creator: the window opens its report there and
    // remembers where it is left on closing. Unset, nothing is remembered.
    ReportPlaces* Places = nullptr;
    // Shows another file's lines (already in *Lines) from page 1, the zoom kept.
    void OpenOtherFile(const QString& fileName);
    // Sets the zoom at which the whole page (or its width) fits the scrolling area, and keeps
    // that fit while the area is resized until the zoom is set another way (ApplyZoom).
    void FitZoom(fit_zoom::Fit fit);

    FindBar* FindBar1 = nullptr;       // under the toolbar, Ctrl+F
    NoteBar* ReloadNote = nullptr;     // "read again" and its problems
    QAction* FitPageAction = nullptr;  // "ページ全体", Ctrl+0
    QAction* FitWidthAction = nullptr; // "幅に合わせる", Ctrl+2
    PreviewFind& find() { return *find_; }
    FileChangeWatcher& fileWatcher();

    // The outline and the page pictures left of the page area, F9.
    PreviewSidePanel* SidePanel = nullptr;

public slots:
    void BitBtnReturnClick();
    void BitBtnTopPageClick();
    void BitBtnPreviousPageClick();
    void BitBtnNextPageClick();
    void BitBtnBottomPageClick();
    void BitBtnFontClick();
    void BitBtnSetteiClick();
    void BitBtnHelpClick();
    void BitBtnPrintSetUpClick();
    void BitBtnPrintOutClick();
    void BitBtnPdfOutClick();
    void BitBtn1Click();
    void UpDownBairituClick();
    void N1Click();
    void N2Click();
    void N3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class ViewerHabits; // reads the kept fit
    void createControls();
    void createToolbar();
    void createPageArea(QVBoxLayout* layout);
    void createPopupMenu();
    void connectControls();
    void FormShow();
    void FormClose();
    // The window's view of key presses before the focused control gets them.
    bool FormKeyDown(int key);
    // Enter in the page box or the zoom box.
    bool EditKeyDown(QLineEdit* edit, int key);
    void wheelTurned(int delta, bool zoom);
    void goToPage(int page);
    void showPopupMenu(QWidget* source, const QPoint& pos);
    bool ownsWidget(const QObject* object) const;
    // Find bar, fit, reload and drop: the viewer's aids beside the toolbar's controls.
    void createViewerAids();
    void watchFile();

    std::unique_ptr<LayoutProgress> progress_;
    std::unique_ptr<LayoutEngine> engine_;
    WheelNotches wheel_;
    bool shown_ = false;
    bool editHandlersAttached_ = false;
    QWidget* pageArea_ = nullptr; // the scrolled content holding Image1
    std::unique_ptr<PreviewPrinting> printing_;
    PreviewFind* find_ = nullptr;
    PreviewReload* reload_ = nullptr;
    FitKeeper* fitKeeper_ = nullptr;
    ViewerHabits* habits_ = nullptr;
};
