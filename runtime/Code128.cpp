#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the Code 128 encoder lands: the driver refuses Code 128.
namespace kdx {
size_t Code128FirstUnencodable(std::string_view) { return kAllEncodable; }
void TKordix::Print_Code128(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
}  // namespace kdx
