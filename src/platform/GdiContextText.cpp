// The GDI context's text: the font at its size, the run's alignment, and drawing it.

#include "platform/GdiContext.h"

#include "platform/FontSubstitution.h"
#include "platform/GdiGeometry.h"
#include "platform/GdiText.h"

#include <QFontMetricsF>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <utility>

#include <uemf.h>

namespace {

// Glyphs reaching further than this many device pixels along either axis are filled as
// outlines on raster devices.
constexpr double kMaxGlyphPixels = 2048;
// Nor are glyphs rasterised whose transform (font width against height, the mapping, the
// painter's scale, shear) draws them more than this many times longer one way than the other.
constexpr double kMaxGlyphAspect = 16;
// Height of a font whose LOGFONT height is 0, in logical units.
constexpr double kDefaultFontHeight = 12;

// The longest and shortest stretch of a unit by the linear part of t (its singular values).
std::pair<double, double> axisScales(const QTransform& t) {
    const double a = t.m11(), b = t.m12(), c = t.m21(), d = t.m22();
    const double sum = a * a + b * b + c * c + d * d;
    const double det = std::abs(a * d - b * c);
    const double root = std::sqrt(std::max(0.0, sum * sum - 4 * det * det));
    const double major = std::sqrt((sum + root) / 2);
    return {major, major > 0 ? det / major : 0};
}

// Where the first character's baseline starts, in the font's pixels from the reference point,
// for the TA_* alignment of a run total pixels wide.
QPointF alignedStart(quint32 textAlign, double total, const QFontMetricsF& fm) {
    double x0 = 0;
    if ((textAlign & U_TA_CENTER) == U_TA_CENTER)
        x0 = -total / 2;
    else if (textAlign & U_TA_RIGHT)
        x0 = -total;
    double baseline = fm.ascent(); // TA_TOP
    if ((textAlign & U_TA_BASELINE) == U_TA_BASELINE)
        baseline = 0;
    else if (textAlign & U_TA_BOTTOM)
        baseline = -fm.descent();
    return QPointF(x0, baseline);
}

// The current position after a run logicalWidth wide drawn from reference under TA_UPDATECP:
// past its end, before its start when right-aligned, unmoved when centred.
QPointF positionAfter(quint32 textAlign, QPointF reference, double logicalWidth) {
    if ((textAlign & U_TA_CENTER) == U_TA_CENTER)
        return reference;
    return reference + QPointF((textAlign & U_TA_RIGHT) ? -logicalWidth : logicalWidth, 0);
}

// A raster device keeps an image of each glyph it draws; for glyphs far larger than any page
// (an absurd height or mapping) that image alone would take gigabytes, and a glyph drawn many
// times longer one way than the other (a font 40 times wider than high, under an anisotropic
// mapping) makes the glyph rasteriser fail. Such text is filled as outlines, which the
// painter's rasteriser clips to the device. The whole transform a glyph goes through counts:
// the font's width against its height, then the painter's transform.
bool drawAsOutlines(QPainter& painter, const QFont& font, int size) {
    const double stretch = font.stretch() > 0 ? font.stretch() / 100.0 : 1.0;
    const auto [major, minor] =
        axisScales(QTransform::fromScale(stretch, 1) * painter.combinedTransform());
    const bool rasterised = size * major <= kMaxGlyphPixels && major <= kMaxGlyphAspect * minor;
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster &&
           !rasterised;
}

} // namespace

