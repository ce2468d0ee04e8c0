#pragma once
// The first slice of a PDF written while the layout still runs: a thread plays each page into
// its own PDF engine as soon as the layout closes it, so that the layout and the engine share
// the processors instead of taking turns. When the layout is done, engine_pages::play asks the
// slice to end part of the way through the pages and plays the pages after it.

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

#include "pages/EnginePages.h"

class PageRecording;
class TPrintPreview;

class FollowingSlice {
public:
    // Follows the pages store closes from now on (the pages of the next layout), played as
    // setup says. store must outlive this object.
    FollowingSlice(TPrintPreview& store, const engine_pages::Setup& setup);
    // Stops following and drops what was played.
    ~FollowingSlice();
    FollowingSlice(const FollowingSlice&) = delete;
    FollowingSlice& operator=(const FollowingSlice&) = delete;

    // Pages played so far. Any thread.
    int pagesDone() const { return done_; }
    // Once the layout is done with pageCount pages: the slice ends after its share of the pages
    // it has not started, 1 / processors of them, or after all when they are too few to cut.
    // Returns the slice's last page (from 1).
    int share(int pageCount, int processors);
    // Whether the slice has ended (within wait).
    bool ended(std::chrono::milliseconds wait) const;
    // The engine's PDF of the slice's pages; nothing after stop(). Throws the slice's failure.
    // Waits for the slice to end. Once only.
    std::optional<QByteArray> result();
    // Ends the slice at once; its output is dropped. Any thread.
    void stop();

private:
    void closed(std::shared_ptr<const PageRecording> page);
    std::optional<QByteArray> run();

    TPrintPreview& store_;
    const engine_pages::Setup setup_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<const PageRecording>> closed_; // closed, not yet started
    int started_ = 0;
    int last_ = std::numeric_limits<int>::max();
    bool stopped_ = false;
    std::atomic<int> done_{0};
    std::future<std::optional<QByteArray>> result_;
};
