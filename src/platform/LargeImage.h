#pragma once
// Allocation of big decoded images (figure bitmaps, JPEG photos, resampled bitmaps).

#include <QImage>

namespace large_image {

// A new image of the given size and format whose memory is not yet touched, or a null image
// when it cannot be allocated. On Linux the buffer is marked for transparent huge pages:
// a 36 MB image otherwise takes some 9000 page faults when first written, which on the
// build machine cost more than decoding the JPEG that fills it (see docs/PERFORMANCE.md).
QImage allocate(int width, int height, QImage::Format format);

} // namespace large_image
