#include "platform/JpegReader.h"

#include "platform/ImageLimits.h"
#include "platform/LargeImage.h"
#include "platform/PlatformErrors.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

JpegError::JpegError(int messageCode)
    : std::runtime_error(
          QString::asprintf(platform_errors::jpegErrorFormat, messageCode).toStdString()),
      code_(messageCode) {}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decoder with the message code. Warnings arrive through emit_message with level -1;
// each one is looked at, because the premature-end warning often follows others.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code = 0;
};

void errorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    manager->code = cinfo->err->msg_code;
    std::longjmp(manager->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    ++cinfo->err->num_warnings;
    // A file cut short would draw its missing part grey; that is a failure, not a picture.
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        errorExit(cinfo);
}

void outputMessage(j_common_ptr) {}

// Everything the jump may cross lives here, outside the function that calls setjmp, so no
// local of that function is changed between setjmp and longjmp.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    QImage image;
    std::vector<JSAMPLE> cmykRow;
    QSize storedSize;
};

void useOurErrorManager(Decoder& d) {
    d.cinfo.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = errorExit;
    d.errors.base.emit_message = emitMessage;
    d.errors.base.output_message = outputMessage;
}

constexpr int allocationFailed = -1;

// Huffman-coded scans spend at least one bit on every block of every component (its DC
// code, in the first scan that holds it), so a file of fewer bits than blocks is cut short,
// whatever its header claims. Arithmetic coding can spend less and is not judged.
bool tooShortForItsBlocks(const jpeg_decompress_struct& cinfo, unsigned long size) {
    if (cinfo.arith_code)
        return false;
    unsigned long long blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += static_cast<unsigned long long>(cinfo.comp_info[i].width_in_blocks) *
                  cinfo.comp_info[i].height_in_blocks;
    return blocks > static_cast<unsigned long long>(size) * 8;
}

// Adobe applications store CMYK (and YCCK) inverted: 0 means full ink. Without an Adobe
// marker the samples are taken as plain CMYK.
void cmykToRgb(const JSAMPLE* cmyk, uchar* rgb, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[3 * x] = uchar((c * k + 127) / 255);
        rgb[3 * x + 1] = uchar((m * k + 127) / 255);
        rgb[3 * x + 2] = uchar((y * k + 127) / 255);
    }
}

// Returns 0 on success, libjpeg's message code on failure, or allocationFailed.
int decodeInto(Decoder& d, const JOCTET* data, unsigned long size, int scaleDenominator = 1) {
    useOurErrorManager(d);
    if (setjmp(d.errors.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return d.errors.code;
    }
    jpeg_create_decompress(&d.cinfo);
    // Progressive files keep all coefficients; bound libjpeg's own memory as well.
    d.cinfo.mem->max_memory_to_use = long(2 * image_limits::maxDecodedBytes);
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.storedSize = QSize(int(d.cinfo.image_width), int(d.cinfo.image_height));

    const bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (!image_limits::fitsInLimit(d.cinfo.image_width, d.cinfo.image_height, 3)) {
        jpeg_destroy_decompress(&d.cinfo);
        return JERR_IMAGE_TOO_BIG;
    }
    // Without this, a few hundred bytes claiming 400 MB were decoded to the end: libjpeg
    // pads a scan whose data runs out with zero bits and says only that it hit a marker.
    if (tooShortForItsBlocks(d.cinfo, size)) {
        jpeg_destroy_decompress(&d.cinfo);
        return JWRN_JPEG_EOF;
    }
    // libjpeg shrinks by 1/2, 1/4 or 1/8 while decoding (in the DCT), far quicker than
    // decoding everything and scaling afterwards.
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = unsigned(scaleDenominator);
    jpeg_calc_output_dimensions(&d.cinfo);
    const int width = int(d.cinfo.output_width);
    const int height = int(d.cinfo.output_height);
    d.image = large_image::allocate(width, height, QImage::Format_RGB888);
    if (d.image.isNull()) {
        jpeg_destroy_decompress(&d.cinfo);
        return allocationFailed;
    }
    if (cmyk)
        d.cmykRow.resize(size_t(width) * 4);

    jpeg_start_decompress(&d.cinfo);
    uchar* const bits = d.image.bits();
    const qsizetype stride = d.image.bytesPerLine();
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION y = d.cinfo.output_scanline;
        if (cmyk) {
            JSAMPROW row = d.cmykRow.data();
            if (jpeg_read_scanlines(&d.cinfo, &row, 1) == 1)
                cmykToRgb(row, bits + y * stride, width, d.cinfo.saw_Adobe_marker);
        } else {
            JSAMPROW rows[16];
            const JDIMENSION count = std::min<JDIMENSION>(16, d.cinfo.output_height - y);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = bits + (y + i) * stride;
            jpeg_read_scanlines(&d.cinfo, rows, count);
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return 0;
}

// Reads the header only; -1 when it cannot be read.
int headerHoldsItsPicture(Decoder& d, const JOCTET* data, unsigned long size) {
    useOurErrorManager(d);
    if (setjmp(d.errors.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return -1;
    }
    jpeg_create_decompress(&d.cinfo);
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    const bool holds = !tooShortForItsBlocks(d.cinfo, size);
    jpeg_destroy_decompress(&d.cinfo);
    return holds ? 1 : 0;
}

} // namespace

namespace jpeg_reader {

bool holdsItsPicture(QByteArrayView file) {
    Decoder decoder;
    return headerHoldsItsPicture(decoder, reinterpret_cast<const JOCTET*>(file.data()),
                                 static_cast<unsigned long>(file.size())) != 0;
}

QImage decode(QByteArrayView file) {
    return decodeScaled(file, 1);
}

QImage decodeScaled(QByteArrayView file, int scaleDenominator) {
    if (scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8)
        scaleDenominator = 1;
    Decoder decoder;
    const int code = decodeInto(decoder, reinterpret_cast<const JOCTET*>(file.data()),
                                static_cast<unsigned long>(file.size()), scaleDenominator);
    if (code == allocationFailed)
        throw std::bad_alloc();
    if (code != 0)
        throw JpegError(code);
    return std::move(decoder.image);
}

QSize check(QByteArrayView file) {
    Decoder decoder;
    const int code = decodeInto(decoder, reinterpret_cast<const JOCTET*>(file.data()),
                                static_cast<unsigned long>(file.size()), 8);
    if (code == allocationFailed)
        throw std::bad_alloc();
    if (code != 0)
        throw JpegError(code);
    return decoder.storedSize;
}

QImage readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    if (file.size() > 0) {
        if (const uchar* mapped = file.map(0, file.size()))
            return decode(QByteArrayView(mapped, file.size()));
    }
    const QByteArray all = file.readAll();
    return decode(all);
}

} // namespace jpeg_reader
