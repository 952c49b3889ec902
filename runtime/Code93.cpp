#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the Code 93 encoder lands: the driver refuses Code 93.
namespace kdx {
size_t Code93FirstUnencodable(std::string_view) { return kAllEncodable; }
void TKordix::Print_Code93(TCanvas&, int, int, TDirection, int, int) {}
}  // namespace kdx
