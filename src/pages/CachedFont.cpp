#include "pages/CachedFont.h"

#include <QFontMetrics>
#include <map>
#include <memory>

#include "platform/Cp932.h"

CachedFont::CachedFont(const FontSpec& spec) {
    font_.setFamily(spec.face);
    font_.setPixelSize(std::max(1, spec.pixelSize));
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

CachedFont& CachedFont::get(const FontSpec& spec) {
    static std::map<std::pair<QString, int>, std::unique_ptr<CachedFont>> cache;
    auto& slot = cache[{spec.face, spec.pixelSize}];
    if (!slot)
        slot = std::make_unique<CachedFont>(spec);
    return *slot;
}
