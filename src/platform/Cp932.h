#pragma once
// Code page 932 (Windows Shift-JIS): the byte encoding of every report, setting and figure label.
// The layout works on the bytes; text is decoded only where it is drawn or shown.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace cp932 {

// Lead byte of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Decodes with glibc's "CP932" table (NEC and IBM rows included, 0x5C stays a backslash).
// A byte sequence that is not valid code page 932 becomes U+FFFD; decoding never fails.
QString decode(QByteArrayView bytes);

// Encodes for code page 932; characters it cannot hold become "?".
QByteArray encode(const QString& text);

// Encodes for code page 932; each character it cannot hold becomes replacement and is
// counted in *unmapped (when given).
QByteArray encode(const QString& text, QByteArrayView replacement, qsizetype* unmapped);

// The first bytes of text that fit into capacity bytes, never ending on half of a
// double-byte character (one byte less is kept instead).
QByteArray truncated(QByteArrayView text, qsizetype capacity);

} // namespace cp932
