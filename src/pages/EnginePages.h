#pragma once
// Plays recorded pages through Qt's PDF engine, for a PDF file or a print job. The engine
// spends most of a long document's time on one core (it deflates every page's content), so a
// long document is cut into consecutive slices written at the same time, one engine per slice
// on a thread of its own; PdfFinisher joins the slices into one file.

#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

#include "pages/EnginePdfFile.h"
#include "pages/OutputError.h"

class FollowingSlice;
class PageRecording;
class PrintProgress;
class TPrintPreview;

namespace engine_pages {

struct Setup {
    QString title;              // the engine's document title
    int resolution = 600;       // dots per inch of the recorded pages
    QPageLayout layout;         // every PDF page
    QPoint origin;              // where a page's (0, 0) is drawn
    double verticalScale = 1.0; // DpiX / DpiY of a device with unequal resolutions
    EOutputError::Kind failure =
        EOutputError::Kind::FileNotWritten; // what an engine file that cannot be written throws
    QString subject;                        // the file that failure is about
};

// One PDF engine writing pages into a temporary file of its own, as setup says. The pages of
// one slice; made, used and finished on one thread.
class SliceWriter {
public:
    // Throws EOutputError of setup.failure when the file cannot be made or the engine not
    // started.
    explicit SliceWriter(const Setup& setup);
    ~SliceWriter();
    SliceWriter(const SliceWriter&) = delete;
    SliceWriter& operator=(const SliceWriter&) = delete;

    // Plays page after those before it, each on a PDF page of its own.
    void play(const PageRecording& page);
    // Ends the engine's document and gives the file (EnginePdfFile::finish).
    QByteArray finish();

private:
    EnginePdfFile pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    QPoint origin_;
    bool first_ = true;
};

// A document is cut only into slices of at least this many pages: below that, a second engine
// (its own fonts in the file, its own start-up) costs more than it saves.
constexpr int MinSlicePages = 64;
// Threads that write at once: one per processor, at most four.
int processors();
// The slices pageCount pages are written in: one per processor, at least MinSlicePages each.
int sliceCount(int pageCount);

// Plays the pages numbered (from 1) in numbers, in their order, in sliceCount(numbers.size())
// slices at once, and gives the engine's PDF of each slice in order; nothing when progress
// asks to stop. progress hears of the pages done in all slices, on the calling thread only. A
// failure (the store's refusals, an engine file that cannot be written, a figure without
// memory) stops every slice and is thrown when all have stopped, the first in page order.
// following, when given, has played pages from the first on while they were laid out (numbers
// are then every page, in order): it ends with its share and its PDF comes first.
std::optional<QList<QByteArray>> play(const TPrintPreview& store, const QList<int>& numbers,
                                      const Setup& setup, PrintProgress* progress,
                                      FollowingSlice* following = nullptr);

} // namespace engine_pages
