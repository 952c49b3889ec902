// The EAN/UPC family: EAN-13, EAN-8, UPC-A and EAN-13 with a 2- or 5-digit
// add-on; their parity tables and check-digit routines.

#include <algorithm>
#include <string>

#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"

namespace kdx {

// EAN-13 parity of the six left-half digits by leading digit (ISO/IEC 15420).
const std::array<std::array<uint8_t, 6>, 10> Sada = {{
    {0, 0, 0, 0, 0, 0},  // 0 LLLLLL
    {0, 0, 1, 0, 1, 1},  //   LLGLGG
    {0, 0, 1, 1, 0, 1},  //   LLGGLG
    {0, 0, 1, 1, 1, 0},  //   LLGGGL
    {0, 1, 0, 0, 1, 1},  //   LGLLGG
    {0, 1, 1, 0, 0, 1},  // 5 LGGLLG
    {0, 1, 1, 1, 0, 0},  //   LGGGLL
    {0, 1, 0, 1, 0, 1},  //   LGLGLG
    {0, 1, 0, 1, 1, 0},  //   LGLGGL
    {0, 1, 1, 0, 1, 0},  //   LGGLGL
}};

// Five-digit add-on parity by check value (ISO/IEC 15420), as set offsets.
const std::array<std::array<uint8_t, 5>, 10> Add5Matr = {{
    {10, 10, 20, 20, 20},  // 0 GGLLL
    {10, 20, 10, 20, 20},  //   GLGLL
    {10, 20, 20, 10, 20},  //   GLLGL
    {10, 20, 20, 20, 10},  //   GLLLG
    {20, 10, 10, 20, 20},  //   LGGLL
    {20, 20, 10, 10, 20},  // 5 LLGGL
    {20, 20, 20, 10, 10},  //   LLLGG
    {20, 10, 20, 10, 20},  //   LGLGL
    {20, 10, 20, 20, 10},  //   LGLLG
    {20, 20, 10, 20, 10},  //   LLGLG
}};

namespace {

constexpr size_t kEAN13Data = 12;
constexpr size_t kEAN8Data = 7;
constexpr size_t kUPCAData = 11;
constexpr size_t kAddOn2Length = kEAN13Data + 2;
constexpr size_t kAddOn5Length = kEAN13Data + 5;

constexpr int kGuardExtraModules = 5;  // guard bars reach this far into the text band
constexpr int kDigitModules = 7;
constexpr int kAddOnGapModules = 8;
constexpr int kAddOnTextPitch = 9;  // a digit and its separator
constexpr int kEAN13TextInset = 4;  // pixels, left-half digits of the plain EAN-13
constexpr int kMinFontPoints = 1;
constexpr int kUPCAOuterSmaller = 2;  // points

// Offsets added to a digit character to select its set (Out_char: patern
// R, G, L; Out_char8: patern8 L, R).
constexpr int kSetR = 0, kSetG = 10, kSetL = 20;
constexpr int kSet8L = 0, kSet8R = 10;

// Guards and add-on elements in the element alphabet.
constexpr std::string_view kNormalGuard = "A1A";
constexpr std::string_view kCentreGuard = "1A1A1";
constexpr std::string_view kAddOnStart = "A1B";
constexpr std::string_view kAddOnSeparator = "1A";

int DigitValue(char C) { return C >= '0' && C <= '9' ? C - '0' : 0; }

bool AllDigits(std::string_view Data) { return FirstNonDigit(Data) == kAllEncodable; }

// The row of Table at Index, or nullptr for an index outside the table.
template <class Table>
const typename Table::value_type* TableRow(const Table& Rows, int Index) {
    return Index >= 0 && static_cast<size_t>(Index) < Rows.size() ? &Rows[static_cast<size_t>(Index)] : nullptr;
}

char WithSet(char Digit, int Set) { return static_cast<char>(Digit + Set); }

// The reading-direction coordinate of the next element.
int Along(TDirection Dir) { return Dir == TDirection::Horizontal ? CurX : CurY; }

void DrawElements(TKordix& Control, TCanvas& ACanvas, TDirection Dir, std::string_view Elements) {
    for (char e : Elements) {
        if (BarModules(e) > 0)
            Control.Lin(ACanvas, Dir, e);
        else
            Control.Spc(ACanvas, Dir, e);
    }
}

int GuardHeight(int BarHeight) { return BarHeight + kGuardExtraModules * ModulWidth; }

// Text cells in the background colour, or no cells when transparent.
void TextBackground(TKordix& Control, TCanvas& ACanvas) {
    if (!Control.Code().Transparent())
        ACanvas.Brush.SetColor(Control.BackColor());
    else
        SetBkMode(ACanvas.Handle(), TRANSPARENT);
}

// Text alignment, background, and the turned font.
void BeginText(TKordix& Control, TCanvas& ACanvas, TDirection Dir) {
    SetTextAlign(ACanvas.Handle(), TA_LEFT | TA_TOP);
    TextBackground(Control, ACanvas);
    if (Dir == TDirection::Vertical) Control.SetFontDir(ACanvas);
}

// Writes Text with its cell at Along on the reading direction and Across
// the bars (x, y when horizontal; y, x when vertical).
void Put(TCanvas& ACanvas, TDirection Dir, int AlongPos, int Across, std::string_view Text) {
    if (Dir == TDirection::Horizontal)
        ACanvas.TextOut(AlongPos, Across, std::string(Text));
    else
        ACanvas.TextOut(Across, AlongPos, std::string(Text));
}

// Writes Digits one by one, PitchModules apart from Start along the reading
// direction (rightwards or upwards).
void PutDigitRun(TCanvas& ACanvas, TDirection Dir, int Start, int Across, std::string_view Digits, int PitchModules) {
    const int sign = Dir == TDirection::Horizontal ? 1 : -1;
    for (size_t k = 0; k < Digits.size(); ++k)
        Put(ACanvas, Dir, Start + sign * static_cast<int>(k) * PitchModules * ModulWidth, Across, Digits.substr(k, 1));
}

// The text line of the digits below the data bars (right of them vertically).
int TextLine(TDirection Dir, int BarHeight) {
    return Dir == TDirection::Horizontal ? CurY + BarHeight : CurX + BarHeight + 2;
}

// The 95 modules of an EAN-13 symbol for twelve digits; returns the thirteen
// digits with the check digit. FirstPosInset is added horizontally.
std::string DrawEAN13Bars(TKordix& Control, TCanvas& ACanvas, TDirection Dir, int BarHeight, std::string_view Data,
                          int FirstPosInset) {
    const int guard = GuardHeight(BarHeight);
    ModulHeight = guard;
    DrawElements(Control, ACanvas, Dir, kNormalGuard);
    FirstPos = Along(Dir) + (Dir == TDirection::Horizontal ? FirstPosInset : 0);

    ModulHeight = BarHeight;
    const std::string S = AddCheck_EAN13(Data);
    // The leading digit is carried by the parity of the left half only.
    if (const auto* parity = TableRow(Sada, DigitValue(S[0]))) std::copy(parity->begin(), parity->end(), Matr.begin());
    for (size_t k = 0; k < Matr.size(); ++k) Control.Out_char(ACanvas, Dir, WithSet(S[k + 1], Matr[k] ? kSetG : kSetL));

    ModulHeight = guard;
    DrawElements(Control, ACanvas, Dir, kCentreGuard);
    SecondPos = Along(Dir);

    ModulHeight = BarHeight;
    for (size_t i = 7; i < S.size(); ++i) Control.Out_char(ACanvas, Dir, WithSet(S[i], kSetR));

    ModulHeight = guard;
    DrawElements(Control, ACanvas, Dir, kNormalGuard);
    ModulHeight = BarHeight;
    return S;
}

// The thirteen digits: the leading one at the box edge in the quiet zone,
// the others at the start of their own patterns.
void PutEAN13Text(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, int H, std::string_view S) {
    const int line = TextLine(Dir, BarHeight);
    Put(ACanvas, Dir, Dir == TDirection::Horizontal ? X : Y + H, line, S.substr(0, 1));
    PutDigitRun(ACanvas, Dir, FirstPos, line, S.substr(1, 6), kDigitModules);
    PutDigitRun(ACanvas, Dir, SecondPos, line, S.substr(7, 6), kDigitModules);
}

// The add-on after an 8-module gap, displaced and shortened by TextH, with its
// digits above it; Sets holds the set offset of each digit.
template <size_t N>
void DrawAddOn(TKordix& Control, TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, bool TextOn,
               std::string_view Digits, const std::array<uint8_t, N>& Sets) {
    Advance(Dir, kAddOnGapModules);
    (Dir == TDirection::Horizontal ? CurY : CurX) += TextH;
    ModulHeight = BarHeight - TextH;
    DrawElements(Control, ACanvas, Dir, kAddOnStart);
    FirstPos = Along(Dir);
    for (size_t i = 0; i < N; ++i) {
        if (i > 0) DrawElements(Control, ACanvas, Dir, kAddOnSeparator);
        Control.Out_char(ACanvas, Dir, WithSet(Digits[i], Sets[i]));
    }
    if (!TextOn) return;
    TextBackground(Control, ACanvas);  // the bars left the brush in the bar colour
    PutDigitRun(ACanvas, Dir, FirstPos, Dir == TDirection::Horizontal ? Y : X, Digits.substr(0, N), kAddOnTextPitch);
}

// Sets the canvas font size, turning the font again when vertical.
void SetFontSize(TKordix& Control, TCanvas& ACanvas, TDirection Dir, int Points) {
    ACanvas.Font.SetSize(Points);
    if (Dir == TDirection::Vertical) Control.SetFontDir(ACanvas);
}

// Lowers the canvas font a point at a time until Text fits in Span, but not
// below 1 point, so that it ends on any canvas. Returns the size reached.
// (Hinted widths can stay equal between neighbouring sizes, so an unchanged
// width is no reason to stop.)
int FitFontSize(TKordix& Control, TCanvas& ACanvas, TDirection Dir, const std::string& Text, int Span) {
    int size = ACanvas.Font.Size();
    while (size > kMinFontPoints && ACanvas.TextWidth(Text) > Span) SetFontSize(Control, ACanvas, Dir, --size);
    return size;
}

}  // namespace

// ---- Check digits

std::string AddCheck_EAN13(std::string_view Data) {
    for (size_t i = 0; i < kEAN13Data; ++i) {
        const std::string_view ch = i < Data.size() ? Data.substr(i, 1) : std::string_view();
        K = ValErrorPos(ch);
        Pole[i] = static_cast<uint8_t>(K == 0 ? DigitValue(ch[0]) : 0);
    }
    // 120 less the odd-position digits and the even-position digits times 3
    // (each mod 10): the weighted sum's complement, never below 0.
    CS = 120;
    for (size_t i = 0; i < kEAN13Data; ++i)
        CS = static_cast<uint16_t>(CS - (i % 2 == 0 ? Pole[i] : (3 * Pole[i]) % 10));
    CS = static_cast<uint16_t>(CS % 10);
    Pole[kEAN13Data] = static_cast<uint8_t>(CS);
    return std::string(Data) + static_cast<char>('0' + CS);
}

std::string AddCheck_Mod10(std::string_view Data) {
    int sum = 0;
    for (size_t i = 0; i < Data.size(); ++i) sum += (i % 2 == 0 ? 3 : 1) * DigitValue(Data[i]);
    return std::string(Data) + static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string AddCheck_UPCA(std::string_view Data) {
    int odd = 0, even = 0;
    for (size_t i = 0; i < std::min(Data.size(), kUPCAData); ++i) (i % 2 == 0 ? odd : even) += DigitValue(Data[i]);
    const int d = (3 * odd + even) % 10;
    return std::string(Data) + static_cast<char>('0' + (10 - d) % 10);
}

// ---- Encoders. Each draws nothing for data of the wrong length or with a
// character other than a digit (the driver has refused such data already).

void TKordix::Print_EAN13(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                          bool TextOn, int, int H) {
    if (Caption.size() != kEAN13Data || !AllDigits(Caption)) return;
    const std::string S = DrawEAN13Bars(*this, ACanvas, Dir, BarHeight, Caption, kEAN13TextInset);
    if (!TextOn) return;
    BeginText(*this, ACanvas, Dir);
    PutEAN13Text(ACanvas, X, Y, Dir, BarHeight, H, S);
}

void TKordix::Print_EAN8(TCanvas& ACanvas, int, int, TDirection Dir, int BarHeight, std::string Caption, bool TextOn,
                         int, int) {
    if (Caption.size() != kEAN8Data || !AllDigits(Caption)) return;
    const int guard = GuardHeight(BarHeight);
    ModulHeight = guard;
    DrawElements(*this, ACanvas, Dir, kNormalGuard);
    FirstPos = Along(Dir);

    ModulHeight = BarHeight;
    const std::string S = AddCheck_Mod10(Caption);
    for (size_t i = 0; i < 4; ++i) Out_char8(ACanvas, Dir, WithSet(S[i], kSet8L));

    ModulHeight = guard;
    DrawElements(*this, ACanvas, Dir, kCentreGuard);
    ModulHeight = BarHeight;
    SecondPos = Along(Dir);
    for (size_t i = 4; i < S.size(); ++i) Out_char8(ACanvas, Dir, WithSet(S[i], kSet8R));

    ModulHeight = guard;
    DrawElements(*this, ACanvas, Dir, kNormalGuard);
    ModulHeight = BarHeight;

    if (!TextOn) return;
    BeginText(*this, ACanvas, Dir);
    const int line = TextLine(Dir, BarHeight);
    PutDigitRun(ACanvas, Dir, FirstPos, line, std::string_view(S).substr(0, 4), kDigitModules);
    PutDigitRun(ACanvas, Dir, SecondPos, line, std::string_view(S).substr(4, 4), kDigitModules);
}

void TKordix::Print_UPCA(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                         bool TextOn, int, int H) {
    if (Caption.size() != kUPCAData || !AllDigits(Caption)) return;
    const bool horizontal = Dir == TDirection::Horizontal;
    // The outer digits and the guards are long only when the text is shown.
    const int tall = TextOn ? GuardHeight(BarHeight) : BarHeight;

    ModulHeight = tall;
    DrawElements(*this, ACanvas, Dir, kNormalGuard);
    const std::string S = AddCheck_UPCA(Caption);
    Out_char8(ACanvas, Dir, WithSet(S[0], kSet8L));

    ModulHeight = BarHeight;
    FirstPos = horizontal ? CurX + 1 : CurY - 1;  // one pixel inside digit 2
    for (size_t i = 1; i < 6; ++i) Out_char8(ACanvas, Dir, WithSet(S[i], kSet8L));
    const int span = horizontal ? CurX - FirstPos : FirstPos - CurY;

    ModulHeight = tall;
    DrawElements(*this, ACanvas, Dir, kCentreGuard);
    ModulHeight = BarHeight;
    SecondPos = Along(Dir);
    for (size_t i = 6; i < 11; ++i) Out_char8(ACanvas, Dir, WithSet(S[i], kSet8R));

    ModulHeight = tall;
    Out_char8(ACanvas, Dir, WithSet(S[11], kSet8R));
    DrawElements(*this, ACanvas, Dir, kNormalGuard);
    ModulHeight = BarHeight;

    if (!TextOn) return;
    BeginText(*this, ACanvas, Dir);
    // Six characters are measured for the five digits of each half.
    const int inner = FitFontSize(*this, ACanvas, Dir, S.substr(1, 6), span);
    const int outer = std::max(inner - kUPCAOuterSmaller, kMinFontPoints);
    const int outerLine = horizontal ? CurY + BarHeight + 2 : CurX + BarHeight + 6;
    const int inset = 3 * ModulWidth;

    SetFontSize(*this, ACanvas, Dir, outer);
    Put(ACanvas, Dir, horizontal ? X + inset : Y + H - inset, outerLine, S.substr(0, 1));

    SetFontSize(*this, ACanvas, Dir, inner);
    const int line = TextLine(Dir, BarHeight);
    PutDigitRun(ACanvas, Dir, FirstPos, line, std::string_view(S).substr(1, 5), kDigitModules);
    PutDigitRun(ACanvas, Dir, SecondPos, line, std::string_view(S).substr(6, 5), kDigitModules);

    SetFontSize(*this, ACanvas, Dir, outer);
    Put(ACanvas, Dir, horizontal ? CurX + inset : CurY - inset, outerLine, S.substr(11, 1));
}

void TKordix::Print_EAN13_2AddOn(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                                 bool TextOn, int, int H) {
    if (Caption.size() != kAddOn2Length || !AllDigits(Caption)) return;
    const std::string_view data(Caption);
    const std::string S = DrawEAN13Bars(*this, ACanvas, Dir, BarHeight, data.substr(0, kEAN13Data), 0);
    if (TextOn) {
        ACanvas.Font.Assign(FFont);
        BeginText(*this, ACanvas, Dir);
        PutEAN13Text(ACanvas, X, Y, Dir, BarHeight, H, S);
    }
    // The value of the two digits mod 4 selects L L, L G, G L or G G.
    const std::string_view addOn = data.substr(kEAN13Data);
    ECode = ValErrorPos(addOn);
    const int v = (10 * DigitValue(addOn[0]) + DigitValue(addOn[1])) % 4;
    const std::array<uint8_t, 2> sets = {uint8_t(v & 2 ? kSetG : kSetL), uint8_t(v & 1 ? kSetG : kSetL)};
    DrawAddOn(*this, ACanvas, X, Y, Dir, BarHeight, TextOn, addOn, sets);
}

void TKordix::Print_EAN13_5AddOn(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                                 bool TextOn, int, int H) {
    if (Caption.size() != kAddOn5Length || !AllDigits(Caption)) return;
    const std::string_view data(Caption);
    const std::string S = DrawEAN13Bars(*this, ACanvas, Dir, BarHeight, data.substr(0, kEAN13Data), 0);
    if (TextOn) {
        BeginText(*this, ACanvas, Dir);
        PutEAN13Text(ACanvas, X, Y, Dir, BarHeight, H, S);
    }
    // Weights 3 and 9 alternate from the first digit; the sum mod 10 picks the row.
    const std::string_view addOn = data.substr(kEAN13Data);
    int sum = 0;
    for (size_t i = 0; i < addOn.size(); ++i) sum += (i % 2 == 0 ? 3 : 9) * DigitValue(addOn[i]);
    if (const auto* sets = TableRow(Add5Matr, sum % 10))
        DrawAddOn(*this, ACanvas, X, Y, Dir, BarHeight, TextOn, addOn, *sets);
}

}  // namespace kdx
