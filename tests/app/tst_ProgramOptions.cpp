#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/ProgramOptions.h"
#include "support/RunTool.h"

using Mode = ProgramOptions::Mode;

class TestProgramOptions : public QObject {
    Q_OBJECT

private slots:
    void modes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("error"); // a part of the message
        const auto abs = [](const char* name) { return QDir::current().absoluteFilePath(name); };
        QTest::newRow("nothing") << QStringList{} << int(Mode::Window) << QString() << QString();
        QTest::newRow("file") << QStringList{"a.txt"} << int(Mode::Window) << abs("a.txt")
                              << QString();
        QTest::newRow("dash file after --")
            << QStringList{"--", "-x.txt"} << int(Mode::Window) << abs("-x.txt") << QString();
        QTest::newRow("lone dash is a file")
            << QStringList{"-"} << int(Mode::Window) << abs("-") << QString();
        QTest::newRow("two files")
            << QStringList{"a.txt", "b.txt"} << int(Mode::Usage) << QString() << "'b.txt'";
        QTest::newRow("pdf") << QStringList{"--pdf", "o.pdf", "in.txt"} << int(Mode::Export)
                             << QString() << QString();
        QTest::newRow("help") << QStringList{"--help"} << int(Mode::Help) << QString() << QString();
        QTest::newRow("short help")
            << QStringList{"-h"} << int(Mode::Help) << QString() << QString();
        QTest::newRow("version") << QStringList{"--version"} << int(Mode::Version) << QString()
                                 << QString();
        QTest::newRow("help wins over a file")
            << QStringList{"a.txt", "--help"} << int(Mode::Help) << QString() << QString();
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << int(Mode::Usage) << QString() << "bogus";
        QTest::newRow("unknown option with a file")
            << QStringList{"a.txt", "--bogus"} << int(Mode::Usage) << QString() << "bogus";
        QTest::newRow("missing value")
            << QStringList{"--pdf"} << int(Mode::Usage) << QString() << "--pdf";
        QTest::newRow("export option without --pdf")
            << QStringList{"--frame", "a.txt"} << int(Mode::Usage) << QString() << "--pdf";
        QTest::newRow("bad value") << QStringList{"--pdf", "o.pdf", "--paper", "A9", "in.txt"}
                                   << int(Mode::Usage) << QString() << "A9";
    }
    void modes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(QString, fileName);
        QFETCH(QString, error);
        const ProgramOptions o = ProgramOptions::parse(arguments);
        QCOMPARE(int(o.mode), mode);
        QCOMPARE(o.FileName, fileName);
        if (error.isEmpty())
            QVERIFY2(o.Error.isEmpty(), qPrintable(o.Error));
        else
            QVERIFY2(o.Error.contains(error), qPrintable(o.Error));
        if (o.mode == Mode::Export) {
            QCOMPARE(o.Export.OutputPath, QStringLiteral("o.pdf"));
            QCOMPARE(o.Export.InputPath, QStringLiteral("in.txt"));
        }
    }

    void argvIsReadAsLocalText() {
        const QByteArray name = QString("レポート.txt").toLocal8Bit();
        char program[] = "folioscope";
        char* argv[] = {program, const_cast<char*>(name.constData()), nullptr};
        const ProgramOptions o = ProgramOptions::parse(2, argv);
        QCOMPARE(o.FileName, QDir::current().absoluteFilePath("レポート.txt"));
    }

    void helpShowsEveryModeAndOption() {
        const QString help = ProgramOptions::helpText();
        QVERIFY(help.startsWith(ProgramOptions::synopsis()));
        for (const char* word : {"--pdf", "--print", "--version", "--help", "--paper", "--font3",
                                 "[FILE]", "Exit status"})
            QVERIFY2(help.contains(word), word);
        QCOMPARE(help.count("Usage:"), 1);
    }

    // A copy of the program in the layouts of a build tree and of an installation: --version
    // names the help file that the help buttons will open.
    void versionNamesTheHelpFile_data() {
        QTest::addColumn<QString>("helpFile"); // relative to the root; "" none
        QTest::newRow("beside the program") << "bin/Folioscope2.chm";
        QTest::newRow("installed") << "share/folioscope/Folioscope2.chm";
        QTest::newRow("none") << QString();
    }
    void versionNamesTheHelpFile() {
        QFETCH(QString, helpFile);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/folioscope"));
        const QString program = root.filePath("bin/folioscope");
        QVERIFY(QFile::copy(FOLIOSCOPE_BINARY, program));
        if (!helpFile.isEmpty()) {
            QFile file(root.filePath(helpFile));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QProcess process;
        process.start(program, {"--version"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList lines =
            QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1], "help file: " + (helpFile.isEmpty() ? QStringLiteral("not found")
                                                               : root.filePath(helpFile)));
    }

    // Without a display: nothing may abort, usage errors exit with 2 and the same usage, a
    // window mode says in one line why it cannot start.
    void withoutDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");     // the start of stdout
        QTest::addColumn<QString>("errLine"); // a part of the first stderr line; "" none
        QTest::addColumn<bool>("usage");      // the synopsis follows on stderr
        QTest::newRow("version") << QStringList{"--version"} << QStringList{} << 0
                                 << "folioscope " + QStringLiteral(FOLIOSCOPE_VERSION_TEXT) +
                                        "\nhelp file: "
                                 << QString() << false;
        QTest::newRow("help") << QStringList{"--help"} << QStringList{} << 0
                              << ProgramOptions::synopsis() << QString() << false;
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << QStringList{} << 2 << QString() << "'bogus'" << true;
        QTest::newRow("missing value")
            << QStringList{"--pdf"} << QStringList{} << 2 << QString() << "'--pdf'" << true;
        QTest::newRow("two files")
            << QStringList{"a", "b"} << QStringList{} << 2 << QString() << "'b'" << true;
        QTest::newRow("window, no display")
            << QStringList{} << QStringList{} << 1 << QString() << "DISPLAY" << false;
        QTest::newRow("file, no display")
            << QStringList{"a.txt"} << QStringList{} << 1 << QString() << "DISPLAY" << false;
        QTest::newRow("window, display not there") << QStringList{} << QStringList{"DISPLAY=:97531"}
                                                   << 1 << QString() << ":97531" << false;
    }
    void withoutDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, env);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, errLine);
        QFETCH(bool, usage);
        const ToolRun run = runTool(arguments, QString(), env);
        QVERIFY2(run.exitCode == exitCode, qPrintable(QString::number(run.exitCode) + run.err));
        QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
        if (errLine.isEmpty()) {
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
            return;
        }
        const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.value(0).startsWith("folioscope: ") && lines.value(0).contains(errLine),
                 qPrintable(run.err));
        if (usage)
            QCOMPARE(run.err.mid(lines.value(0).size() + 1, ProgramOptions::synopsis().size()),
                     ProgramOptions::synopsis());
        else
            QCOMPARE(lines.size(), 1);
    }
};

QTEST_MAIN(TestProgramOptions)
#include "tst_ProgramOptions.moc"
