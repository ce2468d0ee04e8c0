#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "pages/CurrentPrinter.h"
#include "pages/PagesErrors.h"
#include "pages/PrinterError.h"
#include "pages/PrinterInfo.h"
#include "pages/ReadPrinterInfo.h"

namespace {

void verifyDerivedMm(const TPrinterInfo& info) {
    const auto mmX = [&](int dots) { return dots / double(info.DpiX) * 25.4; };
    const auto mmY = [&](int dots) { return dots / double(info.DpiY) * 25.4; };
    QCOMPARE(info.PrintableWidthMm, mmX(info.PrintableWidthDots));
    QCOMPARE(info.PrintableHeightMm, mmY(info.PrintableHeightDots));
    QCOMPARE(info.PaperWidthMm, mmX(info.PaperWidthDots));
    QCOMPARE(info.PaperHeightMm, mmY(info.PaperHeightDots));
    QCOMPARE(info.OffsetXmm, mmX(info.OffsetXDots));
    QCOMPARE(info.OffsetYmm, mmY(info.OffsetYDots));
    QCOMPARE(info.RightUnprintableMm, mmX(info.RightUnprintableDots));
    QCOMPARE(info.BottomUnprintableMm, mmY(info.BottomUnprintableDots));
    const double unscaled[8] = {info.PrintableWidthMm,   info.PrintableHeightMm,  info.PaperWidthMm,
                                info.PaperHeightMm,      info.OffsetXmm,          info.OffsetYmm,
                                info.RightUnprintableMm, info.BottomUnprintableMm};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(info.ScaledMm[size_t(i)], info.ScalePercent * unscaled[i] / 100);
}

// The record against the printer's own page layout, which Qt keeps in whole points (A4 is
// 595 x 842): paper, printable area and offsets agree to within one dot, and the unprintable
// strips add up to the sheet.
void verifyMatchesPrinter(const TPrinterInfo& info, const QPrinter& printer) {
    QCOMPARE(info.DpiX, printer.logicalDpiX());
    QCOMPARE(info.DpiY, printer.logicalDpiY());
    const QPageLayout layout = printer.pageLayout();
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QRectF printable = printer.fullPage() ? paper : layout.paintRect(QPageLayout::Point);
    const auto near = [](int dots, double points, int dpi) {
        return qAbs(dots - points / 72 * dpi) <= 1.0;
    };
    QVERIFY(near(info.PaperWidthDots, paper.width(), info.DpiX));
    QVERIFY(near(info.PaperHeightDots, paper.height(), info.DpiY));
    QVERIFY(near(info.PrintableWidthDots, printable.width(), info.DpiX));
    QVERIFY(near(info.PrintableHeightDots, printable.height(), info.DpiY));
    QVERIFY(near(info.OffsetXDots, printable.left(), info.DpiX));
    QVERIFY(near(info.OffsetYDots, printable.top(), info.DpiY));
    QVERIFY(info.OffsetXDots >= 0 && info.OffsetYDots >= 0);
    QVERIFY(info.RightUnprintableDots >= 0 && info.BottomUnprintableDots >= 0);
    QCOMPARE(info.OffsetXDots + info.PrintableWidthDots + info.RightUnprintableDots,
             info.PaperWidthDots);
    QCOMPARE(info.OffsetYDots + info.PrintableHeightDots + info.BottomUnprintableDots,
             info.PaperHeightDots);
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    QCOMPARE(info.Landscape, landscape ? 1 : 0);
    QCOMPARE(info.PaperWidthDots > info.PaperHeightDots, landscape);
    QCOMPARE(info.ScalePercent, 100);
    verifyDerivedMm(info);
}

// A record with every member set to a recognisable value, to see that a failed read keeps it.
TPrinterInfo sentinel() {
    return TPrinterInfo::fromDots(1111, 2222, 1000, 2000, 55, 66, 333, 444, true, 77);
}

bool sameRecord(const TPrinterInfo& a, const TPrinterInfo& b) {
    return a.PaperWidthDots == b.PaperWidthDots && a.PaperHeightDots == b.PaperHeightDots &&
           a.PrintableWidthDots == b.PrintableWidthDots && a.OffsetXDots == b.OffsetXDots &&
           a.OffsetYDots == b.OffsetYDots && a.DpiX == b.DpiX && a.DpiY == b.DpiY &&
           a.Landscape == b.Landscape && a.ScalePercent == b.ScalePercent &&
           a.ScaledMm == b.ScaledMm;
}

bool runQuietly(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitCode() == 0;
}

// Runs the shared script that starts a headless CUPS scheduler with a PDF queue as default.
class CupsTestPrinter {
public:
    explicit CupsTestPrinter(const QString& script) : script_(script) {}
    ~CupsTestPrinter() {
        // Only a scheduler this test started is stopped; one that was running stays.
        if (startedHere_)
            run({"stop"});
    }
    // Starts the scheduler and the queue unless both are there already: another test on this
    // machine may be printing to the queue, and starting again would move its output folder.
    bool start(const QString& outDir, const QString& queue) {
        startedHere_ = !schedulerRunning();
        if (!startedHere_ && runQuietly("lpstat", {"-p", queue}))
            return true;
        return run({"start", outDir});
    }
    static bool schedulerRunning() {
        QProcess lpstat;
        lpstat.start("lpstat", {"-r"});
        lpstat.waitForFinished(10000);
        // "scheduler is running" or "scheduler is not running"
        return lpstat.readAllStandardOutput().contains("is running");
    }

private:
    bool run(const QStringList& args) {
        QProcess process;
        process.start("bash", QStringList{script_} + args);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
    QString script_;
    bool startedHere_ = false;
};

} // namespace

class TestPrinterInfo : public QObject {
    Q_OBJECT
private slots:
    void init() { current_printer::replace(nullptr); }
    void cleanupTestCase() { current_printer::replace(nullptr); }

