#include <string>
#include <vector>

#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

// Code 93 text of each value: the 43 data characters, then the four shift
// characters shown as "+", ",", minus and full stop.
constexpr std::string_view kBar93Text = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%+,-.";
const std::string_view Bar93Char = kBar93Text;

// Code 93 symbol characters by value (bar, space, bar, space, bar, space in modules).
const std::array<std::array<uint8_t, 6>, 48> BarMap93 = {{
    {1, 3, 1, 1, 1, 2},  // 0  "0"
    {1, 1, 1, 2, 1, 3},  //    "1"
    {1, 1, 1, 3, 1, 2},  //    "2"
    {1, 1, 1, 4, 1, 1},  //    "3"
    {1, 2, 1, 1, 1, 3},  //    "4"
    {1, 2, 1, 2, 1, 2},  // 5  "5"
    {1, 2, 1, 3, 1, 1},  //    "6"
    {1, 1, 1, 1, 1, 4},  //    "7"
    {1, 3, 1, 2, 1, 1},  //    "8"
    {1, 4, 1, 1, 1, 1},  //    "9"
    {2, 1, 1, 1, 1, 3},  // 10 "A"
    {2, 1, 1, 2, 1, 2},  //    "B"
    {2, 1, 1, 3, 1, 1},  //    "C"
    {2, 2, 1, 1, 1, 2},  //    "D"
    {2, 2, 1, 2, 1, 1},  //    "E"
    {2, 3, 1, 1, 1, 1},  // 15 "F"
    {1, 1, 2, 1, 1, 3},  //    "G"
    {1, 1, 2, 2, 1, 2},  //    "H"
    {1, 1, 2, 3, 1, 1},  //    "I"
    {1, 2, 2, 1, 1, 2},  //    "J"
    {1, 3, 2, 1, 1, 1},  // 20 "K"
    {1, 1, 1, 1, 2, 3},  //    "L"
    {1, 1, 1, 2, 2, 2},  //    "M"
    {1, 1, 1, 3, 2, 1},  //    "N"
    {1, 2, 1, 1, 2, 2},  //    "O"
    {1, 3, 1, 1, 2, 1},  // 25 "P"
    {2, 1, 2, 1, 1, 2},  //    "Q"
    {2, 1, 2, 2, 1, 1},  //    "R"
    {2, 1, 1, 1, 2, 2},  //    "S"
    {2, 1, 1, 2, 2, 1},  //    "T"
    {2, 2, 1, 1, 2, 1},  // 30 "U"
    {2, 2, 2, 1, 1, 1},  //    "V"
    {1, 1, 2, 1, 2, 2},  //    "W"
    {1, 1, 2, 2, 2, 1},  //    "X"
    {1, 2, 2, 1, 2, 1},  //    "Y"
    {1, 2, 3, 1, 1, 1},  // 35 "Z"
    {1, 2, 1, 1, 3, 1},  //    "-"
    {3, 1, 1, 1, 1, 2},  //    "."
    {3, 1, 1, 2, 1, 1},  //    " "
    {3, 2, 1, 1, 1, 1},  //    "$"
    {1, 1, 2, 1, 3, 1},  // 40 "/"
    {1, 1, 3, 1, 2, 1},  //    "+"
    {2, 1, 1, 1, 3, 1},  //    "%"
    {1, 2, 1, 2, 2, 1},  //    shift ($)
    {3, 1, 2, 1, 1, 1},  //    shift (%)
    {3, 1, 1, 1, 2, 1},  // 45 shift (/)
    {1, 2, 2, 2, 1, 1},  //    shift (+)
    {1, 1, 1, 1, 4, 1},  //    start/stop "*"
}};

