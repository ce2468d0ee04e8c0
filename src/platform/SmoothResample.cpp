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

// Where the part of the target samples the source: row addresses of the source (taken once,
// before the pixel loops), the samples of the part's columns and rows (indexed from its left
// and top) and the byte offsets of the two source pixels each column reads.
struct Grid {
    std::vector<const uchar*> sourceRows;
    Samples columns;
    Samples rows;
    std::vector<int> leftOffsets;
    std::vector<int> rightOffsets;
    bool allColumnsDyadic = false;
};

Grid grid(const QImage& pixels, int width, int height, const QRect& part) {
    Grid result;
    result.sourceRows.resize(static_cast<size_t>(pixels.height()));
    for (int y = 0; y < pixels.height(); ++y)
        result.sourceRows[size_t(y)] = pixels.constScanLine(y);
    // Where every column and row of the whole width × height samples the source, kept for the
    // columns and rows of the part only.
    result.columns = slice(samples(width, pixels.width()), part.left(), part.width());
    result.rows = slice(samples(height, pixels.height()), part.top(), part.height());
    const auto partWidth = static_cast<size_t>(part.width());
    result.leftOffsets.resize(partWidth);
    result.rightOffsets.resize(partWidth);
    for (size_t x = 0; x < partWidth; ++x) {
        result.leftOffsets[x] = 3 * result.columns.near[x];
        result.rightOffsets[x] = 3 * result.columns.far[x];
    }
    result.allColumnsDyadic = std::all_of(result.columns.dyadic.begin(),
                                          result.columns.dyadic.end(), [](char d) { return d; });
    return result;
}

// The horizontal interpolations (in double) of the upper and the lower source row of the
// target row being made. Each is done once per source row and reused by every target row
// that samples it.
class RowPair {
public:
    explicit RowPair(const Grid& grid)
        : grid_(grid), values_(grid.leftOffsets.size() * 3), first_(values_), second_(values_) {}
    RowPair(const RowPair&) = delete; // top_ and bottom_ point into this object's rows
    RowPair& operator=(const RowPair&) = delete;

    size_t values() const { return values_; }
    const double* top() const { return top_; }
    const double* bottom() const { return bottom_; }

    // Makes top() the interpolation of source row upper and bottom() that of lower.
    void moveTo(int upper, int lower) {
        if (upper != topIndex_) {
            if (upper == bottomIndex_) {
                std::swap(top_, bottom_);
                std::swap(topIndex_, bottomIndex_);
            } else {
                interpolate(upper, top_);
                topIndex_ = upper;
            }
        }
        if (lower != bottomIndex_) {
            if (lower == topIndex_)
                std::copy(top_, top_ + values_, bottom_);
            else
                interpolate(lower, bottom_);
            bottomIndex_ = lower;
        }
    }

private:
    void interpolate(int sourceRow, double* result) const {
        const uchar* const row = grid_.sourceRows[size_t(sourceRow)];
        const int* const leftOffsets = grid_.leftOffsets.data();
        const int* const rightOffsets = grid_.rightOffsets.data();
        const double* const fractions = grid_.columns.fractionD.data();
        const size_t width = grid_.leftOffsets.size();
        for (size_t x = 0; x < width; ++x) {
            const uchar* const a = row + leftOffsets[x];
            const uchar* const b = row + rightOffsets[x];
            const double fx = fractions[x];
            for (int ch = 0; ch < 3; ++ch)
                result[3 * x + size_t(ch)] = a[ch] + (b[ch] - a[ch]) * fx;
        }
    }

    const Grid& grid_;
    size_t values_;
    std::vector<double> first_;
    std::vector<double> second_;
    double* top_ = first_.data();
    double* bottom_ = second_.data();
    int topIndex_ = -1;
    int bottomIndex_ = -1;
};

// One target row when every fraction of it is a short binary fraction: the double values are
// exact, so a half is a true tie and goes to the even neighbour, which is what adding and
// taking away 1.5 × 2^52 does in the default rounding mode.
void roundExactRow(const double* top, const double* bottom, double fy, size_t values, uchar* out) {
    constexpr double roundingShift = 6755399441055744.0;
    for (size_t i = 0; i < values; ++i) {
        const double value = top[i] + (bottom[i] - top[i]) * fy;
        const int result = int((value + roundingShift) - roundingShift);
        out[i] = uchar(result > 255 ? 255 : result);
    }
}

// One target row (y of the part) from the double interpolations, which differ from the
// extended value by far less than 1e-9 and so decide the rounding unless a value lies next to
// a half; only then is the channel evaluated again in extended precision, whose rounding of an
// exact or near half is the one that counts.
void roundRow(const Grid& grid, const RowPair& pair, size_t y, uchar* out) {
    constexpr double nearHalf = 1e-7;
    const double* const top = pair.top();
    const double* const bottom = pair.bottom();
    const size_t values = pair.values();
    const double fy = grid.rows.fractionD[y];
    const bool rowDyadic = grid.rows.dyadic[y];
    for (size_t i = 0; i < values; ++i) {
        const double value = top[i] + (bottom[i] - top[i]) * fy;
        const int whole = int(value); // value >= 0 up to rounding: truncation floors
        const double fraction = value - whole;
        int result = whole + (fraction > 0.5 ? 1 : 0);
        if (std::fabs(fraction - 0.5) <= nearHalf) [[unlikely]] {
            const size_t x = i / 3;
            if (rowDyadic && grid.columns.dyadic[x]) {
                if (fraction == 0.5)
                    result = whole + (whole & 1);
            } else {
                const size_t ch = i % 3;
                const size_t left = size_t(grid.leftOffsets[x]) + ch;
                const size_t right = size_t(grid.rightOffsets[x]) + ch;
                const uchar* const up = grid.sourceRows[size_t(grid.rows.near[y])];
                const uchar* const down = grid.sourceRows[size_t(grid.rows.far[y])];
                result = exactChannel(up[left], up[right], down[left], down[right],
                                      grid.columns.fraction[x], grid.rows.fraction[y]);
            }
        }
        out[i] = uchar(result > 255 ? 255 : result);
    }
}

} // namespace

QImage SmoothResample(const QImage& source, int width, int height) {
    return SmoothResample(source, width, height, QRect(0, 0, width, height));
}

QImage SmoothResample(const QImage& source, int width, int height, const QRect& wanted) {
    if (source.width() < 1 || source.height() < 1)
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

    // Each channel is p00 + (p01 - p00) fx + (p10 - p00) fy + (p11 - p01 - p10 + p00) fx fy,
    // rounded to nearest, halves to even, as evaluated in extended precision. The fast path
    // computes the same value in double as two horizontal interpolations and one vertical one.
    const Grid samplesOfPart = grid(pixels, width, height, part);
    RowPair pair(samplesOfPart);
    uchar* const targetBits = target.bits();
    for (size_t y = 0; y < size_t(part.height()); ++y) {
        pair.moveTo(samplesOfPart.rows.near[y], samplesOfPart.rows.far[y]);
        uchar* const out = targetBits + qsizetype(y) * target.bytesPerLine();
        if (samplesOfPart.rows.dyadic[y] && samplesOfPart.allColumnsDyadic)
            roundExactRow(pair.top(), pair.bottom(), samplesOfPart.rows.fractionD[y], pair.values(),
                          out);
        else
            roundRow(samplesOfPart, pair, y, out);
    }
    return target;
}
