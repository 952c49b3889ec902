#include <algorithm>
#include <string>

#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

// Code 128 symbol characters by value 0..102 (bar, space, bar, space, bar, space in modules).
const std::array<std::array<uint8_t, 6>, 103> BarMap128 = {{
    {2, 1, 2, 2, 2, 2},  // 0
    {2, 2, 2, 1, 2, 2},
    {2, 2, 2, 2, 2, 1},
    {1, 2, 1, 2, 2, 3},
    {1, 2, 1, 3, 2, 2},
    {1, 3, 1, 2, 2, 2},  // 5
    {1, 2, 2, 2, 1, 3},
    {1, 2, 2, 3, 1, 2},
    {1, 3, 2, 2, 1, 2},
    {2, 2, 1, 2, 1, 3},
    {2, 2, 1, 3, 1, 2},  // 10
    {2, 3, 1, 2, 1, 2},
    {1, 1, 2, 2, 3, 2},
    {1, 2, 2, 1, 3, 2},
    {1, 2, 2, 2, 3, 1},
    {1, 1, 3, 2, 2, 2},  // 15
    {1, 2, 3, 1, 2, 2},
    {1, 2, 3, 2, 2, 1},
    {2, 2, 3, 2, 1, 1},
    {2, 2, 1, 1, 3, 2},
    {2, 2, 1, 2, 3, 1},  // 20
    {2, 1, 3, 2, 1, 2},
    {2, 2, 3, 1, 1, 2},
    {3, 1, 2, 1, 3, 1},
    {3, 1, 1, 2, 2, 2},
    {3, 2, 1, 1, 2, 2},  // 25
    {3, 2, 1, 2, 2, 1},
    {3, 1, 2, 2, 1, 2},
    {3, 2, 2, 1, 1, 2},
    {3, 2, 2, 2, 1, 1},
    {2, 1, 2, 1, 2, 3},  // 30
    {2, 1, 2, 3, 2, 1},
    {2, 3, 2, 1, 2, 1},
    {1, 1, 1, 3, 2, 3},
    {1, 3, 1, 1, 2, 3},
    {1, 3, 1, 3, 2, 1},  // 35
    {1, 1, 2, 3, 1, 3},
    {1, 3, 2, 1, 1, 3},
    {1, 3, 2, 3, 1, 1},
    {2, 1, 1, 3, 1, 3},
    {2, 3, 1, 1, 1, 3},  // 40
    {2, 3, 1, 3, 1, 1},
    {1, 1, 2, 1, 3, 3},
    {1, 1, 2, 3, 3, 1},
    {1, 3, 2, 1, 3, 1},
    {1, 1, 3, 1, 2, 3},  // 45
    {1, 1, 3, 3, 2, 1},
    {1, 3, 3, 1, 2, 1},
    {3, 1, 3, 1, 2, 1},
    {2, 1, 1, 3, 3, 1},
    {2, 3, 1, 1, 3, 1},  // 50
    {2, 1, 3, 1, 1, 3},
    {2, 1, 3, 3, 1, 1},
    {2, 1, 3, 1, 3, 1},
    {3, 1, 1, 1, 2, 3},
    {3, 1, 1, 3, 2, 1},  // 55
    {3, 3, 1, 1, 2, 1},
    {3, 1, 2, 1, 1, 3},
    {3, 1, 2, 3, 1, 1},
    {3, 3, 2, 1, 1, 1},
    {3, 1, 4, 1, 1, 1},  // 60
    {2, 2, 1, 4, 1, 1},
    {4, 3, 1, 1, 1, 1},
    {1, 1, 1, 2, 2, 4},
    {1, 1, 1, 4, 2, 2},
    {1, 2, 1, 1, 2, 4},  // 65
    {1, 2, 1, 4, 2, 1},
    {1, 4, 1, 1, 2, 2},
    {1, 4, 1, 2, 2, 1},
    {1, 1, 2, 2, 1, 4},
    {1, 1, 2, 4, 1, 2},  // 70
    {1, 2, 2, 1, 1, 4},
    {1, 2, 2, 4, 1, 1},
    {1, 4, 2, 1, 1, 2},
    {1, 4, 2, 2, 1, 1},
    {2, 4, 1, 2, 1, 1},  // 75
    {2, 2, 1, 1, 1, 4},
    {4, 1, 3, 1, 1, 1},
    {2, 4, 1, 1, 1, 2},
    {1, 3, 4, 1, 1, 1},
    {1, 1, 1, 2, 4, 2},  // 80
    {1, 2, 1, 1, 4, 2},
    {1, 2, 1, 2, 4, 1},
    {1, 1, 4, 2, 1, 2},
    {1, 2, 4, 1, 1, 2},
    {1, 2, 4, 2, 1, 1},  // 85
    {4, 1, 1, 2, 1, 2},
    {4, 2, 1, 1, 1, 2},
    {4, 2, 1, 2, 1, 1},
    {2, 1, 2, 1, 4, 1},
    {2, 1, 4, 1, 2, 1},  // 90
    {4, 1, 2, 1, 2, 1},
    {1, 1, 1, 1, 4, 3},
    {1, 1, 1, 3, 4, 1},
    {1, 3, 1, 1, 4, 1},
    {1, 1, 4, 1, 1, 3},  // 95
    {1, 1, 4, 3, 1, 1},
    {4, 1, 1, 1, 1, 3},
    {4, 1, 1, 3, 1, 1},
    {1, 1, 3, 1, 4, 1},
    {1, 1, 4, 1, 3, 1},  // 100
    {3, 1, 1, 1, 4, 1},
    {4, 1, 1, 1, 3, 1},
}};