namespace {

constexpr int kDataCharCount = 43;
constexpr int kStartStop = 47;
constexpr int kCheckModulus = 47;
constexpr int kCWeightCycle = 20;
constexpr int kKWeightCycle = 15;
constexpr int kCharModules = 9;
constexpr int kQuietZoneModules = 10;
constexpr int kVerticalTextStartModules = 16;  // txLeft, vertical: 6 modules below the first bar

static_assert(kBar93Text.size() == kStartStop, "one text per value below start/stop");
static_assert(BarMap93.size() == kStartStop + 1, "one pattern row per value");

// Value of a data character, or -1 for a character outside the 43 (the
// start/stop "*" included: it has no data value).
int Code93Value(char C) {
    const size_t pos = kBar93Text.substr(0, kDataCharCount).find(C);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

// The pattern row of a value; nullptr outside the table.
const std::array<uint8_t, 6>* Code93Row(int Value) {
    return Value >= 0 && Value < static_cast<int>(BarMap93.size()) ? &BarMap93[Value] : nullptr;
}

// Weighted sum mod 47, weights 1, 2, ... from the last value leftwards,
// back to 1 after Cycle.
int WeightedCheck(const std::vector<int>& Values, int Cycle) {
    int sum = 0;
    int weight = 1;
    for (auto it = Values.rbegin(); it != Values.rend(); ++it) {
        sum += weight * *it;
        weight = weight == Cycle ? 1 : weight + 1;
    }
    return sum % kCheckModulus;
}

}  // namespace

size_t Code93FirstUnencodable(std::string_view Data) {
    for (size_t i = 0; i < Data.size(); ++i)
        if (Code93Value(Data[i]) < 0) return i;
    return kAllEncodable;
}

void TKordix::Print_Code93(TCanvas& ACanvas, int X, int Y, TDirection Dir, int W, int H) {
    const TCode& code = *FCode;
    const bool horizontal = Dir == TDirection::Horizontal;

    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    ACanvas.Pen.SetColor(code.Border() ? clBlack : FBackColor);
    if (code.Caption().empty()) return;

    // Values of the data (characters without one are refused by the driver),
    // then C over the data and K over the data and C.
    std::vector<int> values;
    for (char ch : code.Caption())
        if (const int v = Code93Value(ch); v >= 0) values.push_back(v);
    std::string checkText;
    if (code.ControlChars()) {
        const int c = WeightedCheck(values, kCWeightCycle);
        values.push_back(c);
        const int k = WeightedCheck(values, kKWeightCycle);
        values.push_back(k);
        checkText = {Bar93Char[c], Bar93Char[k]};
    }
    values.insert(values.begin(), kStartStop);
    values.push_back(kStartStop);

    auto element = [&](int modules) {
        const int w = modules * ModulWidth;
        return horizontal ? Rect(CurX, CurY, CurX + w, Y + H - TextH) : Rect(CurX, CurY, X + W - TextH, CurY - w);
    };
    for (int v : values) {
        const auto* row = Code93Row(v);
        if (!row) continue;
        for (size_t e = 0; e < row->size(); ++e) {
            const bool bar = e % 2 == 0;
            ACanvas.Brush.SetColor(bar ? FBarColor : FBackColor);
            Rec = element((*row)[e]);
            if (bar || !code.Transparent()) ACanvas.FillRect(Rec);
            Advance(Dir, (*row)[e]);
        }
    }
    // The termination bar closes the stop character; the position stays.
    ACanvas.Brush.SetColor(FBarColor);
    Rec = element(1);
    ACanvas.FillRect(Rec);

    if (!code.TextOn()) return;
    ACanvas.Pen.SetColor(FBarColor);
    ACanvas.Font.Assign(FFont);
    if (!code.Transparent())
        ACanvas.Brush.SetColor(FBackColor);
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);

    // The data, and the texts of C and K with ShowCtrlsChars.
    const std::string T = code.ShowCtrlsChars() ? code.Caption() + checkText : code.Caption();
    const int cell = kCharModules * ModulWidth;
    if (horizontal) {
        const int top = Y + H - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas.TextOut(X + kQuietZoneModules * ModulWidth, top, T);
        } else {
            FirstPos = X + (kQuietZoneModules + kCharModules + 1) * ModulWidth;
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(FirstPos + cell * static_cast<int>(k), top, std::string(1, T[k]));
        }
    } else {
        FirstPos = Y + H - (kQuietZoneModules + kCharModules + 1) * ModulWidth;
        SetFontDir(ACanvas);
        const int x = X + W - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas.TextOut(x, Y + H - kVerticalTextStartModules * ModulWidth, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(x, FirstPos - cell * static_cast<int>(k), std::string(1, T[k]));
        }
    }
}

}  // namespace kdx
