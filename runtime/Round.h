#pragma once
// Rounding of the drawing code: to the nearest integer, halves to the even
// neighbour, saturated to the int range (NaN gives 0).

#include <climits>
#include <cmath>

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
    const double r = NearbyInt(v);
    if (!(r == r)) return 0;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(r);
}

}  // namespace kdx
