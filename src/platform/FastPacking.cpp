#include "platform/FastPacking.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <zstd.h>

namespace fast_packing {

QByteArray pack(QByteArrayView bytes) {
    QByteArray packed;
    try {
        packed.resize(qsizetype(ZSTD_compressBound(size_t(bytes.size()))));
    } catch (const std::bad_alloc&) {
        return {};
    }
    const size_t size =
        ZSTD_compress(packed.data(), size_t(packed.size()), bytes.data(), size_t(bytes.size()), 1);
    if (ZSTD_isError(size))
        return {};
    packed.truncate(qsizetype(size));
    packed.squeeze();
    return packed;
}

QByteArray unpack(QByteArrayView packed) {
    const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), size_t(packed.size()));
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN ||
        size > static_cast<unsigned long long>(std::numeric_limits<qsizetype>::max()))
        throw std::runtime_error("packed bytes are not a whole frame");
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    const size_t got =
        ZSTD_decompress(bytes.data(), size_t(bytes.size()), packed.data(), size_t(packed.size()));
    if (ZSTD_isError(got) || got != size)
        throw std::runtime_error("packed bytes are damaged");
    return bytes;
}

} // namespace fast_packing
