#include <algorithm>

#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

namespace {

constexpr char kStartStop = '*';
constexpr int kWideModules = 3;
constexpr int kCharModules = 16;  // nine elements (15 modules) and the gap
constexpr int kQuietZoneModules = 10;
constexpr int kTextInsetModules = 4;  // txDensity: text this far into its cell

// Row of a Code 39 character in Bar39Char / BarMap39, or -1.
int Code39Row(char C) {
    const size_t pos = Bar39Char.find(C);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

// Check value of a character: its row, less one after the start/stop row,
// which itself has no value (-1, as for characters outside the set).
int Code39Value(char C) {
    const int row = Code39Row(C);
    if (row == kCode39StartStopRow) return -1;
    return row > kCode39StartStopRow ? row - 1 : row;
}

}  // namespace

size_t Code39FirstUnencodable(std::string_view Data) {
    for (size_t i = 0; i < Data.size(); ++i)
        if (Code39Row(Data[i]) < 0 || Data[i] == kStartStop) return i;
    return kAllEncodable;
}

char Code39CheckChar(std::string_view Data) {
    int sum = 0;
    for (char c : Data) sum += std::max(Code39Value(c), 0);
    const int v = sum % 43;
    return Bar39Char[v >= kCode39StartStopRow ? v + 1 : v];
}

void TKordix::Print_Code39(TCanvas& ACanvas, int X, int Y, TDirection Dir, int W, int H) {
    const TCode& code = *FCode;
    const bool horizontal = Dir == TDirection::Horizontal;

    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    ACanvas.Brush.SetColor(FBackColor);
    ACanvas.Pen.SetColor(code.Border() ? clBlack : FBackColor);
    if (code.Caption().empty()) return;

    std::string S = code.Caption();
    if (code.ControlChars()) S += Code39CheckChar(S);
    S = kStartStop + S + kStartStop;

    for (char ch : S) {
        const int row = Code39Row(ch);
        if (row < 0) continue;  // the driver refuses such data before drawing
        for (int e = 0; e < 9; ++e) {
            const int modules = BarMap39[row][e] ? kWideModules : 1;
            const int w = modules * ModulWidth;
            const bool bar = e % 2 == 0;
            ACanvas.Brush.SetColor(bar ? FBarColor : FBackColor);
            Rec = horizontal ? Rect(CurX, CurY, CurX + w, Y + H - TextH) : Rect(CurX, CurY, X + W - TextH, CurY - w);
            if (bar || !code.Transparent()) ACanvas.FillRect(Rec);
            Advance(Dir, modules);
        }
        Advance(Dir, 1);  // the gap between characters is never painted
    }

    if (!code.TextOn()) return;
    ACanvas.Pen.SetColor(FBarColor);
    if (!code.Transparent())
        ACanvas.Brush.SetColor(FBackColor);
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);
    ACanvas.Font.Assign(FFont);

    // The text shows the data, and the check character with ShowCtrlsChars.
    const std::string T = code.ShowCtrlsChars() ? S.substr(1, S.size() - 2) : code.Caption();
    const int cell = kCharModules * ModulWidth;
    if (horizontal) {
        const int top = Y + H - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas.TextOut(X + kQuietZoneModules * ModulWidth, top, T);
        } else {
            FirstPos = X + (kQuietZoneModules + kCharModules + kTextInsetModules) * ModulWidth;
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(FirstPos + cell * static_cast<int>(k), top, std::string(1, T[k]));
        }
    } else {
        FirstPos = Y + H - (kQuietZoneModules + kCharModules + kTextInsetModules) * ModulWidth;
        SetFontDir(ACanvas);
        const int x = X + W - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas.TextOut(x, Y + H - kQuietZoneModules * ModulWidth, T);
        } else {
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(x, FirstPos - cell * static_cast<int>(k), std::string(1, T[k]));
        }
    }
}

}  // namespace kdx
