#include "document/FigurePrefetch.h"

#include <algorithm>
#include <new>

#include "document/Tags.h"

FigurePrefetch::FigurePrefetch(const QByteArrayList& lines, Resolve resolve, int threads)
    : lines_(lines), resolve_(std::move(resolve)), ahead_(2 * std::size_t(std::max(threads, 1))) {
    pool_.setMaxThreadCount(std::max(threads, 1));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        FigureFileVariant variant = FigureFileVariant::Emf;
        if (line.startsWith('<') && tags::isFigureFileTag(line) &&
            figureFileVariantOf(line, variant) && formatOf(variant) != FigureFormat::Metafile) {
            auto job = std::make_unique<Job>();
            job->tagLine = i;
            job->format = formatOf(variant);
            jobs_.push_back(std::move(job));
        }
    }
    scheduleUpTo(ahead_);
}

FigurePrefetch::~FigurePrefetch() {
    {
        const std::lock_guard lock(mutex_);
        for (auto& job : jobs_)
            if (job->state == State::Queued)
                job->state = State::Dropped;
    }
    pool_.clear();
    pool_.waitForDone();
}

void FigurePrefetch::scheduleUpTo(std::size_t last) {
    for (; scheduled_ < jobs_.size() && scheduled_ <= last; ++scheduled_) {
        Job& job = *jobs_[scheduled_];
        job.path = resolve_(lines_[job.tagLine + 1], job.format);
        if (job.path.isEmpty())
            continue; // a missing file: the layout notes it when it gets there
        // A file already handed to the layout is read again only when it changed (fromHeld).
        if (held_.contains(job.path)) {
            job.state = State::SamePath;
            continue;
        }
        job.state = State::Queued;
        pool_.start([this, &job] { run(job); });
    }
}

void FigurePrefetch::run(Job& job) {
    {
        const std::lock_guard lock(mutex_);
        if (job.state != State::Queued)
            return;
        job.state = State::Running;
    }
    std::optional<EncodedImage::Checked> checked;
    const std::optional<FileStamp> before = FileStamp::of(job.path);
    try {
        QByteArray bytes = EncodedImage::readFile(job.path);
        // Bytes read while the file changed belong to neither version.
        if (before && FileStamp::of(job.path) == before)
            checked = EncodedImage::check(std::move(bytes), job.format == FigureFormat::Bitmap
                                                                ? EncodedImage::Format::Bitmap
                                                                : EncodedImage::Format::Jpeg);
    } catch (const std::exception&) {
        // Left to the layout, which loads the file again when it reaches the line and fails
        // there with its own message (or, short of memory here, succeeds).
    }
    const std::lock_guard lock(mutex_);
    job.stamp = before;
    job.checked = std::move(checked);
    job.state = State::Done;
    done_.notify_all();
}

std::vector<std::unique_ptr<FigurePrefetch::Job>>::const_iterator
FigurePrefetch::jobAt(qsizetype tagLine) const {
    const auto it =
        std::lower_bound(jobs_.begin(), jobs_.end(), tagLine,
                         [](const auto& job, qsizetype line) { return job->tagLine < line; });
    return it != jobs_.end() && (*it)->tagLine == tagLine ? it : jobs_.end();
}

bool FigurePrefetch::decoded(qsizetype tagLine) const {
    const auto it = jobAt(tagLine);
    const std::lock_guard lock(mutex_);
    return it != jobs_.end() && (*it)->state == State::Done;
}

std::shared_ptr<const EncodedImage> FigurePrefetch::take(qsizetype tagLine, const QString& path) {
    const auto it = jobAt(tagLine);
    if (it == jobs_.end())
        return nullptr;
    const std::size_t index = std::size_t(it - jobs_.begin());
    scheduleUpTo(index + ahead_);
    Job& job = **it;

    std::unique_lock lock(mutex_);
    // Results of tags that the layout passed without loading them (taken as title lines, say)
    // are dropped.
    for (std::size_t i = 0; i < index; ++i)
        jobs_[i]->checked.reset();
    if (job.path != path)
        return nullptr;
    if (job.state == State::SamePath) {
        lock.unlock();
        return fromHeld(path);
    }
    if (job.state == State::Queued) {
        // Not started: loading it here costs no more than waiting for a worker.
        job.state = State::Dropped;
        return nullptr;
    }
    done_.wait(lock, [&] { return job.state != State::Running; });
    if (job.state != State::Done || !job.checked)
        return nullptr;
    EncodedImage::Checked checked = std::move(*job.checked);
    job.checked.reset();
    const std::optional<FileStamp> stamp = job.stamp;
    lock.unlock();
    if (!stamp || FileStamp::of(path) != stamp)
        return nullptr; // changed since it was read: the layout reads it again
    auto image = EncodedImage::hold(std::move(checked));
    held_.insert(path, Held{*stamp, image});
    return image;
}

std::shared_ptr<const EncodedImage> FigurePrefetch::fromHeld(const QString& path) {
    const auto it = held_.constFind(path);
    if (it == held_.constEnd() || FileStamp::of(path) != it->stamp)
        return nullptr;
    return it->image;
}
