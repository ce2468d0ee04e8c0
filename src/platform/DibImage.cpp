#include "platform/DibImage.h"

#include "platform/BmpReader.h"
#include "platform/JpegReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <uemf.h>
#include <uemf_safe.h>

namespace dib {
namespace {

constexpr quint32 kCoreHeaderSize = 12;
constexpr quint32 kInfoHeaderSize = 40;

struct Header {
    quint32 size = 0;
    qint64 width = 0;
    qint64 height = 0; // negative: rows stored top-down
    int bitCount = 0;
    quint32 compression = 0;
    quint32 colorsUsed = 0;
};

bool readHeader(ByteView bmi, Header& h) {
    h.size = bmi.u32(0);
    if (h.size == kCoreHeaderSize && bmi.has(0, kCoreHeaderSize)) {
        h.width = bmi.u16(4);
        h.height = bmi.u16(6);
        h.bitCount = bmi.u16(10);
        return true;
    }
    if (h.size < kInfoHeaderSize || !bmi.has(0, h.size))
        return false;
    h.width = bmi.i32(4);
    h.height = bmi.i32(8);
    h.bitCount = bmi.u16(14);
    h.compression = bmi.u32(16);
    h.colorsUsed = bmi.u32(32);
    return true;
}

int tableEntries(const Header& h) {
    if (h.bitCount > 8)
        return int(qMin<quint32>(h.colorsUsed, 256));
    const int full = 1 << h.bitCount;
    return h.colorsUsed == 0 ? full : int(qMin<quint32>(h.colorsUsed, quint32(full)));
}

// The twenty entries of the system's default logical palette, for DIB_PAL_COLORS tables.
QRgb defaultPaletteEntry(quint16 index) {
    static const QRgb table[20] = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
        qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
        qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};
    return index < 20 ? table[index] : qRgb(255, 255, 255);
}

void appendU32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// 32-bit pixels with their alpha bytes, which the BMP reader would drop.
QImage decodeWithAlpha(const Header& h, ByteView bits) {
    const qint64 rows = qAbs(h.height);
    const qint64 stride = h.width * 4;
    if (!bits.has(0, stride * rows))
        return {};
    QImage image(int(h.width), int(rows), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    for (qint64 y = 0; y < rows; ++y) {
        const qint64 srcRow = h.height > 0 ? rows - 1 - y : y;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (qint64 x = 0; x < h.width; ++x) {
            const qint64 at = srcRow * stride + x * 4;
            line[x] = qRgba(bits.u8(at + 2), bits.u8(at + 1), bits.u8(at), bits.u8(at + 3));
        }
    }
    return image;
}

} // namespace

Verdict check(ByteView bmi) {
    Header h;
    if (!readHeader(bmi, h))
        return Verdict::Unsound;
    if (h.size >= kInfoHeaderSize && !bitmapinfo_safe(bmi.data(), bmi.data() + bmi.size()))
        return Verdict::Unsound;
    if (h.width < 0)
        return Verdict::Unsound;
    // Four bytes a pixel decoded; divided rather than multiplied so nothing can overflow.
    const qint64 rows = qAbs(h.height);
    if (h.width > kMaxDecodedBytes / 4 || (h.width > 0 && rows > kMaxDecodedBytes / 4 / h.width))
        return Verdict::TooLarge;
    return Verdict::Sound;
}

QImage decode(ByteView bmi, ByteView bits, quint32 usage, bool keepAlpha) {
    Header h;
    if (check(bmi) != Verdict::Sound || !readHeader(bmi, h) || h.width == 0 || h.height == 0)
        return {};
    if (h.compression == U_BI_JPEG || h.compression == U_BI_PNG) {
        // Qt's reader would decode a few bytes that claim a large picture from padding.
        if (h.compression == U_BI_JPEG &&
            !jpeg_reader::holdsItsPicture(QByteArrayView(bits.data(), bits.size())))
            return {};
        QByteArray data(bits.data(), int(bits.size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer, h.compression == U_BI_PNG ? "png" : "jpeg");
        reader.setAllocationLimit(int(kMaxDecodedBytes >> 20));
        return reader.read();
    }
    if (keepAlpha && h.bitCount == 32 && h.compression == U_BI_RGB)
        return decodeWithAlpha(h, bits);

    // Rebuild a BMP file around the DIB and let Qt's BMP reader do the pixel formats.
    const int entries = tableEntries(h);
    const qint64 maskBytes =
        (h.size == kInfoHeaderSize && h.compression == U_BI_BITFIELDS) ? 12 : 0;
    QByteArray header(bmi.data(), int(h.size));
    QByteArray table;
    if (h.size == kCoreHeaderSize) {
        table = QByteArray(bmi.sub(h.size, 3LL * entries).data(),
                           int(bmi.sub(h.size, 3LL * entries).size()));
    } else {
        table.append(bmi.sub(h.size, maskBytes).data(), int(bmi.sub(h.size, maskBytes).size()));
        for (int i = 0; i < entries; ++i) {
            QRgb c;
            if (usage == U_DIB_PAL_COLORS) {
                c = defaultPaletteEntry(bmi.u16(h.size + maskBytes + 2LL * i));
            } else {
                const qint64 at = h.size + maskBytes + 4LL * i;
                c = qRgb(bmi.u8(at + 2), bmi.u8(at + 1), bmi.u8(at));
            }
            table.append(char(qBlue(c)));
            table.append(char(qGreen(c)));
            table.append(char(qRed(c)));
            table.append(char(0));
        }
        // The table written is exactly `entries` long; say so in the header.
        if (h.bitCount <= 8 || h.colorsUsed != 0) {
            const quint32 used = quint32(entries);
            std::memcpy(header.data() + 32, &used, 4);
        }
    }
    const quint32 offBits = quint32(14 + header.size() + table.size());
    QByteArray file;
    file.reserve(int(offBits + bits.size()));
    file.append("BM", 2);
    appendU32(file, quint32(offBits + bits.size()));
    appendU32(file, 0);
    appendU32(file, offBits);
    file.append(header);
    file.append(table);
    file.append(bits.data(), int(bits.size()));

    // Qt's reader takes the claimed size before it reads a broken RLE stream.
    if ((h.compression == U_BI_RLE8 || h.compression == U_BI_RLE4) &&
        !bmp_reader::holdsItsPicture(file))
        return {};
    QBuffer buffer(&file);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(kMaxDecodedBytes >> 20));
    return reader.read();
}

} // namespace dib
