#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the POSTNET encoder lands: the driver refuses POSTNET.
namespace kdx {
std::string AddCheck_POSTNET(std::string_view Data) { return std::string(Data); }
void TKordix::Out_POSTNET(TCanvas&, TDirection, const std::array<bool, 5>&) {}
void TKordix::Print_POSTNET(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
}  // namespace kdx
