#include "platform/LargeImage.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <cstdint>

namespace large_image {

QImage allocate(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) * 1024 * 1024;
    if (!image.isNull() && image.sizeInBytes() >= qsizetype(4 * hugePage)) {
        // Only whole huge pages inside the buffer: the advice never reaches memory that
        // belongs to anything else. It is a hint; failure changes nothing.
        const auto start = reinterpret_cast<std::uintptr_t>(image.bits());
        const std::uintptr_t end = start + std::uintptr_t(image.sizeInBytes());
        const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
        const std::uintptr_t last = end & ~(hugePage - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    return image;
}

} // namespace large_image
