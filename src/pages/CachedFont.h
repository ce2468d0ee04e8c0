#pragma once
// Measurements and glyphs of one face at one pixel size, cached for the process. The layout
// counts code page 932 bytes; it asks widths per character code, never shaping a string.

#include <QByteArrayView>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <array>

#include "pages/PageRecord.h"

class CachedFont {
public:
    explicit CachedFont(const FontSpec& fontSpec);

    const QFont& font() const { return font_; }
    const QRawFont& rawFont() const { return rawFont_; }
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    // Cell height: ascent + descent.
    int height() const { return ascent_ + descent_; }

    // Integer advance of one character: a single byte, or (lead << 8 | trail).
    int charWidth(quint16 code);
    // Sum of the integer advances of the characters of bytes.
    int textWidth(QByteArrayView bytes);
    // Glyph of one character in rawFont() (0 where the font has none).
    quint32 glyph(quint16 code);

    // One glyph drawn in color on a transparent image, for painting it where Qt would draw
    // it as an outline every time (glyphs above 64 device pixels). offset: the image's top-left
    // relative to the glyph's origin on the baseline. Null image for a glyph without ink. The
    // reference stays valid until the next call.
    struct GlyphImage {
        QImage image;
        QPoint offset;
    };
    const GlyphImage& glyphImage(quint32 glyph, QRgb color);

    // The cache entry for fontSpec; entries live until the thread ends (the process, for the
    // main thread). Each thread has its own entries: a QRawFont belongs to the thread that
    // made it, and pages are played on worker threads when a long PDF is written.
    static CachedFont& get(const FontSpec& fontSpec);

private:
    struct CharInfo {
        int width = -1;
        quint32 glyph = 0;
    };
    CharInfo& info(quint16 code);

    QFont font_;
    QRawFont rawFont_;
    int ascent_ = 0;
    int descent_ = 0;
    std::array<CharInfo, 256> single_{};
    QHash<quint16, CharInfo> doubleByte_;
    QHash<std::pair<quint32, QRgb>, GlyphImage> glyphImages_;
    std::size_t glyphImageBytes_ = 0;
};

// Iterates the characters of a code page 932 byte string: calls f(code, byteOffset, byteCount)
// for each, a lead byte taking its trail byte with it (a lead byte at the end stands alone).
template <typename F> void forEachCp932Char(QByteArrayView bytes, F&& f) {
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < n) {
            f(quint16((b << 8) | static_cast<unsigned char>(bytes[i + 1])), i, 2);
            i += 2;
        } else {
            f(quint16(b), i, 1);
            i += 1;
        }
    }
}
