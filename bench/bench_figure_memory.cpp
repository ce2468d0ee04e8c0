// Memory and preview times of a report with many figures (bench/make-figure-report.py):
// layout, then the preview's page picture at 100 % for the figure pages, first visit
// (decoding included) and return, and the peak resident memory after each step.
//   bench_figure_memory REPORT.txt [PAGES]   (PAGES: figure pages visited, default 40)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "app/PdfExport.h"
#include "app/TextFileReader.h"
#include "pages/DecodedImageCache.h"
#include "pages/EncodedImage.h"
#include "pages/PrintPreview.h"
#include "platform/AllocatorTuning.h"
#include "platform/FontSubstitution.h"
#include "ui/PageImage.h"

namespace {

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double ms(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool hasImage(const PageRecording& page) {
    for (const PageRecord& record : page.records())
        if (std::holds_alternative<ImageRecord>(record))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    allocator_tuning::keepLargeBuffers(); // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    font_substitution::install();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_figure_memory REPORT.txt [PAGES]\n");
        return 2;
    }
    const int visits = argc > 2 ? std::atoi(argv[2]) : 40;

    QElapsedTimer timer;
    timer.start();
    const QByteArrayList lines = ReadTextFileLines(QString::fromLocal8Bit(argv[1]));
    PdfExportOptions options; // A4 portrait, 600 dpi
    TPrintPreview store;
    pdf_export::layOut(lines, options, store);
    std::printf("layout: %.0f ms, %d pages, %zu figure files held, peak %.0f MiB\n", ms(timer),
                store.PageCount(), EncodedImage::liveCount(), peakMiB());

    std::vector<int> figurePages;
    for (int i = 0; i < store.PageCount() && int(figurePages.size()) < visits; ++i)
        if (hasImage(store.GetPage(i)))
            figurePages.push_back(i);

    const TPrinterInfo printer = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    QImage screen(PageImage::pictureSize(printer, 1.0, 96, 96), QImage::Format_RGB32);
    const auto show = [&](int index) {
        timer.restart();
        const PageImage picture(store.GetPage(index), printer, 1.0, false, 96, 96);
        QPainter painter(&screen);
        picture.paint(painter, screen.rect());
        painter.end();
        return ms(timer);
    };
    DecodedImageCache::shared().clear(); // every first visit decodes
    std::vector<double> first, back;
    for (int index : figurePages)
        first.push_back(show(index));
    for (int index : figurePages)
        back.push_back(show(index));
    std::printf("preview at 100 %% (%dx%d), %zu figure pages: first visit median %.1f ms, max "
                "%.1f ms; return median %.1f ms, max %.1f ms\n",
                screen.width(), screen.height(), figurePages.size(), median(first),
                first.empty() ? 0 : *std::max_element(first.begin(), first.end()), median(back),
                back.empty() ? 0 : *std::max_element(back.begin(), back.end()));
    std::printf("decode cache: %.0f MiB in %zu images; peak %.0f MiB\n",
                DecodedImageCache::shared().bytes() / 1048576.0,
                DecodedImageCache::shared().count(), peakMiB());
    return 0;
}
