#include "ui/FileChangeWatcher.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

FileChangeWatcher::FileChangeWatcher(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(DefaultSettleMs);
    connect(&settle_, &QTimer::timeout, this, &FileChangeWatcher::settled);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
            [this](const QString&) { somethingMoved(true); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString&) { somethingMoved(false); });
}

FileChangeWatcher::Stamp FileChangeWatcher::stampOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true,
            qint64(info.st_size),
            qint64(info.st_ino),
            qint64(info.st_dev),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

void FileChangeWatcher::watch(const QString& path) {
    settle_.stop();
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    path_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    retry_ = false;
    takeAsKnown();
    if (!path_.isEmpty())
        rewatch();
}

void FileChangeWatcher::takeAsKnown() {
    known_ = lastSeen_ = stampOf(path_);
}

void FileChangeWatcher::rewatch() {
    const QString folder = QFileInfo(path_).absolutePath();
    if (!watcher_.directories().contains(folder) && QFileInfo(folder).isDir())
        watcher_.addPath(folder);
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_))
        watcher_.addPath(path_);
}

void FileChangeWatcher::somethingMoved(bool fileItself) {
    if (path_.isEmpty())
        return;
    // The folder reports every file in it: other files being written there must not keep
    // putting off a change of ours (nor report one of their own).
    const Stamp now = stampOf(path_);
    if (!fileItself && now == lastSeen_)
        return;
    lastSeen_ = now;
    rewatch(); // a file renamed onto the name is a new file to watch
    settle_.start();
}

void FileChangeWatcher::retryLater() {
    retry_ = true;
    settle_.start();
}

void FileChangeWatcher::settled() {
    rewatch();
    // The folder reports every file in it: only a file that is not what it was counts.
    if (!retry_ && stampOf(path_) == known_)
        return;
    retry_ = false;
    emit changed();
}