    void a4At600DpiWithOffsets() {
        // Paper 4960 x 7016 dots, a printable area 100 dots in from the top and left edges.
        const TPrinterInfo info =
            TPrinterInfo::fromDots(4960, 7016, 4720, 6776, 100, 100, 600, 600);
        QCOMPARE(info.OffsetXmm, 100.0 / 600 * 25.4);
        QVERIFY(qAbs(info.OffsetXmm - 4.2333333) < 1e-6);
        QCOMPARE(info.RightUnprintableDots, 4960 - 4720 - 100);
        QCOMPARE(info.BottomUnprintableDots, 7016 - 6776 - 100);
        QCOMPARE(info.ScalePercent, 100);
        QCOMPARE(info.Landscape, 0);
        verifyDerivedMm(info); // at 100 % each ScaledMm equals its unscaled value
    }

    void eachAxisUsesItsOwnResolution() {
        // 600 dpi across, 300 dpi down: A4 is 4960 x 3508 dots.
        const TPrinterInfo info =
            TPrinterInfo::fromDots(4960, 3508, 4760, 3408, 120, 30, 600, 300, true, 50);
        QVERIFY(qAbs(info.PaperWidthMm - 209.97) < 0.01);
        QVERIFY(qAbs(info.PaperHeightMm - 297.01) < 0.01);
        QCOMPARE(info.OffsetXmm, 120.0 / 600 * 25.4);
        QCOMPARE(info.OffsetYmm, 30.0 / 300 * 25.4);
        QCOMPARE(info.RightUnprintableMm, 80.0 / 600 * 25.4);
        QCOMPARE(info.BottomUnprintableMm, 70.0 / 300 * 25.4);
        QCOMPARE(info.Landscape, 1);
        QCOMPARE(info.ScaledMm[2], info.PaperWidthMm / 2);
        verifyDerivedMm(info);
    }

    void pdfPrinterIsA4At600DpiWithoutOffsets() {
        current_printer::replace(current_printer::createPdfPrinter());
        TPrinterInfo info;
        ReadPrinterInfo(info);
        QCOMPARE(info.DpiX, 600);
        QCOMPARE(info.DpiY, 600);
        // Qt sizes A4 from its 595 x 842 points.
        QCOMPARE(info.PaperWidthDots, 4958);
        QCOMPARE(info.PaperHeightDots, 7017);
        QCOMPARE(info.PrintableWidthDots, info.PaperWidthDots);
        QCOMPARE(info.PrintableHeightDots, info.PaperHeightDots);
        QCOMPARE(info.OffsetXDots, 0);
        QCOMPARE(info.OffsetYDots, 0);
        QVERIFY(qAbs(info.PaperWidthMm - 210) < 0.2);
        QVERIFY(qAbs(info.PaperHeightMm - 297) < 0.2);
        verifyMatchesPrinter(info, current_printer::get());

        current_printer::get().setPageOrientation(QPageLayout::Landscape);
        ReadPrinterInfo(info);
        QCOMPARE(info.Landscape, 1);
        QCOMPARE(info.PaperWidthDots, 7017);
        QCOMPARE(info.PaperHeightDots, 4958);
        verifyMatchesPrinter(info, current_printer::get());
    }

    void currentPrinterIsTheDefaultQueueOrThePdfPrinter() {
        QPrinter& printer = current_printer::get();
        QCOMPARE(&current_printer::get(), &printer); // one printer for the process
        const QPrinterInfo queue = QPrinterInfo::defaultPrinter();
        if (queue.isNull()) {
            QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
            QCOMPARE(printer.resolution(), 600);
            QVERIFY(printer.fullPage());
        } else {
            QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
            QCOMPARE(printer.printerName(), queue.printerName());
        }
        TPrinterInfo info;
        ReadPrinterInfo(info);
        verifyMatchesPrinter(info, printer);
    }

