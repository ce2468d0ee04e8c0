// Printing recorded pages: where a page lands on the printer, one job per print over a real
// CUPS queue (title, page count, range, copies, text positions as sent), nothing sent on a
// refused page or a cancel, the PDF printer's output file, and the PDF export of pages.

#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "pages/CurrentPrinter.h"
#include "pages/PagePdfWriter.h"
#include "pages/PagePrinter.h"
#include "pages/PagesErrors.h"
#include "pages/PrintPreview.h"
#include "pages/PrintProgress.h"
#include "pages/PrinterError.h"
#include "pages/QueueResolution.h"
#include "pages/ReadPrinterInfo.h"
#include "platform/FontSubstitution.h"
#include "support/CupsTestQueue.h"

namespace {

const QString OffsetsQueue = QStringLiteral("FolioscopeTestOffsets");

// count pages, page n holding the word "pageN" with its cell's top-left corner at at.
void record(TPrintPreview& store, const TPrinterInfo& info, int count, QPoint at) {
    store.setReferenceDevice(info);
    store.BeginDoc();
    for (int n = 1; n <= count; ++n) {
        if (n > 1)
            store.NewPage();
        RecordingCanvas& canvas = store.GetCanvas();
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 12);
        canvas.textOut(at.x(), at.y(), "page" + QByteArray::number(n));
    }
    store.EndDoc();
}

class RecordingProgress : public PrintProgress {
public:
    explicit RecordingProgress(int stopAt = 0) : stopAt_(stopAt) {}
    void start(int pages) override {
        ++starts;
        total = pages;
    }
    bool step(int done) override {
        steps << done;
        return done != stopAt_;
    }
    void finish() override { ++finishes; }
    int starts = 0, finishes = 0, total = -1;
    QList<int> steps;

private:
    int stopAt_;
};

// The current printer on queue, and its geometry.
TPrinterInfo useQueue(const QString& queue) {
    current_printer::replace(current_printer::createForQueue(QPrinterInfo::printerInfo(queue)));
    TPrinterInfo info;
    ReadPrinterInfo(info);
    return info;
}

} // namespace

class TestPagePrinter : public QObject {
    Q_OBJECT
    std::unique_ptr<cups_test::Scheduler> cups_;
    QString noCups_;

private slots:
    void initTestCase() {
        font_substitution::install();
        noCups_ = cups_test::startForTests(cups_, [](cups_test::Scheduler& cups) {
            return cups.addQueue(
                OffsetsQueue, QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/tests/pages/offsets-600.ppd"));
        });
        if (!noCups_.isEmpty())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!QPrinterInfo::printerInfo(OffsetsQueue).isNull(), 15000);
    }
    void cleanupTestCase() {
        current_printer::replace(nullptr);
        cups_.reset();
    }
    void cleanup() { current_printer::replace(nullptr); }

    void pageOriginTakesTheOffsetsToTheNearestDot_data() {
        QTest::addColumn<double>("offsetMm");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("origin");
        QTest::newRow("no offsets") << 0.0 << 600 << 0;
        QTest::newRow("100 dots at 600 dpi") << 100 / 600.0 * 25.4 << 600 << -100;
        // 12.7 mm is half an inch: 2.5 and 3.5 dots, halves to the even neighbour.
        QTest::newRow("2.5 goes to 2") << 12.7 << 5 << -2;
        QTest::newRow("3.5 goes to 4") << 12.7 << 7 << -4;
        QTest::newRow("just above a half") << 12.71 << 5 << -3;
    }
    void pageOriginTakesTheOffsetsToTheNearestDot() {
        QFETCH(double, offsetMm);
        QFETCH(int, dpi);
        QFETCH(int, origin);
        TPrinterInfo info;
        info.DpiX = dpi;
        info.DpiY = dpi * 2;
        info.OffsetXmm = offsetMm;
        info.OffsetYmm = offsetMm / 2; // the vertical axis at its own resolution: same dots
        QCOMPARE(page_printer::pageOrigin(info), QPoint(origin, origin));
    }

