#include <cmath>

#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "runtime/Round.h"

namespace kdx {

TKordix::TKordix() {
    FFont.OnChange = [this](TObject* Sender) { PropertiesChanged(Sender); };
    FCode = std::make_shared<TCode>();
    FCode->OnChange = [this](TObject* Sender) { PropertiesChanged(Sender); };
    FCode->SetCode(TBarCodeType::Codabar);
    FCode->SetCaption("123456");
    FCode->SetAutoSize(true);
    FCode->SetTextAutoSize(false);
    FCode->SetDensity(TDensity::High);
    FCode->SetBorder(false);
    FCode->SetCtrlChar(true);
    FCode->SetTransparent(false);
    FCode->SetDirection(TDirection::Horizontal);
    FCode->SetAlignment(TAlignment::txLeft);
    FWidth = 100;
    FHeight = 50;
    Visible = true;
    SetBackColor(clWhite);
    SetBarColor(clBlack);
    FCode->SetTextOn(true);
    FFont.SetName("Arial");
}

TKordix::~TKordix() {
    // The settings object may outlive the control (shared with a wrapper).
    FCode->OnChange = nullptr;
}

void TKordix::PropertiesChanged(TObject*) {
    ++FChangeCount;
    Invalidate();
}

void TKordix::SetBackColor(TColor Value) {
    FBackColor = Value;
    Invalidate();
}

void TKordix::SetBarColor(TColor Value) {
    FBarColor = Value;
    Invalidate();
}

// A control without a window to repaint: nothing to do.
void TKordix::Invalidate() {}

// ---- Element primitives

namespace {
// The element rectangle of n modules at the current position; Skip is the
// part of the bar length left out next to CurY (horizontal) or CurX.
TRect ElementRect(TDirection Dir, int n, int Skip) {
    if (Dir == TDirection::Horizontal)
        return Rect(CurX, CurY + Skip, CurX + n * ModulWidth, CurY + ModulHeight);
    return Rect(CurX + Skip, CurY, CurX + ModulHeight, CurY - n * ModulWidth);
}
}  // namespace

void TKordix::Lin(TCanvas& ACanvas, TDirection Dir, char C) {
    const int n = BarModules(C);
    ACanvas.Brush.SetColor(FBarColor);
    Rec = ElementRect(Dir, n, 0);
    ACanvas.FillRect(Rec);
    Advance(Dir, n);
}

void TKordix::LinS(TCanvas& ACanvas, TDirection Dir, char C) {
    const int n = BarModules(C);
    ACanvas.Brush.SetColor(FBarColor);
    Rec = ElementRect(Dir, n, RoundInt(0.6 * ModulHeight));
    ACanvas.FillRect(Rec);
    Advance(Dir, n);
}

void TKordix::Spc(TCanvas& ACanvas, TDirection Dir, char C) {
    const int n = SpaceModules(C);
    if (!FCode->Transparent()) {
        ACanvas.Brush.SetColor(FBackColor);
        Rec = ElementRect(Dir, n, 0);
        ACanvas.FillRect(Rec);
    }
    Advance(Dir, n);
}

namespace {
// Draws the 4-element pattern of C from Table; a character without a
// pattern in the table draws nothing.
template <class Bar, class Space>
void OutPattern(std::string_view Table, char C, Bar&& DrawBar, Space&& DrawSpace) {
    L = static_cast<unsigned char>(C) - 47;
    const long first = (static_cast<long>(L) - 1) * 4;
    if (first < 0 || first + 4 > static_cast<long>(Table.size())) return;
    for (int i = 0; i < 4; ++i) {
        const char e = Table[first + i];
        if (static_cast<unsigned char>(e) > 64)
            DrawBar(e);
        else if (static_cast<unsigned char>(e) < 64)
            DrawSpace(e);
    }
}
}  // namespace

void TKordix::Out_char(TCanvas& ACanvas, TDirection Dir, char C) {
    OutPattern(
        patern, C, [&](char e) { Lin(ACanvas, Dir, e); }, [&](char e) { Spc(ACanvas, Dir, e); });
}

void TKordix::Out_char8(TCanvas& ACanvas, TDirection Dir, char C) {
    OutPattern(
        patern8, C, [&](char e) { Lin(ACanvas, Dir, e); }, [&](char e) { Spc(ACanvas, Dir, e); });
}

void TKordix::SetFontDir(TCanvas& ACanvas) {
    GetObject(ACanvas.Font.Handle(), sizeof(LOGFONT), &FLogFont);
    FLogFont.lfEscapement = 900;
    FLogFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    ACanvas.Font.SetHandle(CreateFontIndirect(FLogFont));
}

}  // namespace kdx
