#pragma once
// Rounding of the drawing code: to the nearest integer, halves to the even
// neighbour, saturated to the int range (NaN gives 0).

#include <climits>
#include <cmath>

namespace kdx {

inline int RoundInt(double v) {
    const double r = std::nearbyint(v);
    if (!(r == r)) return 0;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(r);
}

}  // namespace kdx
