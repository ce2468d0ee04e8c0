#pragma once
// Upper bound on the memory that one decoded figure image may take. A figure file claims its
// size in a few header bytes; refusing before allocating keeps a damaged or hostile file from
// taking the whole machine (or failing deep inside an allocation with no useful message).

#include <QtGlobal>

namespace image_limits {

inline constexpr qint64 maxDecodedBytes = qint64(512) * 1024 * 1024;

// True when width × height pixels of bytesPerPixel bytes each stay within maxDecodedBytes.
constexpr bool fitsInLimit(qint64 width, qint64 height, qint64 bytesPerPixel) {
    if (width <= 0 || height <= 0)
        return true;
    return width <= maxDecodedBytes / bytesPerPixel / height;
}

} // namespace image_limits
