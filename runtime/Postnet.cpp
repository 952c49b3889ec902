// POSTNET: five bars per digit, two full and three half height, between two
// full frame bars, with a check digit.

#include <array>
#include <cstdint>
#include <string>

#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

namespace {

// USPS POSTNET digit patterns (bar weights 7, 4, 2, 1, 0; true = full bar), rows for 0..9.
constexpr std::array<std::array<bool, 5>, 10> kPostnetDigits = {{
    {true, true, false, false, false},  // 0 (11000: 7 + 4)
    {false, false, false, true, true},  // 1
    {false, false, true, false, true},  // 2
    {false, false, true, true, false},  // 3
    {false, true, false, false, true},  // 4
    {false, true, false, true, false},  // 5
    {false, true, true, false, false},  // 6
    {true, false, false, false, true},  // 7
    {true, false, false, true, false},  // 8
    {true, false, true, false, false},  // 9
}};

constexpr char kBar = 'A';     // every bar is one module wide
constexpr char kBarGap = '2';  // bars stand 3 modules apart
constexpr int kErrorBlockBars = 10;

// The pattern of a digit character; nothing for any other character.
const std::array<bool, 5>* PostnetPattern(char C) {
    if (C < '0' || C > '9') return nullptr;
    return &kPostnetDigits[static_cast<size_t>(C - '0')];
}

}  // namespace

std::string AddCheck_POSTNET(std::string_view Data) {
    // A 16-bit sum that wraps; a non-digit adds its code minus 48 like a digit.
    uint16_t sum = 0;
    for (unsigned char c : Data) sum = static_cast<uint16_t>(sum + (c - '0'));
    return std::string(Data) + static_cast<char>('0' + (10 - sum % 10) % 10);
}

void TKordix::Out_POSTNET(TCanvas& ACanvas, TDirection Dir, const std::array<bool, 5>& Flags) {
    for (bool full : Flags) {
        if (full)
            Lin(ACanvas, Dir, kBar);
        else
            LinS(ACanvas, Dir, kBar);
        Spc(ACanvas, Dir, kBarGap);
    }
}

void TKordix::Print_POSTNET(TCanvas& ACanvas, int, int, TDirection Dir, int BarHeight, std::string Caption, bool,
                            int, int) {
    ModulHeight = BarHeight;
    Lin(ACanvas, Dir, kBar);
    Spc(ACanvas, Dir, kBarGap);
    for (char c : AddCheck_POSTNET(Caption)) {
        if (const auto* flags = PostnetPattern(c)) {
            Out_POSTNET(ACanvas, Dir, *flags);
            continue;
        }
        // A character without a pattern shows as a solid red block. The field
        // is written directly: no change notification, no repaint.
        const TColor barColor = FBarColor;
        FBarColor = clRed;
        for (int i = 0; i < kErrorBlockBars; ++i) Lin(ACanvas, Dir, kBar);
        FBarColor = barColor;
    }
    Lin(ACanvas, Dir, kBar);
}

}  // namespace kdx
