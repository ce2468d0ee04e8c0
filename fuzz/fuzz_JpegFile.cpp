// JPEG figure files: libjpeg behind our error manager on arbitrary bytes.

#include "FuzzSupport.h"
#include "platform/JpegReader.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    try {
        const QImage image = jpeg_reader::decode(QByteArrayView(data, qsizetype(size)));
        if (!image.isNull() && image.width() > 0)
            (void)image.pixel(image.width() - 1, image.height() - 1);
    } catch (const std::exception&) {
    }
    return 0;
}
