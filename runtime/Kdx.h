#pragma once
// Unit Kdx: barcode settings (TCode), the barcode control (TKordix) with its
// render driver and encoders, and the check-character routines.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes/Classes.h"
#include "platform/controls/Controls.h"
#include "platform/db/Db.h"
#include "platform/graphics/Graphics.h"

namespace kdx {

enum class TBarCodeType : uint8_t {
    Code_39,
    Code_93,
    Code_128,
    ITF,
    Industrial,
    IATA,
    Codabar,
    EAN_13,
    EAN_8,
    EAN_13_2AddOn,
    EAN_13_5AddOn,
    UPC_A,
    POSTNET,
};
constexpr int kBarCodeTypeCount = 13;

enum class TDensity : uint8_t { High, Medium, Low };
enum class TDirection : uint8_t { Horizontal, Vertical };
enum class TAlignment : uint8_t { txLeft, txDensity };

// The value names of the enumerations, in ordinal order.
extern const std::array<std::string_view, kBarCodeTypeCount> BarCodeTypeNames;
extern const std::array<std::string_view, 3> DensityNames;
extern const std::array<std::string_view, 2> DirectionNames;
extern const std::array<std::string_view, 2> AlignmentNames;

// Display names for applications ("Code 39" ... "POSTNET"; "High" ...).
extern const std::array<std::string, kBarCodeTypeCount> FBarCodeNames;
extern const std::array<std::string, 3> FBarCodeDensityNames;

// One published property of TCode: its name and the value a component stream
// omits (no default: always written).
struct TPropertyInfo {
    std::string_view Name;
    bool HasDefault;
    int Default;  // ordinal or Boolean
};

// Settings of one barcode. Every setter compares the incoming value with the
// stored one, stores it (or the value the symbology forces) only on a
// difference, and then calls Changed.
class TCode : public TPersistent {
public:
    // Published properties in type-information order, with stream defaults.
    static const std::array<TPropertyInfo, 12> Properties;

    TBarCodeType Symbology() const { return FSymbology; }
    const std::string& Caption() const { return FCaption; }
    bool AutoSize() const { return FAutoSize; }
    bool TextAutosize() const { return FTextAutosize; }
    TDensity Density() const { return FDensity; }
    bool Border() const { return FBorder; }
    TDirection Direction() const { return FDirection; }
    bool Transparent() const { return FTransparent; }
    bool ControlChars() const { return FControlChars; }
    bool ShowCtrlsChars() const { return FShowCtrlsChars; }
    TAlignment TextAlignment() const { return FTextAlignment; }
    bool TextOn() const { return FTextOn; }

    void SetCode(TBarCodeType Value);
    void SetCaption(const std::string& Value);
    void SetAutoSize(bool Value);
    void SetTextAutoSize(bool Value);
    void SetDensity(TDensity Value);
    void SetBorder(bool Value);
    void SetDirection(TDirection Value);
    void SetTransparent(bool Value);
    void SetCtrlChar(bool Value);
    void SetShowCtrlsChars(bool Value);
    void SetAlignment(TAlignment Value);
    void SetTextOn(bool Value);

    void Changed();
    // Copies every setting of Source through this object's own setters.
    void Assigne(const TCode& Source);

    TNotifyEvent OnChange;

private:
    std::string FCaption;
    TBarCodeType FSymbology = TBarCodeType::Code_39;
    bool FAutoSize = false;
    bool FTextAutosize = false;
    TDensity FDensity = TDensity::High;
    bool FBorder = false;
    TDirection FDirection = TDirection::Horizontal;
    bool FTransparent = false;
    bool FControlChars = false;
    bool FShowCtrlsChars = false;
    TAlignment FTextAlignment = TAlignment::txLeft;
    bool FTextOn = false;
};

// Horizontal and vertical extent of the symbol area of the last completed
// drawing on this thread, in canvas pixels.
extern thread_local int CodeWidth;
extern thread_local int CodeHeight;

// The barcode control: settings, colours, font and data binding, the paint
// cycle, printing, and the drawing operations (driver, primitives, encoders).
class TKordix : public TCustomControl {
public:
    explicit TKordix(TComponent* AOwner = nullptr);
    ~TKordix() override;

    TCode& Code() { return *FCode; }
    const TCode& Code() const { return *FCode; }
    // The settings object, shared with a report barcode that wraps the control.
    std::shared_ptr<TCode> SharedCode() const { return FCode; }
    // Copies every setting of Value into the control's own settings object.
    void SetCode(const TCode& Value);

