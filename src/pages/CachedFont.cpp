#include "pages/CachedFont.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <map>
#include <memory>

#include "platform/Cp932.h"

CachedFont::CachedFont(const FontSpec& fontSpec) {
    font_.setFamily(fontSpec.face);
    font_.setPixelSize(std::max(1, fontSpec.pixelSize));
    // Unhinted outlines scale evenly, so a page looks the same at every zoom and resolution.
    font_.setHintingPreference(QFont::PreferNoHinting);
    font_.setStyleStrategy(QFont::PreferOutline);
    rawFont_ = QRawFont::fromFont(font_);
    const QFontMetrics metrics(font_);
    ascent_ = metrics.ascent();
    descent_ = metrics.descent();
}

CachedFont::CharInfo& CachedFont::info(quint16 code) {
    CharInfo& entry = code < 256 ? single_[code] : doubleByte_[code];
    if (entry.width < 0) {
        const char bytes[2] = {char(code >> 8), char(code & 0xFF)};
        const QString text = code < 256 ? cp932::decode(QByteArrayView(bytes + 1, 1))
                                        : cp932::decode(QByteArrayView(bytes, 2));
        entry.width = QFontMetrics(font_).horizontalAdvance(text);
        const QList<quint32> glyphs = rawFont_.glyphIndexesForString(text);
        entry.glyph = glyphs.isEmpty() ? 0 : glyphs.first();
    }
    return entry;
}

int CachedFont::charWidth(quint16 code) {
    return info(code).width;
}

int CachedFont::textWidth(QByteArrayView bytes) {
    int width = 0;
    forEachCp932Char(bytes, [&](quint16 code, qsizetype, int) { width += charWidth(code); });
    return width;
}

quint32 CachedFont::glyph(quint16 code) {
    return info(code).glyph;
}

const CachedFont::GlyphImage& CachedFont::glyphImage(quint32 glyph, QRgb color) {
    const auto key = std::make_pair(glyph, color);
    auto it = glyphImages_.find(key);
    if (it != glyphImages_.end())
        return *it;
    // A 75-pixel glyph takes some 30 KB; a document of many distinct characters at a large
    // size starts the cache afresh rather than growing without bound.
    if (glyphImageBytes_ > 32 * 1024 * 1024) {
        glyphImages_.clear();
        glyphImageBytes_ = 0;
    }
    GlyphImage entry;
    // Two pixels of margin for antialiased edges beyond the outline's bounds.
    const QRect bounds = rawFont_.boundingRect(glyph).toAlignedRect().adjusted(-2, -2, 2, 2);
    if (!bounds.isEmpty()) {
        entry.image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        entry.image.fill(Qt::transparent);
        QGlyphRun run;
        run.setRawFont(rawFont_);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(0, 0)});
        QPainter painter(&entry.image);
        painter.setPen(QColor(color));
        painter.drawGlyphRun(QPointF(-bounds.left(), -bounds.top()), run);
        entry.offset = bounds.topLeft();
        glyphImageBytes_ += std::size_t(entry.image.sizeInBytes());
    }
    return *glyphImages_.insert(key, entry);
}

CachedFont& CachedFont::get(const FontSpec& fontSpec) {
    thread_local std::map<std::pair<QString, int>, std::unique_ptr<CachedFont>> cache;
    auto& slot = cache[{fontSpec.face, fontSpec.pixelSize}];
    if (!slot)
        slot = std::make_unique<CachedFont>(fontSpec);
    return *slot;
}
