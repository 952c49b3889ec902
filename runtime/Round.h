#pragma once
// Rounding of the drawing code: to the nearest integer, halves to the even
// neighbour, saturated to the int range (NaN gives 0).

#include <climits>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kdx {

// std::nearbyint without the call into the maths library (it has no single
// instruction on baseline x86-64, and every element of a symbol rounds once):
// adding and removing 2^52 with v's sign leaves v rounded by the current
// rounding mode, exactly as nearbyint does; larger magnitudes are whole.
inline double NearbyInt(double v) {
    constexpr double kTwo52 = 4503599627370496.0;
    if (!(std::fabs(v) < kTwo52)) return v;
    const double big = std::copysign(kTwo52, v);
    return (v + big) - big;
}

inline int RoundInt(double v) {
#if defined(__SSE2__)
    // Inside the int range the conversion instruction rounds by the current
    // mode too, in one step; NaN and larger magnitudes take the path below.
    if (std::fabs(v) < 2147483647.0) return _mm_cvtsd_si32(_mm_set_sd(v));
#endif
    const double r = NearbyInt(v);
    if (!(r == r)) return 0;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(r);
}

}  // namespace kdx
