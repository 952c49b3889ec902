#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the two-of-five encoders land: the driver refuses them.
namespace kdx {
void TKordix::Print_ITF(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_INDUSTRIAL(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_IATA(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
}  // namespace kdx
