#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

// Placeholder until the EAN/UPC encoders land: the driver refuses them.
namespace kdx {
std::string AddCheck_EAN13(std::string_view Data) { return std::string(Data); }
std::string AddCheck_Mod10(std::string_view Data) { return std::string(Data); }
std::string AddCheck_UPCA(std::string_view Data) { return std::string(Data); }
void TKordix::Print_EAN13(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_EAN8(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_UPCA(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_EAN13_2AddOn(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
void TKordix::Print_EAN13_5AddOn(TCanvas&, int, int, TDirection, int, std::string, bool, int, int) {}
}  // namespace kdx
