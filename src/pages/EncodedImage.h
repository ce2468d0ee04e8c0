#pragma once
// The bytes of a bitmap or JPEG figure file as they were read at layout time. A page keeps
// these, not decoded pixels: pixels are decoded again when a page is played (through
// DecodedImageCache, which bounds how many stay in memory), so the memory of a document
// follows the size of its figure files, not pages × printer dots. Pages that place the same
// bytes share one object.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>

// Decoding or resampling a figure ran out of memory at replay.
class FigureMemoryError : public std::runtime_error {
public:
    FigureMemoryError();
};

class EncodedImage {
public:
    enum class Format : std::uint8_t { Bitmap, Jpeg };

    // Reads the file and decodes it once, so that every error of the file (unreadable, bad
    // bitmap, JPEG error) is raised here, at layout time, and never when a page is played.
    // Equal bytes already held by another figure give that figure. decoded, when given,
    // receives the pixels of this first decoding (BMP: RGB32, JPEG: RGB888).
    static std::shared_ptr<const EncodedImage> load(const QString& path, Format format,
                                                    QImage* decoded = nullptr);
    // The same for bytes already in memory.
    static std::shared_ptr<const EncodedImage> fromBytes(QByteArray bytes, Format format,
                                                         QImage* decoded = nullptr);

    // A file's bytes decoded once and packed for holding, but not yet a figure: the part of
    // fromBytes that touches nothing shared, so that figures can be checked on worker threads
    // ahead of the layout. hold() makes the figure on the layout's thread.
    struct Checked {
        QByteArray stored; // the bytes, packed when that pays (FastPacking)
        bool packed = false;
        Format format = Format::Bitmap;
        QSize pixelSize;
        std::size_t hash = 0; // interning key of the bytes as read
    };
    // The bytes of the file at path; an unreadable file throws std::runtime_error with the path
    // and the system's reason. Safe on any thread.
    static QByteArray readFile(const QString& path);
    // Decodes bytes (the loaders' errors are thrown) and packs them. Safe on any thread.
    static Checked check(QByteArray bytes, Format format);
    // The figure of checked; equal bytes already held by another figure give that figure.
    static std::shared_ptr<const EncodedImage> hold(Checked checked);

    ~EncodedImage();
    EncodedImage(const EncodedImage&) = delete;
    EncodedImage& operator=(const EncodedImage&) = delete;

    Format format() const { return format_; }
    // The file's bytes as read.
    QByteArray bytes() const;
    // What the figure holds in memory: the bytes, packed where that pays (an uncompressed
    // bitmap of a drawing shrinks to a few percent).
    qsizetype storedSize() const { return stored_.size(); }
    QSize pixelSize() const { return pixelSize_; }
    // Unique for the life of the process (an address could be reused by a later figure).
    std::uint64_t id() const { return id_; }

    // The pixels, decoded again from the bytes (the same pixels as the first decoding), from
    // DecodedImageCache::shared(). Throws FigureMemoryError when memory runs short.
    QImage pixels() const;
    // The pixels resampled bilinearly to size (SmoothResample), cached likewise.
    QImage smoothed(QSize size) const;
    // The part of smoothed(size) inside part, without smoothing the rest.
    QImage smoothedPart(QSize size, const QRect& part) const;
    // Whether smoothedPart keeps a part of that size (the whole image included) in the cache,
    // so that drawing it again hands out the same image; a larger one is made each time.
    static bool cachesPart(const QRect& part);
    // The same part, made for one drawing and not kept by the cache (a large part is drawn
    // once; keeping it would only push out the rest).
    QImage smoothedPartOnce(QSize size, const QRect& part) const;
    // The pixels scaled to size for a screen view (Qt's smooth scaling), cached likewise.
    QImage viewImage(QSize size) const;
    // The part of viewImage(size) inside part (the rest of the figure is off the screen).
    QImage viewImagePart(QSize size, const QRect& part) const;

    // Decodes the bytes without the cache.
    QImage decode() const;

    // Figures alive, for tests and benchmarks.
    static std::size_t liveCount();

private:
    struct Private {};

public:
    EncodedImage(Private, QByteArray stored, bool packed, Format format, QSize pixelSize);

    bool sameStored(const QByteArray& stored, bool packed, Format format) const {
        return format_ == format && packed_ == packed && stored_ == stored;
    }

private:
    static Checked pack(QByteArray bytes, Format format, std::size_t hash, QSize pixelSize);
    // Pixels to scale down to size for a view.
    QImage source(QSize size) const;

    QByteArray stored_;
    bool packed_;
    Format format_;
    QSize pixelSize_;
    std::uint64_t id_;
};
