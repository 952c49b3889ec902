#pragma once
// Layout rules of the render driver that are useful on their own.

#include <cstdint>

#include "runtime/Kdx.h"

namespace kdx {

// The symbol's extent along the reading direction with AutoSize, in pixels,
// for n data characters (after the fixed-length cuts) and module width MW.
int64_t AutoSizeExtent(TBarCodeType Symbology, int64_t n, bool ControlChars, TDirection Dir, int64_t MW);

// The largest module width, extent, symbol length, font height and position,
// in canvas pixels, that a drawing accepts. Larger ones are refused with a
// message, so that no coordinate overflows and no caller sizes an image of
// gigabytes after a drawing.
constexpr int64_t kMaxDrawingPixels = int64_t{1} << 20;

}  // namespace kdx
