// Enhanced metafile records: libuemf's U_emf_record_safe first, then our own checks of every
// count and offset the player uses, all in 64-bit arithmetic (libuemf's own checks multiply
// counts in int and can wrap).

#include "platform/DibImage.h"
#include "platform/GdiContext.h"
#include "platform/GdiText.h"
#include "platform/MetafileFormats.h"

#include <QStringView>

#include <uemf.h>
#include <uemf_safe.h>

namespace emf_records {
namespace {

constexpr qint64 kHeaderMinSize = 88;

QColor colorRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QRectF rectL(const ByteView& r, qint64 at) {
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QPointF pointL(const ByteView& r, qint64 at) {
    return QPointF(r.i32(at), r.i32(at + 4));
}

// Region data: a 32-byte header and nCount rectangles.
bool regionSound(const ByteView& r, qint64 at, qint64 cb) {
    if (cb == 0)
        return true;
    if (cb < 32 || !r.has(at, cb))
        return false;
    const qint64 count = r.u32(at + 8);
    return 32 + count * 16 <= cb;
}

// The rectangles of the region data of cb bytes at at. A size of 0 is an empty region: the
// header fields then belong to no region and are not read (their count could be anything).
QPainterPath regionPath(const ByteView& r, qint64 at, qint64 cb) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (cb < 32)
        return path;
    const qint64 count = std::min<qint64>(r.u32(at + 8), (cb - 32) / 16);
    for (qint64 i = 0; i < count; ++i)
        path.addRect(rectL(r, at + 32 + 16 * i).normalized());
    return path;
}

// A DIB given by offset and size fields; cbBmi 0 means none.
bool dibSound(const ByteView& r, quint32 offBmi, quint32 cbBmi, quint32 offBits, quint32 cbBits) {
    if (cbBmi == 0)
        return true;
    if (!r.has(offBmi, cbBmi) || !r.has(offBits, cbBits))
        return false;
    return dib::check(r.sub(offBmi, cbBmi)) == dib::Verdict::Sound;
}

bool dibAt(const ByteView& r, qint64 fields) {
    return dibSound(r, r.u32(fields), r.u32(fields + 4), r.u32(fields + 8), r.u32(fields + 12));
}

QImage decodeDib(const ByteView& r, qint64 fields, quint32 usage, bool keepAlpha = false) {
    const quint32 cbBmi = r.u32(fields + 4);
    if (cbBmi == 0)
        return {};
    return dib::decode(r.sub(r.u32(fields), cbBmi), r.sub(r.u32(fields + 8), r.u32(fields + 12)),
                       usage, keepAlpha);
}

bool textSound(const ByteView& r, bool wide) {
    const qint64 chars = r.u32(44);
    const qint64 offString = r.u32(48);
    const quint32 options = r.u32(52);
    const qint64 dxField = (options & U_ETO_NO_RECT) ? 56 : 72;
    if (!r.has(0, dxField + 4))
        return false;
    if (chars > 0 && !r.has(offString, chars * (wide ? 2 : 1)))
        return false;
    const qint64 offDx = r.u32(dxField);
    if (offDx != 0 && chars > 0 && !r.has(offDx, chars * 4 * ((options & U_ETO_PDY) ? 2 : 1)))
        return false;
    return true;
}

// EMR_SMALLTEXTOUT: position, count, options, graphics mode, scales, an optional rectangle,
// then the characters: bytes with ETO_SMALL_CHARS, UTF-16 otherwise; no advances.
qint64 smallTextOffset(const ByteView& r) {
    return (r.u32(20) & U_ETO_NO_RECT) ? 36 : 52;
}

qint64 smallTextBytes(const ByteView& r) {
    return qint64(r.u32(16)) * ((r.u32(20) & U_ETO_SMALL_CHARS) ? 1 : 2);
}

bool recordSound(quint32 type, const ByteView& r) {
    const qint64 size = r.size();
    switch (type) {
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYGON:
    case U_EMR_POLYLINE:
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYLINETO:
        return size >= 28 && 28 + qint64(r.u32(24)) * 8 <= size;
    case U_EMR_POLYBEZIER16:
    case U_EMR_POLYGON16:
    case U_EMR_POLYLINE16:
    case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16:
        return size >= 28 && 28 + qint64(r.u32(24)) * 4 <= size;
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYGON:
        return size >= 32 && 32 + qint64(r.u32(24)) * 4 + qint64(r.u32(28)) * 8 <= size;
    case U_EMR_POLYPOLYLINE16:
    case U_EMR_POLYPOLYGON16:
        return size >= 32 && 32 + qint64(r.u32(24)) * 4 + qint64(r.u32(28)) * 4 <= size;
    case U_EMR_POLYDRAW:
        return size >= 28 && 28 + qint64(r.u32(24)) * 9 <= size;
    case U_EMR_POLYDRAW16:
        return size >= 28 && 28 + qint64(r.u32(24)) * 5 <= size;
    case U_EMR_EXTTEXTOUTA:
        return textSound(r, false);
    case U_EMR_EXTTEXTOUTW:
        return textSound(r, true);
    case U_EMR_SMALLTEXTOUT:
        return size >= 36 && smallTextOffset(r) + smallTextBytes(r) <= size;
    case U_EMR_FILLRGN:
        return regionSound(r, 32, r.u32(24));
    case U_EMR_FRAMERGN:
        return regionSound(r, 40, r.u32(24));
    case U_EMR_INVERTRGN:
    case U_EMR_PAINTRGN:
        return regionSound(r, 28, r.u32(24));
    case U_EMR_EXTSELECTCLIPRGN:
        return regionSound(r, 16, r.u32(8));
    case U_EMR_BITBLT:
    case U_EMR_STRETCHBLT:
    case U_EMR_ALPHABLEND:
    case U_EMR_TRANSPARENTBLT:
        return size >= 100 && dibAt(r, 84);
    case U_EMR_SETDIBITSTODEVICE:
    case U_EMR_STRETCHDIBITS:
        return size >= 76 && dibAt(r, 48);
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
        return size >= 32 && dibAt(r, 16);
    case U_EMR_EXTCREATEPEN:
        return size >= 52 && 52 + qint64(r.u32(48)) * 4 <= size && dibAt(r, 12);
    case U_EMR_COMMENT:
        return size >= 12 && 12 + qint64(r.u32(8)) <= size;
    default:
        return true;
    }
}

// libuemf has no check for the undefined record types and complains on stderr when asked.
// Its check of SMALLTEXTOUT demands the rectangle even when ETO_NO_RECT leaves it out (its
// own writer makes such records), so that record is checked by recordSound alone.
bool libuemfChecks(quint32 type, const ByteView& r) {
    if (type == U_EMR_SMALLTEXTOUT && (r.u32(20) & U_ETO_NO_RECT))
        return false;
    return type >= U_EMR_MIN && type <= U_EMR_MAX && type != U_EMR_UNDEF69 &&
           type != U_EMR_UNDEF107 && type != U_EMR_UNDEF117;
}

// Calls f(type, record) for each record up to EOF; stops early when f returns false.
template <typename F> bool forEachRecord(ByteView file, F&& f) {
    qint64 at = 0;
    while (file.has(at, 8)) {
        const quint32 type = file.u32(at);
        const qint64 size = file.u32(at + 4);
        if (size < 8 || size % 4 != 0 || !file.has(at, size))
            return false;
        if (!f(type, file.sub(at, size)))
            return false;
        if (type == U_EMR_EOF)
            return true;
        at += size;
    }
    return true; // a file cut after a whole record plays what it has
}

void readPoints32(const ByteView& r, qint64 at, qint64 count, std::vector<QPointF>& out) {
    out.resize(size_t(count));
    for (qint64 i = 0; i < count; ++i)
        out[size_t(i)] = QPointF(r.i32(at + 8 * i), r.i32(at + 8 * i + 4));
}

void readPoints16(const ByteView& r, qint64 at, qint64 count, std::vector<QPointF>& out) {
    out.resize(size_t(count));
    for (qint64 i = 0; i < count; ++i)
        out[size_t(i)] = QPointF(r.i16(at + 4 * i), r.i16(at + 4 * i + 2));
}

GdiFont readLogFontW(const ByteView& r, qint64 at) {
    GdiFont f;
    f.height = r.i32(at);
    f.width = r.i32(at + 4);
    f.escapement = r.i32(at + 8);
    f.weight = r.i32(at + 16);
    f.italic = r.u8(at + 20) != 0;
    f.underline = r.u8(at + 21) != 0;
    f.strikeOut = r.u8(at + 22) != 0;
    f.charset = r.u8(at + 23);
    QString face;
    for (int i = 0; i < 32; ++i) {
        const char16_t c = r.u16(at + 28 + 2 * i);
        if (c == 0)
            break;
        face += QChar(c);
    }
    f.face = face;
    return f;
}

QTransform readXform(const ByteView& r, qint64 at) {
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16),
                      r.f32(at + 20));
}

