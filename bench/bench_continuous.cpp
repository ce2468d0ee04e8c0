// Continuous mode on a large report: the scroll bar dragged from the first page to the last in
// steps of one bar's page step (what a drag across a long bar moves per mouse event), each step
// painted at once; prints the slowest and the median frame and the memory the mode adds to the
// single-page view. Also the time to open the report at its last page against page 1, and to
// copy the text of a full page.
//
// Usage: bench_continuous REPORT.txt   (bench/make-large-report.py 100000 REPORT.txt)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "BenchSupport.h"
#include "document/LineSplitter.h"
#include "document/OutputSettings.h"
#include "pages/PageTextCopy.h"
#include "platform/FontSubstitution.h"
#include "ui/ContinuousMode.h"
#include "ui/FormPreView.h"
#include "ui/ReportPlaces.h"
#include "ui/ViewerHabits.h"

namespace {

// CPU time of this thread in ms: what a frame costs apart from other programs' load.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// Shows the report in a new window at the remembered page (0: none remembered); returns the
// time from show() to the first page painted, in ms.
double openAt(const QString& path, const QByteArrayList& lines, ReportPlaces& places, int page) {
    ReportPlace place;
    place.path = path;
    place.page = page;
    place.zoomText = QStringLiteral("100");
    places.remember(place);
    TFormPreView window;
    window.FileName = path;
    window.Lines = &lines;
    window.Places = &places;
    QElapsedTimer timer;
    timer.start();
    window.show();
    window.ScrollBox1->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_continuous REPORT.txt\n");
        return 2;
    }
    QTemporaryDir settings; // the remembered places of this run only
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    font_substitution::install();
    resetOutputSettings();
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArrayList lines = splitLines(file.readAll());

    TFormPreView window;
    window.FileName = path;
    window.Lines = &lines;
    window.resize(721, 858);
    window.show();
    QApplication::processEvents();
    QWidget* viewport = window.ScrollBox1->viewport();
    viewport->repaint();
    const int pages = window.PrintPreview1.PageCount();
    const long single = bench::rssKiB();
    std::printf("report: %lld lines, %d pages; viewport %dx%d\n", qlonglong(lines.size()), pages,
                viewport->width(), viewport->height());

    ContinuousMode& continuous = window.findChild<ViewerHabits*>()->continuous();
    continuous.setOn(true);
    QApplication::processEvents();
    QScrollBar* bar = window.ScrollBox1->verticalScrollBar();
    std::vector<double> frames, cpu;
    long peak = bench::rssKiB();
    for (int value = 0;; value = std::min(bar->maximum(), value + bar->pageStep())) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuMs();
        bar->setValue(value);
        QApplication::processEvents(); // the page box follows (a zero timer)
        viewport->repaint();
        frames.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
        peak = std::max(peak, bench::rssKiB());
        if (value == bar->maximum())
            break;
    }
    std::vector<size_t> order(frames.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return frames[a] > frames[b]; });
    std::printf("slowest frames:");
    for (size_t i = 0; i < std::min<size_t>(5, order.size()); ++i)
        std::printf(" #%zu %.1f ms", order[i], frames[order[i]]);
    std::printf("; over 30 ms: %zd\n",
                std::count_if(frames.begin(), frames.end(), [](double ms) { return ms > 30; }));
    std::printf("frame CPU time: median %.2f ms, 99th %.2f ms, slowest %.2f ms\n",
                percentile(cpu, 0.5), percentile(cpu, 0.99),
                *std::max_element(cpu.begin(), cpu.end()));
    std::printf("continuous: %zu frames to page %d (box %d of %d); median %.2f ms, 99th %.2f ms, "
                "slowest %.2f ms; memory above single page %ld KiB (peak)\n",
                frames.size(), window.CurrentPage, window.CurrentPage, pages,
                percentile(frames, 0.5), percentile(frames, 0.99),
                *std::max_element(frames.begin(), frames.end()), peak - single);

    std::vector<double> copies;
    for (int i = 0; i < std::min(pages, 50); ++i) {
        QElapsedTimer timer;
        timer.start();
        const QString text =
            page_text_copy::textIn(window.PrintPreview1.GetPage(i), QRect(0, 0, 1 << 20, 1 << 20));
        copies.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("copy a full page: first %.2f ms, median %.2f ms, slowest %.2f ms (50 pages)\n",
                copies.front(), percentile(copies, 0.5),
                *std::max_element(copies.begin(), copies.end()));

    ReportPlaces places(QStringLiteral("folioscope-bench"), QStringLiteral("places"));
    std::vector<double> atFirst, atLast;
    for (int round = 0; round < 7; ++round) { // alternating, so that load hits both alike
        atFirst.push_back(openAt(path, lines, places, 1));
        atLast.push_back(openAt(path, lines, places, pages));
    }
    std::printf("open (layout included), median of 7: at page 1 %.0f ms, at page %d %.0f ms\n",
                percentile(atFirst, 0.5), pages, percentile(atLast, 0.5));
    return 0;
}
