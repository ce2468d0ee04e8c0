#include "app/TextFileReader.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/AppErrors.h"
#include "document/LineSplitter.h"

namespace {

[[noreturn]] void fail(const QString& format, const QString& path, const QString& reason) {
    throw TextFileError(format.arg(path, reason));
}

[[noreturn]] void failOpen(const QString& path, int error) {
    fail(app_errors::CannotOpenFile, path, qt_error_string(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Chunks of this size keep the peak memory near the size of the lines themselves.
constexpr size_t ChunkSize = 1 << 20;

} // namespace

QByteArrayList ReadTextFileLines(const QString& path) {
    const QByteArray native = QFile::encodeName(path);

    // Look before opening: opening a FIFO waits for a writer, and reading a device may never end.
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        failOpen(path, errno);
    if (S_ISDIR(info.st_mode))
        failOpen(path, EISDIR);
    if (!S_ISREG(info.st_mode))
        fail(app_errors::CannotOpenFile, path, app_errors::NotARegularFile);

    // O_NONBLOCK as well, in case the path was swapped for something else since stat.
    FileDescriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        failOpen(path, errno);
    if (::fstat(fd.get(), &info) != 0)
        failOpen(path, errno);
    if (!S_ISREG(info.st_mode))
        fail(app_errors::CannotOpenFile, path, app_errors::NotARegularFile);

    // Programs that take an exclusive lock to write the file keep us out until they are done;
    // file systems without locks are read anyway.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        fail(app_errors::CannotOpenFile, path, app_errors::LockedByAnotherProgram);

    QByteArrayList lines;
    LineSplitter splitter(lines);
    std::vector<char> chunk(ChunkSize);
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(app_errors::CannotReadFile, path, qt_error_string(errno));
        }
        if (got == 0 || !splitter.feed(QByteArrayView(chunk.data(), got)))
            break;
    }
    splitter.finish();
    return lines;
}