void text(const ByteView& r, bool wide, GdiContext& gdi) {
    const qint64 chars = r.u32(44);
    const qint64 offString = r.u32(48);
    const quint32 options = r.u32(52);
    const bool hasRect = !(options & U_ETO_NO_RECT);
    const qint64 offDx = r.u32(hasRect ? 72 : 56);
    GdiContext::TextRun run;
    run.options = options;
    if (hasRect && (options & (U_ETO_OPAQUE | U_ETO_CLIPPED)))
        run.box = rectL(r, 56);
    std::vector<gdi_text::Character> characters;
    if (!(options & U_ETO_GLYPH_INDEX) && chars > 0) {
        if (wide) {
            QString s(qsizetype(chars), Qt::Uninitialized);
            for (qint64 i = 0; i < chars; ++i)
                s[qsizetype(i)] = QChar(r.u16(offString + 2 * i));
            characters = gdi_text::splitUtf16(s);
        } else {
            const ByteView bytes = r.sub(offString, chars);
            characters = gdi_text::splitBytes(QByteArrayView(bytes.data(), bytes.size()),
                                              gdi.state().font.charset);
        }
    }
    const int step = (options & U_ETO_PDY) ? 8 : 4;
    qint64 unit = 0;
    for (const gdi_text::Character& c : characters) {
        run.characters.push_back(c.text);
        if (offDx != 0) {
            double advance = 0;
            for (int u = 0; u < c.units; ++u)
                advance += r.i32(offDx + step * (unit + u));
            run.advances.push_back(advance);
        }
        unit += c.units;
    }
    gdi.textOut(pointL(r, 36), run);
}

