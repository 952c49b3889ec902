// Two-of-five family: Interleaved 2 of 5 (ITF), Industrial 2 of 5 and IATA
// 2 of 5. Every digit is five elements of which two are wide (2 modules) and
// three narrow (1 module).

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

// Digit patterns of the published two-of-five symbologies (1 = wide), rows for 0..9.
const std::array<std::array<uint8_t, 5>, 10> ITFMatr = {{
    {0, 0, 1, 1, 0},  // 0
    {1, 0, 0, 0, 1},  // 1
    {0, 1, 0, 0, 1},  // 2
    {1, 1, 0, 0, 0},  // 3
    {0, 0, 1, 0, 1},  // 4
    {1, 0, 1, 0, 0},  // 5
    {0, 1, 1, 0, 0},  // 6
    {0, 0, 0, 1, 1},  // 7
    {1, 0, 0, 1, 0},  // 8
    {0, 1, 0, 1, 0},  // 9
}};

namespace {

// Start and stop patterns in the element alphabet ("A".."B" bars, "1".."2" spaces).
constexpr std::string_view kItfStart = "A1A1";
constexpr std::string_view kItfStop = "B1A";
constexpr std::string_view kIndustrialStart = "B1B1A1";
constexpr std::string_view kIndustrialStop = "B1A1B";
constexpr std::string_view kIataStart = "A1A1";
constexpr std::string_view kIataStop = "B1A";

constexpr int kQuietZoneModules = 10;
constexpr int kItfPitch = 7;        // modules of bars (or spaces) per ITF digit
constexpr int kDiscretePitch = 12;  // five bars and five spaces per Industrial/IATA digit

constexpr char Bar(uint8_t Wide) { return Wide ? 'B' : 'A'; }
constexpr char Space(uint8_t Wide) { return Wide ? '2' : '1'; }

// The ITFMatr row of a digit character; nothing for any other character.
const std::array<uint8_t, 5>* DigitPattern(char C) {
    if (C < '0' || C > '9') return nullptr;
    return &ITFMatr[static_cast<size_t>(C - '0')];
}

// ITF data: the first digit of each pair in the bars, the second in the
// spaces. S has an even number of characters.
std::optional<std::string> InterleavedElements(std::string_view S) {
    std::string out;
    for (size_t i = 0; i + 1 < S.size(); i += 2) {
        const auto* bars = DigitPattern(S[i]);
        const auto* spaces = DigitPattern(S[i + 1]);
        if (!bars || !spaces) return std::nullopt;
        for (size_t e = 0; e < 5; ++e) {
            out += Bar((*bars)[e]);
            out += Space((*spaces)[e]);
        }
    }
    return out;
}

// Industrial and IATA data: five bars per digit, each followed by a narrow space.
std::optional<std::string> DiscreteElements(std::string_view S) {
    std::string out;
    for (char c : S) {
        const auto* bars = DigitPattern(c);
        if (!bars) return std::nullopt;
        for (uint8_t wide : *bars) {
            out += Bar(wide);
            out += Space(0);
        }
    }
    return out;
}

// Industrial 2 of 5 check digit: weights 4, 1, 4, ... from the left.
char IndustrialCheckDigit(std::string_view S) {
    int sum = 0;
    for (size_t i = 0; i < S.size(); ++i) sum += (i % 2 == 0 ? 4 : 1) * (S[i] - '0');
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

void DrawElements(TKordix& K, TCanvas& ACanvas, TDirection Dir, std::string_view Elements) {
    for (char e : Elements) {
        if (e >= 'A')
            K.Lin(ACanvas, Dir, e);
        else
            K.Spc(ACanvas, Dir, e);
    }
}

// Where the text of the digits starts: right after the start pattern.
void SetFirstPos(TDirection Dir) { FirstPos = Dir == TDirection::Horizontal ? CurX : CurY - ModulWidth; }

// The human-readable text below the bars (right of them when vertical):
// whole from the start of the quiet zone, or one character per digit cell
// of Pitch modules from FirstPos.
void WriteText(TKordix& K, TCanvas& ACanvas, int X, int Y, TDirection Dir, int H, const std::string& T, int Pitch) {
    const TCode& code = K.Code();
    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    ACanvas.Pen.SetColor(K.BarColor());
    if (!code.Transparent())
        ACanvas.Brush.SetColor(K.BackColor());
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);
    ACanvas.Font.Assign(K.Font());

    const bool perDigit = code.TextAlignment() == TAlignment::txDensity;
    const int cell = Pitch * ModulWidth;
    if (Dir == TDirection::Horizontal) {
        const int top = CurY + ModulHeight;
        if (!perDigit)
            ACanvas.TextOut(X + kQuietZoneModules * ModulWidth, top, T);
        else
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(FirstPos + cell * static_cast<int>(k), top, std::string(1, T[k]));
    } else {
        K.SetFontDir(ACanvas);
        const int left = CurX + ModulHeight;
        if (!perDigit)
            ACanvas.TextOut(left, Y + H - kQuietZoneModules * ModulWidth, T);
        else
            for (size_t k = 0; k < T.size(); ++k)
                ACanvas.TextOut(left, FirstPos - cell * static_cast<int>(k), std::string(1, T[k]));
    }
}

}  // namespace

void TKordix::Print_ITF(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                        bool TextOn, int, int H) {
    // A leading zero makes the digit count, check digit included, even.
    std::string S = std::move(Caption);
    if (FCode->ControlChars()) {
        if (S.size() % 2 == 0) S = "0" + S;
        S = AddCheck_Mod10(S);
    } else if (S.size() % 2 == 1) {
        S = "0" + S;
    }
    const auto data = InterleavedElements(S);
    if (!data) return;  // the driver refuses non-digits before anything is drawn

    ModulHeight = BarHeight;
    DrawElements(*this, ACanvas, Dir, kItfStart);
    SetFirstPos(Dir);
    DrawElements(*this, ACanvas, Dir, *data);
    DrawElements(*this, ACanvas, Dir, kItfStop);
    if (TextOn) WriteText(*this, ACanvas, X, Y, Dir, H, S, kItfPitch);
}

void TKordix::Print_INDUSTRIAL(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                               bool TextOn, int, int H) {
    const bool check = FCode->ControlChars();
    const std::string S = check ? Caption + IndustrialCheckDigit(Caption) : Caption;
    const auto data = DiscreteElements(S);
    if (!data) return;  // the driver refuses non-digits before anything is drawn

    ModulHeight = BarHeight;
    DrawElements(*this, ACanvas, Dir, kIndustrialStart);
    SetFirstPos(Dir);
    DrawElements(*this, ACanvas, Dir, *data);
    DrawElements(*this, ACanvas, Dir, kIndustrialStop);
    // The check digit shows only with ShowCtrlsChars; the data always shows.
    const std::string& T = check && !FCode->ShowCtrlsChars() ? Caption : S;
    if (TextOn) WriteText(*this, ACanvas, X, Y, Dir, H, T, kDiscretePitch);
}

void TKordix::Print_IATA(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                         bool TextOn, int, int H) {
    const auto data = DiscreteElements(Caption);
    if (!data) return;  // the driver refuses non-digits before anything is drawn

    ModulHeight = BarHeight;
    DrawElements(*this, ACanvas, Dir, kIataStart);
    SetFirstPos(Dir);
    DrawElements(*this, ACanvas, Dir, *data);
    DrawElements(*this, ACanvas, Dir, kIataStop);
    if (TextOn) WriteText(*this, ACanvas, X, Y, Dir, H, Caption, kDiscretePitch);
}

}  // namespace kdx
