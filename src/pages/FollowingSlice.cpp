#include "pages/FollowingSlice.h"

#include <algorithm>

#include "pages/PageRecording.h"
#include "pages/PrintPreview.h"

FollowingSlice::FollowingSlice(TPrintPreview& store, const engine_pages::Setup& setup)
    : store_(store), setup_(setup) {
    store_.setPageClosed(
        [this](const std::shared_ptr<const PageRecording>& page) { closed(page); });
    result_ = std::async(std::launch::async, [this] { return run(); });
}

FollowingSlice::~FollowingSlice() {
    store_.setPageClosed({});
    stop();
    if (result_.valid())
        result_.wait();
}

void FollowingSlice::closed(std::shared_ptr<const PageRecording> page) {
    {
        const std::lock_guard lock(mutex_);
        closed_.push_back(std::move(page));
    }
    changed_.notify_one();
}

int FollowingSlice::share(int pageCount, int processors) {
    store_.setPageClosed({});
    {
        const std::lock_guard lock(mutex_);
        const int rest = pageCount - started_;
        last_ = rest < 2 * engine_pages::MinSlicePages ? pageCount
                                                       : started_ + rest / std::max(1, processors);
    }
    changed_.notify_one();
    return last_;
}

bool FollowingSlice::ended(std::chrono::milliseconds wait) const {
    return result_.wait_for(wait) == std::future_status::ready;
}

std::optional<QByteArray> FollowingSlice::result() {
    return result_.get();
}

void FollowingSlice::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_one();
}

std::optional<QByteArray> FollowingSlice::run() {
    engine_pages::SliceWriter slice(setup_);
    for (int number = 1;; ++number) {
        std::shared_ptr<const PageRecording> page;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopped_ || number > last_ || !closed_.empty(); });
            if (stopped_)
                return std::nullopt;
            if (number > last_)
                break;
            page = std::move(closed_.front());
            closed_.pop_front();
            started_ = number;
        }
        slice.play(*page);
        done_ = number;
    }
    return slice.finish();
}
