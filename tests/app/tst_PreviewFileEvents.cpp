// What happens to the open report on disk while the preview shows it, and files dropped on the
// windows: both through the real main window and its open flow (checks, reader, preview).

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <functional>

#include "app/AppErrors.h"
#include "app/Application.h"
#include "app/FormFolioscopeMain.h"
#include "document/OutputSettings.h"
#include "support/ModalWatcher.h"
#include "ui/FileChangeWatcher.h"
#include "ui/FormPreView.h"
#include "ui/NoteBar.h"

namespace {

// count pages of one line each, the first line saying which version of the file it is.
QByteArray report(int pages, const QByteArray& version) {
    QByteArray text;
    for (int i = 1; i <= pages; ++i) {
        if (i > 1)
            text += "<Page-End>\r\n";
        text += version + " page " + QByteArray::number(i) + "\r\n";
    }
    return text;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QMimeData* filesData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

// Drags paths over window and drops them; whether the window took the drag.
bool drop(QWidget* window, const QStringList& paths) {
    std::unique_ptr<QMimeData> data(filesData(paths));
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    const bool taken = enter.isAccepted();
    QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &dropped);
    QTest::qWait(10); // the file is opened after the drop has ended
    return taken;
}

} // namespace

class TestPreviewFileEvents : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QTemporaryDir settingsDir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // Opens file through the main window and runs during(preview) while the preview is shown.
    void withPreview(const QString& file, const std::function<void(TFormPreView&)>& during,
                     TFormFolioscopeMain* window = nullptr) {
        TFormFolioscopeMain own;
        TFormFolioscopeMain& w = window ? *window : own;
        bool ran = false;
        w.RunPreview = [&](TFormPreView& preview) {
            preview.fileWatcher().setSettleMs(500); // a truncate and its write are one change
            preview.show();
            QVERIFY(QTest::qWaitForWindowExposed(&preview));
            ran = true;
            during(preview);
        };
        w.show();
        w.OpenFile(file);
        QVERIFY(ran);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid() && settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }
    void init() { resetOutputSettings(); }

    void reloadAfterRewriteRenameAndDelete() {
        const QString file = path(QStringLiteral("report.txt"));
        QVERIFY(writeFile(file, report(5, "v1")));
        TFormFolioscopeMain main;
        withPreview(
            file,
            [&](TFormPreView& preview) {
                QCOMPARE(preview.PrintPreview1.PageCount(), 5);
                preview.BitBtnBottomPageClick();
                preview.EditBoxBairitu->setText(QStringLiteral("150"));
                preview.ApplyZoom();

                // Rewritten in place, shorter: read again, the page clamped, the zoom kept.
                QVERIFY(writeFile(file, report(3, "v2")));
                QTRY_COMPARE(preview.PrintPreview1.PageCount(), 3);
                QCOMPARE(preview.CurrentPage, 3);
                QCOMPARE(preview.EditBoxPage->text(), QStringLiteral("3"));
                QCOMPARE(preview.EditBoxBairitu->text(), QStringLiteral("150"));
                QCOMPARE(preview.Zoom, 1.2);
                QCOMPARE(main.Lines.first(), QByteArray("v2 page 1"));
                QVERIFY(preview.ReloadNote->isVisible());
                QCOMPARE(preview.ReloadNote->kind(), NoteBar::Kind::Information);

                // Replaced by another file renamed onto its name (as editors and writers do).
                preview.BitBtnTopPageClick();
                preview.BitBtnNextPageClick();
                const QString fresh = path(QStringLiteral("report.txt.new"));
                QVERIFY(writeFile(fresh, report(4, "v3")));
                QCOMPARE(std::rename(qPrintable(fresh), qPrintable(file)), 0);
                QTRY_COMPARE(preview.PrintPreview1.PageCount(), 4);
                QCOMPARE(preview.CurrentPage, 2);
                QCOMPARE(main.Lines.first(), QByteArray("v3 page 1"));

                // And once more after the rename: the new file is watched as well.
                QVERIFY(writeFile(file, report(6, "v4")));
                QTRY_COMPARE(preview.PrintPreview1.PageCount(), 6);

                // Deleted: the pages stay and the window says why.
                QVERIFY(QFile::remove(file));
                QTRY_COMPARE(preview.ReloadNote->kind(), NoteBar::Kind::Problem);
                QVERIFY(preview.ReloadNote->text().contains(app_errors::FileDoesNotExist));
                QCOMPARE(preview.PrintPreview1.PageCount(), 6);
                QCOMPARE(main.Lines.first(), QByteArray("v4 page 1"));

                // Back again, but as a folder of that name: no file to read (the open dialog's
                // warning for a folder); still shown.
                preview.ReloadNote->hide();
                QVERIFY(QDir().mkdir(file));
                QTRY_VERIFY(preview.ReloadNote->isVisible());
                QVERIFY(preview.ReloadNote->text().contains(app_errors::FileDoesNotExist));
                QCOMPARE(preview.ReloadNote->kind(), NoteBar::Kind::Problem);
                QCOMPARE(preview.PrintPreview1.PageCount(), 6);
                QCOMPARE(main.Lines.size(), 6 * 2 - 1);
                QVERIFY(QDir().rmdir(file));
            },
            &main);
    }

    void severalChangesInARowReadOnce() {
        const QString file = path(QStringLiteral("burst.txt"));
        QVERIFY(writeFile(file, report(2, "a")));
        withPreview(file, [&](TFormPreView& preview) {
            preview.fileWatcher().setSettleMs(300);
            QSignalSpy reported(&preview.fileWatcher(), &FileChangeWatcher::changed);
            // Other files written in the same folder are not ours.
            for (int i = 1; i <= 3; ++i)
                QVERIFY(writeFile(path(QStringLiteral("other-%1.txt").arg(i)), "x"));
            QTest::qWait(450);
            QCOMPARE(reported.size(), 0);
            // Writes in a row (well within the settling time, also on a busy machine).
            preview.fileWatcher().setSettleMs(1500);
            for (int i = 1; i <= 5; ++i) {
                QVERIFY(writeFile(file, report(2 + i, "b")));
                QTest::qWait(20);
            }
            QTRY_COMPARE_WITH_TIMEOUT(preview.PrintPreview1.PageCount(), 7, 10000);
            QTest::qWait(1600);
            QCOMPARE(reported.size(), 1);
        });
    }

    void dropOnTheMainWindow() {
        const QString good = path(QStringLiteral("dropped.txt"));
        QVERIFY(writeFile(good, report(2, "dropped")));
        const QString other = path(QStringLiteral("dropped.dat"));
        QVERIFY(writeFile(other, report(2, "other")));

        TFormFolioscopeMain main;
        QStringList opened;
        main.RunPreview = [&](TFormPreView& preview) {
            opened << preview.FileName;
            QCOMPARE(*preview.Lines, main.Lines);
        };
        main.show();
        // Another extension is refused while it is dragged, and a drop of it opens nothing.
        QVERIFY(!drop(&main, {other}));
        QVERIFY(!drop(&main, {good, good})); // one file at a time
        QVERIFY(opened.isEmpty());
        // A report opens as from the open dialog: same reader, same preview, LastFolder set.
        QVERIFY(drop(&main, {good}));
        QTRY_COMPARE(opened, QStringList{good});
        QCOMPARE(main.Lines.first(), QByteArray("dropped page 1"));
        QCOMPARE(main.LastFolder, dir_.path() + QLatin1Char('/'));
        QVERIFY(main.isVisible());

        // The checks of the open flow: a name that is only an extension is refused.
        const QString bare = path(QStringLiteral(".txt"));
        QVERIFY(writeFile(bare, "x"));
        ModalWatcher watcher;
        QVERIFY(drop(&main, {bare}));
        QTRY_COMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].text, app_errors::FileNameInvalid);
        QCOMPARE(opened.size(), 1);
    }

    void dropOnThePreview() {
        const QString first = path(QStringLiteral("first.txt"));
        QVERIFY(writeFile(first, report(3, "first")));
        const QString second = path(QStringLiteral("second.txt"));
        QVERIFY(writeFile(second, report(2, "second")));
        TFormFolioscopeMain main;
        withPreview(
            first,
            [&](TFormPreView& preview) {
                preview.BitBtnBottomPageClick();
                preview.EditBoxBairitu->setText(QStringLiteral("120"));
                preview.ApplyZoom();

                QVERIFY(!drop(&preview, {path(QStringLiteral("second.dat"))}));
                QCOMPARE(preview.FileName, first);

                // A file that is gone by the time it is dropped: the warning, nothing else.
                ModalWatcher watcher;
                QVERIFY(drop(&preview, {path(QStringLiteral("missing.txt"))}));
                QTRY_COMPARE(watcher.seen.size(), 1);
                QCOMPARE(watcher.seen[0].text, app_errors::FileDoesNotExist);
                QCOMPARE(preview.FileName, first);
                QCOMPARE(main.Lines.first(), QByteArray("first page 1"));

                // A good file takes the window's place from page 1, the zoom kept.
                QVERIFY(drop(&preview, {second}));
                QTRY_COMPARE(preview.FileName, second);
                QCOMPARE(preview.windowTitle(), QStringLiteral("印刷プレビュー  < ファイル名 ： ") +
                                                    second + QStringLiteral(" >"));
                QCOMPARE(preview.PrintPreview1.PageCount(), 2);
                QCOMPARE(preview.CurrentPage, 1);
                QCOMPARE(preview.EditBoxBairitu->text(), QStringLiteral("120"));
                QCOMPARE(main.Lines.first(), QByteArray("second page 1"));

                // The new file is the one watched now.
                QVERIFY(writeFile(second, report(5, "second again")));
                QTRY_COMPARE(preview.PrintPreview1.PageCount(), 5);
                QVERIFY(writeFile(first, report(1, "first again")));
                QTest::qWait(800); // past the settling time
                QCOMPARE(preview.PrintPreview1.PageCount(), 5);
            },
            &main);
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestPreviewFileEvents test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PreviewFileEvents.moc"