void smallText(const ByteView& r, GdiContext& gdi) {
    const quint32 options = r.u32(20);
    const qint64 chars = r.u32(16);
    const qint64 at = smallTextOffset(r);
    GdiContext::TextRun run;
    run.options = options & ~U_ETO_SMALL_CHARS;
    if (!(options & U_ETO_NO_RECT) && (options & (U_ETO_OPAQUE | U_ETO_CLIPPED)))
        run.box = rectL(r, 36);
    std::vector<gdi_text::Character> characters;
    if (options & U_ETO_SMALL_CHARS) {
        // Single bytes holding the low byte of each UTF-16 unit.
        QString s;
        for (qint64 i = 0; i < chars; ++i)
            s += QChar(r.u8(at + i));
        characters = gdi_text::splitUtf16(s);
    } else {
        QString s(qsizetype(chars), Qt::Uninitialized);
        for (qint64 i = 0; i < chars; ++i)
            s[qsizetype(i)] = QChar(r.u16(at + 2 * i));
        characters = gdi_text::splitUtf16(s);
    }
    if (options & U_ETO_GLYPH_INDEX)
        characters.clear();
    for (const gdi_text::Character& c : characters)
        run.characters.push_back(c.text);
    gdi.textOut(pointL(r, 8), run);
}

// Source bitmap blits: BitBlt, StretchBlt, AlphaBlend, TransparentBlt.
void blit(quint32 type, const ByteView& r, GdiContext& gdi) {
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const quint32 rop = r.u32(40);
    if (r.u32(88) == 0) { // no source bitmap: a pattern operation
        gdi.patBlt(dest, rop);
        return;
    }
    QSizeF srcSize(r.i32(32), r.i32(36));
    if (type != U_EMR_BITBLT && r.has(100, 8))
        srcSize = QSizeF(r.i32(100), r.i32(104));
    const bool alpha = type == U_EMR_ALPHABLEND && ((rop >> 24) & 1);
    QImage image = decodeDib(r, 84, r.u32(80), alpha);
    if (image.isNull())
        return;
    int constantAlpha = 255;
    quint32 drawRop = rop;
    if (type == U_EMR_ALPHABLEND) {
        constantAlpha = int((rop >> 16) & 0xFF);
        drawRop = U_SRCCOPY;
    } else if (type == U_EMR_TRANSPARENTBLT) {
        // The rop field holds the colour that becomes transparent.
        const QRgb key = qRgb(int(rop & 0xFF), int((rop >> 8) & 0xFF), int((rop >> 16) & 0xFF));
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    line[x] = 0;
        }
        drawRop = U_SRCCOPY;
    }
    gdi.drawImage(dest, image, QRectF(QPointF(r.i32(44), r.i32(48)), srcSize), drawRop,
                  constantAlpha);
}

