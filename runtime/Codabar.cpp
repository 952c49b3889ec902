#include <algorithm>
#include <string>

#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

// Codabar characters by value: the character, then its seven elements (bar, space, ... bar; 1 = wide).
const std::array<std::array<uint8_t, 8>, 20> CodaBarMap = {{
    {'0', 0, 0, 0, 0, 0, 1, 1},  // 0
    {'1', 0, 0, 0, 0, 1, 1, 0},
    {'2', 0, 0, 0, 1, 0, 0, 1},
    {'3', 1, 1, 0, 0, 0, 0, 0},
    {'4', 0, 0, 1, 0, 0, 1, 0},
    {'5', 1, 0, 0, 0, 0, 1, 0},  // 5
    {'6', 0, 1, 0, 0, 0, 0, 1},
    {'7', 0, 1, 0, 0, 1, 0, 0},
    {'8', 0, 1, 1, 0, 0, 0, 0},
    {'9', 1, 0, 0, 1, 0, 0, 0},
    {'-', 0, 0, 0, 1, 1, 0, 0},  // 10
    {'$', 0, 0, 1, 1, 0, 0, 0},
    {':', 1, 0, 0, 0, 1, 0, 1},
    {'/', 1, 0, 1, 0, 0, 0, 1},
    {'.', 1, 0, 1, 0, 1, 0, 0},
    {'+', 0, 0, 1, 0, 1, 0, 1},  // 15
    {'A', 0, 0, 1, 1, 0, 1, 0},
    {'B', 0, 1, 0, 1, 0, 0, 1},
    {'C', 0, 0, 0, 1, 0, 1, 1},
    {'D', 0, 0, 0, 1, 1, 1, 0},
}};

namespace {

constexpr char kDefaultStartStop = 'A';  // supplied where the data brings no letter
constexpr int kCheckModulus = 16;
constexpr int kTextCellModules = 10;

// Value (= row) of a Codabar character, or -1 for one outside the 20.
int CodabarValue(char C) {
    for (size_t r = 0; r < CodaBarMap.size(); ++r)
        if (CodaBarMap[r][0] == static_cast<unsigned char>(C)) return static_cast<int>(r);
    return -1;
}

// The row of a value; nullptr outside the table.
const std::array<uint8_t, 8>* CodabarRow(int Value) {
    return Value >= 0 && Value < static_cast<int>(CodaBarMap.size()) ? &CodaBarMap[Value] : nullptr;
}

bool IsStartStop(char C) { return C >= 'A' && C <= 'D'; }

}  // namespace

size_t CodabarFirstUnencodable(std::string_view Data) {
    for (size_t i = 0; i < Data.size(); ++i)
        if (CodabarValue(Data[i]) < 0) return i;
    return kAllEncodable;
}

void TKordix::Print_Codabar(TCanvas& ACanvas, int /*X*/, int /*Y*/, TDirection Dir, int BarHeight,
                            std::string Caption, bool TextOn, int /*W*/, int /*H*/) {
    const TCode& code = *FCode;
    const bool horizontal = Dir == TDirection::Horizontal;
    if (Caption.empty()) return;  // no data, no symbol

    // Start and stop letters; a single letter is the start letter and gets
    // its own stop letter, so that a check character stands between the two.
    std::string S = Caption;
    if (!IsStartStop(S.front())) S.insert(S.begin(), kDefaultStartStop);
    if (S.size() == 1 || !IsStartStop(S.back())) S.push_back(kDefaultStartStop);
    // The data as shown: without the start and stop letters.
    std::string T = S.substr(1, S.size() - 2);
    if (code.ControlChars()) {
        int sum = 0;
        for (char ch : S) sum += std::max(CodabarValue(ch), 0);
        const char check = static_cast<char>(CodaBarMap[sum % kCheckModulus][0]);
        S.insert(S.end() - 1, check);
        if (code.ShowCtrlsChars()) T += check;
    }

    ModulHeight = BarHeight;
    FirstPos = horizontal ? CurX : CurY - ModulWidth;
    for (char ch : S) {
        const auto* row = CodabarRow(CodabarValue(ch));
        if (!row) continue;  // the driver refuses such data before drawing
        for (size_t e = 1; e < row->size(); ++e) {
            const int modules = (*row)[e] ? 2 : 1;
            if (e % 2 == 1)
                Lin(ACanvas, Dir, static_cast<char>('A' + modules - 1));
            else
                Spc(ACanvas, Dir, static_cast<char>('1' + modules - 1));
        }
        Spc(ACanvas, Dir, '1');  // the space after every character, the stop letter's too
    }

    if (!TextOn) return;
    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    ACanvas.Pen.SetColor(FBarColor);
    if (!code.Transparent())
        ACanvas.Brush.SetColor(FBackColor);
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);
    ACanvas.Font.Assign(FFont);
    if (!horizontal) SetFontDir(ACanvas);

    // txDensity: each character one 10-module cell further from the start letter.
    const int cell = kTextCellModules * ModulWidth;
    const bool perChar = code.TextAlignment() == TAlignment::txDensity;
    if (horizontal) {
        const int top = CurY + ModulHeight;
        if (!perChar) {
            ACanvas.TextOut(FirstPos, top, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(FirstPos + cell * static_cast<int>(k + 1), top, std::string(1, T[k]));
        }
    } else {
        const int x = CurX + ModulHeight;
        if (!perChar) {
            ACanvas.TextOut(x, FirstPos, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(x, FirstPos - cell * static_cast<int>(k + 1), std::string(1, T[k]));
        }
    }
}

}  // namespace kdx
