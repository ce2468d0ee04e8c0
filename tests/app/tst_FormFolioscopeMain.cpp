#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include "app/AboutFolioscope.h"
#include "app/Application.h"
#include "app/FormFolioscopeMain.h"
#include "app/RunLifetime.h"
#include "document/OutputSettings.h"
#include "help/HelpFolder.h"
#include "support/ModalWatcher.h"
#include "ui/FormPreView.h"

namespace {

struct DialogCall {
    QString title, folder, filter;
};

struct PreviewCall {
    int dataKind = 0;
    QString fileName;
    const QByteArrayList* lines = nullptr;
    QByteArrayList linesSeen;
    bool mainVisible = true;
    bool quitOnClose = true;
};

} // namespace

class TestFormFolioscopeMain : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QTemporaryDir settingsDir_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A main window whose dialog returns `chosen` and whose preview only records its input.
    struct Harness {
        TFormFolioscopeMain window;
        QString chosen;
        QList<DialogCall> dialogCalls;
        QList<PreviewCall> previews;

        Harness() {
            window.OpenDialog1 = [this](QWidget*, const QString& title, const QString& folder,
                                        const QString& filter) {
                dialogCalls << DialogCall{title, folder, filter};
                return chosen;
            };
            window.RunPreview = [this](TFormPreView& preview) {
                previews << PreviewCall{
                    preview.DataKind,   preview.FileName,
                    preview.Lines,      preview.Lines ? *preview.Lines : QByteArrayList(),
                    window.isVisible(), preview.testAttribute(Qt::WA_QuitOnClose)};
            };
            window.show();
        }
        // Presses the open button as a user would, so that the click goes through the
        // application's event filter chain (and its error box).
        void open(const QString& path) {
            chosen = path;
            QTest::mouseClick(window.BitBtnFileOpen, Qt::LeftButton);
        }
    };

    // Opens path and expects exactly one warning with text; nothing else happens.
    void expectWarning(const QString& path, const QString& text, const QString& lastFolder) {
        Harness h;
        h.window.Lines = {"old"};
        ModalWatcher watcher;
        h.open(path);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].title, QStringLiteral("警告"));
        QCOMPARE(watcher.seen[0].text, text);
        QCOMPARE(watcher.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(watcher.seen[0].buttons.size(), 1);
        QVERIFY(h.previews.isEmpty());
        QCOMPARE(h.window.LastFolder, lastFolder); // set before the checks
        QCOMPARE(h.window.Lines, QByteArrayList{"old"});
        QVERIFY(h.window.isVisible());
    }

    // Opens path and expects the standard error box naming it; Lines ends up empty.
    void expectReadError(const QString& path) {
        Harness h;
        h.window.Lines = {"old"};
        ModalWatcher watcher;
        h.open(path);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].icon, QMessageBox::Critical);
        QVERIFY2(watcher.seen[0].text.contains(path), qPrintable(watcher.seen[0].text));
        QVERIFY(h.previews.isEmpty());
        QVERIFY(h.window.Lines.isEmpty());
        QVERIFY(h.window.isVisible());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid() && settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }

    void windowAndControls() {
        Harness h;
        TFormFolioscopeMain& w = h.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Folioscope"));
        QCOMPARE(w.size(), QSize(535, 266));
        QCOMPARE(w.minimumSize(), w.maximumSize()); // no resizing
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w.font().pixelSize(), 12);
        QCOMPARE(w.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(QApplication::windowIcon().cacheKey(), w.windowIcon().cacheKey());

        QCOMPARE(w.BitBtnFileOpen->geometry(), QRect(160, 48, 185, 25));
        QCOMPARE(w.BitBtnFileOpen->text(), QStringLiteral("ファイルを開く"));
        QVERIFY(!w.BitBtnFileOpen->icon().isNull());
        QCOMPARE(w.ButtonVersion->geometry(), QRect(392, 48, 97, 25));
        QCOMPARE(w.ButtonVersion->text(), QStringLiteral("バージョン情報"));
        QCOMPARE(w.BitBtnHelp->geometry(), QRect(446, 10, 41, 25));
        QVERIFY(w.BitBtnHelp->text().isEmpty());
        QVERIFY(!w.BitBtnHelp->icon().pixmap(16, QIcon::Disabled).isNull());
        QCOMPARE(w.BitBtnExit->geometry(), QRect(39, 48, 82, 25));
        QCOMPARE(w.BitBtnExit->text(), QStringLiteral("終了"));
        QCOMPARE(w.BitBtnExit->iconSize(), QSize(13, 13));
        QCOMPARE(w.Label1->geometry(), QRect(136, 112, 286, 12));
        QCOMPARE(w.Label1->text(),
                 QStringLiteral("テキストファイルを開くとプレビュー画面が表示されます。"));

        // Tab order: open, version, help, exit, and back to open.
        QCOMPARE(w.BitBtnFileOpen->nextInFocusChain(), w.ButtonVersion);
        QCOMPARE(w.ButtonVersion->nextInFocusChain(), w.BitBtnHelp);
        QCOMPARE(w.BitBtnHelp->nextInFocusChain(), w.BitBtnExit);
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.BitBtnFileOpen);
    }

    void firstShowInitialisesSettingsOnce() {
        TFormFolioscopeMain w;
        OutputSettings.DrawOuterFrame = 1;
        HelpFolder.clear();
        w.show();
        QCOMPARE(OutputSettings.DrawOuterFrame, 0);
        QCOMPARE(HelpFolder, QCoreApplication::applicationDirPath() + "/");

        // What a preview leaves survives until the end of the run.
        OutputSettings.DrawOuterFrame = 1;
        OutputSettings.PreviewZoomText = "250";
        w.hide();
        w.show();
        QCOMPARE(OutputSettings.DrawOuterFrame, 1);
        QCOMPARE(OutputSettings.PreviewZoomText.bytes(), QByteArray("250"));
    }

    void cancelChangesNothing() {
        Harness h;
        h.window.LastFolder = "/somewhere/";
        h.window.Lines = {"kept"};
        ModalWatcher watcher;
        h.open(QString());
        QCOMPARE(h.dialogCalls.size(), 1);
        QCOMPARE(h.window.LastFolder, QStringLiteral("/somewhere/"));
        QCOMPARE(h.window.Lines, QByteArrayList{"kept"});
        QVERIFY(h.previews.isEmpty());
        QVERIFY(watcher.seen.isEmpty());
    }

    void warnings() {
        const QString missingFolder = dir_.filePath("no-such-folder") + "/";
        expectWarning(missingFolder + "a.txt", QStringLiteral("ディレクトリ名が不適切です"),
                      missingFolder);
        const QString folder = dir_.path() + "/";
        expectWarning(folder + ".txt", QStringLiteral("ファイル名が不適切です"), folder);
        expectWarning(folder + "missing.txt", QStringLiteral("指定されたファイルは存在しません"),
                      folder);
        // A folder is no file (also when named on the command line): the same warning, not
        // a read error.
        QVERIFY(QDir(dir_.path()).mkpath("sub.txt"));
        expectWarning(folder + "sub.txt", QStringLiteral("指定されたファイルは存在しません"),
                      folder);
    }

    void opensAndPreviews() {
        const QString path = write("report.dat", "a\rb\nc\r\n"); // any extension typed by hand
        Harness h;
        h.window.LastFolder = "/start/";
        ModalWatcher watcher;
        h.open(path);
        QVERIFY(watcher.seen.isEmpty());

        QCOMPARE(h.dialogCalls.size(), 1);
        QCOMPARE(h.dialogCalls[0].title, QStringLiteral("テキストファイルを開く"));
        QCOMPARE(h.dialogCalls[0].folder, QStringLiteral("/start/"));
        QCOMPARE(h.dialogCalls[0].filter, QStringLiteral("テキストファイル(*.txt)"));

        QCOMPARE(h.previews.size(), 1);
        const PreviewCall& p = h.previews[0];
        QCOMPARE(p.dataKind, -1);
        QCOMPARE(p.fileName, path);
        QCOMPARE(p.lines, &h.window.Lines); // the list itself, not a copy
        QCOMPARE(p.linesSeen, (QByteArrayList{"a", "b", "c"}));
        QVERIFY(!p.mainVisible);
        QVERIFY(!p.quitOnClose);

        QVERIFY(h.window.isVisible());
        QCOMPARE(h.window.Lines, (QByteArrayList{"a", "b", "c"})); // kept until the next open
        QCOMPARE(h.window.LastFolder, dir_.path() + "/");
    }

    void emptyFileOpensAnEmptyPreview() {
        Harness h;
        h.window.Lines = {"old"};
        h.open(write("empty.txt", ""));
        QCOMPARE(h.previews.size(), 1);
        QVERIFY(h.previews[0].linesSeen.isEmpty());
    }

    void mainWindowReturnsWhenThePreviewFails() {
        Harness h;
        h.window.RunPreview = [](TFormPreView&) { throw std::runtime_error("layout failed"); };
        ModalWatcher watcher;
        h.open(write("fails.txt", "x"));
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].text, QStringLiteral("layout failed"));
        QVERIFY(h.window.isVisible());
    }

    void unreadablePathsReachTheErrorBox() {
        // (A folder gets the missing-file warning instead: see warnings().)
        const QString fifo = dir_.filePath("fifo.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        expectReadError(fifo);

        const QString secret = write("secret.txt", "a");
        QVERIFY(QFile::setPermissions(secret, QFileDevice::Permissions()));
        if (QFile(secret).open(QIODevice::ReadOnly))
            QSKIP("the user reads files without permission (root)");
        expectReadError(secret);
    }

    void lastFolderSurvivesARestart() {
        const QString path = write("remember.txt", "x");
        {
            Harness h;
            h.open(path);
        }
        TFormFolioscopeMain next;
        QCOMPARE(next.LastFolder, dir_.path() + "/");
        QCOMPARE(QSettings("Folioscope", "Folioscope").value("LastFolder").toString(),
                 dir_.path() + "/");
    }

    void aboutBox() {
        Harness h;
        QString caption, product, version, button;
        QSize size;
        bool productBold = false;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* about = qobject_cast<TAboutFolioscope*>(modal);
            QVERIFY(about);
            caption = about->windowTitle();
            size = about->size();
            product = about->ProductName->text();
            productBold = about->ProductName->font().bold();
            version = about->Version->text();
            button = about->OKButton->text();
            QVERIFY(!about->ProgramIcon->pixmap().isNull());
            about->OKButton->click();
        });
        QTest::mouseClick(h.window.ButtonVersion, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(caption, QStringLiteral("バージョン情報"));
        QCOMPARE(size, QSize(360, 219));
        QCOMPARE(product, QStringLiteral("Folioscope"));
        QVERIFY(productBold);
        QCOMPARE(version, QStringLiteral("Ver.1.01.06"));
        QCOMPARE(button, QStringLiteral("戻る"));
        QVERIFY(h.window.findChildren<TAboutFolioscope*>().isEmpty()); // released after use
    }

    // After a preview the keyboard focus is back on the open button, so that the next Enter
    // opens another file.
    void focusReturnsToTheOpenButton() {
        const QString path = write("focus.txt", "a\n");
        TFormFolioscopeMain window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Wherever the focus was before (here a file named on the command line, opened
        // without a click, while the focus is on the about button).
        window.ButtonVersion->setFocus();
        ModalWatcher watcher; // closes the real preview window
        window.OpenFile(path);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].className, QStringLiteral("TFormPreView"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), window.BitBtnFileOpen);
    }

    // A layout with the preview open (here the one after a printer change) shows and closes
    // its progress window while the main window is hidden: the run goes on, and only the
    // main window's close ends it.
    void onlyTheMainWindowEndsTheRun() {
        TFormFolioscopeMain window;
        run_lifetime::endWithMainWindow(window);
        window.RunPreview = [](TFormPreView& preview) {
            preview.show(); // the first layout runs here; the second once the loop runs
            QTimer::singleShot(0, &preview, [&preview] {
                preview.LayoutForPrinter();
                QTimer::singleShot(50, &preview, &TFormPreView::reject);
            });
            preview.exec();
        };
        window.show();
        const QString path = write("lifetime.txt", "one\r\n<Page-End>\r\ntwo\r\n");
        QTimer::singleShot(0, &window, [&] {
            window.OpenFile(path);
            QTimer::singleShot(200, [] { QCoreApplication::exit(7); }); // still running
        });
        QCOMPARE(QApplication::exec(), 7);
        QVERIFY(window.isVisible());

        QTimer::singleShot(0, &window, &QWidget::close);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(9); }); // did not end
        QCOMPARE(QApplication::exec(), 0);
        QApplication::setQuitOnLastWindowClosed(true);
    }

    void exitClosesAndReleasesLines() {
        Harness h;
        h.window.Lines = {"a"};
        QTest::mouseClick(h.window.BitBtnExit, Qt::LeftButton);
        QVERIFY(!h.window.isVisible());
        QVERIFY(h.window.Lines.isEmpty());
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestFormFolioscopeMain test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FormFolioscopeMain.moc"
