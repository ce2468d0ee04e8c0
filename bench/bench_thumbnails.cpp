// The page pictures of the preview's side panel on a long report with figures
// (bench/make-figure-report.py): the list is scrolled from the first page to the last in
// steps of STEP pixels, one step every PACE milliseconds (or each step as soon as the rows
// on screen are shown, PACE 0), then jumped to the top and back to the end. For every step:
// the time until every row on screen shows its picture; over the whole run: the longest time
// the event loop was busy at once (a pause the user would feel) and the memory the list added.
//   bench_thumbnails REPORT.txt [STEP] [PACE] [VIEW_HEIGHT]   (defaults 400 px, 100 ms, 800 px)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "BenchSupport.h"
#include "app/PdfExport.h"
#include "app/TextFileReader.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"
#include "ui/ThumbnailList.h"

namespace {

double ms(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// Whether every row on screen shows its picture.
bool allShown(ThumbnailList& list) {
    const QRect view = list.viewport()->rect();
    ThumbnailModel& model = list.thumbnails();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QRect r = list.visualRect(model.index(row));
        if (r.top() > view.bottom())
            break;
        if (r.intersects(view) && !model.hasPicture(row))
            return false;
    }
    return true;
}

// Processor time of the process in milliseconds: on a machine shared with other work the wall
// times above it are what this process was let run.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Run {
    double longestPauseMs = 0;
    double longestPauseCpuMs = 0;
    std::vector<double> shownMs;
    std::vector<double> shownCpuMs;
    long peakKiB = 0;
};

// Moves the list to value and lets the event loop run until the rows on screen are shown;
// each turn of the loop is one possible pause.
void scrollTo(ThumbnailList& list, int value, Run& run, int paceMs = 0) {
    QElapsedTimer since;
    since.start();
    const double cpuStart = cpuMs();
    double cpuTurn = cpuStart;
    QElapsedTimer turn;
    turn.start();
    const auto turnEnded = [&] {
        run.longestPauseMs = std::max(run.longestPauseMs, ms(turn));
        run.longestPauseCpuMs = std::max(run.longestPauseCpuMs, cpuMs() - cpuTurn);
    };
    list.verticalScrollBar()->setValue(value);
    QApplication::processEvents();
    turnEnded();
    while (!allShown(list)) {
        turn.restart();
        cpuTurn = cpuMs();
        QApplication::processEvents();
        turnEnded();
    }
    run.shownMs.push_back(ms(since));
    run.shownCpuMs.push_back(cpuMs() - cpuStart);
    run.peakKiB = std::max(run.peakKiB, bench::rssKiB());
    // The time left until the next step is the user's: the list works ahead in it.
    while (ms(since) < paceMs) {
        turn.restart();
        cpuTurn = cpuMs();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        turnEnded();
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QApplication app(argc, argv);
    font_substitution::install();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_thumbnails REPORT.txt [STEP] [PACE] [VIEW_HEIGHT]\n");
        return 2;
    }
    const int stepPx = argc > 2 ? std::atoi(argv[2]) : 400;
    const int paceMs = argc > 3 ? std::atoi(argv[3]) : 100;
    const int height = argc > 4 ? std::atoi(argv[4]) : 800;

    const QByteArrayList lines = ReadTextFileLines(QString::fromLocal8Bit(argv[1]));
    PdfExportOptions options; // A4 portrait, 600 dpi
    TPrintPreview store;
    pdf_export::layOut(lines, options, store);
    const long before = bench::rssKiB();

    ThumbnailList list(store);
    list.resize(190, height);
    list.show();
    Run run;
    scrollTo(list, 0, run);
    QScrollBar* bar = list.verticalScrollBar();
    const int step = std::max(1, stepPx);
    for (int value = step; value < bar->maximum() + step; value += step)
        scrollTo(list, std::min(value, bar->maximum()), run, paceMs);
    const size_t steps = run.shownMs.size();
    scrollTo(list, 0, run);
    scrollTo(list, bar->maximum(), run);

    std::vector<double> shown = run.shownMs;
    std::sort(shown.begin(), shown.end());
    std::printf("%d pages, list %dx%d, pictures %dx%d, %zu scroll steps of %d px every %d ms\n",
                store.PageCount(), list.width(), list.height(),
                list.thumbnails().pictureSize().width(), list.thumbnails().pictureSize().height(),
                steps, step, paceMs);
    const auto over30 = std::count_if(shown.begin(), shown.end(), [](double t) { return t > 30; });
    std::printf("rows on screen shown after a step: median %.1f ms, 99 %% %.1f ms, max %.1f ms, "
                "%lld step(s) over 30 ms (jumps to top and end: %.1f, %.1f ms)\n",
                shown[shown.size() / 2], shown[shown.size() * 99 / 100], shown.back(),
                static_cast<long long>(over30), run.shownMs[steps], run.shownMs[steps + 1]);
    std::vector<double> cpu = run.shownCpuMs;
    std::sort(cpu.begin(), cpu.end());
    std::printf("the same in processor time: median %.1f ms, 99 %% %.1f ms, max %.1f ms\n",
                cpu[cpu.size() / 2], cpu[cpu.size() * 99 / 100], cpu.back());
    std::printf("longest pause of the event loop: %.1f ms (processor time %.1f ms)\n",
                run.longestPauseMs, run.longestPauseCpuMs);
    std::printf("memory added by the list: %.1f MiB at most (%.1f MiB at the end)\n",
                (run.peakKiB - before) / 1024.0, (bench::rssKiB() - before) / 1024.0);

    // Each page's picture drawn alone, the figure images still in the decoded-image cache or
    // not: which pages cost the time.
    if (qEnvironmentVariableIsSet("BENCH_THUMBNAILS_EACH")) {
        ThumbnailModel& model = list.thumbnails();
        model.refresh();
        std::vector<std::pair<double, int>> each;
        QElapsedTimer timer;
        for (int row = 0; row < model.rowCount(); ++row) {
            timer.restart();
            model.draw(row);
            each.emplace_back(ms(timer), row);
        }
        std::sort(each.begin(), each.end());
        std::printf("one picture: median %.1f ms, 90 %% %.1f ms, max %.1f ms; slowest pages:",
                    each[each.size() / 2].first, each[each.size() * 9 / 10].first,
                    each.back().first);
        for (size_t i = each.size() - std::min<size_t>(8, each.size()); i < each.size(); ++i)
            std::printf(" %d (%.0f ms)", each[i].second + 1, each[i].first);
        std::printf("\n");
    }
    return 0;
}