    void queuesPrintAtTheirOwnDefaultResolution() {
        REQUIRE_CUPS();
        QCOMPARE(queue_resolution::queueDefault(cups_test::Scheduler::Queue), std::optional(300));
        QCOMPARE(queue_resolution::queueDefault(OffsetsQueue), std::optional(600));
        QCOMPARE(queue_resolution::queueDefault(QStringLiteral("NoSuchQueue")), std::nullopt);
        QCOMPARE(queue_resolution::forQueue(QStringLiteral("NoSuchQueue")),
                 queue_resolution::Fallback);

        TPrinterInfo info = useQueue(cups_test::Scheduler::Queue);
        QCOMPARE(info.DpiX, 300);
        QCOMPARE(info.DpiY, 300);
        QCOMPARE(info.OffsetXDots, 0);
        info = useQueue(OffsetsQueue);
        QCOMPARE(info.DpiX, 600);
        QCOMPARE(info.OffsetXDots, 100);
        QCOMPARE(info.OffsetYDots, 100);

        // A dialog that moves the printer to another queue: the new queue's resolution and
        // printable area follow; staying on the queue keeps what was set.
        QPrinter& printer = current_printer::get();
        printer.setPrinterName(cups_test::Scheduler::Queue);
        current_printer::followQueue(printer, OffsetsQueue);
        ReadPrinterInfo(info);
        QCOMPARE(info.DpiX, 300);
        QCOMPARE(info.OffsetXDots, 0);
        printer.setResolution(150);
        current_printer::followQueue(printer, cups_test::Scheduler::Queue);
        QCOMPARE(printer.resolution(), 150);
    }