namespace {

constexpr int kFirstCode = 32;  // space, value 0
constexpr int kLastCode = kFirstCode + static_cast<int>(BarMap128.size()) - 1;  // 134, value 102
constexpr int kStartBValue = 104;
constexpr int kCheckModulus = 103;
constexpr int kCharModules = 11;
constexpr int kQuietZoneModules = 10;
// Start B and the stop pattern (with its termination bar) in the element alphabet.
constexpr std::string_view kStartB = "B1A2A4";
constexpr std::string_view kStop = "B3C1A1B";

// Value of a character (its code minus 32), or -1 outside 32..134.
int Code128Value(char C) {
    const int code = static_cast<unsigned char>(C);
    return code >= kFirstCode && code <= kLastCode ? code - kFirstCode : -1;
}

// The pattern row of a value; nullptr outside the table.
const std::array<uint8_t, 6>* Code128Row(int Value) {
    return Value >= 0 && Value < static_cast<int>(BarMap128.size()) ? &BarMap128[Value] : nullptr;
}

// The character of the modulo-103 check value over Start B and the data
// (weight = position from 1); values the driver refuses count 0.
char Code128CheckChar(std::string_view Data) {
    long sum = kStartBValue;
    for (size_t i = 0; i < Data.size(); ++i) sum += static_cast<long>(i + 1) * std::max(Code128Value(Data[i]), 0);
    return static_cast<char>(sum % kCheckModulus + kFirstCode);
}

}  // namespace

size_t Code128FirstUnencodable(std::string_view Data) {
    for (size_t i = 0; i < Data.size(); ++i)
        if (Code128Value(Data[i]) < 0) return i;
    return kAllEncodable;
}

void TKordix::Print_Code128(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                            bool TextOn, int /*W*/, int H) {
    const TCode& code = *FCode;
    const bool horizontal = Dir == TDirection::Horizontal;

    std::string S = Caption;
    if (code.ControlChars()) S += Code128CheckChar(Caption);
    ModulHeight = BarHeight;

    // One element in the alphabet: a bar letter or a space digit.
    auto element = [&](char E) { E >= 'A' ? Lin(ACanvas, Dir, E) : Spc(ACanvas, Dir, E); };
    for (char e : kStartB) element(e);
    FirstPos = horizontal ? CurX : CurY - ModulWidth;
    for (char ch : S) {
        const auto* row = Code128Row(Code128Value(ch));
        if (!row) continue;  // the driver refuses such data before drawing
        for (size_t e = 0; e < row->size(); ++e)
            element(static_cast<char>((e % 2 == 0 ? 'A' : '1') + (*row)[e] - 1));
    }
    for (char e : kStop) element(e);

    if (!TextOn) return;
    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    ACanvas.Pen.SetColor(FBarColor);
    if (!code.Transparent())
        ACanvas.Brush.SetColor(FBackColor);
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);
    ACanvas.Font.Assign(FFont);
    if (!horizontal) SetFontDir(ACanvas);

    // The data, and the check character with ShowCtrlsChars.
    const std::string T = code.ShowCtrlsChars() ? S : Caption;
    const int cell = kCharModules * ModulWidth;
    const bool perChar = code.TextAlignment() == TAlignment::txDensity;
    if (horizontal) {
        const int top = CurY + ModulHeight;
        if (!perChar) {
            ACanvas.TextOut(X + kQuietZoneModules * ModulWidth, top, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(FirstPos + cell * static_cast<int>(k), top, std::string(1, T[k]));
        }
    } else {
        const int x = CurX + ModulHeight;
        if (!perChar) {
            ACanvas.TextOut(x, Y + H - kQuietZoneModules * ModulWidth, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(x, FirstPos - cell * static_cast<int>(k), std::string(1, T[k]));
        }
    }
}

}  // namespace kdx
