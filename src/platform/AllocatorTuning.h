#pragma once
// The C library allocator's thresholds for this program, set once at start-up.

namespace allocator_tuning {

// Large buffers (page contents being compressed into a PDF, figure files being read and
// checked) are allocated and released page after page and figure after figure. With glibc's
// defaults each release of one at the top of the heap hands its memory back to the kernel and
// the next allocation faults it in again, zeroed: a quarter of the time of a text export.
// Keeps up to 64 MB free at the top of a heap, and serves blocks up to 32 MB from the heap
// (larger ones, such as a smoothed page-sized figure, are still mapped and unmapped on their
// own). Call before any thread is started.
void keepLargeBuffers();

// Hands the memory that is free in the allocator's heaps back to the system, also from the
// middle of a heap. After work that kept large buffers (a PDF engine per thread, each with the
// figures it decoded) and before work that needs memory of its own (the PDF finishing).
void releaseFreeMemory();

} // namespace allocator_tuning
