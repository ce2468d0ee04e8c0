#pragma once
// Reads a report file from disk into its lines, bytes as they are (code page 932).

#include <QByteArrayList>
#include <QString>
#include <stdexcept>

// A file that cannot be opened or read. The message names the file and gives the reason.
class TextFileError : public std::runtime_error {
public:
    explicit TextFileError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The lines of the file at path (see LineSplitter for how lines end). Only regular files are
// read: a directory, FIFO, device or socket is refused before it is opened, so reading never
// blocks. The file is held under a shared advisory lock while it is read. Throws
// TextFileError; there is never a partial result.
QByteArrayList ReadTextFileLines(const QString& path);
