#pragma once
// Layout rules of the render driver that are useful on their own.

#include "runtime/Kdx.h"

namespace kdx {

// The symbol's extent along the reading direction with AutoSize, in pixels,
// for n data characters (after the fixed-length cuts) and module width MW.
int AutoSizeExtent(TBarCodeType Symbology, int n, bool ControlChars, TDirection Dir, int MW);

}  // namespace kdx
