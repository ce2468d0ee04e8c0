#include "platform/SmoothResample.h"

#include "platform/PlatformErrors.h"

#include <cmath>
#include <new>
#include <vector>

AssertionFailure::AssertionFailure() : std::runtime_error(platform_errors::assertionFailure) {}

namespace {

// Where one target column (or row) samples the source: the two neighbouring source
// positions, clamped to the edges, and the fraction between them.
struct Sample {
    int near = 0;
    int far = 0;
    long double fraction = 0;
    double fractionD = 0; // the same fraction rounded to double, for the fast path
};

std::vector<Sample> samples(int targetCount, int sourceCount) {
    std::vector<Sample> result(static_cast<size_t>(targetCount));
    const long double scale = static_cast<long double>(sourceCount) / targetCount;
    for (int i = 0; i < targetCount; ++i) {
        const long double position = (i + 0.5L) * scale - 0.5L;
        const long double whole = std::floor(position);
        Sample& s = result[size_t(i)];
        s.fraction = position - whole;
        s.fractionD = static_cast<double>(s.fraction);
        const long long index = static_cast<long long>(whole);
        s.near = index < 0 ? 0 : (index > sourceCount - 1 ? sourceCount - 1 : int(index));
        s.far = index + 1 <= sourceCount - 1 ? int(index + 1) : sourceCount - 1;
    }
    return result;
}

// Nearest(p00 + (p01 - p00) fx + (p10 - p00) fy + (p11 - p01 - p10 + p00) fx fy), halves to
// even, as if evaluated in extended precision. The double result differs from the extended
// one by far less than 1e-9, so it decides the rounding unless it lies next to a half; only
// then is the sum evaluated again in extended precision.
inline uchar interpolate(int p00, int p01, int p10, int p11, const Sample& col, const Sample& row) {
    const double value = p00 + (p01 - p00) * col.fractionD + (p10 - p00) * row.fractionD +
                         (p11 - p01 - p10 + p00) * col.fractionD * row.fractionD;
    long result;
    const double below = std::floor(value);
    if (std::fabs(value - below - 0.5) > 1e-7) {
        result = static_cast<long>(below) + (value - below > 0.5 ? 1 : 0);
    } else {
        const long double exact = p00 + (p01 - p00) * col.fraction + (p10 - p00) * row.fraction +
                                  (p11 - p01 - p10 + p00) * col.fraction * row.fraction;
        result = std::lrint(exact); // the default rounding mode: nearest, halves to even
    }
    return uchar(result < 0 ? 0 : (result > 255 ? 255 : result));
}

} // namespace

QImage SmoothResample(const QImage& source, int width, int height) {
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw AssertionFailure();
    if (width <= 0 || height <= 0)
        return QImage();

    const QImage pixels = source.format() == QImage::Format_RGB888
                              ? source
                              : source.convertToFormat(QImage::Format_RGB888);
    QImage target(width, height, QImage::Format_RGB888);
    if (pixels.isNull() || target.isNull())
        throw std::bad_alloc();

    // Row addresses once, before the pixel loops.
    std::vector<const uchar*> sourceRows(static_cast<size_t>(sourceHeight));
    for (int y = 0; y < sourceHeight; ++y)
        sourceRows[size_t(y)] = pixels.constScanLine(y);
    std::vector<uchar*> targetRows(static_cast<size_t>(height));
    uchar* const targetBits = target.bits();
    for (int y = 0; y < height; ++y)
        targetRows[size_t(y)] = targetBits + qsizetype(y) * target.bytesPerLine();

    const std::vector<Sample> columns = samples(width, sourceWidth);
    const std::vector<Sample> rows = samples(height, sourceHeight);

    for (int y = 0; y < height; ++y) {
        const Sample& row = rows[size_t(y)];
        const uchar* upper = sourceRows[size_t(row.near)];
        const uchar* lower = sourceRows[size_t(row.far)];
        uchar* out = targetRows[size_t(y)];
        for (int x = 0; x < width; ++x) {
            const Sample& col = columns[size_t(x)];
            const int left = 3 * col.near;
            const int right = 3 * col.far;
            for (int c = 0; c < 3; ++c)
                out[c] = interpolate(upper[left + c], upper[right + c], lower[left + c],
                                     lower[right + c], col, row);
            out += 3;
        }
    }
    return target;
}
