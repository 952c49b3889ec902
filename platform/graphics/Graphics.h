#pragma once
// Graphics layer of the platform: colours, rectangles, logical fonts, the
// brush/pen/font objects and TCanvas with its drawing contract. Concrete
// surfaces (recording, raster, vector) derive from TCanvas and implement the
// few virtual hooks at the bottom of the class.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes/Classes.h"

namespace kdx {

// ---- Colours: $00BBGGRR as on the original platform (red in the low byte).
using TColor = int32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr uint8_t GetRValue(TColor c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GetGValue(TColor c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor c) { return uint8_t((c >> 16) & 0xFF); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// ---- Rectangles.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Builds a TRect without reordering its corners.
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect{Left, Top, Right, Bottom}; }

// ---- Logical font description, laid out as the platform's 60-byte record.
constexpr int LF_FACESIZE = 32;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr uint8_t OUT_TT_ONLY_PRECIS = 7;

struct LOGFONT {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;  // tenths of a degree, counter-clockwise
    int32_t lfOrientation = 0;
    int32_t lfWeight = FW_NORMAL;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = DEFAULT_CHARSET;
    uint8_t lfOutPrecision = OUT_DEFAULT_PRECIS;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::array<char, LF_FACESIZE> lfFaceName{};

    std::string FaceName() const;
    void SetFaceName(std::string_view name);
    friend bool operator==(const LOGFONT&, const LOGFONT&) = default;
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT must keep the platform's 60-byte layout");

// A font object of the drawing API: an immutable logical font.
using HFONT = std::shared_ptr<const LOGFONT>;

// ---- Brush and pen.
enum class TBrushStyle : uint8_t { bsSolid, bsClear };

class TCanvas;

class TBrush : public TPersistent {
public:
    TColor Color() const { return FColor; }
    // Inline (defined after TCanvas): bars and spaces set the colour for
    // every element.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    TNotifyEvent OnChange;

private:
    friend class TCanvas;
    void Changed();

    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
    // The canvas that owns this brush, told of every change directly (bars
    // and spaces change the colour for every element).
    TCanvas* FCanvas = nullptr;
};

class TPen : public TPersistent {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);  // 0 and 1 both mean a one-pixel line
    TNotifyEvent OnChange;

private:
    TColor FColor = clBlack;
    int FWidth = 1;
};

// ---- Font.
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // a set of TFontStyle bits

class TFont : public TPersistent {
public:
    static constexpr int DefaultPixelsPerInch = 96;

    TFont();

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value);
    // Size in points; Height in pixels (negative: character height without
    // internal leading). Size = -Height * 72 / PixelsPerInch, rounded.
    int Size() const;
    void SetSize(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    uint8_t Charset() const { return FCharset; }
    void SetCharset(uint8_t Value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : DefaultPixelsPerInch; }

    // The font object; built from the attributes unless one was installed
    // with SetHandle (a rotated font, for instance). Changing any attribute
    // or assigning another font drops an installed handle. The reference is
    // valid until the font next changes.
    const HFONT& Handle() const;
    void SetHandle(HFONT Value);

    // Copies every attribute (and an installed handle) of Source.
    void Assign(const TFont& Source);

    TNotifyEvent OnChange;

private:
    void Changed();

    std::string FName = "MS Sans Serif";
    int FHeight = -11;
    TFontStyles FStyle = 0;
    TColor FColor = clBlack;
    uint8_t FCharset = DEFAULT_CHARSET;
    int FPixelsPerInch = DefaultPixelsPerInch;
    mutable HFONT FHandle;  // cached or installed font object
    bool FHandleInstalled = false;
};

// ---- Drawing-API constants.
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_TOP = 0;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

class TCanvas;
using HDC = TCanvas*;  // the canvas is its own device context

// Text cell of a font: ascent above the baseline, descent below; the cell
// height is their sum.
struct TTextMetrics {
    int Ascent = 0;
    int Descent = 0;
    int Height() const { return Ascent + Descent; }
};

// ---- The canvas contract.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    TBrush Brush;
    TPen Pen;
    TFont Font;

    HDC Handle() { return this; }

    // Fills with the brush; the right column and bottom row are outside. A
    // rectangle with Bottom above Top fills rows Bottom + 1 .. Top (and Right
    // left of Left fills columns Right + 1 .. Left), so vertical elements tile.
    void FillRect(const TRect& R);  // inline below: called for every element
    // Outline with the pen, interior with the brush; columns X1 .. X2 - 1,
    // rows Y1 .. Y2 - 1.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    // Text with the canvas font at the reference point (top-left of the text
    // cell). Opaque background mode fills the cell with the brush colour.
    // With escapement 900 the text runs upwards from Y, its cell right of X.
    void TextOut(int X, int Y, const std::string& Text);
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);

