#include "app/FormFolioscopeMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <tuple>

#include "app/AboutFolioscope.h"
#include "app/AppErrors.h"
#include "app/AppIcons.h"
#include "app/InitialiseSettings.h"
#include "app/RecentFilesList.h"
#include "app/ReportText.h"
#include "app/TextFileReader.h"
#include "help/HelpFolder.h"
#include "help/HelpTopics.h"
#include "help/ShowHelpTopic.h"
#include "ui/FileDropTarget.h"
#include "ui/FormPreView.h"
#include "ui/HelpKey.h"
#include "ui/MessageBoxes.h"

namespace {

QPushButton* makeButton(const QString& text, const QIcon& icon, int iconSize, const QRect& at,
                        QWidget* parent) {
    auto* button = new QPushButton(icon, text, parent);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setGeometry(at);
    return button;
}

// The dialog returns typed names whether or not they exist: the flow checks them itself.
QString runOpenDialog(QWidget* parent, const QString& title, const QString& folder,
                      const QString& filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// The folder part of a path, with its trailing '/'.
QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The file-name part of a path without its last extension.
QString baseNameOf(const QString& path) {
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// The open flow's three checks of a chosen path: the warning, or an empty string.
QString choiceProblem(const QString& fileName) {
    if (!QFileInfo(folderOf(fileName)).isDir())
        return app_errors::DirectoryNameInvalid;
    if (baseNameOf(fileName).isEmpty())
        return app_errors::FileNameInvalid;
    // A folder is no file: it gets the same warning (instead of a read error later).
    if (const QFileInfo file(fileName); !file.exists() || file.isDir())
        return app_errors::FileDoesNotExist;
    return {};
}

} // namespace

TFormFolioscopeMain::TFormFolioscopeMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      BitBtnFileOpen(makeButton(QStringLiteral("ファイルを開く"), app_icons::fileOpen(), 16,
                                QRect(160, 48, 185, 25), this)),
      ButtonVersion(
          makeButton(QStringLiteral("バージョン情報"), QIcon(), 16, QRect(392, 48, 97, 25), this)),
      BitBtnHelp(makeButton(QString(), app_icons::help(), 16, QRect(446, 10, 41, 25), this)),
      BitBtnExit(
          makeButton(QStringLiteral("終了"), app_icons::exit(), 13, QRect(39, 48, 82, 25), this)),
      Label1(new QLabel(QStringLiteral("テキストファイルを開くとプレビュー画面が表示されます。"),
                        this)) {
    // FormCreate
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(535, 266);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    Label1->setGeometry(136, 112, 286, 12);

    setTabOrder(BitBtnFileOpen, ButtonVersion);
    setTabOrder(ButtonVersion, BitBtnHelp);
    setTabOrder(BitBtnHelp, BitBtnExit);
    LabelRecent = new QLabel(QStringLiteral("最近使ったファイル"), this);
    LabelRecent->setGeometry(39, 136, 450, 14);
    ListRecent = new RecentFilesList(
        Recent, [this](const QString& path) { OpenFile(path); }, this);
    ListRecent->setGeometry(39, 152, 450, 100);
    setTabOrder(BitBtnExit, ListRecent);
    BitBtnFileOpen->setFocus();

    const QIcon icon = app_icons::tool();
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);

    OpenDialog1 = runOpenDialog;
    RunPreview = [](TFormPreView& preview) { preview.exec(); };
    LastFolder = QSettings(QLatin1String(SettingsOrganisation), QLatin1String(SettingsApplication))
                     .value(QLatin1String(LastFolderKey))
                     .toString();

    connect(BitBtnFileOpen, &QPushButton::clicked, this, &TFormFolioscopeMain::BitBtnFileOpenClick);
    connect(ButtonVersion, &QPushButton::clicked, this, &TFormFolioscopeMain::ButtonVersionClick);
    connect(BitBtnHelp, &QPushButton::clicked, this, &TFormFolioscopeMain::BitBtnHelpClick);
    BindHelpKey(*this, *BitBtnHelp);
    connect(BitBtnExit, &QPushButton::clicked, this, &TFormFolioscopeMain::BitBtnExitClick);
    // The keys of other viewers: Ctrl+O opens, Ctrl+Q ends; the buttons' tooltips name them.
    for (auto [button, key, text] :
         {std::tuple{BitBtnFileOpen, Qt::Key_O, QStringLiteral("ファイルを開く")},
          std::tuple{BitBtnExit, Qt::Key_Q, QStringLiteral("終了")}}) {
        const QKeySequence keys(Qt::CTRL | key);
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        button->setToolTip(text + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
    }
    // A report dropped on the window opens as if chosen in the open dialog.
    new FileDropTarget(this, [this](const QString& fileName) { OpenFile(fileName); });
}

TFormFolioscopeMain::~TFormFolioscopeMain() {
    // FormDestroy
    QSettings(QLatin1String(SettingsOrganisation), QLatin1String(SettingsApplication))
        .setValue(QLatin1String(LastFolderKey), LastFolder);
}

void TFormFolioscopeMain::showEvent(QShowEvent* event) {
    // FormShow: once per run; later showings (after each preview) keep everything as it is.
    if (!shownBefore_) {
        shownBefore_ = true;
        setWindowTitle(QStringLiteral("Folioscope"));
        Lines.clear();
        InitialiseSettings();
        if (const QScreen* s = screen())
            move(s->availableGeometry().center() -
                 QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    ListRecent->refresh(); // a report opened meanwhile comes first, one deleted goes grey
    QWidget::showEvent(event);
}

void TFormFolioscopeMain::closeEvent(QCloseEvent* event) {
    // FormClose
    Lines = QByteArrayList();
    QWidget::closeEvent(event);
}

void TFormFolioscopeMain::BitBtnFileOpenClick() {
    const QString fileName = OpenDialog1(this, QStringLiteral("テキストファイルを開く"), LastFolder,
                                         QStringLiteral("テキストファイル(*.txt)"));
    if (fileName.isEmpty())
        return;
    OpenFile(fileName);
}

void TFormFolioscopeMain::OpenFile(const QString& fileName) {
    // The folder is remembered even when a check below fails.
    LastFolder = folderOf(fileName);
    if (const QString problem = choiceProblem(fileName); !problem.isEmpty()) {
        ShowWarning(this, problem);
        return;
    }
    LoadTextFile(fileName); // a read error leaves here, with this window still shown
    Recent.add(fileName);

    hide();
    bool endTool = false; // Ctrl+Q in the preview: this window closes after it, ending the tool
    const auto showAgain = qScopeGuard([this, &endTool] {
        if (endTool) {
            close();
            return;
        }
        show();
        // Enter opens the next file, not whatever button the hidden window's focus moved to.
        BitBtnFileOpen->setFocus();
    });
    TFormPreView preview; // no parent window: the main window is hidden meanwhile
    // Closing the preview must not count as closing the tool's last window.
    preview.setAttribute(Qt::WA_QuitOnClose, false);
    preview.DataKind = -1;
    preview.FileName = fileName;
    preview.Lines = &Lines;
    preview.LinesEncoding = LinesEncoding;
    preview.Places = &Places;
    preview.ReadAgain = [this, &preview](const QString& name) {
        const QString problem = ReloadTextFile(name);
        if (problem.isEmpty())
            preview.LinesEncoding = LinesEncoding; // the status line tells the new file's
        return problem;
    };
    preview.OpenDropped = [this, &preview](const QString& name) { OpenInPreview(preview, name); };
    preview.EndTool = [&preview, &endTool] {
        endTool = true;
        preview.reject();
    };
    RunPreview(preview);
}

void TFormFolioscopeMain::OpenInPreview(TFormPreView& preview, const QString& fileName) {
    LastFolder = folderOf(fileName);
    if (const QString problem = choiceProblem(fileName); !problem.isEmpty()) {
        ShowWarning(&preview, problem);
        return;
    }
    // The preview keeps showing its file when the new one cannot be read, so its lines stay.
    const QByteArrayList kept = Lines;
    const InputEncoding keptEncoding = LinesEncoding;
    try {
        LoadTextFile(fileName);
    } catch (...) {
        Lines = kept;
        LinesEncoding = keptEncoding;
        throw;
    }
    Recent.add(fileName);
    preview.LinesEncoding = LinesEncoding;
    preview.OpenOtherFile(fileName);
}

QString TFormFolioscopeMain::ReloadTextFile(const QString& fileName) {
    if (const QString problem = choiceProblem(fileName); !problem.isEmpty())
        return problem;
    const QByteArrayList kept = Lines;
    const InputEncoding keptEncoding = LinesEncoding;
    const auto restore = [&] {
        Lines = kept;
        LinesEncoding = keptEncoding;
    };
    try {
        LoadTextFile(fileName);
    } catch (const TextFileError& e) {
        restore();
        return e.message();
    } catch (const std::exception& e) {
        restore();
        return QString::fromLocal8Bit(e.what());
    }
    return {};
}

void TFormFolioscopeMain::LoadTextFile(const QString& fileName) {
    Lines.clear();
    LinesEncoding = InputEncoding();
    ReportText text = ReadReportText(fileName);
    Lines = std::move(text.lines);
    LinesEncoding = text.encoding;
}

void TFormFolioscopeMain::ButtonVersionClick() {
    TAboutFolioscope about(this);
    about.exec();
}

void TFormFolioscopeMain::BitBtnHelpClick() {
    ShowHelpTopic(HelpTopic, HelpFolder, ToolHelpFileKind);
}

void TFormFolioscopeMain::BitBtnExitClick() {
    close();
}