QFont GdiContext::makeFont(double pixelSize) const {
    const GdiFont& gf = state_.font;
    QString face = gf.face.isEmpty() ? font_substitution::defaultFace() : gf.face;
    if (gdi_text::isSymbolCharset(gf.charset))
        face = gdi_text::symbolFace();
    QFont font(face);
    font.setPixelSize(qMax(1, int(std::lround(pixelSize))));
    font.setWeight(QFont::Weight(qBound(1, gf.weight == 0 ? 400 : gf.weight, 1000)));
    font.setItalic(gf.italic);
    font.setUnderline(gf.underline);
    font.setStrikeOut(gf.strikeOut);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

std::optional<GdiContext::TextFont> GdiContext::textFont(double ux, double uy) const {
    const GdiFont& gf = state_.font;
    double pixel = (gf.height == 0 ? kDefaultFontHeight : std::abs(double(gf.height))) * uy;
    if (!(pixel >= 0.05) || pixel > kMaxCoordinate)
        return std::nullopt;
    if (gf.height > 0) {
        // A positive height is the cell height: em height plus internal leading.
        const QFontMetricsF probe(makeFont(pixel));
        const double cell = probe.ascent() + probe.descent();
        if (cell > 0)
            pixel = pixel * std::lround(pixel) / cell;
    }
    // Glyphs are laid out at an integral pixel size and scaled to the exact size.
    TextFont face;
    face.size = qMax(1, int(std::lround(pixel)));
    face.scale = pixel / face.size;
    face.font = makeFont(face.size);
    if (gf.width > 0) {
        const double natural = QFontMetricsF(face.font).averageCharWidth();
        if (natural > 0)
            face.font.setStretch(
                qBound(1, int(std::lround(gf.width * ux / face.scale / natural * 100)), 4000));
    }
    return face;
}

std::optional<GdiContext::TextLine> GdiContext::textLine(const TextRun& run, double ux,
                                                         const TextFont& face,
                                                         const QFontMetricsF& fm) const {
    TextLine line;
    for (const QString& c : run.characters)
        line.whole += c;
    if (!run.advances.empty()) {
        line.advances.reserve(run.advances.size());
        for (double a : run.advances) {
            line.advances.push_back(a * ux / face.scale);
            line.total += line.advances.back();
        }
    } else {
        line.total = fm.horizontalAdvance(line.whole);
    }
    if (!std::isfinite(line.total) || std::abs(line.total) * face.scale > kMaxCoordinate)
        return std::nullopt;
    line.start = alignedStart(state_.textAlign, line.total, fm);
    return line;
}

void GdiContext::drawTextLine(const TextRun& run, const TextFont& face, const TextLine& line,
                              const QFontMetricsF& fm, QPointF origin) {
    // Tenths of a degree; whole turns are dropped in 64-bit arithmetic, as a file may hold
    // any 32-bit value (negating INT_MIN would overflow).
    const double degrees = double(-(qint64(state_.font.escapement) % 3600)) / 10.0;
    const double k = face.scale;
    const QTransform textToPainter = QTransform::fromScale(k, k) * QTransform().rotate(degrees) *
                                     QTransform::fromTranslate(origin.x(), origin.y()) * initial_;
    applyClip();
    const bool clipped = run.box && (run.options & U_ETO_CLIPPED);
    if (clipped) {
        painter_.save();
        painter_.setTransform(initial_);
        painter_.setClipPath(xform_.map(gdi_clip::rectPath(*run.box)), Qt::IntersectClip);
    }
    painter_.setTransform(textToPainter);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QPointF start = line.start;
    if (state_.bkMode == U_OPAQUE && !(run.options & U_ETO_OPAQUE)) {
        painter_.fillRect(
            QRectF(start.x(), start.y() - fm.ascent(), line.total, fm.ascent() + fm.descent()),
            state_.bkColor);
    }
    painter_.setBackgroundMode(Qt::TransparentMode);
    const bool asOutlines = drawAsOutlines(painter_, face.font, face.size);
    QPainterPath outlines;
    auto draw = [&](QPointF at, const QString& text) {
        if (asOutlines)
            outlines.addText(at, face.font, text);
        else
            painter_.drawText(at, text);
    };
    painter_.setFont(face.font);
    painter_.setPen(state_.textColor);
    if (line.advances.empty()) {
        draw(start, line.whole);
    } else {
        // Each character at its own advance.
        double x = start.x();
        for (size_t i = 0; i < run.characters.size() && i < line.advances.size(); ++i) {
            draw(QPointF(x, start.y()), run.characters[i]);
            x += line.advances[i];
        }
    }
    if (asOutlines)
        painter_.fillPath(outlines, state_.textColor);
    if (clipped)
        painter_.restore();
    painterXformDirty_ = penDirty_ = brushDirty_ = true;
}

void GdiContext::textOut(QPointF reference, const TextRun& run) {
    const QTransform& t = logicalToTarget();
    if (inPath_ || !xformUsable_)
        return;
    const bool updateCp = state_.textAlign & U_TA_UPDATECP;
    if (updateCp)
        reference = state_.position;
    if (!sane(QRectF(reference, QSizeF(1, 1))))
        return;
    if (run.box && (run.options & U_ETO_OPAQUE) && sane(*run.box))
        fillTarget(t.map(gdi_clip::rectPath(*run.box)), state_.bkColor);
    if (run.characters.empty())
        return;
    const double ux = unitLength(t, QPointF(1, 0));
    const std::optional<TextFont> face = textFont(ux, unitLength(t, QPointF(0, 1)));
    if (!face)
        return;
    const QFontMetricsF fm(face->font);
    const std::optional<TextLine> line = textLine(run, ux, *face, fm);
    if (!line)
        return;
    drawTextLine(run, *face, *line, fm, t.map(reference));
    if (updateCp) {
        const double logicalWidth = ux > 0 ? line->total * face->scale / ux : 0;
        state_.position = positionAfter(state_.textAlign, reference, logicalWidth);
    }
}
