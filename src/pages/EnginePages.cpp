#include "pages/EnginePages.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <stdexcept>
#include <vector>

#include "pages/FollowingSlice.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintPreview.h"
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
    CallerProgress(Shared& shared, PrintProgress* outer, const FollowingSlice* following)
        : shared_(shared), outer_(outer), following_(following) {}
    void start(int) override {}
    bool step(int pagesDone) override {
        done_ = pagesDone;
        return report();
    }
    void finish() override {}
    bool report() {
        const int following = following_ ? following_->pagesDone() : 0;
        if (outer_ && !outer_->step(done_ + shared_.othersDone + following))
            shared_.stop = true;
        return !shared_.stop;
    }

private:
    Shared& shared_;
    PrintProgress* outer_;
    const FollowingSlice* following_;
    int done_ = 0;
};

std::optional<QByteArray> playSlice(const TPrintPreview& store, const QList<int>& numbers,
                                    const Setup& setup, PrintProgress& progress) {
    SliceWriter slice(setup);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        slice.play(store.GetPage(numbers[i] - 1));
        if (!progress.step(int(i) + 1))
            return std::nullopt;
    }
    return slice.finish();
}

// The pages of the slices written here: all of numbers, or, after a following slice that
// played the first pages, those after its share, on the processors it leaves.
QList<QList<int>> cutIntoSlices(const QList<int>& numbers, FollowingSlice* following) {
    QList<int> rest = numbers;
    int count = sliceCount(int(numbers.size()));
    if (following) {
        rest = numbers.mid(following->share(int(numbers.size()), processors()));
        count = rest.isEmpty() ? 0
                               : std::clamp(int(rest.size()) / MinSlicePages, 1,
                                            std::max(1, processors() - 1));
    }
    QList<QList<int>> slices;
    for (int i = 0; i < count; ++i) {
        const qsizetype from = rest.size() * i / count;
        const qsizetype to = rest.size() * (i + 1) / count;
        slices.append(rest.mid(from, to - from));
    }
    return slices;
}

} // namespace

SliceWriter::SliceWriter(const Setup& setup)
    : pdf_(setup.failure, setup.subject), writer_(std::make_unique<QPdfWriter>(&pdf_.device())),
      origin_(setup.origin) {
    writer_->setCreator(PdfFinisher::programName());
    writer_->setTitle(setup.title);
    writer_->setResolution(setup.resolution);
    writer_->setPageLayout(setup.layout);
    if (!painter_.begin(writer_.get()))
        throw EOutputError(setup.failure, setup.subject, QStringLiteral("PDF output failed"));
    if (setup.verticalScale != 1.0)
        painter_.scale(1.0, setup.verticalScale);
}

SliceWriter::~SliceWriter() {
    if (painter_.isActive())
        painter_.end();
}

void SliceWriter::play(const PageRecording& page) {
    if (!first_ && !writer_->newPage())
        throw std::runtime_error("QPdfWriter::newPage failed");
    first_ = false;
    page.replay(painter_, origin_);
}

QByteArray SliceWriter::finish() {
    painter_.end();
    writer_.reset();
    return pdf_.finish();
}

int processors() {
    return qBound(1, QThread::idealThreadCount(), 4);
}

int sliceCount(int pageCount) {
    return qBound(1, pageCount / MinSlicePages, processors());
}

std::optional<QList<QByteArray>> play(const TPrintPreview& store, const QList<int>& numbers,
                                      const Setup& setup, PrintProgress* progress,
                                      FollowingSlice* following) {
    const QList<QList<int>> slices = cutIntoSlices(numbers, following);
    const qsizetype count = slices.size();
    Shared shared;
    std::vector<std::future<std::optional<QByteArray>>> workers;
    for (qsizetype i = 1; i < count; ++i)
        workers.push_back(std::async(std::launch::async, [&, i] {
            try {
                WorkerProgress workerProgress(shared);
                return playSlice(store, slices[i], setup, workerProgress);
            } catch (...) {
                shared.stop = true; // the others need not go on
                throw;
            }
        }));

    // The calling thread writes its slice, then reports the others' pages until they end.
    CallerProgress callerProgress(shared, progress, following);
    std::optional<QByteArray> mine;
    std::exception_ptr myFailure;
    if (count > 0) {
        try {
            mine = playSlice(store, slices.front(), setup, callerProgress);
        } catch (...) {
            myFailure = std::current_exception();
            shared.stop = true;
        }
    }
    if (following && shared.stop)
        following->stop();
    const auto waitFor = [&](const auto& ended) {
        while (!ended()) {
            if (!callerProgress.report() && following)
                following->stop();
        }
    };
    for (auto& worker : workers)
        waitFor([&] {
            return worker.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready;
        });
    if (following)
        waitFor([&] { return following->ended(std::chrono::milliseconds(50)); });
    if (!shared.stop && (following || !workers.empty()))
        callerProgress.report(); // every page done; a stop asked now still drops the output

    // The first failure in page order is thrown: the following slice's, then the caller's,
    // then the workers'.
    QList<QByteArray> result;
    bool complete = true;
    const auto take = [&](std::optional<QByteArray> slice) {
        complete = complete && slice.has_value();
        if (slice)
            result.append(std::move(*slice));
    };
    if (following)
        take(following->result());
    if (myFailure)
        std::rethrow_exception(myFailure);
    if (count > 0)
        take(std::move(mine));
    for (auto& worker : workers)
        take(worker.get());
    if (!complete || shared.stop)
        return std::nullopt;
    return result;
}

} // namespace engine_pages
