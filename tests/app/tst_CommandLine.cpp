#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/CommandLine.h"
#include "app/FormFolioscopeMain.h"
#include "support/ModalWatcher.h"
#include "ui/FormPreView.h"

class TestCommandLine : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    void noArguments() {
        const CommandLine c({"folioscope"});
        QCOMPARE(c.mode(), CommandLine::Mode::Interactive);
        QVERIFY(c.fileName().isEmpty());
    }
    void fileNameBecomesAbsolute() {
        CommandLine c({"folioscope", "reports/a.txt"});
        QCOMPARE(c.mode(), CommandLine::Mode::Interactive);
        QCOMPARE(c.fileName(), QDir::current().absoluteFilePath("reports/a.txt"));

        c = CommandLine({"folioscope", "/data/レポート.txt"});
        QCOMPARE(c.fileName(), QStringLiteral("/data/レポート.txt"));

        // A name that starts with a dash after "--" is still a file.
        c = CommandLine({"folioscope", "--", "-x.txt"});
        QCOMPARE(c.mode(), CommandLine::Mode::Interactive);
        QCOMPARE(c.fileName(), QDir::current().absoluteFilePath("-x.txt"));
    }
    void usageErrors() {
        CommandLine c({"folioscope", "a.txt", "b.txt"});
        QCOMPARE(c.mode(), CommandLine::Mode::Usage);
        QVERIFY(c.error().contains("b.txt"));
        QCOMPARE(c.run(), 2);

        c = CommandLine({"folioscope", "--frobnicate"});
        QCOMPARE(c.mode(), CommandLine::Mode::Usage);
        QVERIFY(c.error().contains("frobnicate"));
    }

    void fileOnTheCommandLineIsOpenedAtStart() {
        const QString path = dir_.filePath("start.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("one\r\ntwo\r\n");
        file.close();

        // The preview window comes up by itself; record it, close it, then end the loop.
        QString previewFile;
        int previewKind = 0;
        qsizetype previewLines = -1;
        bool mainHidden = false;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* preview = qobject_cast<TFormPreView*>(modal);
            QVERIFY(preview);
            previewFile = preview->FileName;
            previewKind = preview->DataKind;
            previewLines = preview->Lines ? preview->Lines->size() : -1;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<TFormFolioscopeMain*>(w))
                    mainHidden = !w->isVisible();
            QTimer::singleShot(50, [] { QCoreApplication::quit(); });
        });
        QCOMPARE(CommandLine({"folioscope", path}).run(), 0);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(previewFile, path);
        QCOMPARE(previewKind, -1);
        QCOMPARE(previewLines, 2);
        QVERIFY(mainHidden);
        QCOMPARE(QSettings("Folioscope", "Folioscope").value("LastFolder").toString(),
                 dir_.path() + "/");
    }

    void missingFileOnTheCommandLineWarns() {
        ModalWatcher watcher(
            [](QWidget*) { QTimer::singleShot(50, [] { QCoreApplication::quit(); }); });
        QCOMPARE(CommandLine({"folioscope", dir_.filePath("none.txt")}).run(), 0);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].text, QStringLiteral("指定されたファイルは存在しません"));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