// A DIB's source rectangle counts rows from the bottom unless the DIB is stored top-down.
QRectF dibSource(const ByteView& r, qint64 bmiField, QRectF src, const QImage& image) {
    const qint32 height = r.i32(r.u32(bmiField) + 8);
    if (height > 0)
        src.moveTop(image.height() - src.top() - src.height());
    return src;
}

void playRecord(quint32 type, const ByteView& r, GdiContext& gdi, std::vector<QPointF>& points) {
    switch (type) {
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYGON:
    case U_EMR_POLYLINE:
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYLINETO:
    case U_EMR_POLYBEZIER16:
    case U_EMR_POLYGON16:
    case U_EMR_POLYLINE16:
    case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16: {
        if (type >= U_EMR_POLYBEZIER16)
            readPoints16(r, 28, r.u32(24), points);
        else
            readPoints32(r, 28, r.u32(24), points);
        const std::span<const QPointF> p(points);
        switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYBEZIER16:
            gdi.polyBezier(p);
            break;
        case U_EMR_POLYGON:
        case U_EMR_POLYGON16:
            gdi.polygon(p);
            break;
        case U_EMR_POLYLINE:
        case U_EMR_POLYLINE16:
            gdi.polyline(p);
            break;
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYBEZIERTO16:
            gdi.polyBezierTo(p);
            break;
        default:
            gdi.polylineTo(p);
            break;
        }
        break;
    }
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYGON:
    case U_EMR_POLYPOLYLINE16:
    case U_EMR_POLYPOLYGON16: {
        const qint64 polys = r.u32(24);
        const qint64 count = r.u32(28);
        std::vector<quint32> counts(static_cast<size_t>(polys));
        for (qint64 i = 0; i < polys; ++i)
            counts[size_t(i)] = r.u32(32 + 4 * i);
        const bool small = type == U_EMR_POLYPOLYLINE16 || type == U_EMR_POLYPOLYGON16;
        if (small)
            readPoints16(r, 32 + 4 * polys, count, points);
        else
            readPoints32(r, 32 + 4 * polys, count, points);
        if (type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16)
            gdi.polyPolygon(points, counts);
        else
            gdi.polyPolyline(points, counts);
        break;
    }
    case U_EMR_POLYDRAW:
    case U_EMR_POLYDRAW16: {
        const qint64 count = r.u32(24);
        const bool small = type == U_EMR_POLYDRAW16;
        if (small)
            readPoints16(r, 28, count, points);
        else
            readPoints32(r, 28, count, points);
        const ByteView types = r.sub(28 + count * (small ? 4 : 8), count);
        gdi.polyDraw(points, std::span<const quint8>(reinterpret_cast<const quint8*>(types.data()),
                                                     size_t(types.size())));
        break;
    }
    case U_EMR_SETWINDOWEXTEX:
        gdi.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case U_EMR_SETWINDOWORGEX:
        gdi.setWindowOrg(pointL(r, 8));
        break;
    case U_EMR_SETVIEWPORTEXTEX:
        gdi.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case U_EMR_SETVIEWPORTORGEX:
        gdi.setViewportOrg(pointL(r, 8));
        break;
    case U_EMR_SCALEVIEWPORTEXTEX:
        gdi.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case U_EMR_SCALEWINDOWEXTEX:
        gdi.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case U_EMR_SETPIXELV:
        gdi.setPixel(pointL(r, 8), colorRef(r.u32(16)));
        break;
    case U_EMR_SETMAPMODE:
        gdi.setMapMode(int(r.u32(8)));
        break;
    case U_EMR_SETBKMODE:
        gdi.setBkMode(int(r.u32(8)));
        break;
    case U_EMR_SETPOLYFILLMODE:
        gdi.state().fillMode = int(r.u32(8));
        break;
    case U_EMR_SETROP2:
        gdi.setRop2(int(r.u32(8)));
        break;
    case U_EMR_SETTEXTALIGN:
        gdi.state().textAlign = r.u32(8);
        break;
    case U_EMR_SETTEXTCOLOR:
        gdi.setTextColor(colorRef(r.u32(8)));
        break;
    case U_EMR_SETBKCOLOR:
        gdi.setBkColor(colorRef(r.u32(8)));
        break;
    case U_EMR_OFFSETCLIPRGN:
        gdi.offsetClip(pointL(r, 8));
        break;
    case U_EMR_MOVETOEX:
        gdi.moveTo(pointL(r, 8));
        break;
    case U_EMR_EXCLUDECLIPRECT:
        gdi.excludeClipRect(rectL(r, 8));
        break;
    case U_EMR_INTERSECTCLIPRECT:
        gdi.intersectClipRect(rectL(r, 8));
        break;
    case U_EMR_SAVEDC:
        gdi.saveDC();
        break;
    case U_EMR_RESTOREDC:
        gdi.restoreDC(r.i32(8));
        break;
    case U_EMR_SETWORLDTRANSFORM:
        gdi.setWorldTransform(readXform(r, 8));
        break;
    case U_EMR_MODIFYWORLDTRANSFORM:
        gdi.modifyWorldTransform(readXform(r, 8), r.u32(32));
        break;
    case U_EMR_SELECTOBJECT: {
        const quint32 index = r.u32(8);
        if (index & 0x80000000)
            gdi.selectStock(index);
        else if (const GdiObject* object = gdi.objects().find(index))
            gdi.select(*object);
        break;
    }
    case U_EMR_DELETEOBJECT:
        gdi.objects().remove(r.u32(8));
        break;
    case U_EMR_CREATEPEN: {
        GdiPen pen;
        pen.style = r.u32(12);
        pen.width = double(qAbs(qint64(r.i32(16))));
        pen.color = colorRef(r.u32(24));
        gdi.objects().put(r.u32(8), pen);
        break;
    }
    case U_EMR_EXTCREATEPEN: {
        GdiPen pen;
        pen.style = r.u32(28);
        pen.width = (pen.style & U_PS_GEOMETRIC) ? double(r.u32(32)) : 0.0;
        if (r.u32(36) == U_BS_NULL)
            pen.style = (pen.style & ~U_PS_STYLE_MASK) | U_PS_NULL;
        pen.color = colorRef(r.u32(40));
        const qint64 entries = r.u32(48);
        for (qint64 i = 0; i < entries && i < 64; ++i)
            pen.userDashes.append(r.u32(52 + 4 * i));
        gdi.objects().put(r.u32(8), pen);
        break;
    }
    case U_EMR_CREATEBRUSHINDIRECT: {
        GdiBrush brush;
        brush.style = r.u32(12);
        brush.color = colorRef(r.u32(16));
        brush.hatch = r.u32(20);
        if (brush.style != U_BS_SOLID && brush.style != U_BS_NULL && brush.style != U_BS_HATCHED)
            brush.style = U_BS_SOLID;
        gdi.objects().put(r.u32(8), brush);
        break;
    }
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT: {
        GdiBrush brush;
        brush.style = U_BS_DIBPATTERNPT;
        brush.color = Qt::black;
        brush.pattern = decodeDib(r, 16, r.u32(12));
        gdi.objects().put(r.u32(8), brush);
        break;
    }
    case U_EMR_EXTCREATEFONTINDIRECTW:
        gdi.objects().put(r.u32(8), readLogFontW(r, 12));
        break;
    case U_EMR_CREATEPALETTE:
    case U_EMR_CREATECOLORSPACE:
    case U_EMR_CREATECOLORSPACEW:
        gdi.objects().put(r.u32(8), GdiPlaceholder{});
        break;
    case U_EMR_ANGLEARC:
        gdi.angleArc(pointL(r, 8), r.u32(16), r.f32(20), r.f32(24));
        break;
    case U_EMR_ELLIPSE:
        gdi.ellipse(rectL(r, 8));
        break;
    case U_EMR_RECTANGLE:
        gdi.rectangle(rectL(r, 8));
        break;
    case U_EMR_ROUNDRECT:
        gdi.roundRect(rectL(r, 8), QSizeF(r.i32(24), r.i32(28)));
        break;
    case U_EMR_ARC:
    case U_EMR_ARCTO:
    case U_EMR_PIE:
    case U_EMR_CHORD: {
        const auto kind = type == U_EMR_ARC     ? GdiContext::ArcKind::Arc
                          : type == U_EMR_ARCTO ? GdiContext::ArcKind::ArcTo
                          : type == U_EMR_PIE   ? GdiContext::ArcKind::Pie
                                                : GdiContext::ArcKind::Chord;
        gdi.arc(kind, rectL(r, 8), pointL(r, 24), pointL(r, 32));
        break;
    }
    case U_EMR_LINETO:
        gdi.lineTo(pointL(r, 8));
        break;
    case U_EMR_SETARCDIRECTION:
        gdi.state().clockwise = r.u32(8) == U_AD_CLOCKWISE;
        break;
    case U_EMR_BEGINPATH:
        gdi.beginPath();
        break;
    case U_EMR_ENDPATH:
        gdi.endPath();
        break;
    case U_EMR_CLOSEFIGURE:
        gdi.closeFigure();
        break;
    case U_EMR_FILLPATH:
        gdi.fillPath();
        break;
    case U_EMR_STROKEANDFILLPATH:
        gdi.strokeAndFillPath();
        break;
    case U_EMR_STROKEPATH:
        gdi.strokePath();
        break;
    case U_EMR_SELECTCLIPPATH:
        gdi.selectClipPath(int(r.u32(8)));
        break;
    case U_EMR_ABORTPATH:
        gdi.abortPath();
        break;
    case U_EMR_FILLRGN:
        if (const GdiObject* o = gdi.objects().find(r.u32(28)))
            if (const auto* brush = std::get_if<GdiBrush>(o))
                gdi.fillRegion(regionPath(r, 32, r.u32(24)), *brush, false);
        break;
    case U_EMR_FRAMERGN:
        if (const GdiObject* o = gdi.objects().find(r.u32(28)))
            if (const auto* brush = std::get_if<GdiBrush>(o))
                gdi.frameRegion(regionPath(r, 40, r.u32(24)), *brush, QSizeF(r.i32(32), r.i32(36)),
                                false);
        break;
    case U_EMR_PAINTRGN:
        gdi.paintRegion(regionPath(r, 28, r.u32(24)), false);
        break;
    case U_EMR_EXTSELECTCLIPRGN:
        gdi.selectClipRegion(
            r.u32(8) == 0 ? std::nullopt : std::optional<QPainterPath>(regionPath(r, 16, r.u32(8))),
            int(r.u32(12)), false);
        break;
    case U_EMR_BITBLT:
    case U_EMR_STRETCHBLT:
    case U_EMR_ALPHABLEND:
    case U_EMR_TRANSPARENTBLT:
        blit(type, r, gdi);
        break;
    case U_EMR_SETDIBITSTODEVICE: {
        const QImage image = decodeDib(r, 48, r.u32(64));
        const QRectF src(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
        gdi.drawImage(QRectF(QPointF(r.i32(24), r.i32(28)), src.size()), image,
                      dibSource(r, 48, src, image), U_SRCCOPY);
        break;
    }
    case U_EMR_STRETCHDIBITS: {
        const QImage image = decodeDib(r, 48, r.u32(64));
        const QRectF src(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
        gdi.drawImage(QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), image,
                      dibSource(r, 48, src, image), r.u32(68));
        break;
    }
    case U_EMR_EXTTEXTOUTA:
        text(r, false, gdi);
        break;
    case U_EMR_EXTTEXTOUTW:
        text(r, true, gdi);
        break;
    case U_EMR_SMALLTEXTOUT:
        smallText(r, gdi);
        break;
    default:
        break; // unknown records, comments (EMF+ included), palettes, colour management
    }
}

} // namespace

bool validate(ByteView file) {
    if (!file.has(0, kHeaderMinSize) || file.u32(0) != U_EMR_HEADER ||
        file.u32(40) != U_ENHMETA_SIGNATURE || file.u32(4) < kHeaderMinSize)
        return false;
    return forEachRecord(file, [](quint32 type, const ByteView& r) {
        if (libuemfChecks(type, r) && !U_emf_record_safe(r.data()))
            return false;
        return recordSound(type, r);
    });
}

void play(ByteView file, GdiContext& gdi) {
    std::vector<QPointF> points;
    forEachRecord(file, [&](quint32 type, const ByteView& r) {
        playRecord(type, r, gdi, points);
        return true;
    });
}

} // namespace emf_records
