#include "pages/CountingDevice.h"

#include <QFileDevice>

namespace {
// Writes reach the target in blocks of this size: the PDF engine writes many short pieces,
// and an unbuffered file would otherwise make a system call for each.
constexpr qsizetype kBlockSize = 64 * 1024;
} // namespace

CountingDevice::CountingDevice(QIODevice& target) : target_(target) {
    buffer_.reserve(kBlockSize);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

CountingDevice::~CountingDevice() = default;

qint64 CountingDevice::readData(char*, qint64) {
    return -1;
}

qint64 CountingDevice::writeData(const char* data, qint64 size) {
    asked_ += size;
    if (failed_)
        return -1;
    if (buffer_.size() + size <= kBlockSize) {
        buffer_.append(data, size);
        return size;
    }
    if (!pass(buffer_.constData(), buffer_.size()))
        return -1;
    buffer_.clear();
    if (size >= kBlockSize)
        return pass(data, size) ? size : -1;
    buffer_.append(data, size);
    return size;
}

bool CountingDevice::finish() {
    if (!failed_ && !buffer_.isEmpty() && pass(buffer_.constData(), buffer_.size()))
        buffer_.clear();
    // A buffered file holds the last bytes until it is flushed.
    auto* file = qobject_cast<QFileDevice*>(&target_);
    if (!failed_ && file && !file->flush())
        fail(file->errorString());
    return !failed_;
}

bool CountingDevice::pass(const char* data, qint64 size) {
    // A short write is not an error to QIODevice: the rest is offered again, and the target's
    // refusal of it carries the reason (no space left, quota exceeded, an I/O error).
    while (size > 0) {
        const qint64 written = target_.write(data, size);
        if (written <= 0) {
            fail(target_.errorString());
            return false;
        }
        taken_ += written;
        data += written;
        size -= written;
    }
    return true;
}

void CountingDevice::fail(const QString& reason) {
    failed_ = true;
    failure_ = reason;
    buffer_.clear();
}
