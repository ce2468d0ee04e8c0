// folioscope --outline: the options it takes, its text, and the outline of the bundled sample
// report both from the layout and from the program.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/OutlineCommand.h"
#include "app/PdfExport.h"
#include "app/PdfExportOptions.h"
#include "app/ProgramOptions.h"
#include "app/ReportText.h"
#include "pages/PageRecording.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/RunTool.h"

namespace {

const QString samplePath = QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt");

// The sample's outline at the defaults of --pdf (A4 portrait, 600 dpi).
const char* const sampleOutline = "1\t1\t構　造　計　算　書\n"
                                  "1\t2\t1.  建物概要\n"
                                  "1\t3\t1.  建物概要（つづき）\n"
                                  "1\t4\t2.  荷重および外力\n"
                                  "2\t4\t2.1  固定荷重および積載荷重\n"
                                  "1\t6\t3.  柱の断面検定\n"
                                  "2\t6\t3.2  柱断面検定表　（単位  N : kN,  M : kN・m,  Q : kN）\n"
                                  "1\t9\t4.  大梁の断面検定\n"
                                  "2\t9\t4.1  大梁断面検定表　（単位  M : kN・m,  Q : kN）\n"
                                  "1\t12\t5.  検討結果のまとめ\n";

} // namespace

class TestOutlineCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // empty: accepted with Outline set
        QTest::newRow("alone") << QStringList{"--outline", "in.txt"} << QString();
        QTest::newRow("with layout options")
            << QStringList{"--outline", "--paper", "B4", "--landscape", "--font1", "X,20", "in.txt"}
            << QString();
        QTest::newRow("with --pdf") << QStringList{"--outline", "--pdf", "o.pdf", "in.txt"}
                                    << QStringLiteral("--outline goes with neither");
        QTest::newRow("with --print")
            << QStringList{"--print", "--outline", "in.txt"} << QStringLiteral("--outline goes");
        QTest::newRow("with a print option") << QStringList{"--outline", "--copies", "2", "in.txt"}
                                             << QStringLiteral("--copies goes with --print only");
        QTest::newRow("without input")
            << QStringList{"--outline"} << QStringLiteral("No input file given.");
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QString message;
        const auto options = PdfExportOptions::parse(arguments, message);
        if (error.isEmpty()) {
            QVERIFY2(options, qPrintable(message));
            QVERIFY(options->Outline);
            QVERIFY(!options->Print);
            QCOMPARE(options->InputPath, QStringLiteral("in.txt"));
        } else {
            QVERIFY(!options);
            QVERIFY2(message.startsWith(error), qPrintable(message));
        }
    }

    void helpListsIt() {
        QVERIFY(ProgramOptions::synopsis().contains("folioscope --outline [OPTIONS] IN.txt"));
        QVERIFY(ProgramOptions::helpText().contains("--outline  "));
        QFile manual(QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/packaging/folioscope.1"));
        QVERIFY(manual.open(QIODevice::ReadOnly));
        QVERIFY(manual.readAll().contains("\\-\\-outline"));
    }

    void textIsOneTabSeparatedLinePerEntry() {
        const PageOutline outline{{1, 1, QStringLiteral("1. 章")},
                                  {2, 12, QStringLiteral("1.1 節 …")}};
        QCOMPARE(outline_command::text(outline),
                 QByteArray("1\t1\t1. \xE7\xAB\xA0\n2\t12\t1.1 \xE7\xAF\x80 \xE2\x80\xA6\n"));
        QCOMPARE(outline_command::text({}), QByteArray());
    }

    void sampleOutlineFromTheLayout() {
        const ReportText report = ReadReportText(samplePath);
        PdfExportOptions options;
        options.InputPath = samplePath;
        TPrintPreview store;
        pdf_export::layOut(report.lines, options, store);
        QCOMPARE(QString::fromUtf8(outline_command::text(store.outline())),
                 QString::fromUtf8(sampleOutline));
        // Each label is on its page as drawn.
        for (const OutlineEntry& entry : store.outline()) {
            QString page;
            for (const PageRecord& record : store.GetPage(entry.page - 1).records())
                if (const auto* text = std::get_if<TextRecord>(&record))
                    page += cp932::decode(text->bytes) + QLatin1Char('\n');
            QVERIFY2(page.contains(entry.label), qPrintable(entry.label));
        }
    }

    void sampleOutlineFromTheProgram() {
        const ToolRun run = runTool({"--outline", samplePath});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString::fromUtf8(sampleOutline));
        QVERIFY2(!run.err.contains("folioscope:"), qPrintable(run.err));
    }

    void aFileThatCannotBeReadPrintsNothing() {
        QTemporaryDir dir;
        const ToolRun run = runTool({"--outline", dir.filePath("missing.txt")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains("folioscope: "), qPrintable(run.err));
    }
};

QTEST_MAIN(TestOutlineCommand)
#include "tst_OutlineCommand.moc"
