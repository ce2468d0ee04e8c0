#pragma once
// Division of report bytes into lines. A line ends at CR LF, at a lone CR or at a lone LF; a
// last line without a break is still a line, a break at the very end adds no empty line, and
// a NUL byte ends the text. Bytes are kept as they are (code page 932, nothing trimmed).

#include <QByteArrayList>
#include <QByteArrayView>

// Splits text fed in pieces of any size, so that a large file can be read in chunks without
// holding its whole content beside its lines.
class LineSplitter {
public:
    explicit LineSplitter(QByteArrayList& lines) : lines_(lines) {}

    // Adds the next bytes. Returns false once a NUL byte has ended the text; later bytes
    // are ignored.
    bool feed(QByteArrayView bytes);

    // Adds the last line if the text did not end with a break.
    void finish();

    bool ended() const { return ended_; }

private:
    QByteArrayList& lines_;
    QByteArray partial_;   // bytes of a line whose break has not arrived yet
    bool afterCr_ = false; // the previous byte was a CR, so an LF now belongs to it
    bool ended_ = false;
};

// The lines of a whole text.
QByteArrayList splitLines(QByteArrayView text);
