#include "platform/AllocatorTuning.h"

#include <malloc.h>

namespace allocator_tuning {

void keepLargeBuffers() {
    // Setting either turns off glibc's own adjustment of the mapping threshold, which
    // otherwise follows the largest block released and trims the heap below it.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

void releaseFreeMemory() {
    malloc_trim(0);
}

} // namespace allocator_tuning
