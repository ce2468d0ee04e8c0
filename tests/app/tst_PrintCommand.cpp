// Command-line printing: the --print options, and the program run as a user runs it, printing
// over a real CUPS queue (job title, range, copies, text where the PDF export puts it) and
// failing with a message, an exit code and no job for an unknown queue, a range beyond the
// page count and a queue that refuses jobs.

#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "app/AppErrors.h"
#include "app/PdfExportOptions.h"
#include "support/CupsTestQueue.h"
#include "support/RunTool.h"

namespace {

int jobOf(const ToolRun& run) {
    static const QRegularExpression job(QStringLiteral("as job (\\d+)\\."));
    const auto match = job.match(run.out);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const QString RefusingQueue = QStringLiteral("FolioscopeTestRefusing");

} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<cups_test::Scheduler> cups_;
    QString noCups_;
    QTemporaryDir dir_;
    QString input_;

    // Runs --print with arguments and waits until the scheduler has done its job (job: its id).
    void printJob(const QStringList& arguments, int& job) {
        const ToolRun run = runTool(arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        job = jobOf(run);
        QVERIFY2(job > 0, qPrintable(run.out));
        QVERIFY(cups_test::waitIdle());
    }

private slots:
    void initTestCase() {
        input_ = dir_.filePath("three.txt");
        QFile file(input_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("first page\n<Page-End>\nsecond page\n<Page-End>\nthird page\n");
        file.close();
        noCups_ = cups_test::startForTests(cups_, [](cups_test::Scheduler& cups) {
            return cups.addQueue(RefusingQueue,
                                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")) &&
                   cups_test::runQuietly("cupsreject", {RefusingQueue});
        });
    }
    void cleanupTestCase() { cups_.reset(); }

    void printOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<QList<int>>("fromToCopies");
        QTest::addColumn<QString>("printer");
        QTest::newRow("defaults") << QStringList{"--print", "in.txt"} << QString()
                                  << QList<int>{0, 0, 1} << QString();
        QTest::newRow("all given")
            << QStringList{"--print", "--printer", "Q",        "--from", "2",
                           "--to",    "3",         "--copies", "4",      "in.txt"}
            << QString() << QList<int>{2, 3, 4} << QStringLiteral("Q");
        QTest::newRow("from alone") << QStringList{"--print", "--from=5", "in.txt"} << QString()
                                    << QList<int>{5, 0, 1} << QString();
        QTest::newRow("pdf and print") << QStringList{"--pdf", "a.pdf", "--print", "in.txt"}
                                       << text(app_errors::PdfOrPrint) << QList<int>{} << QString();
        QTest::newRow("copies without print")
            << QStringList{"--pdf", "a.pdf", "--copies", "2", "in.txt"}
            << text(app_errors::PrintOnlyOption).arg("--copies") << QList<int>{} << QString();
        QTest::newRow("from after to")
            << QStringList{"--print", "--from", "3", "--to", "2", "in.txt"}
            << text(app_errors::BadOptionValue).arg("--to", "2") << QList<int>{} << QString();
        QTest::newRow("page 0") << QStringList{"--print", "--from", "0", "in.txt"}
                                << text(app_errors::BadOptionValue).arg("--from", "0")
                                << QList<int>{} << QString();
        QTest::newRow("no copies")
            << QStringList{"--print", "--copies", "0", "in.txt"}
            << text(app_errors::BadOptionValue).arg("--copies", "0") << QList<int>{} << QString();
        QTest::newRow("empty queue name")
            << QStringList{"--print", "--printer=", "in.txt"}
            << text(app_errors::BadOptionValue).arg("--printer", "") << QList<int>{} << QString();
        // The queue's paper is known only when printing; a paper given is checked at once.
        QTest::newRow("margins, queue paper")
            << QStringList{"--print", "--frame-margins", "200,200,10,10", "in.txt"} << QString()
            << QList<int>{0, 0, 1} << QString();
        QTest::newRow("margins, paper given")
            << QStringList{"--print", "--paper", "A4", "--frame-margins", "200,200,10,10", "in.txt"}
            << text(app_errors::MarginsTooLarge) << QList<int>{} << QString();
    }
    void printOptions() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QFETCH(QList<int>, fromToCopies);
        QFETCH(QString, printer);
        QString message;
        const auto options = PdfExportOptions::parse(arguments, message);
        QCOMPARE(message, error);
        QCOMPARE(bool(options), error.isEmpty());
        if (!options)
            return;
        QVERIFY(options->Print);
        QCOMPARE(options->PrinterName, printer);
        QCOMPARE((QList<int>{options->FromPage, options->ToPage, options->Copies}), fromToCopies);
    }

    void helpListsThePrintOptions() {
        const ToolRun run = runTool({"--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char* option :
             {"--print", "--printer <QUEUE>", "--from <N>", "--to <M>", "--copies <K>"})
            QVERIFY2(run.out.contains(QLatin1String(option)), option);
    }

    // Pages 2 to 3 in three copies on the default queue: one job, its text where --pdf puts it
    // on the queue's paper at the queue's resolution (300 dpi).
    void printsARangeOnTheDefaultQueue() {
        REQUIRE_CUPS();
        int job = 0;
        printJob({"--print", "--from", "2", "--to", "3", "--copies", "3", "--frame", input_}, job);
        if (QTest::currentTestFailed())
            return;
        const auto attributes = cups_test::jobAttributes(job);
        QCOMPARE(attributes.name, QStringLiteral("Input/OutPut DATA"));
        QCOMPARE(attributes.copies, 3);
        const QString sent = cups_test::spoolFile(job);
        QCOMPARE(cups_test::pdfPageCount(sent), 2);

        const QString pdf = dir_.filePath("same.pdf");
        QCOMPARE(runTool({"--pdf", pdf, "--resolution", "300", "--frame", input_}).exitCode, 0);
        const auto expected = cups_test::words(pdf);
        const auto printed = cups_test::words(sent);
        const cups_test::Word* second = cups_test::findWord(printed, "second");
        const cups_test::Word* secondExpected = cups_test::findWord(expected, "second");
        QVERIFY(second && secondExpected);
        QCOMPARE(second->page, 0);
        QVERIFY(qAbs(second->xMin - secondExpected->xMin) < 0.5 &&
                qAbs(second->yMin - secondExpected->yMin) < 0.5);
        QVERIFY(!cups_test::findWord(printed, "first"));
    }

    // No scheduler answers: the tool says so, for a named queue and for the default one,
    // instead of calling the queue unknown.
    void unreachableSchedulerIsNamed_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("named queue") << QStringList{"--print", "--printer", "SomeQueue"};
        QTest::newRow("default queue") << QStringList{"--print"};
    }
    void unreachableSchedulerIsNamed() {
        QFETCH(QStringList, arguments);
        const QString socket = dir_.filePath("no-scheduler");
        const ToolRun run = runTool(arguments << input_, QString(), {"CUPS_SERVER=" + socket});
        QCOMPARE(run.exitCode, 1);
        // The reason after the address is the system's.
        const QString expected =
            "folioscope: " + text(app_errors::SchedulerUnreachable).arg(socket, QString());
        const QStringList lines = run.err.split('\n');
        QVERIFY2(std::any_of(lines.cbegin(), lines.cend(),
                             [&](const QString& line) { return line.startsWith(expected); }),
                 qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    // What the queue sees of a landscape job: the document carries the job's name (not the
    // spool file's), and no option without a value (CUPS stored "landscape" as false); the
    // pages are landscape in the file itself.
    void landscapeJobAsTheQueueSeesIt() {
        REQUIRE_CUPS();
        int job = 0;
        printJob({"--print", "--landscape", "--to", "1", input_}, job);
        if (QTest::currentTestFailed())
            return;
        const auto attributes = cups_test::jobAttributes(job);
        QCOMPARE(attributes.name, QStringLiteral("Input/OutPut DATA"));
        QCOMPARE(attributes.documentName, QStringLiteral("Input/OutPut DATA"));
        QVERIFY(!attributes.landscape);
        const QString size = cups_test::output("pdfinfo", {cups_test::spoolFile(job)});
        QVERIFY2(size.contains(QStringLiteral("842 x 595")), qPrintable(size));
    }

    // The same notes as --pdf: a converted UTF-8 report and each figure that was not found.
    void printTellsMissingFiguresAndEncoding() {
        REQUIRE_CUPS();
        const QString path = dir_.filePath("utf8.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // All of it UTF-8, the tag too: it matches once the file is converted.
        file.write(QString::fromUtf8("構造計算書\n<bmpファイル>\nsub\\absent.bmp\n").toUtf8());
        file.close();
        const ToolRun run = runTool({"--print", path});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.contains(path + ":3: figure file not found: sub\\absent.bmp"),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(text(app_errors::ConvertedFromUtf8).arg(path)),
                 qPrintable(run.err));
        QVERIFY(cups_test::waitIdle());
    }

    void failuresPrintNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // a part of the message on stderr
        QTest::newRow("unknown queue") << QStringList{"--print", "--printer", "NoSuchQueue"}
                                       << text(app_errors::UnknownQueue).arg("NoSuchQueue");
        QTest::newRow("range beyond the count")
            << QStringList{"--print", "--from", "2", "--to", "4"}
            << text(app_errors::PagesBeyondCount).arg(2).arg(4).arg(3);
        QTest::newRow("queue refusing jobs") << QStringList{"--print", "--printer", RefusingQueue}
                                             << QStringLiteral("failed, nothing was printed: ");
    }
    void failuresPrintNothing() {
        REQUIRE_CUPS();
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const auto before = cups_test::jobIds();
        const ToolRun run = runTool(arguments << input_);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(cups_test::jobIds(), before);
    }
};

QTEST_MAIN(TestPrintCommand)
#include "tst_PrintCommand.moc"
