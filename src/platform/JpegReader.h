#pragma once
// Reader of JPEG figure files, on libjpeg directly (not Qt's image plugin) so that every
// libjpeg error and warning passes through our own error manager.

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <stdexcept>

// "JPEG エラー #%d" with libjpeg's message code: the file cannot be decoded, or it ends
// before its last scan (libjpeg's premature-end warning, which would otherwise draw the
// missing part grey and report success).
class JpegError : public std::runtime_error {
public:
    explicit JpegError(int messageCode);
    int messageCode() const { return code_; }

private:
    int code_;
};

namespace jpeg_reader {

// Decodes a whole JPEG file (baseline, extended, progressive, arithmetic; grey, YCbCr, RGB,
// CMYK and YCCK) into a QImage::Format_RGB888 image of the stored size, unrotated.
// Throws JpegError; an image whose pixels would exceed image_limits::maxDecodedBytes is
// refused with libjpeg's "image too big" code before any pixel memory is taken.
QImage decode(QByteArrayView file);

// The image shrunk by 1/scaleDenominator (2, 4 or 8; anything else decodes the whole size)
// while decoding: each side is the stored one divided and rounded up. For screen views; the
// pixels are not those of decode() scaled.
QImage decodeScaled(QByteArrayView file, int scaleDenominator);

// The stored size of the picture, after decoding it as decode() does but shrunk by 1/8: the
// same header checks and limits, every scan's data decoded, so the same errors are thrown;
// only the transform to pixels is done on an eighth of the size. For checking a file that is
// decoded again when it is drawn.
QSize check(QByteArrayView file);

// False when the file's header claims more blocks than the file has bits for, so that it
// cannot be whole (see decode); true otherwise, also when the header cannot be read. For
// decoders other than this one, which would decode such a file from padding.
bool holdsItsPicture(QByteArrayView file);

// Reads and decodes the file at path. Throws JpegError as decode() does, std::runtime_error
// when the file cannot be read.
QImage readFile(const QString& path);

} // namespace jpeg_reader
