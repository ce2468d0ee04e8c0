// What collecting the outline costs the layout of a large report: the layout (best of 5) and
// the outline collector alone, fed the calls the layout makes (every line in order: font tags,
// title blocks and text lines), best of 5, with their ratio.
//   bench_outline [REPORT.txt]     (default: 100,000 lines from bench/make-large-report.py)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "BenchSupport.h"
#include "app/PdfExport.h"
#include "app/TextFileReader.h"
#include "document/OutlineCollector.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"

namespace {

double seconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e9;
}

// The collector's calls for lines, as the layout's main flow makes them (all on page 1).
qsizetype collect(const QByteArrayList& lines, OutlineCollector& collector) {
    collector.clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line == tags::Font1 || line == tags::Font2 || line == tags::Font3) {
            collector.fontSelected(line == tags::Font1 ? 0 : line == tags::Font2 ? 1 : 2);
        } else if (line == tags::TitleStart) {
            QByteArrayList held;
            while (++i < lines.size() && lines[i] != tags::TitleEnd)
                held.append(lines[i]);
            collector.titleBlock(held, 1);
        } else if (!IsTagLine(line)) {
            collector.textLine(i, line, 1);
        }
    }
    return collector.outline().size();
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
    const QByteArrayList lines = ReadTextFileLines(report);

    PdfExportOptions options; // A4 portrait, 600 dpi, default settings
    options.Settings.DrawOuterFrame = 1;
    options.Settings.DrawPageNumber = 1;
    double layout = 1e9;
    qsizetype entries = 0;
    int pages = 0;
    for (int run = 0; run < 5; ++run) {
        TPrintPreview store;
        QElapsedTimer timer;
        timer.start();
        pdf_export::layOut(lines, options, store);
        layout = std::min(layout, seconds(timer));
        entries = store.outline().size();
        pages = store.PageCount();
    }
    double collecting = 1e9;
    qsizetype collected = 0;
    for (int run = 0; run < 5; ++run) {
        OutlineCollector collector;
        QElapsedTimer timer;
        timer.start();
        collected = collect(lines, collector);
        collecting = std::min(collecting, seconds(timer));
    }
    std::printf("%lld lines, %d pages, %lld outline entries (%lld collected alone)\n",
                static_cast<long long>(lines.size()), pages, static_cast<long long>(entries),
                static_cast<long long>(collected));
    std::printf("layout (best of 5): %.3f s; outline collector alone (best of 5): %.4f s = "
                "%.2f %% of the layout\n",
                layout, collecting, 100.0 * collecting / layout);
    return 0;
}
