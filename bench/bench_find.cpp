// The find bar on a long report: the time from a query typed into the bar to its first match
// shown (page turned, match marked; without a match there is nothing to show before the count),
// and to the count of all matches in the bar (or "見つかりません"), each on pages
// whose text has not been read yet (the layout is run again before each measure), and once
// more for a second query on pages already read. Also the memory the read text takes.
//
// Usage: bench_find [REPORT.txt]   (default: 110,000 lines from bench/make-large-report.py,
// about 1,580 A4 pages at 600 dpi)

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "BenchSupport.h"
#include "app/TextFileReader.h"
#include "document/OutputSettings.h"
#include "platform/FontSubstitution.h"
#include "ui/FindBar.h"
#include "ui/FormPreView.h"
#include "ui/PreviewFind.h"

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Measure {
    double firstMs, firstCpuMs, countMs, countCpuMs;
    QString status;
    int page;
};

// Types query into the bar (at once, as a paste) and waits for the count.
Measure find(TFormPreView& window, const QString& query) {
    QElapsedTimer wall;
    const double cpu0 = cpuMs();
    wall.start();
    window.FindBar1->Edit->setText(query);
    QApplication::processEvents(); // the page and its marks painted
    Measure m{};
    m.firstMs = wall.nsecsElapsed() / 1e6;
    m.firstCpuMs = cpuMs() - cpu0;
    m.page = window.CurrentPage;
    while (window.find().counting())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    m.countMs = wall.nsecsElapsed() / 1e6;
    m.countCpuMs = cpuMs() - cpu0;
    m.status = window.FindBar1->Status->text();
    return m;
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QApplication app(argc, argv);
    font_substitution::install();
    resetOutputSettings();

    QTemporaryDir dir;
    QString report = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (report.isEmpty()) {
        report = dir.filePath("large-report.txt");
        if (QProcess::execute("python3", {FOLIOSCOPE_SOURCE_DIR "/bench/make-large-report.py",
                                          "110000", report}) != 0) {
            std::fprintf(stderr, "could not generate the report\n");
            return 1;
        }
    }
    const QByteArrayList lines = ReadTextFileLines(report);

    TFormPreView window;
    window.FileName = report;
    window.Lines = &lines;
    window.show();
    QApplication::processEvents();
    std::printf("report: %lld lines, %d pages\n", qlonglong(lines.size()),
                window.PrintPreview1.PageCount());
    window.find().open();

    struct Case {
        const char* what;
        QString query;
        int fromPage;
    };
    const int middle = window.PrintPreview1.PageCount() / 2;
    const std::vector<Case> cases = {
        {"common word, from page 1", QStringLiteral("検定比"), 1},
        {"number, full-width typed, from the middle", QStringLiteral("Ｃ３７"), middle},
        {"half-width katakana typed, no match", QStringLiteral("ｺﾗﾑ"), 1},
        {"no match, from the middle", QStringLiteral("梁せい"), middle},
    };
    std::printf("%-44s %10s %10s %10s %10s  %s\n", "cold (pages not read yet)", "first ms",
                "first cpu", "count ms", "count cpu", "bar");
    for (const Case& c : cases) {
        std::vector<Measure> runs;
        for (int run = 0; run < 3; ++run) {
            window.FindBar1->Edit->clear();
            window.LayoutAgain(); // a new document: nothing read
            window.CurrentPage = c.fromPage;
            window.ShowPage();
            QApplication::processEvents();
            runs.push_back(find(window, c.query));
        }
        const auto best = *std::min_element(runs.begin(), runs.end(),
                                            [](auto& a, auto& b) { return a.countMs < b.countMs; });
        std::printf("%-44s %10.1f %10.1f %10.1f %10.1f  %s (page %d)\n", c.what, best.firstMs,
                    best.firstCpuMs, best.countMs, best.countCpuMs, qPrintable(best.status),
                    best.page);
    }
    // Warm: another query on pages read by the last one.
    window.CurrentPage = 1;
    window.ShowPage();
    const Measure warm = find(window, QStringLiteral("部材断面検定"));
    std::printf("%-44s %10.1f %10.1f %10.1f %10.1f  %s\n", "warm (pages read), another query",
                warm.firstMs, warm.firstCpuMs, warm.countMs, warm.countCpuMs,
                qPrintable(warm.status));
    std::printf("text kept for the search: %.1f MiB\n",
                window.find().search().cachedBytes() / 1048576.0);
    return 0;
}
