#include "platform/BmpReader.h"

#include "platform/ImageLimits.h"
#include "platform/LargeImage.h"
#include "platform/PlatformErrors.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <bit>
#include <climits>
#include <new>

InvalidBitmapError::InvalidBitmapError() : std::runtime_error(platform_errors::invalidBitmap) {}

namespace {

constexpr qint64 fileHeaderSize = 14;
constexpr quint32 coreHeaderSize = 12;
constexpr quint32 infoHeaderSize = 40;
constexpr quint32 os2v2HeaderSize = 64;

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

[[noreturn]] void fail() {
    throw InvalidBitmapError();
}

// Little-endian reads that refuse to look outside the file.
class FileBytes {
public:
    explicit FileBytes(QByteArrayView bytes)
        : data_(reinterpret_cast<const uchar*>(bytes.data())), size_(bytes.size()) {}

    qint64 size() const { return size_; }
    const uchar* at(qint64 offset, qint64 count) const {
        if (offset < 0 || count < 0 || offset > size_ - count)
            fail();
        return data_ + offset;
    }
    quint16 u16(qint64 offset) const {
        const uchar* p = at(offset, 2);
        return quint16(p[0] | p[1] << 8);
    }
    quint32 u32(qint64 offset) const {
        const uchar* p = at(offset, 4);
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }

private:
    const uchar* data_;
    qint64 size_;
};

// One colour channel of a 16- or 32-bit pixel, scaled from its mask's range to 0..255.
class ChannelMask {
public:
    explicit ChannelMask(quint32 mask = 0)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_) {}

    int extract(quint32 pixel) const {
        if (max_ == 0)
            return 0;
        const quint32 value = (pixel & mask_) >> shift_;
        if (max_ == 255)
            return int(value);
        return int((quint64(value) * 255 + max_ / 2) / max_);
    }
    bool isByte(int byteIndex) const { return mask_ == quint32(0xFF) << (8 * byteIndex); }

private:
    quint32 mask_;
    int shift_;
    quint32 max_;
};

struct BitmapHeader {
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    quint32 compression = Rgb;
    qint64 pixelOffset = 0;
    // Indices beyond the file's palette draw black, as in a zero-filled palette.
    std::array<QRgb, 256> palette{};
    ChannelMask red, green, blue;
};