    TColor BackColor() const { return FBackColor; }
    TColor BarColor() const { return FBarColor; }
    // Store the colour and repaint (no comparison first).
    void SetBackColor(TColor Value);
    void SetBarColor(TColor Value);
    TFont& Font() { return FFont; }
    // Copies Value into the control's font and repaints at once; the control's
    // own font object is left alone.
    void SetFont(const TFont& Value);
    // Drawn at run time only when True; the designer always draws.
    bool Visible = true;

    std::string GetDataField() const;
    void SetDataField(const std::string& Value);
    TDataSource* GetDataSource() const;
    void SetDataSource(TDataSource* Value);
    // The data link (the answer to the platform's data-link query).
    TFieldDataLink* CMGetDataLink() const { return FDataLink.get(); }

    // Change handlers: settings and font changes, and record changes.
    void PropertiesChanged(TObject* Sender);
    void DataChange(TObject* Sender);
    // The text shown for the current record (a sample in the designer).
    std::string GetFieldText() const;
    int ChangeCount() const { return FChangeCount; }  // change notifications handled

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    // The one drawing path: checks the data, lays the symbol out at (X, Y)
    // with Factor canvas pixels per screen pixel, paints background and
    // border, and calls the encoder. Refusals show a message box and draw
    // nothing.
    void DrawBarCode(TCanvas& ACanvas, int X, int Y, double Factor);
    // On the printer's canvas at (X, Y) printer pixels, scaled by the whole
    // ratio of printer to screen resolution.
    void PrintBarCode(int X, int Y);
    // On ACanvas at printer scale (the exact ratio).
    void DBC(TCanvas& ACanvas, int X, int Y);

    // Element primitives (see KdxData for the drawing state they advance).
    void Lin(TCanvas& ACanvas, TDirection Dir, char C);
    void LinS(TCanvas& ACanvas, TDirection Dir, char C);
    void Spc(TCanvas& ACanvas, TDirection Dir, char C);
    void Out_char(TCanvas& ACanvas, TDirection Dir, char C);
    void Out_char8(TCanvas& ACanvas, TDirection Dir, char C);
    void SetFontDir(TCanvas& ACanvas);

    // Encoders. The first shape reads data and text switch from Code; the
    // second gets them as arguments, with the bar length across the reading
    // direction (BarHeight) and the symbol extent (W, H).
    void Print_Code39(TCanvas& ACanvas, int X, int Y, TDirection Dir, int W, int H);
    void Print_Code93(TCanvas& ACanvas, int X, int Y, TDirection Dir, int W, int H);
    void Print_Code128(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                       bool TextOn, int W, int H);
    void Print_Codabar(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                       bool TextOn, int W, int H);
    void Print_ITF(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption, bool TextOn,
                   int W, int H);
    void Print_INDUSTRIAL(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                          bool TextOn, int W, int H);
    void Print_IATA(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption, bool TextOn,
                    int W, int H);
    void Print_EAN13(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                     bool TextOn, int W, int H);
    void Print_EAN8(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption, bool TextOn,
                    int W, int H);
    void Print_UPCA(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption, bool TextOn,
                    int W, int H);
    void Print_EAN13_2AddOn(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                            bool TextOn, int W, int H);
    void Print_EAN13_5AddOn(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                            bool TextOn, int W, int H);
    void Print_POSTNET(TCanvas& ACanvas, int X, int Y, TDirection Dir, int BarHeight, std::string Caption,
                       bool TextOn, int W, int H);

    LOGFONT FLogFont;

private:
    // The five flags of one POSTNET digit: full bar (true) or half bar, each
    // followed by a 2-module space.
    void Out_POSTNET(TCanvas& ACanvas, TDirection Dir, const std::array<bool, 5>& Flags);

    void Paint() override;
    // DrawBarCode that tells whether the encoder was reached (false: refused
    // with a message, or skipped because the control is hidden).
    bool Draw(TCanvas& ACanvas, int X, int Y, double Factor);

    std::unique_ptr<TFieldDataLink> FDataLink;
    std::shared_ptr<TCode> FCode;
    TColor FBackColor = clWhite;
    TColor FBarColor = clBlack;
    TFont FFont;
    int FChangeCount = 0;
};

// Check characters. The AddCheck_ routines return their input with one
// check character appended.
char Code39CheckChar(std::string_view Data);
std::string AddCheck_EAN13(std::string_view Data);
std::string AddCheck_Mod10(std::string_view Data);
std::string AddCheck_UPCA(std::string_view Data);
std::string AddCheck_POSTNET(std::string_view Data);

// The platform's string-to-real conversion: returns 0 when the whole text is
// a number, else the 1-based position of the first offending character (the
// length + 1 for a text that ends too early, 1 for the empty text).
int ValErrorPos(std::string_view Text);

}  // namespace kdx
