#include "platform/graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/FontEngine.h"

namespace kdx {

// ---- LOGFONT

std::string LOGFONT::FaceName() const {
    return std::string(lfFaceName.data(), strnlen(lfFaceName.data(), lfFaceName.size()));
}

void LOGFONT::SetFaceName(std::string_view name) {
    lfFaceName.fill('\0');
    std::memcpy(lfFaceName.data(), name.data(), std::min<size_t>(name.size(), LF_FACESIZE - 1));
}

// ---- Brush and pen

namespace {
void Notify(const TNotifyEvent& Event, TObject* Sender) {
    if (Event) Event(Sender);
}
}  // namespace

void TBrush::SetStyle(TBrushStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

void TPen::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Notify(OnChange, this);
}

void TPen::SetWidth(int Value) {
    if (FWidth == Value) return;
    FWidth = Value;
    Notify(OnChange, this);
}

// ---- Font

namespace {
// MulDiv of the drawing API: a * b / c rounded to nearest, halves away from 0.
int MulDiv(int a, int b, int c) {
    const long long n = static_cast<long long>(a) * b;
    const long long q = (std::llabs(n) * 2 + c) / (2LL * c);
    return static_cast<int>(n < 0 ? -q : q);
}
}  // namespace

TFont::TFont() = default;

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetName(const std::string& Value) {
    if (FName == Value && !FHandleInstalled) return;
    FName = Value;
    Changed();
}

void TFont::SetHeight(int Value) {
    if (FHeight == Value && !FHandleInstalled) return;
    FHeight = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (FStyle == Value && !FHandleInstalled) return;
    FStyle = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;  // the colour is not part of the font object
    Notify(OnChange, this);
}

void TFont::SetCharset(uint8_t Value) {
    if (FCharset == Value && !FHandleInstalled) return;
    FCharset = Value;
    Changed();
}

const HFONT& TFont::Handle() const {
    if (!FHandle) {
        LOGFONT lf;
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        lf.SetFaceName(FName);
        FHandle = std::make_shared<const LOGFONT>(lf);
    }
    return FHandle;
}

void TFont::SetHandle(HFONT Value) {
    FHandle = std::move(Value);
    FHandleInstalled = static_cast<bool>(FHandle);
    Notify(OnChange, this);
}

void TFont::Assign(const TFont& Source) {
    if (&Source == this) return;
    FName = Source.FName;
    FHeight = Source.FHeight;
    FStyle = Source.FStyle;
    FColor = Source.FColor;
    FCharset = Source.FCharset;
    FPixelsPerInch = Source.FPixelsPerInch;
    // The font object is immutable, so both fonts can share Source's (built
    // now if need be); this keeps a drawing that assigns its font every
    // time from building a new object every time.
    if (const HFONT& h = Source.Handle(); FHandle != h) FHandle = h;
    FHandleInstalled = Source.FHandleInstalled;
    Notify(OnChange, this);
}

void TFont::Changed() {
    FHandle.reset();
    FHandleInstalled = false;
    Notify(OnChange, this);
}

// ---- Canvas

TCanvas::TCanvas() { Brush.FCanvas = this; }

TCanvas::~TCanvas() = default;

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) { DoRectangle(X1, Y1, X2, Y2); }

void TCanvas::DoRectangle(int X1, int Y1, int X2, int Y2) {
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    // The outline lies inside the rectangle: Pen.Width pixels (0 counts as 1).
    const int w = std::max(1, Pen.Width());
    if (Brush.Style() == TBrushStyle::bsSolid)
        DoFillRect(Rect(X1 + w, Y1 + w, X2 - w, Y2 - w), Brush.Color());
    const TColor p = Pen.Color();
    DoFillRect(Rect(X1, Y1, X2, std::min(Y2, Y1 + w)), p);
    DoFillRect(Rect(X1, std::max(Y1, Y2 - w), X2, Y2), p);
    DoFillRect(Rect(X1, Y1 + w, std::min(X2, X1 + w), Y2 - w), p);
    DoFillRect(Rect(std::max(X1, X2 - w), Y1 + w, X2, Y2 - w), p);
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
    DoTextOut(X, Y, Text, *Font.Handle(), Font.Color(), FBkMode == OPAQUE, Brush.Color());
}

int TCanvas::TextWidth(const std::string& Text) { return DoTextWidth(Text, *Font.Handle()); }

int TCanvas::TextHeight(const std::string&) { return DoTextMetrics(*Font.Handle()).Height(); }

void TCanvas::DoTextOut(int, int, const std::string&, const LOGFONT&, TColor, bool, TColor) {}

int TCanvas::DoTextWidth(const std::string& Text, const LOGFONT& Font) {
    return FontEngine::ForThisThread().TextWidth(Font, Text);
}

TTextMetrics TCanvas::DoTextMetrics(const LOGFONT& Font) { return FontEngine::ForThisThread().Metrics(Font); }

// ---- Drawing-API calls

unsigned SetTextAlign(HDC DC, unsigned Flags) {
    const unsigned old = DC->FTextAlign;
    DC->FTextAlign = Flags;
    DC->DidSetTextAlign(Flags);
    return old;
}

int SetBkMode(HDC DC, int Mode) {
    const int old = DC->FBkMode;
    DC->FBkMode = Mode;
    DC->DidSetBkMode(Mode);
    return old;
}

int GetObject(const HFONT& Font, int Size, void* Buffer) {
    if (!Font || !Buffer || Size <= 0) return 0;
    const int n = std::min<int>(Size, sizeof(LOGFONT));
    std::memcpy(Buffer, Font.get(), n);
    return n;
}

HFONT CreateFontIndirect(const LOGFONT& Font) {
    // Font objects are immutable, so an equal one made recently on this
    // thread is handed out again (turning the text of every vertical drawing
    // would otherwise allocate each time).
    constexpr size_t kRecent = 8;
    thread_local std::array<HFONT, kRecent> recent;
    thread_local size_t next = 0;
    for (const HFONT& f : recent)
        if (f && *f == Font) return f;
    HFONT f = std::make_shared<const LOGFONT>(Font);
    recent[next] = f;
    next = (next + 1) % kRecent;
    return f;
}

char32_t Cp1252ToUnicode(unsigned char c) {
    static constexpr char16_t k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    if (c >= 0x80 && c < 0xA0) return k80[c - 0x80];
    return c;
}

}  // namespace kdx