bool isKnownHeaderSize(quint32 size) {
    // Core (OS/2 1.x), info, V2, V3, OS/2 2.x, V4, V5.
    switch (size) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

// Bit-field masks as Windows takes them: each colour has bits, its bits are contiguous,
// the three do not overlap and all lie within the pixel.
bool validMasks(quint32 red, quint32 green, quint32 blue, int bitsPerPixel) {
    const quint64 pixelBits = (quint64(1) << bitsPerPixel) - 1;
    for (quint32 mask : {red, green, blue}) {
        if (mask == 0 || mask > pixelBits)
            return false;
        const quint32 shifted = mask >> std::countr_zero(mask);
        if ((shifted & (shifted + 1)) != 0) // not one run of ones
            return false;
    }
    return (red & green) == 0 && (red & blue) == 0 && (green & blue) == 0;
}

void readPalette(const FileBytes& file, BitmapHeader& header, qint64 start, qint64 count,
                 int entryBytes) {
    // A palette that runs into the pixel data holds only the entries before it (old OS/2
    // writers size the palette by the pixel offset).
    if (header.pixelOffset >= start && start + count * entryBytes > header.pixelOffset)
        count = (header.pixelOffset - start) / entryBytes;
    const uchar* entries = file.at(start, count * entryBytes);
    header.palette.fill(qRgb(0, 0, 0));
    for (qint64 i = 0; i < count; ++i) {
        const uchar* e = entries + i * entryBytes;
        header.palette[i] = qRgb(e[2], e[1], e[0]);
    }
}

// The file header: the signature, where the pixels start and the size of the bitmap header,
// which must be a known one and lie whole in the file. Returns that size.
quint32 readFileHeader(const FileBytes& file, BitmapHeader& header) {
    if (file.size() < fileHeaderSize + 4 || file.at(0, 2)[0] != 'B' || file.at(0, 2)[1] != 'M')
        fail();
    header.pixelOffset = file.u32(10);
    const quint32 headerSize = file.u32(14);
    if (!isKnownHeaderSize(headerSize))
        fail();
    file.at(0, fileHeaderSize + headerSize); // the whole header must be in the file
    return headerSize;
}

// A core (OS/2 1.x) header: 16-bit width and height, rows bottom-up, no compression.
void readCoreHeader(const FileBytes& file, BitmapHeader& header) {
    header.width = file.u16(18);
    header.height = file.u16(20);
    header.bitsPerPixel = file.u16(24);
    if (header.bitsPerPixel != 1 && header.bitsPerPixel != 4 && header.bitsPerPixel != 8 &&
        header.bitsPerPixel != 24)
        fail();
}

// An info header or a later one: signed 32-bit width and height (a negative height means
// top-down rows), depth and compression. Returns the number of palette entries it gives
// (0: as many as the depth can index).
quint32 readInfoHeader(const FileBytes& file, BitmapHeader& header) {
    const qint32 width = qint32(file.u32(18));
    const qint32 height = qint32(file.u32(22));
    if (height == INT_MIN)
        fail();
    header.width = width;
    header.topDown = height < 0;
    header.height = height < 0 ? -qint64(height) : height;
    header.bitsPerPixel = file.u16(28);
    header.compression = file.u32(30);
    const quint32 colorsUsed = file.u32(46);
    switch (header.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        fail();
    }
    return colorsUsed;
}

// Compression must suit the depth; RLE images are bottom-up by definition. In the OS/2 2.x
// header, 3 and 4 mean Huffman and RLE24, which Windows never took.
void checkCompression(const BitmapHeader& header, quint32 headerSize) {
    switch (header.compression) {
    case Rgb:
        break;
    case Rle8:
        if (header.bitsPerPixel != 8 || header.topDown)
            fail();
        break;
    case Rle4:
        if (header.bitsPerPixel != 4 || header.topDown)
            fail();
        break;
    case BitFields:
        if ((header.bitsPerPixel != 16 && header.bitsPerPixel != 32) ||
            headerSize == os2v2HeaderSize)
            fail();
        break;
    default:
        fail();
    }
}

// The channel masks of a 16- or 32-bit image: the file's own for bit fields, else the
// default ones. Returns where the palette or the pixels may start, after the masks that
// follow an info header.
qint64 readChannelMasks(const FileBytes& file, BitmapHeader& header, quint32 headerSize) {
    const qint64 headerEnd = fileHeaderSize + headerSize;
    if (header.compression == BitFields) {
        // An info header is followed by the three masks; later headers contain them.
        const qint64 masks = headerSize == infoHeaderSize ? headerEnd : fileHeaderSize + 40;
        const quint32 red = file.u32(masks), green = file.u32(masks + 4),
                      blue = file.u32(masks + 8);
        if (!validMasks(red, green, blue, header.bitsPerPixel))
            fail();
        header.red = ChannelMask(red);
        header.green = ChannelMask(green);
        header.blue = ChannelMask(blue);
        return headerSize == infoHeaderSize ? headerEnd + 12 : headerEnd;
    }
    if (header.bitsPerPixel == 16) {
        header.red = ChannelMask(0x7C00);
        header.green = ChannelMask(0x03E0);
        header.blue = ChannelMask(0x001F);
    } else if (header.bitsPerPixel == 32) {
        // Masks of a V4/V5 header are ignored unless the compression says bit fields; the
        // fourth byte is unused, not alpha.
        header.red = ChannelMask(0xFF0000);
        header.green = ChannelMask(0x00FF00);
        header.blue = ChannelMask(0x0000FF);
    }
    return headerEnd;
}

BitmapHeader readHeader(const FileBytes& file) {
    BitmapHeader header;
    const quint32 headerSize = readFileHeader(file, header);
    int entryBytes = 4;
    quint32 colorsUsed = 0;
    if (headerSize == coreHeaderSize) {
        readCoreHeader(file, header);
        entryBytes = 3;
    } else {
        colorsUsed = readInfoHeader(file, header);
    }
    if (header.width <= 0 || header.height <= 0)
        fail();
    checkCompression(header, headerSize);
    const qint64 dataStart = readChannelMasks(file, header, headerSize);
    if (header.pixelOffset < dataStart || header.pixelOffset >= file.size())
        fail();

    if (header.bitsPerPixel <= 8) {
        const qint64 maxColors = qint64(1) << header.bitsPerPixel;
        if (colorsUsed > maxColors)
            fail();
        readPalette(file, header, dataStart, colorsUsed ? colorsUsed : maxColors, entryBytes);
    }

    // Refuse before allocating: the decoded image is 4 bytes a pixel.
    if (!image_limits::fitsInLimit(header.width, header.height, 4))
        fail();
    return header;
}

QImage newImage(const BitmapHeader& header) {
    QImage image =
        large_image::allocate(int(header.width), int(header.height), QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

void decodeRow(const BitmapHeader& h, const uchar* src, QRgb* dst) {
    const qint64 width = h.width;
    switch (h.bitsPerPixel) {
    case 1:
        for (qint64 x = 0; x < width; ++x)
            dst[x] = h.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (qint64 x = 0; x < width; ++x)
            dst[x] = h.palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
        break;
    case 8:
        for (qint64 x = 0; x < width; ++x)
            dst[x] = h.palette[src[x]];
        break;
    case 16:
        for (qint64 x = 0; x < width; ++x) {
            const quint32 p = quint32(src[2 * x] | src[2 * x + 1] << 8);
            dst[x] = qRgb(h.red.extract(p), h.green.extract(p), h.blue.extract(p));
        }
        break;
    case 24:
        for (qint64 x = 0; x < width; ++x)
            dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
    case 32:
        if (h.red.isByte(2) && h.green.isByte(1) && h.blue.isByte(0)) {
            for (qint64 x = 0; x < width; ++x)
                dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
        } else {
            for (qint64 x = 0; x < width; ++x) {
                const uchar* s = src + 4 * x;
                const quint32 p =
                    quint32(s[0]) | quint32(s[1]) << 8 | quint32(s[2]) << 16 | quint32(s[3]) << 24;
                dst[x] = qRgb(h.red.extract(p), h.green.extract(p), h.blue.extract(p));
            }
        }
        break;
    }
}

// The rows of an uncompressed image; fails when the file ends before the last row's pixels
// (the padding of the last row may be missing).
const uchar* uncompressedRows(const FileBytes& file, const BitmapHeader& header) {
    const qint64 stride = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    const qint64 lastRowBytes = (header.width * header.bitsPerPixel + 7) / 8;
    return file.at(header.pixelOffset, stride * (header.height - 1) + lastRowBytes);
}

QImage decodeUncompressed(const FileBytes& file, const BitmapHeader& header) {
    const qint64 stride = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    const uchar* pixels = uncompressedRows(file, header);
    QImage image = newImage(header);
    for (qint64 row = 0; row < header.height; ++row) {
        const qint64 y = header.topDown ? row : header.height - 1 - row;
        decodeRow(header, pixels + row * stride, reinterpret_cast<QRgb*>(image.scanLine(int(y))));
    }
    return image;
}

// RLE8 and RLE4 streams. Runs that reach into a row's padding (the pixels up to the next
// 4-byte boundary, which common writers encode with the row) are clipped at the row end;
// runs beyond the padding or below the last row, deltas that leave the image and a stream
// cut before the image is complete are errors. An end-of-bitmap mark may come early: the
// pixels the stream skips keep palette entry 0, the value of a zero-filled bitmap.
// Without an image the stream is only checked: every fault is found before any pixel memory
// is taken, so a small broken stream cannot make its header's claimed size cost anything.
void walkRle(const FileBytes& file, const BitmapHeader& header, QImage* image) {
    const bool rle4 = header.compression == Rle4;
    const qint64 width = header.width;
    const qint64 height = header.height;
    const qint64 paddedWidth = (width * header.bitsPerPixel + 31) / 32 * 32 / header.bitsPerPixel;

    const uchar* p = file.at(header.pixelOffset, 0);
    const uchar* const end = file.at(file.size(), 0);
    qint64 x = 0;
    qint64 y = 0; // rows counted from the bottom
    QRgb* line = nullptr;
    auto rowAt = [&](qint64 row) {
        if (row >= height)
            fail();
        return image ? reinterpret_cast<QRgb*>(image->scanLine(int(height - 1 - row))) : nullptr;
    };
    auto startRun = [&](int count) {
        if (x + count > paddedWidth)
            fail();
        line = rowAt(y);
    };
    auto put = [&](int index) {
        if (line && x < width)
            line[x] = header.palette[index];
        ++x;
    };

    for (;;) {
        if (end - p < 2) {
            // A stream may end without its end-of-bitmap mark once every row is drawn.
            if (y >= height || (y == height - 1 && x >= width))
                break;
            fail();
        }
        const int count = p[0];
        const int code = p[1];
        p += 2;
        if (count > 0) {
            startRun(count);
            for (int i = 0; i < count; ++i)
                put(rle4 ? ((i & 1) ? code & 0x0F : code >> 4) : code);
        } else if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // delta: move right and up
            if (end - p < 2)
                fail();
            x += p[0];
            y += p[1];
            p += 2;
            if (x > paddedWidth || y >= height)
                fail();
        } else { // absolute: code literal pixels, padded to a 16-bit boundary
            const qint64 bytes = rle4 ? (code + 1) / 2 : code;
            if (end - p < bytes)
                fail();
            startRun(code);
            for (int i = 0; i < code; ++i)
                put(rle4 ? ((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
            p += std::min<qint64>(bytes + (bytes & 1), end - p);
        }
    }
}

QImage decodeRle(const FileBytes& file, const BitmapHeader& header) {
    walkRle(file, header, nullptr);
    QImage image = newImage(header);
    image.fill(header.palette[0]);
    walkRle(file, header, &image);
    return image;
}

} // namespace

namespace bmp_reader {

QImage decode(QByteArrayView bytes) {
    const FileBytes file(bytes);
    const BitmapHeader header = readHeader(file);
    if (header.compression == Rle8 || header.compression == Rle4)
        return decodeRle(file, header);
    return decodeUncompressed(file, header);
}

QSize check(QByteArrayView bytes) {
    const FileBytes file(bytes);
    const BitmapHeader header = readHeader(file);
    if (header.compression == Rle8 || header.compression == Rle4)
        walkRle(file, header, nullptr);
    else
        uncompressedRows(file, header);
    return QSize(int(header.width), int(header.height));
}

bool holdsItsPicture(QByteArrayView bytes) {
    const FileBytes file(bytes);
    BitmapHeader header;
    try {
        header = readHeader(file);
    } catch (const InvalidBitmapError&) {
        return true;
    }
    if (header.compression != Rle8 && header.compression != Rle4)
        return true;
    try {
        walkRle(file, header, nullptr);
    } catch (const InvalidBitmapError&) {
        return false;
    }
    return true;
}

LoadedBitmap readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    LoadedBitmap bitmap;
    if (const uchar* mapped = file.map(0, file.size())) {
        bitmap.pixels = decode(QByteArrayView(mapped, file.size()));
    } else {
        const QByteArray all = file.readAll();
        bitmap.pixels = decode(all);
    }
    bitmap.sourceDpiX = screenLogicalDpiX();
    bitmap.sourceDpiY = screenLogicalDpiY();
    return bitmap;
}

namespace {
QScreen* primaryScreen() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}
} // namespace

double screenLogicalDpiX() {
    const QScreen* screen = primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double screenLogicalDpiY() {
    const QScreen* screen = primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace bmp_reader
