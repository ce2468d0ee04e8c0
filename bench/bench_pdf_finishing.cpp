// What the PDF finishing costs on a large report: the pages are laid out once, then written
// as --pdf writes them, without bookmarks and with an outline of a chapter every 10 pages and
// a section on every page; best of three each.
//   bench_pdf_finishing [REPORT.txt]     (default: 100,000 lines from bench/make-large-report.py)
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "BenchSupport.h"
#include "app/PdfExport.h"
#include "app/TextFileReader.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"

namespace {

double bestWrite(const TPrintPreview& store, const PdfExportOptions& options, const QString& pdf) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        pdf_export::writePdf(store, options, pdf);
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
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
    PdfExportOptions options; // A4 portrait, 600 dpi, default settings
    options.Settings.DrawOuterFrame = 1;
    options.Settings.DrawPageNumber = 1;
    options.InputPath = report;
    TPrintPreview store;
    pdf_export::layOut(ReadTextFileLines(report), options, store);
    const QString pdf = dir.filePath("large.pdf");

    const double plain = bestWrite(store, options, pdf);
    const qint64 plainSize = QFile(pdf).size();
    PageOutline outline;
    for (int page = 1; page <= store.PageCount(); ++page) {
        if (page % 10 == 1)
            outline.append({1, page, QStringLiteral("%1.  章の見出し").arg(page / 10 + 1)});
        outline.append({2, page, QStringLiteral("%1.%2  節の見出し").arg(page / 10 + 1).arg(page)});
    }
    store.setOutline(outline);
    const double marked = bestWrite(store, options, pdf);
    std::printf("%d pages; PDF written without bookmarks: %.3f s, %lld bytes\n", store.PageCount(),
                plain, static_cast<long long>(plainSize));
    std::printf("with %lld bookmarks: %.3f s, %lld bytes (%+.1f %%)\n",
                static_cast<long long>(outline.size()), marked,
                static_cast<long long>(QFile(pdf).size()), (marked / plain - 1) * 100);

    // The finishing step alone, on the engine's bytes (the file as written before, which the
    // finishing reads back the same way), without and with the bookmarks.
    QFile file(pdf);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (const bool withOutline : {false, true}) {
        PdfFinisher finisher;
        if (withOutline)
            finisher.setOutline(outline);
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            QByteArray out;
            QBuffer buffer(&out);
            buffer.open(QIODevice::WriteOnly);
            QElapsedTimer timer;
            timer.start();
            finisher.finish(bytes, buffer);
            best = std::min(best, timer.nsecsElapsed() / 1e9);
        }
        std::printf("finishing step alone, %s bookmarks: %.3f s\n",
                    withOutline ? "with" : "without", best);
    }
    return 0;
}
