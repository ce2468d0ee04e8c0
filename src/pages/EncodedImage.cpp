#include "pages/EncodedImage.h"

#include <QFile>
#include <QHash>
#include <atomic>
#include <new>
#include <unordered_map>

#include "pages/DecodedImageCache.h"
#include "pages/PagesErrors.h"
#include "platform/BmpReader.h"
#include "platform/FastPacking.h"
#include "platform/JpegReader.h"
#include "platform/SmoothResample.h"

FigureMemoryError::FigureMemoryError() : std::runtime_error(pages_errors::FigureOutOfMemory) {}

namespace {

std::atomic<std::uint64_t> nextId{1};
std::atomic<std::size_t> live{0};

QImage decodeBytes(const QByteArray& bytes, EncodedImage::Format format) {
    return format == EncodedImage::Format::Bitmap ? bmp_reader::decode(bytes)
                                                  : jpeg_reader::decode(bytes);
}

// The size of the pixels, after the checks that find every error that decoding would find:
// a bitmap's headers and rows, a JPEG decoded at an eighth of its size. The pixels themselves
// are decoded when a page is played.
QSize checkedSize(const QByteArray& bytes, EncodedImage::Format format) {
    return format == EncodedImage::Format::Bitmap ? bmp_reader::check(bytes)
                                                  : jpeg_reader::check(bytes);
}

// The interning key of a file's bytes: their size and sixteen 4 KB samples spread over them.
// Figures with equal keys are compared whole, so the key need not cover every byte; hashing
// every byte of the figure files cost more than checking them.
std::size_t contentKey(const QByteArray& bytes) {
    constexpr qsizetype sample = 4096;
    constexpr qsizetype samples = 16;
    if (bytes.size() <= sample * samples)
        return qHash(bytes);
    std::size_t key = qHash(bytes.size());
    const qsizetype step = (bytes.size() - sample) / (samples - 1);
    for (qsizetype i = 0; i < samples; ++i)
        key = qHash(QByteArrayView(bytes.constData() + i * step, sample), key);
    return key;
}

// Figures by the key of their bytes, so that a file placed on many pages (or the same bytes
// under two names) is held once. Entries whose figure is gone are dropped as the table grows.
class Interned {
public:
    std::shared_ptr<const EncodedImage> find(std::size_t hash, const QByteArray& bytes,
                                             EncodedImage::Format format) const {
        const auto [first, last] = table_.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (auto figure = it->second.lock();
                figure && figure->format() == format && figure->bytes() == bytes)
                return figure;
        }
        return nullptr;
    }

    std::shared_ptr<const EncodedImage> findStored(std::size_t hash, const QByteArray& stored,
                                                   bool packed, EncodedImage::Format format) const {
        const auto [first, last] = table_.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (auto figure = it->second.lock();
                figure && figure->sameStored(stored, packed, format))
                return figure;
        }
        return nullptr;
    }

    void add(std::size_t hash, const std::shared_ptr<const EncodedImage>& figure) {
        if (table_.size() >= sweepAt_) {
            std::erase_if(table_, [](const auto& entry) { return entry.second.expired(); });
            sweepAt_ = std::max<std::size_t>(64, table_.size() * 2);
        }
        table_.emplace(hash, figure);
    }

private:
    std::unordered_multimap<std::size_t, std::weak_ptr<const EncodedImage>> table_;
    std::size_t sweepAt_ = 64;
};

Interned& interned() {
    static Interned table;
    return table;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    return bytes;
}

} // namespace

EncodedImage::EncodedImage(Private, QByteArray stored, bool packed, Format format, QSize pixelSize)
    : stored_(std::move(stored)), packed_(packed), format_(format), pixelSize_(pixelSize),
      id_(nextId++) {
    ++live;
}

EncodedImage::~EncodedImage() {
    --live;
    DecodedImageCache::shared().forget(id_);
}

std::size_t EncodedImage::liveCount() {
    return live;
}

std::shared_ptr<const EncodedImage> EncodedImage::load(const QString& path, Format format,
                                                       QImage* decoded) {
    return fromBytes(readAll(path), format, decoded);
}

QByteArray EncodedImage::readFile(const QString& path) {
    return readAll(path);
}

std::shared_ptr<const EncodedImage> EncodedImage::fromBytes(QByteArray bytes, Format format,
                                                            QImage* decoded) {
    const std::size_t hash = contentKey(bytes);
    if (auto known = interned().find(hash, bytes, format)) {
        // The same bytes decoded without error before and decode to the same pixels again.
        if (decoded)
            *decoded = known->pixels();
        return known;
    }
    if (!decoded) {
        const QSize size = checkedSize(bytes, format); // the loaders' errors end the layout here
        return hold(pack(std::move(bytes), format, hash, size));
    }
    QImage pixels = decodeBytes(bytes, format);
    auto figure = hold(pack(std::move(bytes), format, hash, pixels.size()));
    *decoded = std::move(pixels);
    return figure;
}

EncodedImage::Checked EncodedImage::check(QByteArray bytes, Format format) {
    const std::size_t hash = contentKey(bytes);
    const QSize size = checkedSize(bytes, format);
    return pack(std::move(bytes), format, hash, size);
}

