#include "pages/FollowingSlice.h"

#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <stdexcept>

#include "pages/EnginePdfFile.h"
#include "pages/PdfFinisher.h"
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
    EnginePdfFile pdf(setup_.failure, setup_.subject);
    {
        QPdfWriter writer(&pdf.device());
        writer.setCreator(PdfFinisher::programName());
        writer.setTitle(setup_.title);
        writer.setResolution(setup_.resolution);
        writer.setPageLayout(setup_.layout);
        QPainter painter;
        if (!painter.begin(&writer))
            throw EOutputError(setup_.failure, setup_.subject, QStringLiteral("PDF output failed"));
        if (setup_.verticalScale != 1.0)
            painter.scale(1.0, setup_.verticalScale);
        try {
            for (int number = 1;; ++number) {
                std::shared_ptr<const PageRecording> page;
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock,
                                  [&] { return stopped_ || number > last_ || !closed_.empty(); });
                    if (stopped_) {
                        painter.end();
                        return std::nullopt;
                    }
                    if (number > last_)
                        break;
                    page = std::move(closed_.front());
                    closed_.pop_front();
                    started_ = number;
                }
                if (number > 1 && !writer.newPage())
                    throw std::runtime_error("QPdfWriter::newPage failed");
                page->replay(painter, setup_.origin);
                done_ = number;
            }
        } catch (...) {
            painter.end();
            throw;
        }
        painter.end();
    }
    return pdf.finish();
}
