// The recent reports of the main window: the list's limits and order, and what choosing a row
// does (open, or warn and forget a report that is gone).

#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "app/FormFolioscopeMain.h"
#include "app/RecentFiles.h"
#include "app/RecentFilesList.h"
#include "support/ModalWatcher.h"
#include "ui/FormPreView.h"

namespace {

QStringList rowsOf(const QListWidget& list) {
    QStringList paths;
    for (int i = 0; i < list.count(); ++i)
        paths << list.item(i)->data(RecentFilesList::PathRole).toString();
    return paths;
}

} // namespace

class TestRecentFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QTemporaryDir settingsDir_;

    QString write(const QString& name, const QByteArray& bytes = "line\r\n") {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid() && settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }
    void init() { QSettings("Folioscope", "Folioscope").clear(); }

    void orderAndLimit_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first")
            << QStringList{"/a", "/b"} << QStringList{} << QStringList{"/b", "/a"};
        QTest::newRow("again moves to the front") << QStringList{"/a", "/b", "/c", "/a"}
                                                  << QStringList{} << QStringList{"/a", "/c", "/b"};
        QStringList ten, last8;
        for (int i = 0; i < 10; ++i)
            ten << QStringLiteral("/r%1").arg(i);
        for (int i = 9; i >= 2; --i)
            last8 << QStringLiteral("/r%1").arg(i);
        QTest::newRow("eight kept") << ten << QStringList{} << last8;
        QTest::newRow("removed") << QStringList{"/a", "/b", "/c"} << QStringList{"/b", "/x"}
                                 << QStringList{"/c", "/a"};
    }
    void orderAndLimit() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, expected);
        RecentFiles files("Folioscope", "Folioscope");
        for (const QString& path : added)
            files.add(path);
        for (const QString& path : removed)
            files.remove(path);
        QCOMPARE(RecentFiles("Folioscope", "Folioscope").paths(), expected); // as a new run
    }

    // Only a report that was read joins the list: not one refused by a check of the open flow.
    void onlyReportsReadWithoutError() {
        const QString good = write("good.txt");
        QDir(dir_.path()).mkdir("folder.txt");
        TFormFolioscopeMain window;
        window.RunPreview = [](TFormPreView&) {};
        window.show();
        ModalWatcher watcher;
        for (const QString& path : {good, dir_.filePath("missing.txt"), dir_.filePath(".txt"),
                                    dir_.filePath("folder.txt"), dir_.filePath("no/such.txt")})
            window.OpenFile(path);
        QCOMPARE(watcher.seen.size(), 4);
        QCOMPARE(rowsOf(*window.ListRecent), QStringList{good});
    }

    // A report gone from disk is greyed; choosing it warns and forgets it, choosing one that
    // is there opens it.
    void choosingARow() {
        const QString kept = write("kept.txt");
        const QString gone = write("gone.txt");
        RecentFiles("Folioscope", "Folioscope").add(kept);
        RecentFiles("Folioscope", "Folioscope").add(gone);
        QFile::remove(gone);
        TFormFolioscopeMain window;
        QStringList opened;
        window.RunPreview = [&](TFormPreView& preview) { opened << preview.FileName; };
        window.show();
        QListWidget& list = *window.ListRecent;
        QCOMPARE(rowsOf(list), (QStringList{gone, kept}));
        const QColor grey = list.palette().color(QPalette::Disabled, QPalette::Text);
        QCOMPARE(list.item(0)->foreground().color(), grey);
        QVERIFY(list.item(1)->foreground().color() != grey);

        ModalWatcher watcher;
        list.setCurrentRow(0);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Return);
        QTRY_COMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].text, QStringLiteral("指定されたファイルは存在しません"));
        QCOMPARE(rowsOf(list), QStringList{kept});
        QVERIFY(opened.isEmpty());

        list.setCurrentRow(0);
        QTest::keyClick(&list, Qt::Key_Return);
        QTRY_COMPARE(opened, QStringList{kept});
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(rowsOf(list), QStringList{kept});
    }
};

QTEST_MAIN(TestRecentFiles)
#include "tst_RecentFiles.moc"
