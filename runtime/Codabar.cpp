#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the Codabar encoder lands: the driver refuses Codabar.
namespace kdx {
size_t CodabarFirstUnencodable(std::string_view) { return kAllEncodable; }
void TKordix::Print_Codabar(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
}  // namespace kdx