    void printsTheRangeAsOneJob_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("copies");
        QTest::newRow("all of three") << 3 << 1 << 3 << 1;
        QTest::newRow("2 to 2") << 3 << 2 << 2 << 1;
        QTest::newRow("one page, one sheet") << 1 << 1 << 1 << 1;
        QTest::newRow("two copies") << 2 << 1 << 2 << 2;
    }
    void printsTheRangeAsOneJob() {
        REQUIRE_CUPS();
        QFETCH(int, pages);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, copies);
        const TPrinterInfo info = useQueue(cups_test::Scheduler::Queue);
        QPrinter& printer = current_printer::get();
        printer.setCopyCount(copies);
        TPrintPreview store;
        record(store, info, pages, QPoint(600, 900));

        RecordingProgress progress;
        const auto result = page_printer::print(store, printer, info, first, last, &progress);
        QVERIFY(result.JobId > 0);
        QCOMPARE(result.Pages, last - first + 1);
        QCOMPARE(progress.total, last - first + 1);
        QCOMPARE(progress.steps.size(), last - first + 1);
        QCOMPARE(progress.finishes, 1);
        QVERIFY(cups_test::waitIdle());

        const auto job = cups_test::jobAttributes(result.JobId);
        QVERIFY(job.found);
        QCOMPARE(job.name, QStringLiteral("Input/OutPut DATA"));
        QCOMPARE(job.copies, copies);
        const QString sent = cups_test::spoolFile(result.JobId);
        QCOMPARE(cups_test::pdfPageCount(sent), last - first + 1);
        const auto words = cups_test::words(sent);
        QCOMPARE(words.size(), last - first + 1);
        for (int p = first; p <= last; ++p) {
            const cups_test::Word& w = words[p - first];
            QCOMPARE(w.page, p - first);
            QCOMPARE(w.text, QStringLiteral("page%1").arg(p));
            // 600 dots at 300 dpi: 2 inches from the paper's left edge.
            QVERIFY2(qAbs(w.xMin - 144) < 1, qPrintable(QString::number(w.xMin)));
        }
    }

    // The queue's printable area starts 100 dots in: pages are played at (-100, -100) and
    // land where the preview (the paper from its corner) has them.
    void pagesLandOnThePaperCornerOfAQueueWithOffsets() {
        REQUIRE_CUPS();
        const TPrinterInfo info = useQueue(OffsetsQueue);
        QCOMPARE(page_printer::pageOrigin(info), QPoint(-100, -100));
        TPrintPreview store;
        record(store, info, 1, QPoint(600, 1200));
        QTemporaryDir dir;
        const QString preview = dir.filePath("preview.pdf");
        QVERIFY(page_pdf::write(store, preview));
        const auto expected = cups_test::words(preview);
        QCOMPARE(expected.size(), 1);
        QVERIFY(qAbs(expected[0].xMin - 72) < 1); // 600 dots at 600 dpi: one inch

        const auto result = page_printer::print(store, current_printer::get(), info, 1, 1);
        QVERIFY(cups_test::waitIdle());
        const auto sent = cups_test::words(cups_test::spoolFile(result.JobId));
        QCOMPARE(sent.size(), 1);
        QVERIFY2(qAbs(sent[0].xMin - expected[0].xMin) < 0.5 &&
                     qAbs(sent[0].yMin - expected[0].yMin) < 0.5,
                 qPrintable(QStringLiteral("%1,%2 instead of %3,%4")
                                .arg(sent[0].xMin)
                                .arg(sent[0].yMin)
                                .arg(expected[0].xMin)
                                .arg(expected[0].yMin)));
    }

    // A page the store refuses, or a cancel, sends nothing: no job reaches the scheduler.
    void nothingIsSentOnARefusedPageOrACancel() {
        REQUIRE_CUPS();
        const TPrinterInfo info = useQueue(cups_test::Scheduler::Queue);
        TPrintPreview store;
        record(store, info, 3, QPoint(600, 900));
        const auto before = cups_test::jobIds();

        RecordingProgress progress;
        try {
            page_printer::print(store, current_printer::get(), info, 2, 4, &progress);
            QFAIL("a page beyond the count was printed");
        } catch (const EPrintPreviewError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QString::fromUtf8(pages_errors::GetPageOutOfRange));
        }
        QVERIFY(progress.steps.isEmpty());

        RecordingProgress cancelAtTwo(2);
        const auto result =
            page_printer::print(store, current_printer::get(), info, 1, 3, &cancelAtTwo);
        QVERIFY(result.Cancelled);
        QCOMPARE(result.JobId, 0);
        QCOMPARE(cancelAtTwo.steps, QList<int>({1, 2}));
        QCOMPARE(cancelAtTwo.finishes, 1);

        // last below first: nothing to print, no job.
        QCOMPARE(page_printer::print(store, current_printer::get(), info, 3, 2).Pages, 0);
        QCOMPARE(cups_test::jobIds(), before);
    }

    // Without a print queue the current printer is a PDF printer: the job is its output file,
    // written whole or not at all.
    void thePdfPrinterWritesItsOutputFile() {
        auto pdf = current_printer::createPdfPrinter();
        TPrinterInfo info = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
        TPrintPreview store;
        record(store, info, 3, QPoint(600, 900));
        try {
            page_printer::print(store, *pdf, info, 1, 3);
            QFAIL("printed to a PDF printer without a file");
        } catch (const EPrinterError&) {
        }
        QTemporaryDir dir;
        const QString out = dir.filePath("out.pdf");
        pdf->setOutputFileName(out);
        QCOMPARE(page_printer::print(store, *pdf, info, 2, 3).Pages, 2);
        QCOMPARE(cups_test::pdfPageCount(out), 2);
        QCOMPARE(cups_test::words(out).first().text, QStringLiteral("page2"));
        QFile::remove(out);
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, page_printer::print(store, *pdf, info, 3, 4));
        QVERIFY(!QFile::exists(out));
    }

    void pdfExportWritesThePagesAsRecorded_data() {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QString>("size");
        QTest::newRow("portrait A4") << false << QStringLiteral("595 x 842");
        QTest::newRow("landscape A4") << true << QStringLiteral("842 x 595");
    }
    void pdfExportWritesThePagesAsRecorded() {
        QFETCH(bool, landscape);
        QFETCH(QString, size);
        const QSizeF a4(210, 297);
        const TPrinterInfo info =
            TPrinterInfo::forPaper(landscape ? a4.transposed() : a4, 300, landscape);
        TPrintPreview store;
        record(store, info, 2, QPoint(300, 600));
        QTemporaryDir dir;
        const QString out = dir.filePath("pages.pdf");
        RecordingProgress progress;
        QVERIFY(page_pdf::write(store, out, &progress));
        QCOMPARE(progress.steps, QList<int>({1, 2}));
        QCOMPARE(cups_test::pdfPageCount(out), 2);
        QVERIFY2(cups_test::output("pdfinfo", {out}).contains("Page size:       " + size),
                 qPrintable(cups_test::output("pdfinfo", {out})));
        const auto words = cups_test::words(out);
        QCOMPARE(words.size(), 2);
        QCOMPARE(words[1].text, QStringLiteral("page2"));
        QVERIFY(qAbs(words[1].xMin - 72) < 1); // 300 dots at 300 dpi
    }

    void pdfExportCancelledOrRefusedLeavesNoFile() {
        const TPrinterInfo info = TPrinterInfo::forPaper(QSizeF(210, 297), 300);
        TPrintPreview store;
        QTemporaryDir dir;
        const QString out = dir.filePath("pages.pdf");
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, page_pdf::write(store, out));
        record(store, info, 3, QPoint(300, 600));
        RecordingProgress cancel(2);
        QVERIFY(!page_pdf::write(store, out, &cancel));
        QCOMPARE(cancel.finishes, 1);
        QVERIFY(!QFile::exists(out));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 page_pdf::write(store, dir.filePath("no/such/dir/x.pdf")));
    }
};

QTEST_MAIN(TestPagePrinter)
#include "tst_PagePrinter.moc"
