#pragma once
// Bitmap and JPEG figure files read and checked (EncodedImage::check: decoded for their
// errors and size, packed for holding) on worker threads ahead of the layout. The layout has
// all its lines from the start, so the figure-file tags are known before it reaches them;
// checking a figure then overlaps the layout of the text before it. Only a few figures are in
// work ahead of the one the layout is at, so memory stays that of a few figures.
//
// A figure checked ahead is used only when its file is unchanged since it was read (same file,
// size and times) and passed the check; otherwise the layout loads the file itself when it
// reaches the line, exactly as without the workers, so errors, their messages and the pages
// before them are the same.

#include <QByteArrayList>
#include <QHash>
#include <QString>
#include <QThreadPool>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "document/FigurePlacement.h"
#include "pages/EncodedImage.h"
#include "platform/FileStamp.h"

class FigurePrefetch {
public:
    // The path of the file that the name line after a figure-file tag names (empty: none).
    using Resolve = std::function<QString(const QByteArray& nameLine, FigureFormat format)>;

    // Finds the figure-file tags of lines and starts decoding the first figures on threads
    // workers (at least 1). resolve is called on this thread only, as figures are scheduled.
    FigurePrefetch(const QByteArrayList& lines, Resolve resolve, int threads);
    // Drops what has not started and waits for what has.
    ~FigurePrefetch();
    FigurePrefetch(const FigurePrefetch&) = delete;
    FigurePrefetch& operator=(const FigurePrefetch&) = delete;

    // The figure of the tag at tagLine, whose file the layout found at path: the figure decoded
    // ahead, or null when there is none to use (not decoded yet, failed, the file changed) and
    // the caller loads the file itself. Waits for a decoding in progress; moves the window of
    // figures decoded ahead on to the ones after tagLine.
    std::shared_ptr<const EncodedImage> take(qsizetype tagLine, const QString& path);

    // Whether the worker has finished with the figure of the tag at tagLine (tests).
    bool decoded(qsizetype tagLine) const;

private:
    enum class State { Waiting, Queued, Running, Done, Dropped, SamePath };
    struct Job {
        qsizetype tagLine = 0;
        FigureFormat format = FigureFormat::Bitmap;
        QString path;
        State state = State::Waiting;
        std::optional<FileStamp> stamp;
        std::optional<EncodedImage::Checked> checked; // set when decoded without error
    };
    struct Held {
        FileStamp stamp;
        std::shared_ptr<const EncodedImage> image;
    };

    std::vector<std::unique_ptr<Job>>::const_iterator jobAt(qsizetype tagLine) const;
    void scheduleUpTo(std::size_t last);
    void run(Job& job);
    std::shared_ptr<const EncodedImage> fromHeld(const QString& path);

    const QByteArrayList& lines_;
    Resolve resolve_;
    std::vector<std::unique_ptr<Job>> jobs_; // in line order
    std::size_t scheduled_ = 0;              // jobs before this one have been looked at
    std::size_t ahead_;
    QHash<QString, Held> held_; // figures handed out, by path, for files placed again
    mutable std::mutex mutex_;
    std::condition_variable done_;
    QThreadPool pool_;
};
