#pragma once
// The main window: choose a report file, read it into Lines, and show it in a modal preview
// window while this window is hidden; also the about box, help and exit.

#include <QByteArrayList>
#include <QString>
#include <QWidget>
#include <functional>

#include "app/RecentFiles.h"
#include "platform/InputEncoding.h"
#include "ui/ReportPlaces.h"

class QLabel;
class QPushButton;
class RecentFilesList;
class TFormPreView;

class TFormFolioscopeMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormFolioscopeMain(QWidget* parent = nullptr);
    ~TFormFolioscopeMain() override;

    QPushButton* BitBtnFileOpen;
    QPushButton* ButtonVersion;
    QPushButton* BitBtnHelp;
    QPushButton* BitBtnExit;
    QLabel* Label1;

    QByteArrayList Lines;        // the opened file's lines, bytes as read (code page 932)
    InputEncoding LinesEncoding; // UTF-8 files are converted to code page 932 when read
    QString LastFolder;          // folder of the last chosen file, trailing '/'; kept between runs

    // The open-file dialog (OpenDialog1): returns the chosen path, or an empty string when the
    // user cancels. Replaceable so that tests can choose without a dialog.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter)>
        OpenDialog1;

    // Runs the prepared preview window modally; replaceable for tests.
    std::function<void(TFormPreView& preview)> RunPreview;

    // Empties Lines and fills it from the file (converted from UTF-8 when it is UTF-8, see
    // LinesEncoding). Throws TextFileError (Lines stays empty).
    void LoadTextFile(const QString& fileName);

    // The open-file flow after the dialog: checks, reading, preview. Also used for a file
    // named on the command line and for a file dropped on this window.
    void OpenFile(const QString& fileName);

    // A file dropped on the open preview: the same checks and reader, shown in that window.
    // A failed check or read leaves the preview and Lines as they were.
    void OpenInPreview(TFormPreView& preview, const QString& fileName);
    // The preview's file changed on disk: the same checks (no warning box) and reader. Returns
    // an empty string when Lines hold the new content, else the reason (Lines as they were).
    QString ReloadTextFile(const QString& fileName);

    // Where LastFolder is kept between runs.
    static constexpr const char* SettingsOrganisation = "Folioscope";
    static constexpr const char* SettingsApplication = "Folioscope";
    static constexpr const char* LastFolderKey = "LastFolder";
    // Where each report was left (page, zoom, window), in the same settings.
    ReportPlaces Places{QLatin1String(SettingsOrganisation), QLatin1String(SettingsApplication)};
    // The reports opened last without error, and their list under the hint.
    RecentFiles Recent{QLatin1String(SettingsOrganisation), QLatin1String(SettingsApplication)};
    QLabel* LabelRecent;
    RecentFilesList* ListRecent;

    // Topic of this window in the help file.
    static constexpr int HelpTopic = 6533;

public slots:
    void BitBtnFileOpenClick();
    void ButtonVersionClick();
    void BitBtnHelpClick();
    void BitBtnExitClick();

protected:
    void showEvent(QShowEvent* event) override;   // FormShow
    void closeEvent(QCloseEvent* event) override; // FormClose

private:
    bool shownBefore_ = false;
};
