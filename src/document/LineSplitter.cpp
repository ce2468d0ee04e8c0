#include "document/LineSplitter.h"

#include <cstring>

bool LineSplitter::feed(QByteArrayView bytes) {
    if (ended_)
        return false;
    if (bytes.isEmpty())
        return true;
    if (const void* nul = std::memchr(bytes.data(), '\0', size_t(bytes.size()))) {
        bytes = bytes.first(static_cast<const char*>(nul) - bytes.data());
        ended_ = true;
    }

    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (afterCr_ && p != end) {
        if (*p == '\n')
            ++p;
        afterCr_ = false;
    }
    while (p != end) {
        const char* lineEnd = p;
        while (lineEnd != end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        if (lineEnd == end) {
            partial_.append(p, lineEnd - p);
            break;
        }
        if (partial_.isEmpty()) {
            lines_.append(QByteArray(p, lineEnd - p));
        } else {
            partial_.append(p, lineEnd - p);
            lines_.append(std::move(partial_));
            partial_ = QByteArray();
        }
        p = lineEnd + 1;
        if (*lineEnd == '\r') {
            if (p == end)
                afterCr_ = true; // the LF of a CR LF may come with the next piece
            else if (*p == '\n')
                ++p;
        }
    }
    if (ended_)
        finish();
    return !ended_;
}

void LineSplitter::finish() {
    if (!partial_.isEmpty()) {
        lines_.append(std::move(partial_));
        partial_ = QByteArray();
    }
}

QByteArrayList splitLines(QByteArrayView text) {
    QByteArrayList lines;
    LineSplitter splitter(lines);
    splitter.feed(text);
    splitter.finish();
    return lines;
}
