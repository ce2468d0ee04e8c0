#include "platform/SmoothResample.h"

#include "platform/LargeImage.h"
#include "platform/PlatformErrors.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>
#include <vector>

// The rounding below relies on doubles being evaluated as doubles (SSE arithmetic, no x87
// excess precision).
static_assert(FLT_EVAL_METHOD == 0);

AssertionFailure::AssertionFailure() : std::runtime_error(platform_errors::assertionFailure) {}

namespace {

// Where one target column (or row) samples the source: the two neighbouring source
// positions, clamped to the edges, and the fraction between them. Positions and fractions
// are computed in extended precision; the fraction is also kept as a double for the fast
// path.
struct Samples {
    std::vector<int> near;
    std::vector<int> far;
    std::vector<long double> fraction;
    std::vector<double> fractionD;
    // The fraction is a multiple of 2^-21. When both fractions of a pixel are, every step
    // of the interpolation is exact in double and in extended precision alike (integers
    // below 2^11 times multiples of 2^-42), so the double value is the extended one.
    std::vector<char> dyadic;
};

Samples samples(int targetCount, int sourceCount) {
    Samples result;
    const auto count = static_cast<size_t>(targetCount);
    result.near.resize(count);
    result.far.resize(count);
    result.fraction.resize(count);
    result.fractionD.resize(count);
    result.dyadic.resize(count);
    const long double scale = static_cast<long double>(sourceCount) / targetCount;
    for (size_t i = 0; i < count; ++i) {
        const long double position = (i + 0.5L) * scale - 0.5L;
        const long double whole = std::floor(position);
        result.fraction[i] = position - whole;
        result.fractionD[i] = static_cast<double>(result.fraction[i]);
        const long double scaled = result.fraction[i] * 2097152.0L;
        result.dyadic[i] = scaled == std::floor(scaled);
        const long long index = static_cast<long long>(whole);
        result.near[i] = index < 0 ? 0 : (index > sourceCount - 1 ? sourceCount - 1 : int(index));
        result.far[i] = index + 1 <= sourceCount - 1 ? int(index + 1) : sourceCount - 1;
    }
    return result;
}

// The interpolation in extended precision, rounded to nearest with halves to even.
[[gnu::noinline]] uchar exactChannel(int p00, int p01, int p10, int p11, long double fx,
                                     long double fy) {
    const long double value =
        p00 + (p01 - p00) * fx + (p10 - p00) * fy + (p11 - p01 - p10 + p00) * fx * fy;
    const long result = std::lrint(value); // default rounding mode: halves to even
    return uchar(result < 0 ? 0 : (result > 255 ? 255 : result));
}

// The samples of count consecutive positions from first.
Samples slice(Samples all, int first, int count) {
    const auto from = static_cast<std::ptrdiff_t>(first);
    const auto to = from + count;
    auto cut = [&](auto& v) {
        v.erase(v.begin() + to, v.end());
        v.erase(v.begin(), v.begin() + from);
    };
    cut(all.near);
    cut(all.far);
    cut(all.fraction);
    cut(all.fractionD);
    cut(all.dyadic);
    return all;
}

} // namespace

QImage SmoothResample(const QImage& source, int width, int height) {
    return SmoothResample(source, width, height, QRect(0, 0, width, height));
}

