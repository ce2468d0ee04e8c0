#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO block and a block of
// pixel bytes, each at its own offset inside the record.

#include "platform/ByteView.h"

#include <QImage>

namespace dib {

// Largest decoded picture a metafile may ask for.
inline constexpr qint64 kMaxDecodedBytes = 512LL * 1024 * 1024;

enum class Verdict { Sound, Unsound, TooLarge };

// Checks the header and colour table (libuemf's bitmapinfo_safe) and the decoded size.
Verdict check(ByteView bmi);

// Usage of the colour table: DIB_RGB_COLORS (0) or DIB_PAL_COLORS (1, palette indexes).
// Returns a null image when the pixels cannot be decoded (unknown format, too few bytes).
// keepAlpha: 32-bit pixels keep their alpha bytes (AlphaBlend) instead of being opaque.
QImage decode(ByteView bmi, ByteView bits, quint32 usage, bool keepAlpha = false);

} // namespace dib