EncodedImage::Checked EncodedImage::pack(QByteArray bytes, Format format, std::size_t hash,
                                         QSize pixelSize) {
    // Uncompressed bitmaps (most BMP files) are packed in memory; JPEG is compressed already.
    bool packed = false;
    if (format == Format::Bitmap && bytes.size() >= 4096) {
        QByteArray smaller = fast_packing::pack(bytes);
        if (!smaller.isEmpty() && smaller.size() < bytes.size() / 4 * 3) {
            bytes = std::move(smaller);
            packed = true;
        }
    }
    return Checked{std::move(bytes), packed, format, pixelSize, hash};
}

std::shared_ptr<const EncodedImage> EncodedImage::hold(Checked checked) {
    // Packing is deterministic, so equal stored bytes mean equal bytes as read.
    if (auto known =
            interned().findStored(checked.hash, checked.stored, checked.packed, checked.format))
        return known;
    auto figure = std::make_shared<const EncodedImage>(
        Private{}, std::move(checked.stored), checked.packed, checked.format, checked.pixelSize);
    interned().add(checked.hash, figure);
    return figure;
}

QByteArray EncodedImage::bytes() const {
    if (!packed_)
        return stored_;
    try {
        return fast_packing::unpack(stored_);
    } catch (const std::runtime_error&) {
        throw std::bad_alloc(); // packed here from checked bytes: only memory can fail
    }
}

QImage EncodedImage::decode() const {
    try {
        return decodeBytes(bytes(), format_);
    } catch (const std::bad_alloc&) {
        throw FigureMemoryError();
    }
}

QImage EncodedImage::pixels() const {
    return DecodedImageCache::shared().get({id_, DecodedImageCache::Kind::Decoded, {}, {}},
                                           [this] { return decodeBytes(bytes(), format_); });
}

QImage EncodedImage::smoothed(QSize size) const {
    return DecodedImageCache::shared().get({id_, DecodedImageCache::Kind::Smoothed, size, {}}, [&] {
        return SmoothResample(pixels(), size.width(), size.height());
    });
}

QImage EncodedImage::smoothedPart(QSize size, const QRect& part) const {
    if (!cachesPart(part))
        return smoothedPartOnce(size, part);
    if (part == QRect(QPoint(0, 0), size))
        return smoothed(size);
    return DecodedImageCache::shared().get(
        {id_, DecodedImageCache::Kind::Smoothed, size, part},
        [&] { return SmoothResample(pixels(), size.width(), size.height(), part); });
}

bool EncodedImage::cachesPart(const QRect& part) {
    // A part this large is drawn once (a page at a high zoom): keeping it would only push the
    // rest out of the cache while the next one is made.
    return qint64(part.width()) * part.height() * 3 <= DecodedImageCache::shared().budget() / 4;
}

QImage EncodedImage::smoothedPartOnce(QSize size, const QRect& part) const {
    const auto make = [&] { return SmoothResample(pixels(), size.width(), size.height(), part); };
    try {
        return make();
    } catch (const std::bad_alloc&) {
        DecodedImageCache::shared().clear();
        try {
            return make();
        } catch (const std::bad_alloc&) {
            throw FigureMemoryError();
        }
    }
}

QImage EncodedImage::source(QSize size) const {
    // A JPEG shown much smaller than its pixels is shrunk by libjpeg while decoding, by the
    // largest of 1/2, 1/4, 1/8 that keeps at least size, unless its pixels are cached anyway.
    int denominator = 1;
    if (format_ == Format::Jpeg) {
        while (denominator < 8 &&
               (pixelSize_.width() + 2 * denominator - 1) / (2 * denominator) >= size.width() &&
               (pixelSize_.height() + 2 * denominator - 1) / (2 * denominator) >= size.height())
            denominator *= 2;
    }
    // The decoded pixels are used when cached, but not kept for a view: the screen-sized
    // image is what a return to the page needs, and it is a fraction of their size.
    if (DecodedImageCache::shared().contains({id_, DecodedImageCache::Kind::Decoded, {}, {}}))
        return pixels();
    if (denominator == 1)
        return decode();
    return jpeg_reader::decodeScaled(stored_, denominator); // JPEG is never packed
}

QImage EncodedImage::viewImage(QSize size) const {
    return DecodedImageCache::shared().get({id_, DecodedImageCache::Kind::View, size, {}}, [&] {
        QImage scaled = source(size).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (scaled.isNull() && !size.isEmpty())
            throw std::bad_alloc(); // QImage reports a failed allocation as a null image
        return scaled;
    });
}

QImage EncodedImage::viewImagePart(QSize size, const QRect& part) const {
    const QRect whole(QPoint(0, 0), size);
    const QRect wanted = part & whole;
    if (wanted == whole)
        return viewImage(size);
    if (wanted.isEmpty())
        return QImage();
    return DecodedImageCache::shared().get({id_, DecodedImageCache::Kind::View, size, wanted}, [&] {
        // The pixels under the part, scaled on their own: the rest is never scaled.
        const QImage pixels = source(size);
        const double sx = double(pixels.width()) / size.width();
        const double sy = double(pixels.height()) / size.height();
        const QRect under =
            QRectF(wanted.x() * sx, wanted.y() * sy, wanted.width() * sx, wanted.height() * sy)
                .toAlignedRect() &
            pixels.rect();
        QImage scaled = pixels.copy(under).scaled(wanted.size(), Qt::IgnoreAspectRatio,
                                                  Qt::SmoothTransformation);
        if (scaled.isNull())
            throw std::bad_alloc();
        return scaled;
    });
}
