#pragma once
// A write-only device between a writer that does not check its writes (Qt's PDF engine) and
// the file it writes to. It passes every byte on, counts the bytes asked for and the bytes the
// file took, and keeps the first failure with the file's reason. Qt's PDF engine ignores what
// its device's write returns, and a file device reports a short write (a full disk) as a
// smaller count, not as an error, so without this a PDF cut short would be committed as whole.

#include <QByteArray>
#include <QIODevice>
#include <QString>

class CountingDevice : public QIODevice {
public:
    // target must be open for writing, preferably unbuffered (QIODevice::Unbuffered): writes
    // reach it in blocks of this device's own buffer, and an unbuffered file reports each
    // failure with the system's reason. The device opens itself write-only.
    explicit CountingDevice(QIODevice& target);
    ~CountingDevice() override;

    bool isSequential() const override { return true; }

    qint64 bytesAsked() const { return asked_; }
    qint64 bytesTaken() const { return taken_; }
    bool failed() const { return failed_; }
    // The reason of the first failure (the target's error text); empty while none.
    const QString& failure() const { return failure_; }

    // Passes what is buffered on and says whether every byte asked for reached the target.
    // Call it after the writer is done, before the file is committed.
    bool finish();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool pass(const char* data, qint64 size);
    void fail(const QString& reason);

    QIODevice& target_;
    QByteArray buffer_;
    qint64 asked_ = 0;
    qint64 taken_ = 0;
    bool failed_ = false;
    QString failure_;
};
