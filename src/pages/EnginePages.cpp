#include "pages/EnginePages.h"

#include <QPainter>
#include <QPdfWriter>
#include <QThread>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <vector>

#include "pages/EnginePdfFile.h"
#include "pages/PagePdfWriter.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintProgress.h"

namespace engine_pages {
namespace {

// What the slices share: the pages done by the threads and the word to stop.
struct Shared {
    std::atomic<int> othersDone{0};
    std::atomic<bool> stop{false};
};

// The progress of a slice on a worker thread: counted for the calling thread to report.
class WorkerProgress : public PrintProgress {
public:
    explicit WorkerProgress(Shared& shared) : shared_(shared) {}
    void start(int) override {}
    bool step(int pagesDone) override {
        shared_.othersDone += pagesDone - done_;
        done_ = pagesDone;
        return !shared_.stop;
    }
    void finish() override {}

private:
    Shared& shared_;
    int done_ = 0;
};

// The progress of the calling thread's slice: the pages of all slices, told to the caller's
// progress, whose answer stops every slice.
class CallerProgress : public PrintProgress {
public:
    CallerProgress(Shared& shared, PrintProgress* outer) : shared_(shared), outer_(outer) {}
    void start(int) override {}
    bool step(int pagesDone) override {
        done_ = pagesDone;
        return report();
    }
    void finish() override {}
    bool report() {
        if (outer_ && !outer_->step(done_ + shared_.othersDone))
            shared_.stop = true;
        return !shared_.stop;
    }

private:
    Shared& shared_;
    PrintProgress* outer_;
    int done_ = 0;
};

std::optional<QByteArray> playSlice(const TPrintPreview& store, const QList<int>& numbers,
                                    const Setup& setup, PrintProgress& progress) {
    EnginePdfFile pdf(setup.failure, setup.subject);
    {
        QPdfWriter writer(&pdf.device());
        writer.setCreator(PdfFinisher::programName());
        writer.setTitle(setup.title);
        writer.setResolution(setup.resolution);
        writer.setPageLayout(setup.layout);
        QPainter painter;
        if (!painter.begin(&writer))
            throw EOutputError(setup.failure, setup.subject, QStringLiteral("PDF output failed"));
        if (setup.verticalScale != 1.0)
            painter.scale(1.0, setup.verticalScale);
        bool complete = false;
        try {
            complete =
                page_pdf::playPages(store, writer, painter, numbers, setup.origin, &progress);
        } catch (...) {
            painter.end();
            throw;
        }
        painter.end();
        if (!complete)
            return std::nullopt;
    }
    return pdf.finish();
}

} // namespace

int sliceCount(int pageCount) {
    const int processors = qBound(1, QThread::idealThreadCount(), 4);
    return qBound(1, pageCount / MinSlicePages, processors);
}

std::optional<QList<QByteArray>> play(const TPrintPreview& store, const QList<int>& numbers,
                                      const Setup& setup, PrintProgress* progress) {
    const int count = sliceCount(int(numbers.size()));
    QList<QList<int>> slices;
    for (int i = 0; i < count; ++i) {
        const qsizetype from = numbers.size() * i / count;
        const qsizetype to = numbers.size() * (i + 1) / count;
        slices.append(numbers.mid(from, to - from));
    }

    Shared shared;
    std::vector<std::future<std::optional<QByteArray>>> workers;
    for (int i = 1; i < count; ++i)
        workers.push_back(std::async(std::launch::async, [&, i] {
            try {
                WorkerProgress workerProgress(shared);
                return playSlice(store, slices[i], setup, workerProgress);
            } catch (...) {
                shared.stop = true; // the others need not go on
                throw;
            }
        }));

    // The calling thread writes the first slice, then reports the others' pages until they end.
    CallerProgress callerProgress(shared, progress);
    std::optional<QByteArray> first;
    std::exception_ptr firstFailure;
    try {
        first = playSlice(store, slices.front(), setup, callerProgress);
    } catch (...) {
        firstFailure = std::current_exception();
        shared.stop = true;
    }
    for (auto& worker : workers) {
        while (worker.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            callerProgress.report();
    }
    if (!workers.empty() && !shared.stop)
        callerProgress.report(); // every page done; a stop asked now still drops the output
    if (firstFailure)
        std::rethrow_exception(firstFailure);

    QList<QByteArray> result;
    bool complete = first.has_value();
    if (first)
        result.append(std::move(*first));
    for (auto& worker : workers) {
        std::optional<QByteArray> slice = worker.get(); // a worker's failure is thrown here
        complete = complete && slice.has_value();
        if (slice)
            result.append(std::move(*slice));
    }
    if (!complete || shared.stop)
        return std::nullopt;
    return result;
}

} // namespace engine_pages
