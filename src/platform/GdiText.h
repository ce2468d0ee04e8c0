#pragma once
// Text of metafile records: byte strings decoded by the font's character set, UTF-16 strings,
// split into the characters that the records' advance arrays count.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace gdi_text {

// One drawn character and the number of code units (bytes, or UTF-16 units) it came from.
struct Character {
    QString text;
    int units = 1;
};

// SHIFTJIS_CHARSET, DEFAULT_CHARSET and OEM_CHARSET: code page 932; SYMBOL_CHARSET: the symbol
// font's layout mapped to Unicode; everything else: Windows-1252.
std::vector<Character> splitBytes(QByteArrayView bytes, int charset);

// A surrogate pair is one character of two units.
std::vector<Character> splitUtf16(QStringView text);

// A face that holds the symbol font's characters.
QString symbolFace();

bool isSymbolCharset(int charset);

} // namespace gdi_text
