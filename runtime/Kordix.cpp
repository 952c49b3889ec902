#include <cmath>

#include "platform/controls/Printers.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "runtime/Round.h"

namespace kdx {

namespace {
constexpr int kDefaultPrintQuality = 300;

// The printer's resolution in dots per inch: its print quality, or the
// default when there is no device mode or the quality is one of the negative
// quality codes rather than a resolution.
int PrinterResolution() {
    const DEVMODE* mode = Printer().DeviceMode();
    if (!mode || mode->dmPrintQuality <= 0) return kDefaultPrintQuality;
    return mode->dmPrintQuality;
}
}  // namespace

TKordix::TKordix(TComponent* AOwner) : TCustomControl(AOwner) {
    FFont.OnChange = [this](TObject* Sender) { PropertiesChanged(Sender); };
    FCode = std::make_shared<TCode>();
    FDataLink = std::make_unique<TFieldDataLink>();
    FDataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
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
    SetWidth(100);
    SetHeight(50);
    SetTop(0);
    SetLeft(0);
    Visible = true;
    SetBackColor(clWhite);
    SetBarColor(clBlack);
    FCode->SetTextOn(true);
    FFont.SetName("Arial");
}

TKordix::~TKordix() {
    FDataLink->OnDataChange = nullptr;
    FDataLink->SetFieldName("");
    FDataLink.reset();
    FFont.OnChange = nullptr;
    // The settings object may outlive the control (shared with a wrapper).
    FCode->OnChange = nullptr;
}

void TKordix::Paint() {
    // With AutoSize the control takes the length of its symbol; a drawing
    // that stopped at a message or was skipped leaves the size as it is.
    if (!Draw(Canvas(), 0, 0, 1.0)) return;
    SetHeight(CodeHeight);
    SetWidth(CodeWidth);
}

void TKordix::PrintBarCode(int X, int Y) {
    const int factor = PrinterResolution() / Screen.PixelsPerInch;
    DrawBarCode(Printer().Canvas(), X, Y, static_cast<double>(factor));
}

void TKordix::DBC(TCanvas& ACanvas, int X, int Y) {
    DrawBarCode(ACanvas, X, Y, static_cast<double>(PrinterResolution()) / Screen.PixelsPerInch);
}

void TKordix::SetCode(const TCode& Value) {
    FCode->Assigne(Value);
    if (Value.Symbology() == TBarCodeType::EAN_13) FCode->SetAlignment(TAlignment::txDensity);
    Invalidate();
}

void TKordix::SetFont(const TFont& Value) {
    if (&Value == &FFont) return;
    FFont.Assign(Value);
    Canvas().Font.Assign(FFont);
    Refresh();
}

std::string TKordix::GetDataField() const { return FDataLink->FieldName(); }

void TKordix::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }

TDataSource* TKordix::GetDataSource() const { return FDataLink->DataSource(); }

void TKordix::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
}

void TKordix::DataChange(TObject*) { FCode->SetCaption(GetFieldText()); }

std::string TKordix::GetFieldText() const {
    if (const TField* field = FDataLink->Field()) return field->DisplayText();
    if (!(ComponentState() & csDesigning)) return "123";
    switch (FCode->Symbology()) {
        case TBarCodeType::EAN_13:
            return "123456789012";
        case TBarCodeType::EAN_8:
            return "1234567";
        case TBarCodeType::EAN_13_2AddOn:
            return "12345678901299";
        case TBarCodeType::EAN_13_5AddOn:
            return "12345678901212345";
        default:
            return "123";
    }
}

void TKordix::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && FDataLink && AComponent &&
        AComponent == static_cast<TComponent*>(FDataLink->DataSource()))
        SetDataSource(nullptr);
}

void TKordix::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TKordix::PropertiesChanged(TObject*) {
    ++FChangeCount;
    if (FCode->Transparent())
        FControlStyle &= ~static_cast<uint32_t>(csOpaque);
    else
        FControlStyle |= csOpaque;
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
