#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/PdfExport.h"
#include "app/PdfExportOptions.h"
#include "app/TextFileReader.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/PdfText.h"
#include "support/RunTool.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestPdfExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void defaultsAreA4PortraitAt600Dpi() {
        QString error;
        const auto o = PdfExportOptions::parse({"--pdf", "out.pdf", "in.txt"}, error);
        QVERIFY2(o, qPrintable(error));
        QCOMPARE(o->OutputPath, QString("out.pdf"));
        QCOMPARE(o->InputPath, QString("in.txt"));
        QCOMPARE(o->pageSizeMm(), QSizeF(210, 297));
        QCOMPARE(o->Resolution, 600);
        const TOutputSettings defaults;
        QCOMPARE(o->Settings.DrawOuterFrame, defaults.DrawOuterFrame);
        QCOMPARE(o->Settings.FrameTopMarginMm, defaults.FrameTopMarginMm);
        QCOMPARE(o->Settings.FontSize, defaults.FontSize);
    }

    void everyOptionReachesTheSettings() {
        QString error;
        const auto o = PdfExportOptions::parse({"--pdf=out.pdf",
                                                "--paper",
                                                "b4",
                                                "--landscape",
                                                "--resolution",
                                                "300",
                                                "--frame",
                                                "--page-numbers",
                                                "--first-page",
                                                "-1",
                                                "--no-side-lines",
                                                "--frame-margins",
                                                "12,8,20,6",
                                                "--body-margins",
                                                "3,4",
                                                "--frame-width",
                                                "3",
                                                "--font1",
                                                "IPAGothic,14",
                                                "--font3",
                                                "ＭＳ ゴシック,8",
                                                "in.txt"},
                                               error);
        QVERIFY2(o, qPrintable(error));
        QCOMPARE(o->PaperMm, QSizeF(257, 364)); // JIS B4
        QCOMPARE(o->pageSizeMm(), QSizeF(364, 257));
        QCOMPARE(o->Resolution, 300);
        const TOutputSettings& s = o->Settings;
        QCOMPARE(s.DrawOuterFrame, 1);
        QCOMPARE(s.DrawPageNumber, 1);
        QCOMPARE(s.PageNumberStart, -1);
        QCOMPARE(s.DrawTableSideLines, 0);
        QCOMPARE(s.FrameTopMarginMm, 12);
        QCOMPARE(s.FrameBottomMarginMm, 8);
        QCOMPARE(s.FrameLeftMarginMm, 20);
        QCOMPARE(s.FrameRightMarginMm, 6);
        QCOMPARE(s.BodyTopMarginMm, 3);
        QCOMPARE(s.BodyLeftMarginMm, 4);
        QCOMPARE(s.FrameLineWidthText.bytes(), QByteArray("3"));
        QCOMPARE(s.FontName[0].text(), QString("IPAGothic"));
        QCOMPARE(s.FontSize[0], 14);
        QCOMPARE(s.FontName[2].text(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(s.FontSize[2], 8);
        QCOMPARE(s.FontSize[1], 9);
    }

    void paperSizes_data() {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QSizeF>("mm");
        QTest::newRow("A3") << "A3" << QSizeF(297, 420);
        QTest::newRow("B5") << "B5" << QSizeF(182, 257);
        QTest::newRow("Letter") << "letter" << QSizeF(215.9, 279.4);
        QTest::newRow("Legal") << "Legal" << QSizeF(215.9, 355.6);
        QTest::newRow("WxH") << "210x148.5" << QSizeF(210, 148.5);
    }
    void paperSizes() {
        QFETCH(QString, paper);
        QFETCH(QSizeF, mm);
        QString error;
        const auto o = PdfExportOptions::parse({"--pdf", "o.pdf", "--paper", paper, "i"}, error);
        QVERIFY2(o, qPrintable(error));
        QCOMPARE(o->PaperMm, mm);
    }

    void badOptionsAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no pdf") << QStringList{"in.txt"};
        QTest::newRow("no input") << QStringList{"--pdf", "o.pdf"};
        QTest::newRow("two inputs") << QStringList{"--pdf", "o.pdf", "a", "b"};
        QTest::newRow("unknown") << QStringList{"--pdf", "o.pdf", "--bogus", "a"};
        QTest::newRow("paper") << QStringList{"--pdf", "o.pdf", "--paper", "A9", "a"};
        QTest::newRow("paper WxH") << QStringList{"--pdf", "o.pdf", "--paper", "210x", "a"};
        QTest::newRow("resolution") << QStringList{"--pdf", "o.pdf", "--resolution", "0", "a"};
        QTest::newRow("margins count")
            << QStringList{"--pdf", "o.pdf", "--frame-margins", "1,2,3", "a"};
        QTest::newRow("margins text")
            << QStringList{"--pdf", "o.pdf", "--body-margins", "1,x", "a"};
        QTest::newRow("margins too large")
            << QStringList{"--pdf", "o.pdf", "--frame-margins", "150,150,10,10", "a"};
        QTest::newRow("font size") << QStringList{"--pdf", "o.pdf", "--font2", "IPAMincho", "a"};
        QTest::newRow("frame width") << QStringList{"--pdf", "o.pdf", "--frame-width", "1.5", "a"};
    }
    void badOptionsAreRefused() {
        QFETCH(QStringList, arguments);
        QString error;
        QVERIFY(!PdfExportOptions::parse(arguments, error));
        QVERIFY(!error.isEmpty());
    }

    void pdfHasTheLayoutsPagesAndPositions() {
        QTemporaryDir dir;
        QByteArrayList lines;
        lines << "<Title-Start>"
              << "TITLE"
              << "<Title-End>";
        for (int i = 1; i <= 150; ++i)
            lines << "L" + QByteArray::number(i).rightJustified(3, '0');
        lines << cp932::encode(QStringLiteral("梁 断面検定"));
        QByteArray text = lines.join("\r\n");
        writeFile(dir.filePath("in.txt"), text);

        const QString pdf = dir.filePath("out.pdf");
        const ToolRun run =
            runTool({"--pdf", pdf, "--resolution", "72", "--page-numbers", dir.filePath("in.txt")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(filesIn(dir.path()), (QStringList{"in.txt", "out.pdf"}));

        // The same layout in this process.
        PdfExportOptions options;
        options.Resolution = 72;
        options.Settings.DrawPageNumber = 1;
        TPrintPreview store;
        pdf_export::layOut(ReadTextFileLines(dir.filePath("in.txt")), options, store);

        const QString info = pdf_text::output("pdfinfo", {pdf});
        QVERIFY2(info.contains(
                     QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(store.PageCount()))),
                 qPrintable(info));
        QVERIFY2(info.contains("595.276 x 841.89 pts") || info.contains("595 x 842 pts"),
                 qPrintable(info));

        QMap<QString, QPair<int, QPoint>> expected;
        for (int p = 0; p < store.PageCount(); ++p)
            for (const PageRecord& record : store.GetPage(p).records())
                if (const auto* t = std::get_if<TextRecord>(&record))
                    if (t->bytes.startsWith('L'))
                        expected.insert(QString::fromLatin1(t->bytes), {p, t->topLeft});
        QCOMPARE(expected.size(), 150);

        int found = 0;
        for (const pdf_text::Word& w : pdf_text::words(pdf)) {
            if (!expected.contains(w.text))
                continue;
            ++found;
            const auto [page, at] = expected.value(w.text);
            QCOMPARE(w.page, page);
            // At 72 dpi a dot is a point; glyph boxes sit within a point or two of the cell.
            QVERIFY2(qAbs(w.xMin - at.x()) <= 2.0, qPrintable(w.text));
            QVERIFY2(qAbs(w.yMin - at.y()) <= 2.5,
                     qPrintable(QString("%1: %2 vs %3").arg(w.text).arg(w.yMin).arg(at.y())));
        }
        QCOMPARE(found, 150);

        const QString plain = pdf_text::output("pdftotext", {pdf, "-"});
        QVERIFY(plain.contains(QStringLiteral("梁 断面検定")));
        QVERIFY(plain.contains("Page 3") || plain.contains("Page  3"));
        QCOMPARE(plain.count("TITLE"), 3);
        const QString fonts = pdf_text::output("pdffonts", {pdf});
        QVERIFY2(
            !fonts.contains(QRegularExpression("\\bno\\s+(yes|no)\\s+(yes|no)\\s+\\d+ +\\d+\\s*$",
                                               QRegularExpression::MultilineOption)),
            qPrintable(fonts)); // every font embedded
    }

    void sampleReportLaysOutWithItsTitlesRepeated() {
        const QByteArrayList lines =
            ReadTextFileLines(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt");
        QVERIFY(lines.size() >= 300);
        PdfExportOptions options;
        TPrintPreview store;
        pdf_export::layOut(lines, options, store);
        QVERIFY(store.PageCount() >= 6);
        // The column and beam tables run over more than one page, each page under its title.
        const QByteArray columns = cp932::encode(QStringLiteral("柱断面検定表"));
        const QByteArray beams = cp932::encode(QStringLiteral("大梁断面検定表"));
        int columnPages = 0, beamPages = 0;
        for (int p = 0; p < store.PageCount(); ++p) {
            bool hasColumns = false, hasBeams = false;
            for (const PageRecord& record : store.GetPage(p).records())
                if (const auto* t = std::get_if<TextRecord>(&record)) {
                    hasColumns = hasColumns || t->bytes.contains(columns);
                    hasBeams = hasBeams || t->bytes.contains(beams);
                }
            columnPages += hasColumns;
            beamPages += hasBeams;
        }
        QVERIFY(columnPages >= 2);
        QVERIFY(beamPages >= 2);
    }

    void landscapePageIsWide() {
        QTemporaryDir dir;
        writeFile(dir.filePath("in.txt"), "x\n");
        const QString pdf = dir.filePath("wide.pdf");
        QCOMPARE(runTool({"--pdf", pdf, "--paper", "A4", "--landscape", dir.filePath("in.txt")})
                     .exitCode,
                 0);
        const QString info = pdf_text::output("pdfinfo", {pdf});
        QVERIFY2(info.contains("841.89 x 595.276 pts") || info.contains("842 x 595 pts"),
                 qPrintable(info));
    }

    void errorsLeaveNoFile_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray fraction = tags::Fraction.toByteArray();
        QTest::newRow("layout error")
            << QByteArray("a\n" + fraction + "\nu\nm\n") << QStringList() << 1
            << QStringLiteral("リストのインデックスが範囲を超えています (4)");
        QTest::newRow("missing input") << QByteArray() << QStringList() << 1 << QString("in.txt");
        QTest::newRow("bad option")
            << QByteArray("a\n") << QStringList{"--paper", "A9"} << 2 << QString("--paper");
    }
    void errorsLeaveNoFile() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, extra);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!input.isEmpty())
            writeFile(dir.filePath("in.txt"), input);
        const QString pdf = dir.filePath("out.pdf");
        const ToolRun run =
            runTool(QStringList{"--pdf", pdf} + extra + QStringList{dir.filePath("in.txt")});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(filesIn(dir.path()).size(), input.isEmpty() ? 0 : 1); // no temporary left
    }

    void unwritableOutputFails() {
        QTemporaryDir dir;
        writeFile(dir.filePath("in.txt"), "a\n");
        const ToolRun run =
            runTool({"--pdf", dir.filePath("missing/out.pdf"), dir.filePath("in.txt")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.isEmpty());
    }

    void helpListsEveryOption() {
        const ToolRun run = runTool({"--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char* option :
             {"--pdf", "--paper", "--landscape", "--resolution", "--frame", "--page-numbers",
              "--first-page", "--no-side-lines", "--frame-margins", "--body-margins",
              "--frame-width", "--font1", "--font2", "--font3"})
            QVERIFY2(run.out.contains(option), option);
    }
};

QTEST_MAIN(TestPdfExport)
#include "tst_PdfExport.moc"
