// BMP figure files: header checks and the decoder on arbitrary bytes.

#include "FuzzSupport.h"
#include "platform/BmpReader.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    try {
        const QImage image = bmp_reader::decode(QByteArrayView(data, qsizetype(size)));
        if (!image.isNull() && image.width() > 0)
            (void)image.pixel(image.width() - 1, image.height() - 1);
    } catch (const std::exception&) {
        // A refused file: the user sees the message; nothing else may happen.
    }
    return 0;
}
