// Page store benchmark: records a dense page (80 text runs of 100 bytes, 200 rules) and replays
// it onto a screen-sized image and onto a 600-dpi A4 image. Prints medians of 20 runs and the
// memory that recording one page allocates.
//
//   build/bench/bench_pages

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <vector>

#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

// Every operator new of the process passes through here; counting is switched on only around
// the recording of a page. Qt's own containers (QByteArray) allocate with malloc and are seen
// in the heap totals below instead.
namespace {
bool counting = false;
std::size_t newCalls = 0;
std::size_t newBytes = 0;

void* allocate(std::size_t n) {
    if (counting) {
        ++newCalls;
        newBytes += n;
    }
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const int runs = 20;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return (v[v.size() / 2] + v[(v.size() - 1) / 2]) / 2;
}

// 80 lines of a report table: box rules, kanji, numbers; 100 bytes each.
std::vector<QByteArray> reportLines() {
    const QByteArray pattern = cp932::encode(
        QStringLiteral("│梁  B1 │ 300×600 │  M= 123.45 kN・m │ Q=  67.8 kN │ 検定比 0.87 OK │"));
    std::vector<QByteArray> lines;
    for (int i = 0; i < 80; ++i) {
        QByteArray line = pattern;
        while (line.size() < 100)
            line += ' ';
        line.truncate(100);
        if (cp932::isLeadByte(static_cast<unsigned char>(line[99])))
            line[99] = ' '; // never end on half of a double-byte character
        line[20] = char('0' + i % 10);
        lines.push_back(line);
    }
    return lines;
}

enum Parts { Text = 1, Rules = 2, Both = 3 };

void recordPage(RecordingCanvas& canvas, const std::vector<QByteArray>& lines, int parts = Both) {
    const int pitch = 80;
    for (int i = 0; i < 80 && (parts & Text); ++i)
        canvas.textOut(236, 400 + i * pitch, lines[size_t(i)]);
    for (int i = 0; i < 200 && (parts & Rules); ++i) {
        if (i % 2 == 0) {
            canvas.moveTo(236, 400 + (i / 2) % 80 * pitch);
            canvas.lineTo(4700, 400 + (i / 2) % 80 * pitch);
        } else {
            canvas.moveTo(236 + (i % 40) * 110, 400);
            canvas.lineTo(236 + (i % 40) * 110, 400 + 79 * pitch);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    font_substitution::install();
    const std::vector<QByteArray> lines = reportLines();
    std::size_t textBytes = 0;
    for (const QByteArray& l : lines)
        textBytes += size_t(l.size());

    TPrintPreview store;
    store.setReferenceDevice(TPrinterInfo::forPaper(QSizeF(210, 297), 600));
    store.BeginDoc();
    store.GetCanvas().setFont(QStringLiteral("ＭＳ 明朝"), 9);
    recordPage(store.GetCanvas(),
               lines); // warms the font cache: glyphs and widths of every character

    // Recording: time per page, and what one page allocates and keeps.
    std::vector<double> recordMs;
    std::size_t callsPerPage = 0, newBytesPerPage = 0;
    const std::size_t heapBefore = mallinfo2().uordblks;
    for (int i = 0; i < runs; ++i) {
        newCalls = newBytes = 0;
        counting = true;
        store.NewPage();
        QElapsedTimer t;
        t.start();
        recordPage(store.GetCanvas(), lines);
        recordMs.push_back(t.nsecsElapsed() / 1e6);
        counting = false;
        callsPerPage = std::max(callsPerPage, newCalls);
        newBytesPerPage = std::max(newBytesPerPage, newBytes);
    }
    store.EndDoc();
    const double heapPerPage = double(mallinfo2().uordblks - heapBefore) / runs;
    const PageRecording& page = store.GetPage(1);
    // The same page split in its text runs and its rules, to see where replay time goes.
    PageRecording textOnly(QSize(page.width(), page.height()));
    PageRecording rulesOnly(QSize(page.width(), page.height()));
    {
        RecordingCanvas textCanvas(textOnly, 600);
        textCanvas.setFont(QStringLiteral("ＭＳ 明朝"), 9);
        recordPage(textCanvas, lines, Text);
        RecordingCanvas rulesCanvas(rulesOnly, 600);
        recordPage(rulesCanvas, lines, Rules);
    }

    std::printf("page: %zu records, %zu text bytes\n", page.records().size(), textBytes);
    std::printf("record one page:          median %.3f ms\n", median(recordMs));
    std::printf("  operator new per page:  %zu calls, %zu bytes (NewPage included)\n", callsPerPage,
                newBytesPerPage);
    std::printf("  page storage:           %zu bytes\n", page.storageBytes());
    std::printf("  heap kept per page:     %.0f bytes (%.0f besides the text bytes)\n", heapPerPage,
                heapPerPage - double(textBytes));

    // Replay onto a screen-sized image (the preview at about 25 %) and at 600 dpi.
    struct Target {
        const char* name;
        QSize size;
    };
    struct Part {
        const char* name;
        const PageRecording* page;
    };
    for (const Target& target :
         {Target{"screen 1240x1754", QSize(1240, 1754)},
          Target{"600 dpi A4 4961x7016", QSize(page.width(), page.height())}}) {
        QImage image(target.size, QImage::Format_RGB32);
        for (const Part& part : {Part{"whole page", &page}, Part{"text runs only", &textOnly},
                                 Part{"rules only", &rulesOnly}}) {
            std::vector<double> ms;
            for (int i = 0; i < runs + 1; ++i) {
                image.fill(Qt::white);
                QElapsedTimer t;
                t.start();
                {
                    QPainter painter(&image);
                    painter.scale(double(target.size.width()) / page.width(),
                                  double(target.size.height()) / page.height());
                    part.page->replay(painter);
                }
                if (i > 0) // the first replay also fills Qt's glyph cache at this size
                    ms.push_back(t.nsecsElapsed() / 1e6);
            }
            // Guard against timing a replay that drew nothing: count the inked pixels.
            qint64 ink = 0;
            for (int y = 0; y < image.height(); ++y) {
                const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    ink += qGray(row[x]) < 128 ? 1 : 0;
            }
            std::printf("replay to %-22s %-15s median %7.2f ms  (%lld dark pixels)\n", target.name,
                        part.name, median(ms), static_cast<long long>(ink));
        }
    }
    return 0;
}
