#pragma once
// Rounding as the layout's formulas use it: to the nearest integer, a half going to the even
// neighbour.

#include <cmath>
#include <cstdint>

namespace rounding {

// Nearest(x) in the default floating-point rounding mode (halves to even).
inline std::int32_t nearest(double x) {
    return static_cast<std::int32_t>(std::nearbyint(x));
}

// num / den (den > 0) rounded to the nearest integer, halves to even, exactly in integers:
// products such as 381 / 2540 × 150 (22.5) land on either side of the half in floating point.
inline std::int64_t halfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) { // floor division
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0))
        ++q;
    return q;
}

} // namespace rounding
