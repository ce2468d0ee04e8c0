#include "platform/Metafile.h"

#include "platform/ByteView.h"
#include "platform/MetafileFormats.h"
#include "platform/PlatformErrors.h"

#include <QFile>

#include <climits>
#include <cmath>

#include <uemf.h>
#include <uwmf.h>

namespace {

// Larger files are refused before they are read.
constexpr qint64 kMaxFileBytes = 1LL << 30;
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qint64 kPlaceableSize = U_SIZE_WMRPLACEABLE;
constexpr qint64 kEmfHeaderWithMicrometres = 108;
// The object table never has more slots than a 16-bit index can name.
constexpr quint32 kEmfObjectCapacity = 65536;
// Pixels per millimetre when a header gives no usable device size (96 dpi).
constexpr double kFallbackPixelsPerMm = 96 / 25.4;

} // namespace

struct MetafileLoader {
    static void loadEnhanced(Metafile& m, ByteView file) {
        if (!emf_records::validate(file))
            throw MetafileError();
        const QRectF bounds(QPointF(file.i32(8), file.i32(12)),
                            QPointF(file.i32(16), file.i32(20)));
        const qint64 frameLeft = file.i32(24), frameTop = file.i32(28);
        const qint64 frameRight = file.i32(32), frameBottom = file.i32(36);
        // A frame wider than an int of hundredths of a millimetre (21 km) is no picture.
        if (frameRight - frameLeft > INT_MAX || frameBottom - frameTop > INT_MAX)
            throw MetafileError();
        const double deviceX = file.i32(72), deviceY = file.i32(76);
        double mmX = file.i32(80), mmY = file.i32(84);
        // The micrometre fields are more exact when the header carries them and nothing
        // else (description, pixel format) overlaps them.
        const qint64 headerSize = file.u32(4);
        const quint32 offDescription = file.u32(64);
        const quint32 cbPixelFormat = file.u32(88);
        const quint32 offPixelFormat = file.u32(92);
        if (headerSize >= kEmfHeaderWithMicrometres &&
            (offDescription == 0 || offDescription >= kEmfHeaderWithMicrometres) &&
            (cbPixelFormat == 0 || offPixelFormat >= kEmfHeaderWithMicrometres) &&
            file.i32(100) > 0 && file.i32(104) > 0) {
            mmX = file.i32(100) / 1000.0;
            mmY = file.i32(104) / 1000.0;
        }
        QSizeF perMm(kFallbackPixelsPerMm, kFallbackPixelsPerMm);
        if (deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0)
            perMm = QSizeF(deviceX / mmX, deviceY / mmY);
        m.format_ = Metafile::Format::Enhanced;
        m.devicePixelsPerMm_ = perMm;
        m.sizeHundredthsMm_ = QSize(int(qMax<qint64>(0, frameRight - frameLeft)),
                                    int(qMax<qint64>(0, frameBottom - frameTop)));
        if (frameRight > frameLeft && frameBottom > frameTop) {
            m.deviceFrame_ = QRectF(
                QPointF(frameLeft * perMm.width() / 100.0, frameTop * perMm.height() / 100.0),
                QPointF(frameRight * perMm.width() / 100.0, frameBottom * perMm.height() / 100.0));
        } else {
            m.deviceFrame_ = bounds.normalized();
        }
        m.objectCapacity_ = kEmfObjectCapacity;
        m.firstRecord_ = 0;
    }

    static void loadPlaceable(Metafile& m, ByteView file) {
        U_WMRPLACEABLE placeable{};
        U_WMRHEADER header{};
        if (!file.has(0, kPlaceableSize + U_SIZE_WMRHEADER) || file.u32(0) != kPlaceableKey)
            throw MetafileError();
        const int headerBytes =
            wmfheader_get(file.data(), file.data() + file.size(), &placeable, &header);
        const int inch = file.u16(14);
        const QRect box(QPoint(file.i16(6), file.i16(8)), QPoint(file.i16(10), file.i16(12)));
        const qint64 firstRecord = kPlaceableSize + qint64(file.u16(kPlaceableSize + 2)) * 2;
        if (headerBytes <= 0 || inch == 0 || firstRecord < kPlaceableSize + U_SIZE_WMRHEADER ||
            !wmf_records::validate(file, firstRecord))
            throw MetafileError();
        const double width = std::abs(box.right() - box.left());
        const double height = std::abs(box.bottom() - box.top());
        m.format_ = Metafile::Format::Placeable;
        m.sizeHundredthsMm_ =
            QSize(int(std::lround(width * 2540 / inch)), int(std::lround(height * 2540 / inch)));
        m.deviceFrame_ =
            QRectF(qMin(box.left(), box.right()), qMin(box.top(), box.bottom()), width, height);
        m.devicePixelsPerMm_ = QSizeF(inch / 25.4, inch / 25.4);
        m.objectCapacity_ = file.u16(kPlaceableSize + 10);
        m.firstRecord_ = firstRecord;
    }
};

Metafile Metafile::fromBytes(const QByteArray& bytes) {
    Metafile m;
    m.bytes_ = bytes;
    const ByteView file(m.bytes_.constData(), m.bytes_.size());
    if (file.u32(0) == U_EMR_HEADER)
        MetafileLoader::loadEnhanced(m, file);
    else
        MetafileLoader::loadPlaceable(m, file);
    return m;
}

Metafile Metafile::fromFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileBytes)
        throw MetafileError();
    const QByteArray bytes = f.readAll();
    if (bytes.size() != f.size())
        throw MetafileError();
    return fromBytes(bytes);
}
