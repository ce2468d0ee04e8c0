#include "help/ChmLoader.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Child side: "<u32 path length><path><u32 data length><data>" per file, a zero path length
// at the end. Only plain writes and the archive run here.
bool writeAll(int fd, const void* data, std::size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, p, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        length -= std::size_t(n);
    }
    return true;
}

bool writeNumber(int fd, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    return writeAll(fd, b, 4);
}

[[noreturn]] void runChild(int fd, std::string_view bytes, const ChmLimits& limits) {
    const auto archive = ChmArchive::tryOpen(bytes, limits);
    if (!archive)
        _exit(1);
    for (const ChmEntry& entry : archive->files()) {
        const auto data = archive->read(entry);
        if (!data)
            continue;
        if (!writeNumber(fd, std::uint32_t(entry.path.size())) ||
            !writeAll(fd, entry.path.data(), entry.path.size()) ||
            !writeNumber(fd, std::uint32_t(data->size())) ||
            !writeAll(fd, data->data(), data->size()))
            _exit(1);
    }
    _exit(writeNumber(fd, 0) ? 0 : 1);
}

std::optional<QList<ChmFileData>> decode(const QByteArray& stream) {
    QList<ChmFileData> files;
    qsizetype at = 0;
    auto number = [&](quint32& v) {
        if (stream.size() - at < 4)
            return false;
        const auto* b = reinterpret_cast<const unsigned char*>(stream.constData() + at);
        v = b[0] | (b[1] << 8) | (b[2] << 16) | (quint32(b[3]) << 24);
        at += 4;
        return true;
    };
    for (;;) {
        quint32 pathLength = 0, dataLength = 0;
        if (!number(pathLength))
            return std::nullopt;
        if (pathLength == 0)
            return at == stream.size() ? std::optional(files) : std::nullopt;
        if (stream.size() - at < qint64(pathLength))
            return std::nullopt;
        const QString path = QString::fromUtf8(stream.constData() + at, pathLength);
        at += pathLength;
        if (!number(dataLength) || stream.size() - at < qint64(dataLength))
            return std::nullopt;
        files.append(ChmFileData{path, stream.mid(at, dataLength)});
        at += dataLength;
    }
}

} // namespace

std::optional<QList<ChmFileData>> LoadChmFiles(const QString& fileName,
                                               const ChmLoadLimits& limits) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(limits.archive.fileBytes))
        return std::nullopt;
    const QByteArray bytes = file.read(qint64(limits.archive.fileBytes) + 1);
    if (bytes.size() > qint64(limits.archive.fileBytes))
        return std::nullopt;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        runChild(pipeFds[1], std::string_view(bytes.constData(), std::size_t(bytes.size())),
                 limits.archive);
    }
    ::close(pipeFds[1]);

    // Overhead of the framing: eight bytes a file, at most one file per directory entry.
    const qint64 maxStream = limits.totalBytes + 8 * qint64(limits.archive.entries) + 4 +
                             qint64(limits.archive.entries) * 512;
    QByteArray stream;
    bool complete = false;
    QDeadlineTimer deadline(limits.timeoutMs);
    char buffer[65536];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break; // time is up
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        if (n == 0) {
            complete = true;
            break;
        }
        if (stream.size() + n > maxStream)
            break;
        stream.append(buffer, n);
    }
    ::close(pipeFds[0]);
    if (!complete)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    auto files = decode(stream);
    if (!files)
        return std::nullopt;
    qint64 total = 0;
    for (const ChmFileData& f : *files)
        total += f.bytes.size();
    if (total > limits.totalBytes)
        return std::nullopt;
    return files;
}