    void cupsQueues() {
        const QString shared =
            QFileInfo(QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA "/..")).absoluteFilePath();
        const QString script = QDir(shared).filePath("cups-test-printer.sh");
        if (geteuid() != 0)
            QSKIP("starting a print scheduler needs root");
        if (!QFileInfo::exists(script))
            QSKIP("cups-test-printer.sh is not there");
        CupsTestPrinter cups(script);
        const QString queue = QStringLiteral("FolioscopeTestPDF");
        // Nothing is printed here; the folder only has to exist for the queue.
        QVERIFY(cups.start(QDir::temp().filePath("folioscope-cups-out"), queue));
        // The scheduler answers with the new queue a moment after the script returns.
        QTRY_COMPARE_WITH_TIMEOUT(QPrinterInfo::defaultPrinterName(), queue, 15000);

        // The default queue becomes the current printer; its PPD prints the whole A4 sheet.
        QPrinter& printer = current_printer::get();
        QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
        QCOMPARE(printer.printerName(), queue);
        TPrinterInfo info;
        ReadPrinterInfo(info);
        verifyMatchesPrinter(info, printer);
        QVERIFY(qAbs(info.PaperWidthMm - 210) < 0.2);
        QVERIFY(qAbs(info.PaperHeightMm - 297) < 0.2);
        QCOMPARE(info.OffsetXDots, 0);
        QCOMPARE(info.OffsetYDots, 0);
        QCOMPARE(info.PrintableWidthDots, info.PaperWidthDots);

        // A queue whose A4 imageable area leaves 18 points left and right, 36 top and bottom.
        QTemporaryDir ppdDir;
        QFile ppdIn("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
        QVERIFY(ppdIn.open(QIODevice::ReadOnly));
        QByteArray ppd = ppdIn.readAll();
        const QByteArray area = "*ImageableArea A4/A4: \"0 0 595 842\"";
        QVERIFY(ppd.contains(area));
        ppd.replace(area, "*ImageableArea A4/A4: \"18 36 577 806\"");
        QFile ppdOut(ppdDir.filePath("margins.ppd"));
        QVERIFY(ppdOut.open(QIODevice::WriteOnly));
        ppdOut.write(ppd);
        ppdOut.close();
        const QString marginsQueue = QStringLiteral("FolioscopeTestMargins");
        QVERIFY(runQuietly(
            "lpadmin", {"-p", marginsQueue, "-E", "-v", "cups-pdf:/", "-P", ppdOut.fileName()}));
        struct RemoveQueue {
            QString name;
            ~RemoveQueue() { runQuietly("lpadmin", {"-x", name}); }
        } removeQueue{marginsQueue};

        auto margins = current_printer::createForQueue(QPrinterInfo::printerInfo(marginsQueue));
        QVERIFY(margins);
        current_printer::replace(std::move(margins));
        QPrinter& marginsPrinter = current_printer::get();
        marginsPrinter.setPageSize(QPageSize(QPageSize::A4));
        ReadPrinterInfo(info);
        verifyMatchesPrinter(info, marginsPrinter);
        const int dpi = info.DpiX;
        QCOMPARE(info.OffsetXDots, qRound(18 * dpi / 72.0));
        QCOMPARE(info.OffsetYDots, qRound(36 * dpi / 72.0));
        QVERIFY(qAbs(info.RightUnprintableDots - 18 * dpi / 72.0) <= 1);
        QVERIFY(qAbs(info.BottomUnprintableDots - 36 * dpi / 72.0) <= 1);
        QVERIFY(qAbs(info.OffsetXmm - 18 / 72.0 * 25.4) < 0.01);

        marginsPrinter.setPageOrientation(QPageLayout::Landscape);
        ReadPrinterInfo(info);
        verifyMatchesPrinter(info, marginsPrinter);
        QCOMPARE(info.Landscape, 1);

        // The queue goes away while it is the current printer: the next read fails and
        // leaves the caller's record as it was.
        QVERIFY(runQuietly("lpadmin", {"-x", marginsQueue}));
        info = sentinel();
        try {
            ReadPrinterInfo(info);
            QFAIL("a deleted queue was read");
        } catch (const EPrinterError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QString::fromUtf8(pages_errors::NoPrinter));
        }
        QVERIFY(sameRecord(info, sentinel()));
        current_printer::replace(nullptr);
    }
};

QTEST_MAIN(TestPrinterInfo)
#include "tst_PrinterInfo.moc"