QImage SmoothResample(const QImage& source, int width, int height, const QRect& wanted) {
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw AssertionFailure();
    if (width <= 0 || height <= 0)
        return QImage();
    const QRect part = wanted & QRect(0, 0, width, height);
    if (part.isEmpty())
        return QImage();

    const QImage pixels = source.format() == QImage::Format_RGB888
                              ? source
                              : source.convertToFormat(QImage::Format_RGB888);
    QImage target = large_image::allocate(part.width(), part.height(), QImage::Format_RGB888);
    if (pixels.isNull() || target.isNull())
        throw std::bad_alloc();

    // Row addresses once, before the pixel loops.
    std::vector<const uchar*> sourceRows(static_cast<size_t>(sourceHeight));
    for (int y = 0; y < sourceHeight; ++y)
        sourceRows[size_t(y)] = pixels.constScanLine(y);
    std::vector<uchar*> targetRows(static_cast<size_t>(part.height()));
    uchar* const targetBits = target.bits();
    for (int y = 0; y < part.height(); ++y)
        targetRows[size_t(y)] = targetBits + qsizetype(y) * target.bytesPerLine();

    // Where every column and row of the whole width × height samples the source, kept for
    // the columns and rows of the part only (indexed from the part's left and top).
    const Samples columns = slice(samples(width, sourceWidth), part.left(), part.width());
    const Samples rows = slice(samples(height, sourceHeight), part.top(), part.height());
    const int partWidth = part.width();
    std::vector<int> leftOffsets(static_cast<size_t>(partWidth));
    std::vector<int> rightOffsets(static_cast<size_t>(partWidth));
    for (size_t x = 0; x < size_t(partWidth); ++x) {
        leftOffsets[x] = 3 * columns.near[x];
        rightOffsets[x] = 3 * columns.far[x];
    }

    // Each channel is p00 + (p01 - p00) fx + (p10 - p00) fy + (p11 - p01 - p10 + p00) fx fy,
    // rounded to nearest, halves to even, as evaluated in extended precision. The fast path
    // computes the same value in double as two horizontal interpolations (of the upper and
    // the lower source row, each done once per source row and reused by every target row
    // that samples it) and one vertical one. It differs from the extended value by far
    // less than 1e-9, so it decides the rounding unless it lies next to a half; only then is
    // the channel evaluated again in extended precision, whose rounding of an exact or near
    // half is the one that counts.
    const size_t values = size_t(partWidth) * 3;
    std::vector<double> firstRow(values), secondRow(values);
    double* top = firstRow.data();
    double* bottom = secondRow.data();
    int topIndex = -1, bottomIndex = -1;
    auto interpolateRow = [&](int sourceRow, double* result) {
        const uchar* const row = sourceRows[size_t(sourceRow)];
        for (size_t x = 0; x < size_t(partWidth); ++x) {
            const uchar* const a = row + leftOffsets[x];
            const uchar* const b = row + rightOffsets[x];
            const double fx = columns.fractionD[x];
            for (int ch = 0; ch < 3; ++ch)
                result[3 * x + size_t(ch)] = a[ch] + (b[ch] - a[ch]) * fx;
        }
    };

    constexpr double nearHalf = 1e-7;
    const bool allColumnsDyadic =
        std::all_of(columns.dyadic.begin(), columns.dyadic.end(), [](char d) { return d; });
    for (size_t y = 0; y < size_t(part.height()); ++y) {
        const int upper = rows.near[y];
        const int lower = rows.far[y];
        if (upper != topIndex) {
            if (upper == bottomIndex) {
                std::swap(top, bottom);
                std::swap(topIndex, bottomIndex);
            } else {
                interpolateRow(upper, top);
                topIndex = upper;
            }
        }
        if (lower != bottomIndex) {
            if (lower == topIndex) {
                std::copy(top, top + values, bottom);
            } else {
                interpolateRow(lower, bottom);
            }
            bottomIndex = lower;
        }

        const double fy = rows.fractionD[y];
        const bool rowDyadic = rows.dyadic[y];
        uchar* const out = targetRows[y];
        if (rowDyadic && allColumnsDyadic) {
            // Exact values: a half is a true tie and goes to the even neighbour, which is
            // what adding and taking away 1.5 × 2^52 does in the default rounding mode.
            constexpr double roundingShift = 6755399441055744.0;
            for (size_t i = 0; i < values; ++i) {
                const double value = top[i] + (bottom[i] - top[i]) * fy;
                const int result = int((value + roundingShift) - roundingShift);
                out[i] = uchar(result > 255 ? 255 : result);
            }
            continue;
        }
        for (size_t i = 0; i < values; ++i) {
            const double value = top[i] + (bottom[i] - top[i]) * fy;
            const int whole = int(value); // value >= 0 up to rounding: truncation floors
            const double fraction = value - whole;
            int result = whole + (fraction > 0.5 ? 1 : 0);
            if (std::fabs(fraction - 0.5) <= nearHalf) [[unlikely]] {
                const size_t x = i / 3;
                if (rowDyadic && columns.dyadic[x]) {
                    if (fraction == 0.5)
                        result = whole + (whole & 1);
                } else {
                    const size_t ch = i % 3;
                    const uchar* const up = sourceRows[size_t(upper)];
                    const uchar* const down = sourceRows[size_t(lower)];
                    result = exactChannel(
                        up[size_t(leftOffsets[x]) + ch], up[size_t(rightOffsets[x]) + ch],
                        down[size_t(leftOffsets[x]) + ch], down[size_t(rightOffsets[x]) + ch],
                        columns.fraction[x], rows.fraction[y]);
                }
            }
            out[i] = uchar(result > 255 ? 255 : result);
        }
    }
    return target;
}