    // State of the device context, changed through the drawing-API calls.
    unsigned TextAlign() const { return FTextAlign; }
    int BkMode() const { return FBkMode; }

    // Canvas size in pixels (0 x 0 when unbounded, as the recording surface).
    virtual int Width() const { return 0; }
    virtual int Height() const { return 0; }

protected:
    // Surface hooks. Rectangles arrive normalised (Left <= Right, Top <=
    // Bottom, exclusive right and bottom) and may be empty.
    virtual void DoFillRect(const TRect& R, TColor Color) = 0;
    // Default: interior and outline as FillRect calls.
    virtual void DoRectangle(int X1, int Y1, int X2, int Y2);
    // Draws Text (8-bit, Windows-1252) with Font, rotated by the escapement.
    virtual void DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor,
                           bool Opaque, TColor BackColor);
    // Text advance and cell; default through the shared font engine.
    virtual int DoTextWidth(const std::string& Text, const LOGFONT& Font);
    virtual TTextMetrics DoTextMetrics(const LOGFONT& Font);

    // Hooks that see calls as made; the recording surface keeps them.
    virtual void DidFillRect(const TRect&) {}
    virtual void DidSetTextAlign(unsigned) {}
    virtual void DidSetBkMode(int) {}

private:
    friend class TBrush;
    friend unsigned SetTextAlign(HDC DC, unsigned Flags);
    friend int SetBkMode(HDC DC, int Mode);

    // As on the original platform: selecting a solid brush makes text
    // opaque again, a clear brush makes it transparent.
    void BrushChanged() { FBkMode = Brush.Style() == TBrushStyle::bsSolid ? OPAQUE : TRANSPARENT; }

    unsigned FTextAlign = TA_LEFT | TA_TOP;
    int FBkMode = OPAQUE;
};

inline void TBrush::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed();
}

inline void TBrush::Changed() {
    if (FCanvas) FCanvas->BrushChanged();
    if (OnChange) OnChange(this);
}

inline void TCanvas::FillRect(const TRect& R) {
    DidFillRect(R);
    // Read as four ints: the caller has often just stored them one by one,
    // and a single wide load of the record would wait for those stores.
    int l = R.Left, t = R.Top, r = R.Right, b = R.Bottom;
    if (b < t) {
        const int top = b + 1;
        b = t + 1;
        t = top;
    }
    if (r < l) {
        const int left = r + 1;
        r = l + 1;
        l = left;
    }
    if (Brush.Style() == TBrushStyle::bsClear) return;
    DoFillRect(Rect(l, t, r, b), Brush.Color());
}

// Drawing-API calls on a canvas's handle. They return the previous value.
unsigned SetTextAlign(HDC DC, unsigned Flags);
int SetBkMode(HDC DC, int Mode);
// Copies the logical font of Font into Buffer (Size bytes at most); returns
// the bytes written, 0 for no font.
int GetObject(const HFONT& Font, int Size, void* Buffer);
HFONT CreateFontIndirect(const LOGFONT& Font);

// Maps a Windows-1252 byte to its Unicode code point (undefined bytes map to
// themselves).
char32_t Cp1252ToUnicode(unsigned char c);

}  // namespace kdx
