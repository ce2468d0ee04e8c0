#pragma once
// Which encoding a report file was written in, and the conversion of UTF-8 reports to the
// code page 932 bytes that the layout works on. Editors on other systems save reports as
// UTF-8; the producing programs always write code page 932, which must stay byte for byte.

#include <QByteArrayList>
#include <QByteArrayView>

struct InputEncoding {
    enum class Source {
        Cp932, // taken as read
        Utf8,  // converted to code page 932
    };
    Source source = Source::Cp932;
    bool byteOrderMarkDropped = false;
    // Characters without a code page 932 form; each became "？".
    qsizetype unmappedCharacters = 0;

    bool converted() const { return source == Source::Utf8; }

    // Decides once for the lines of one file and converts them in place when they are UTF-8:
    // lines that begin with a UTF-8 byte-order mark and are valid UTF-8 after it, or lines
    // that are valid UTF-8 with non-ASCII text and not valid code page 932. Anything else is
    // left untouched.
    static InputEncoding normalise(QByteArrayList& lines);

    // Well-formed UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF.
    static bool isUtf8(QByteArrayView bytes);
    // Every byte and byte pair a character of code page 932 (as glibc's "CP932" table has it).
    static bool isCp932(QByteArrayView bytes);
    // UTF-8 to code page 932; characters without a form there become "？" and are counted.
    static QByteArray utf8ToCp932(QByteArrayView utf8, qsizetype& unmapped);
};
