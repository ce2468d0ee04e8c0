#include <QDir>
#include <QTest>

#include "app/CommandLine.h"

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
