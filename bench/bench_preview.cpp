// Time to show one page of a report in the preview window: ShowPage (a new picture) plus the
// painting of what the scrolling area shows, at 100 and 300 percent, median of 20 runs. Also the
// cost of one wheel notch (an 8-pixel strip painted afresh) and the memory the window holds at
// large zooms.
//
// Usage: bench_preview [report.txt]   (default: examples/sample-report.txt, else a generated
// report of box tables). With BENCH_PREVIEW_SHOT=file.png it also saves a picture of the window
// showing page BENCH_PREVIEW_SHOT_PAGE.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "document/LineSplitter.h"
#include "document/OutputSettings.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "ui/FormPreView.h"
#include "ui/PageImageView.h"

namespace {

QByteArrayList generatedReport() {
    QByteArrayList lines;
    lines << "<Font3>";
    for (int table = 0; table < 20; ++table) {
        lines << cp932::encode(QStringLiteral("┌──────┬──────┬──────┬──────┐"));
        for (int row = 0; row < 30; ++row)
            lines << cp932::encode(
                QStringLiteral("│ 部材  %1  │    1234.5  │    -678.9  │  梁 B%2   │")
                    .arg(row, 3)
                    .arg(table, 3));
        lines << cp932::encode(QStringLiteral("└──────┴──────┴──────┴──────┘"));
    }
    return lines;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QApplication app(argc, argv);
    font_substitution::install();
    resetOutputSettings();

    const QString path = argc > 1
                             ? QString::fromLocal8Bit(argv[1])
                             : QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt");
    QByteArrayList lines;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        lines = splitLines(file.readAll());
        std::printf("report: %s (%lld lines)\n", qPrintable(path), qlonglong(lines.size()));
    } else {
        lines = generatedReport();
        std::printf("report: generated box tables (%lld lines)\n", qlonglong(lines.size()));
    }

    TFormPreView window;
    window.FileName = path;
    window.Lines = &lines;
    window.show();
    QApplication::processEvents();
    QWidget* viewport = window.ScrollBox1->viewport();
    std::printf("pages: %d, viewport %dx%d\n", window.PrintPreview1.PageCount(), viewport->width(),
                viewport->height());
    const TPrinterInfo& printer = window.State.PrinterInfo;
    std::printf("printer: paper %dx%d dots, printable %dx%d at (%d, %d), %dx%d dpi\n",
                printer.PaperWidthDots, printer.PaperHeightDots, printer.PrintableWidthDots,
                printer.PrintableHeightDots, printer.OffsetXDots, printer.OffsetYDots, printer.DpiX,
                printer.DpiY);
    const long baseRss = bench::rssKiB();
    // A picture of the window for the documentation (docs/preview.png):
    // BENCH_PREVIEW_SHOT=file.png [BENCH_PREVIEW_SHOT_PAGE=n]
    if (qEnvironmentVariableIsSet("BENCH_PREVIEW_SHOT")) {
        window.CurrentPage = qEnvironmentVariableIntValue("BENCH_PREVIEW_SHOT_PAGE");
        window.ShowPage();
        QApplication::processEvents();
        window.grab().save(qEnvironmentVariable("BENCH_PREVIEW_SHOT"));
        window.CurrentPage = 1;
    }

    for (const char* zoom : {"500", "1000", "5000"}) {
        window.EditBoxBairitu->setText(QString::fromLatin1(zoom));
        window.ApplyZoom();
        QScrollBar* bar = window.ScrollBox1->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        QElapsedTimer timer;
        timer.start();
        viewport->repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        const QSize size = window.Image1->size();
        std::printf("zoom %s%%: picture %dx%d px, viewport painted in %.2f ms, RSS +%ld KiB\n",
                    zoom, size.width(), size.height(), ms, bench::rssKiB() - baseRss);
    }
    for (const char* zoom : {"100", "300"}) {
        window.EditBoxBairitu->setText(QString::fromLatin1(zoom));
        window.ApplyZoom();
        std::vector<double> show;
        for (int i = 0; i < 20; ++i) {
            window.CurrentPage = 1 + i % window.PrintPreview1.PageCount();
            QElapsedTimer timer;
            timer.start();
            window.ShowPage();
            viewport->repaint();
            show.push_back(timer.nsecsElapsed() / 1e6);
        }
        // One notch of the wheel at the middle of the page paints an 8-pixel strip.
        QScrollBar* bar = window.ScrollBox1->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        viewport->repaint();
        std::vector<double> notch;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(bar->value() + 8);
            viewport->repaint();
            notch.push_back(timer.nsecsElapsed() / 1e6);
        }
        bar->setValue(0);
        // For comparison: the whole picture painted into a bitmap, as a cached image would be.
        std::vector<double> whole;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QPixmap pixmap = window.Image1->grab();
            whole.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("zoom %s%%: show page %.2f ms (median of 20), wheel notch %.2f ms, whole "
                    "picture as a bitmap %.2f ms\n",
                    zoom, median(show), median(notch), median(whole));
    }

    return 0;
}
