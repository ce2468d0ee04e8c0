#pragma once
// Reader of Windows bitmap files (BMP) for figure files.
//
// Takes the header kinds a Windows bitmap loader takes (core/OS-2 1.x, OS/2 2.x, info, V2 to
// V5), 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4 and RLE8, bit fields, bottom-up and
// top-down rows. Every header field that decoding depends on is checked against the file
// before a pixel is read; a file that fails any check raises InvalidBitmapError.

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>
#include <stdexcept>

// "ビットマップイメージが不正です": the file is not a bitmap this reader can decode.
class InvalidBitmapError : public std::runtime_error {
public:
    InvalidBitmapError();
};

// A decoded bitmap with the resolution it is measured in. The layout sizes a bitmap as
// pixels / sourceDpi × printer dpi; the source resolution is the screen's logical one,
// because the bitmap is held in a memory context compatible with the screen.
struct LoadedBitmap {
    QImage pixels; // QImage::Format_RGB32, opaque (alpha in the file is ignored, as GDI does)
    double sourceDpiX = 96.0;
    double sourceDpiY = 96.0;

    QSize pixelSize() const { return pixels.size(); }
};

namespace bmp_reader {

// Decodes the bytes of a whole BMP file into an opaque QImage::Format_RGB32 image.
// Throws InvalidBitmapError for a malformed file or one whose pixels would exceed
// image_limits::maxDecodedBytes (checked before any pixel memory is taken).
QImage decode(QByteArrayView file);

// The pixel size decode() would give, after every check decode() makes (header, rows or RLE
// stream), without decoding a pixel: the same InvalidBitmapError for the same files. Once
// these checks pass, decoding is a plain conversion that cannot fail (short of memory).
QSize check(QByteArrayView file);

// False when the file's RLE stream cannot be its picture (cut short, runs or deltas out of
// the image): what decode() refuses before it allocates. True otherwise, also when the file is
// not RLE or its header is refused. For decoders other than this one, which would allocate
// the claimed size first.
bool holdsItsPicture(QByteArrayView file);

// Reads and decodes the file at path; sourceDpi is the screen's logical resolution.
// Throws InvalidBitmapError as decode() does, std::runtime_error when the file cannot be read.
LoadedBitmap readFile(const QString& path);

// Logical dots per inch of the primary screen, 96 when there is no screen (no GUI
// application, or a platform without screens).
double screenLogicalDpiX();
double screenLogicalDpiY();

} // namespace bmp_reader
