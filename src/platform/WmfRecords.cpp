// Windows metafile records (16-bit). libuemf's U_WMRRECSAFE_get bounds each record; our own
// checks bound every count and offset the player reads. Parameters are stored in reverse order.

#include "platform/Cp932.h"
#include "platform/DibImage.h"
#include "platform/GdiContext.h"
#include "platform/GdiText.h"
#include "platform/MetafileFormats.h"

#include <uemf.h>
#include <uwmf.h>

namespace wmf_records {
namespace {

enum Function : quint16 {
    kEof = 0x0000,
    kSetBkColor = 0x0201,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kScaleWindowExt = 0x0410,
    kOffsetViewportOrg = 0x0211,
    kScaleViewportExt = 0x0412,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kArc = 0x0817,
    kEllipse = 0x0418,
    kPie = 0x081A,
    kRectangle = 0x041B,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kSaveDC = 0x001E,
    kSetPixel = 0x041F,
    kOffsetClipRgn = 0x0220,
    kTextOut = 0x0521,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kRestoreDC = 0x0127,
    kFillRegion = 0x0228,
    kFrameRegion = 0x0429,
    kPaintRegion = 0x012B,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kChord = 0x0830,
    kExtTextOut = 0x0A32,
    kSetDibToDev = 0x0D33,
    kPolyPolygon = 0x0538,
    kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41,
    kDibCreatePatternBrush = 0x0142,
    kStretchDib = 0x0F43,
    kDeleteObject = 0x01F0,
    kCreatePalette = 0x00F7,
    kCreatePatternBrush = 0x01F9,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreateBitmapIndirect = 0x02FD,
    kCreateBitmap = 0x06FE,
    kCreateRegion = 0x06FF,
};

QColor colorRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// left, top, right, bottom stored as bottom, right, top, left.
QRectF rect16(const ByteView& r, qint64 at) {
    return QRectF(QPointF(r.i16(at + 6), r.i16(at + 4)), QPointF(r.i16(at + 2), r.i16(at)));
}

// x, y stored as y, x.
QPointF point16(const ByteView& r, qint64 at) {
    return QPointF(r.i16(at + 2), r.i16(at));
}

// The bytes of a DIB's header and colour table.
qint64 bitmapInfoSize(const ByteView& dibBytes, quint16 usage) {
    const quint32 headerSize = dibBytes.u32(0);
    if (headerSize == 12)
        return 12 + 3LL * (1LL << qMin<int>(dibBytes.u16(10), 8)) * (dibBytes.u16(10) <= 8);
    const int bits = dibBytes.u16(14);
    const quint32 compression = dibBytes.u32(16);
    qint64 entries = dibBytes.u32(32);
    if (entries == 0 && bits <= 8)
        entries = 1LL << bits;
    const qint64 masks = (headerSize == 40 && compression == U_BI_BITFIELDS) ? 12 : 0;
    return qint64(headerSize) + masks + entries * (usage == U_DIB_PAL_COLORS ? 2 : 4);
}

bool dibSound(const ByteView& r, qint64 at, quint16 usage) {
    const ByteView d = r.sub(at, r.size() - at);
    if (!d.has(0, 4))
        return false;
    const qint64 bmiSize = bitmapInfoSize(d, usage);
    if (bmiSize > d.size())
        return false;
    return dib::check(d.sub(0, bmiSize)) == dib::Verdict::Sound;
}

QImage decodeDib(const ByteView& r, qint64 at, quint16 usage) {
    const ByteView d = r.sub(at, r.size() - at);
    const qint64 bmiSize = bitmapInfoSize(d, usage);
    return dib::decode(d.sub(0, bmiSize), d.sub(bmiSize, d.size() - bmiSize), usage);
}

// A region object: header, bounding box, then scans of (count, top, bottom, x pairs, count).
bool regionScans(const ByteView& r, QPainterPath* out) {
    const qint64 scans = r.u16(16);
    qint64 at = 28;
    for (qint64 i = 0; i < scans; ++i) {
        if (!r.has(at, 6))
            return false;
        const qint64 count = r.u16(at);
        const double top = r.i16(at + 2);
        const double bottom = r.i16(at + 4);
        if (!r.has(at + 6, count * 2 + 2))
            return false;
        if (out) {
            for (qint64 k = 0; k + 1 < count; k += 2)
                out->addRect(QRectF(QPointF(r.i16(at + 6 + 2 * k), top),
                                    QPointF(r.i16(at + 8 + 2 * k), bottom))
                                 .normalized());
        }
        at += 6 + count * 2 + 2;
    }
    return true;
}

bool recordSound(quint16 function, const ByteView& r) {
    const qint64 size = r.size();
    switch (function) {
    case kPolygon:
    case kPolyline:
        return 8 + qint64(r.u16(6)) * 4 <= size;
    case kPolyPolygon: {
        const qint64 polys = r.u16(6);
        if (8 + polys * 2 > size)
            return false;
        qint64 points = 0;
        for (qint64 i = 0; i < polys; ++i)
            points += r.u16(8 + 2 * i);
        return 8 + polys * 2 + points * 4 <= size;
    }
    case kTextOut: {
        const qint64 length = qMax<qint64>(r.i16(6), 0);
        return 8 + ((length + 1) & ~1) + 4 <= size;
    }
    case kExtTextOut: {
        const qint64 length = qMax<qint64>(r.i16(10), 0);
        const quint16 options = r.u16(12);
        const qint64 text = 14 + ((options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) ? 8 : 0);
        return text + length <= size;
    }
    case kCreateRegion:
        return size >= 28 && regionScans(r, nullptr);
    case kDibCreatePatternBrush:
        return dibSound(r, 10, r.u16(8));
    case kStretchDib:
        return dibSound(r, 28, r.u16(10));
    case kSetDibToDev:
        return dibSound(r, 24, r.u16(6));
    case kDibStretchBlt:
        return size == ((function >> 8) + 3) * 2 || dibSound(r, 26, U_DIB_RGB_COLORS);
    case kDibBitBlt:
        return size == ((function >> 8) + 3) * 2 || dibSound(r, 22, U_DIB_RGB_COLORS);
    default:
        return true;
    }
}

template <typename F> bool forEachRecord(ByteView file, qint64 at, F&& f) {
    while (file.has(at, U_SIZE_METARECORD)) {
        const quint32 words = file.u32(at);
        const size_t size = U_WMRRECSAFE_get(file.data() + at, file.data() + file.size());
        if (size == 0 || words > quint32(INT32_MAX / 2) || qint64(size) != qint64(words) * 2)
            return false;
        const quint16 function = file.u16(at + 4);
        if (!f(function, file.sub(at, qint64(size))))
            return false;
        if (function == kEof)
            return true;
        at += qint64(size);
    }
    return true;
}

GdiFont readFont(const ByteView& r) {
    GdiFont f;
    f.height = r.i16(6);
    f.width = r.i16(8);
    f.escapement = r.i16(10);
    f.weight = r.i16(14);
    f.italic = r.u8(16) != 0;
    f.underline = r.u8(17) != 0;
    f.strikeOut = r.u8(18) != 0;
    f.charset = r.u8(19);
    const ByteView face = r.sub(24, 32);
    qint64 length = 0;
    while (length < face.size() && face.u8(length) != 0)
        ++length;
    f.face = cp932::decode(QByteArrayView(face.data(), length));
    return f;
}

void text(const ByteView& r, QPointF at, qint64 textOffset, qint64 length, quint16 options,
          std::optional<QRectF> box, qint64 dxOffset, GdiContext& gdi) {
    GdiContext::TextRun run;
    run.options = options;
    run.box = box;
    const ByteView bytes = r.sub(textOffset, length);
    const auto characters =
        gdi_text::splitBytes(QByteArrayView(bytes.data(), bytes.size()), gdi.state().font.charset);
    const bool hasDx = dxOffset > 0 && r.has(dxOffset, length * 2);
    qint64 unit = 0;
    for (const gdi_text::Character& c : characters) {
        run.characters.push_back(c.text);
        if (hasDx) {
            double advance = 0;
            for (int u = 0; u < c.units; ++u)
                advance += r.i16(dxOffset + 2 * (unit + u));
            run.advances.push_back(advance);
        }
        unit += c.units;
    }
    gdi.textOut(at, run);
}

// A DIB's source rectangle counts rows from the bottom unless the DIB is stored top-down.
QRectF bottomUp(const ByteView& r, qint64 dibAt, QRectF src, const QImage& image) {
    if (r.u32(dibAt) >= 40 && r.i32(dibAt + 8) > 0)
        src.moveTop(image.height() - src.top() - src.height());
    return src;
}

const GdiRegion* regionAt(GdiContext& gdi, quint32 index) {
    const GdiObject* o = gdi.objects().find(index);
    return o ? std::get_if<GdiRegion>(o) : nullptr;
}

void playRecord(quint16 function, const ByteView& r, GdiContext& gdi,
                std::vector<QPointF>& points) {
    switch (function) {
    case kSetBkColor:
        gdi.setBkColor(colorRef(r.u32(6)));
        break;
    case kSetBkMode:
        gdi.setBkMode(r.u16(6));
        break;
    case kSetMapMode:
        gdi.setMapMode(r.u16(6));
        break;
    case kSetRop2:
        gdi.setRop2(r.u16(6));
        break;
    case kSetPolyFillMode:
        gdi.state().fillMode = r.u16(6);
        break;
    case kSetTextColor:
        gdi.setTextColor(colorRef(r.u32(6)));
        break;
    case kSetTextAlign:
        gdi.state().textAlign = r.u16(6);
        break;
    case kSetWindowOrg:
        gdi.setWindowOrg(point16(r, 6));
        break;
    case kSetWindowExt: {
        const QPointF e = point16(r, 6);
        gdi.setWindowExt(QSizeF(e.x(), e.y()));
        break;
    }
    case kSetViewportOrg:
        gdi.setViewportOrg(point16(r, 6));
        break;
    case kSetViewportExt: {
        const QPointF e = point16(r, 6);
        gdi.setViewportExt(QSizeF(e.x(), e.y()));
        break;
    }
    case kOffsetWindowOrg:
        gdi.offsetWindowOrg(point16(r, 6));
        break;
    case kOffsetViewportOrg:
        gdi.offsetViewportOrg(point16(r, 6));
        break;
    case kScaleWindowExt:
        gdi.scaleWindowExt(r.i16(12), r.i16(10), r.i16(8), r.i16(6));
        break;
    case kScaleViewportExt:
        gdi.scaleViewportExt(r.i16(12), r.i16(10), r.i16(8), r.i16(6));
        break;
    case kLineTo:
        gdi.lineTo(point16(r, 6));
        break;
    case kMoveTo:
        gdi.moveTo(point16(r, 6));
        break;
    case kExcludeClipRect:
        gdi.excludeClipRect(rect16(r, 6));
        break;
    case kIntersectClipRect:
        gdi.intersectClipRect(rect16(r, 6));
        break;
    case kOffsetClipRgn:
        gdi.offsetClip(point16(r, 6));
        break;
    case kArc:
    case kPie:
    case kChord: {
        const auto kind = function == kArc   ? GdiContext::ArcKind::Arc
                          : function == kPie ? GdiContext::ArcKind::Pie
                                             : GdiContext::ArcKind::Chord;
        gdi.arc(kind, rect16(r, 14), point16(r, 10), point16(r, 6));
        break;
    }
    case kEllipse:
        gdi.ellipse(rect16(r, 6));
        break;
    case kRectangle:
        gdi.rectangle(rect16(r, 6));
        break;
    case kRoundRect:
        gdi.roundRect(rect16(r, 10), QSizeF(r.i16(8), r.i16(6)));
        break;
    case kPatBlt:
        gdi.patBlt(QRectF(r.i16(16), r.i16(14), r.i16(12), r.i16(10)), r.u32(6));
        break;
    case kSaveDC:
        gdi.saveDC();
        break;
    case kRestoreDC:
        gdi.restoreDC(r.i16(6));
        break;
    case kSetPixel:
        gdi.setPixel(point16(r, 10), colorRef(r.u32(6)));
        break;
    case kPolygon:
    case kPolyline: {
        const qint64 count = r.u16(6);
        points.resize(size_t(count));
        for (qint64 i = 0; i < count; ++i)
            points[size_t(i)] = QPointF(r.i16(8 + 4 * i), r.i16(10 + 4 * i));
        if (function == kPolygon)
            gdi.polygon(points);
        else
            gdi.polyline(points);
        break;
    }
    case kPolyPolygon: {
        const qint64 polys = r.u16(6);
        std::vector<quint32> counts(static_cast<size_t>(polys));
        qint64 total = 0;
        for (qint64 i = 0; i < polys; ++i)
            total += counts[size_t(i)] = r.u16(8 + 2 * i);
        const qint64 at = 8 + 2 * polys;
        points.resize(size_t(total));
        for (qint64 i = 0; i < total; ++i)
            points[size_t(i)] = QPointF(r.i16(at + 4 * i), r.i16(at + 4 * i + 2));
        gdi.polyPolygon(points, counts);
        break;
    }
    case kTextOut: {
        const qint64 length = qMax<qint64>(r.i16(6), 0);
        const qint64 after = 8 + ((length + 1) & ~1);
        text(r, point16(r, after), 8, length, 0, std::nullopt, 0, gdi);
        break;
    }
    case kExtTextOut: {
        const qint64 length = qMax<qint64>(r.i16(10), 0);
        const quint16 options = r.u16(12);
        std::optional<QRectF> box;
        qint64 at = 14;
        if (options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) {
            box = QRectF(QPointF(r.i16(14), r.i16(16)), QPointF(r.i16(18), r.i16(20)));
            at += 8;
        }
        const qint64 dx = at + ((length + 1) & ~1);
        text(r, point16(r, 6), at, length, options, box, dx, gdi);
        break;
    }
    case kSelectObject:
        if (const GdiObject* object = gdi.objects().find(r.u16(6)))
            gdi.select(*object);
        break;
    case kDeleteObject:
        gdi.objects().remove(r.u16(6));
        break;
    case kSelectClipRegion:
        if (const GdiRegion* region = regionAt(gdi, r.u16(6)))
            gdi.selectClipRegion(region->path, U_RGN_COPY, true);
        else
            gdi.selectClipRegion(std::nullopt, U_RGN_COPY, true);
        break;
    case kFillRegion:
        if (const GdiRegion* region = regionAt(gdi, r.u16(6)))
            if (const GdiObject* o = gdi.objects().find(r.u16(8)))
                if (const auto* brush = std::get_if<GdiBrush>(o))
                    gdi.fillRegion(region->path, *brush, true);
        break;
    case kFrameRegion:
        if (const GdiRegion* region = regionAt(gdi, r.u16(6)))
            if (const GdiObject* o = gdi.objects().find(r.u16(8)))
                if (const auto* brush = std::get_if<GdiBrush>(o))
                    gdi.frameRegion(region->path, *brush, QSizeF(r.i16(12), r.i16(10)), true);
        break;
    case kPaintRegion:
        if (const GdiRegion* region = regionAt(gdi, r.u16(6)))
            gdi.paintRegion(region->path, true);
        break;
    case kCreatePenIndirect: {
        GdiPen pen;
        pen.style = r.u16(6);
        pen.width = qAbs(r.i16(8));
        pen.color = colorRef(r.u32(12));
        gdi.objects().putFirstFree(pen);
        break;
    }
    case kCreateBrushIndirect: {
        GdiBrush brush;
        brush.style = r.u16(6);
        brush.color = colorRef(r.u32(8));
        brush.hatch = r.u16(12);
        if (brush.style != U_BS_SOLID && brush.style != U_BS_NULL && brush.style != U_BS_HATCHED)
            brush.style = U_BS_SOLID;
        gdi.objects().putFirstFree(brush);
        break;
    }
    case kDibCreatePatternBrush: {
        GdiBrush brush;
        brush.style = U_BS_DIBPATTERNPT;
        brush.color = Qt::black;
        brush.pattern = decodeDib(r, 10, r.u16(8));
        gdi.objects().putFirstFree(brush);
        break;
    }
    case kCreatePatternBrush:
        gdi.objects().putFirstFree(GdiBrush{U_BS_SOLID, Qt::gray, 0, {}});
        break;
    case kCreateFontIndirect:
        gdi.objects().putFirstFree(readFont(r));
        break;
    case kCreateRegion: {
        GdiRegion region;
        region.path.setFillRule(Qt::WindingFill);
        regionScans(r, &region.path);
        gdi.objects().putFirstFree(region);
        break;
    }
    case kCreatePalette:
    case kCreateBitmap:
    case kCreateBitmapIndirect:
        gdi.objects().putFirstFree(GdiPlaceholder{});
        break;
    case kStretchDib: {
        const QImage image = decodeDib(r, 28, r.u16(10));
        const QRectF src(r.i16(18), r.i16(16), r.i16(14), r.i16(12));
        gdi.drawImage(QRectF(r.i16(26), r.i16(24), r.i16(22), r.i16(20)), image,
                      bottomUp(r, 28, src, image), r.u32(6));
        break;
    }
    case kDibStretchBlt: {
        const bool hasBitmap = r.size() != ((function >> 8) + 3) * 2;
        const qint64 d = hasBitmap ? 18 : 20;
        const QRectF dest(r.i16(d + 6), r.i16(d + 4), r.i16(d + 2), r.i16(d));
        if (!hasBitmap) {
            gdi.patBlt(dest, r.u32(6));
            break;
        }
        const QImage image = decodeDib(r, 26, U_DIB_RGB_COLORS);
        const QRectF src(r.i16(16), r.i16(14), r.i16(12), r.i16(10));
        gdi.drawImage(dest, image, bottomUp(r, 26, src, image), r.u32(6));
        break;
    }
    case kDibBitBlt: {
        const bool hasBitmap = r.size() != ((function >> 8) + 3) * 2;
        const qint64 d = hasBitmap ? 14 : 16;
        const QRectF dest(r.i16(d + 6), r.i16(d + 4), r.i16(d + 2), r.i16(d));
        if (!hasBitmap) {
            gdi.patBlt(dest, r.u32(6));
            break;
        }
        const QImage image = decodeDib(r, 22, U_DIB_RGB_COLORS);
        const QRectF src(QPointF(r.i16(12), r.i16(10)), dest.size());
        gdi.drawImage(dest, image, bottomUp(r, 22, src, image), r.u32(6));
        break;
    }
    case kSetDibToDev: {
        const QImage image = decodeDib(r, 24, r.u16(6));
        const QRectF src(r.i16(14), r.i16(12), r.i16(18), r.i16(16));
        gdi.drawImage(QRectF(QPointF(r.i16(22), r.i16(20)), src.size()), image,
                      bottomUp(r, 24, src, image), U_SRCCOPY);
        break;
    }
    default:
        break; // escapes, palettes, unknown records
    }
}

} // namespace

bool validate(ByteView file, qint64 firstRecord) {
    return forEachRecord(file, firstRecord, [](quint16 function, const ByteView& r) {
        return recordSound(function, r);
    });
}

void play(ByteView file, qint64 firstRecord, GdiContext& gdi) {
    std::vector<QPointF> points;
    forEachRecord(file, firstRecord, [&](quint16 function, const ByteView& r) {
        playRecord(function, r, gdi, points);
        return true;
    });
}

} // namespace wmf_records
