// Layout and PDF export of a large report, against paps turning the same text into
// PostScript in the same run.
//   bench_layout [REPORT.txt]     (default: 100,000 lines from bench/make-large-report.py)
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#include "BenchSupport.h"
#include "app/PdfExport.h"
#include "app/TextFileReader.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

double seconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e9;
}

bool runProcess(const QString& program, const QStringList& arguments, const QString& output = {}) {
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    font_substitution::install();

    QTemporaryDir dir;
    const QString report = bench::largeReport(argc, argv, dir);
    if (report.isEmpty())
        return 1;

    QElapsedTimer timer;
    timer.start();
    const QByteArrayList lines = ReadTextFileLines(report);
    const double readTime = seconds(timer);
    std::printf("report: %s, %lld lines\n", qPrintable(report),
                static_cast<long long>(lines.size()));
    std::printf("read and split: %.3f s\n", readTime);

    PdfExportOptions options; // A4 portrait, 600 dpi, default settings
    options.Settings.DrawOuterFrame = 1;
    options.Settings.DrawPageNumber = 1;
    double best = 1e9;
    int pages = 0;
    for (int run = 0; run < 3; ++run) {
        TPrintPreview store;
        timer.restart();
        pdf_export::layOut(lines, options, store);
        best = std::min(best, seconds(timer));
        pages = store.PageCount();
    }
    std::printf("layout (A4, 600 dpi, best of 3): %.3f s, %d pages, %.0f lines/s\n", best, pages,
                lines.size() / best);
    std::printf("peak memory after layout: %.1f MiB\n", peakMiB());

    // The whole export as the command line does it: read, lay out, write the PDF.
    const QString pdf = dir.filePath("large.pdf");
    timer.restart();
    {
        const QByteArrayList again = ReadTextFileLines(report);
        TPrintPreview store;
        pdf_export::layOut(again, options, store);
        pdf_export::writePdf(store, options, pdf);
    }
    const double exportTime = seconds(timer);
    std::printf("PDF export (read + layout + write): %.3f s, %lld bytes\n", exportTime,
                static_cast<long long>(QFile(pdf).size()));
    std::printf("peak memory after export: %.1f MiB\n", peakMiB());

    // paps on the same text in UTF-8 with a 9-point IPA font.
    const QString utf8 = dir.filePath("large-utf8.txt");
    {
        QFile in(report), out(utf8);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return 1;
        out.write(cp932::decode(in.readAll()).toUtf8());
    }
    timer.restart();
    if (!runProcess("paps", {"--font=IPAMincho 9", utf8}, dir.filePath("large.ps"))) {
        std::fprintf(stderr, "paps failed\n");
        return 1;
    }
    const double papsTime = seconds(timer);
    std::printf("paps --font=\"IPAMincho 9\" (PostScript): %.3f s, %lld bytes\n", papsTime,
                static_cast<long long>(QFile(dir.filePath("large.ps")).size()));
    std::printf("export / paps time ratio: %.2f\n", exportTime / papsTime);
    return 0;
}
