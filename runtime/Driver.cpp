#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/controls/Application.h"
#include "runtime/Encoders.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "runtime/Layout.h"
#include "runtime/Round.h"

namespace kdx {

thread_local int CodeWidth = 0;
thread_local int CodeHeight = 0;

int ValErrorPos(std::string_view Text) {
    const size_t n = Text.size();
    size_t i = 0;
    auto digits = [&] {
        const size_t start = i;
        while (i < n && Text[i] >= '0' && Text[i] <= '9') ++i;
        return i > start;
    };
    auto error = [&] { return static_cast<int>(i) + 1; };

    while (i < n && Text[i] == ' ') ++i;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
    bool mantissa = digits();
    if (i < n && Text[i] == '.') {
        ++i;
        mantissa = digits() || mantissa;
    }
    if (!mantissa) return error();
    if (i < n && (Text[i] == 'E' || Text[i] == 'e')) {
        ++i;
        if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
        if (!digits()) return error();
    }
    return i == n ? 0 : error();
}

namespace {

const std::string kMessageCaption = "Message Box";

// Shows the refusal; the drawing then stops.
bool Refuse(const std::string& Text) {
    Application.MessageBox(Text, kMessageCaption, 0);
    return false;
}

bool NeedsNumericCheck(TBarCodeType t) {
    switch (t) {
        case TBarCodeType::ITF:
        case TBarCodeType::Industrial:
        case TBarCodeType::IATA:
        case TBarCodeType::EAN_13:
        case TBarCodeType::EAN_8:
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn:
            return true;
        default:
            return false;
    }
}

// The refusal text for a character the encoder cannot encode.
std::string Unencodable(TBarCodeType Symbology, unsigned char Ch) {
    std::string text = FBarCodeNames[static_cast<size_t>(Symbology)] + " cannot encode the character ";
    if (Ch > 32 && Ch < 127) text += std::string("\"") + static_cast<char>(Ch) + "\" ";
    return text + "(code " + std::to_string(Ch) + ")";
}

struct LengthRule {
    TBarCodeType Symbology;
    size_t Length;
    bool Exact;  // any other length is refused; otherwise longer texts are cut
    const char* Message;
};

constexpr LengthRule kLengthRules[] = {
    {TBarCodeType::EAN_8, 7, false, "EAN-8 should be 7 numeric char"},
    {TBarCodeType::UPC_A, 11, false, "UPC-A should be 11 numeric char"},
    {TBarCodeType::EAN_13, 12, false, "EAN-13 should be 12 numeric chars"},
    {TBarCodeType::EAN_13_2AddOn, 14, true, "EAN-13-2AdOn should be 14 numeric chars"},
    {TBarCodeType::EAN_13_5AddOn, 17, true, "EAN-13-5AddOn should be 17 numeric chars"},
};

// Applies the fixed-length rule of the symbology; false when refused.
bool ApplyLengthRule(TCode& Code) {
    for (const auto& rule : kLengthRules) {
        if (rule.Symbology != Code.Symbology()) continue;
        const size_t n = Code.Caption().size();
        if (n < rule.Length || (rule.Exact && n != rule.Length)) {
            Refuse(rule.Message);
            return false;
        }
        if (n > rule.Length) Code.SetCaption(Code.Caption().substr(0, rule.Length));
    }
    return true;
}

bool UsesBlackBrush(TBarCodeType t) {
    switch (t) {
        case TBarCodeType::Code_39:
        case TBarCodeType::Code_93:
        case TBarCodeType::Code_128:
        case TBarCodeType::Codabar:
        case TBarCodeType::ITF:
        case TBarCodeType::Industrial:
        case TBarCodeType::IATA:
            return true;
        default:
            return false;
    }
}

}  // namespace

int64_t AutoSizeExtent(TBarCodeType Symbology, int64_t n, bool ControlChars, TDirection Dir, int64_t MW) {
    const bool vertical = Dir == TDirection::Vertical;
    const int64_t c = ControlChars ? 1 : 0;
    switch (Symbology) {
        case TBarCodeType::Code_39:
            return ((n + 2 + c) * 16 + 20) * MW;
        case TBarCodeType::Code_93:
            return ((n + 2 + 2 * c) * 9 + 20) * MW;
        case TBarCodeType::Code_128:
            return ((n + 1 + c) * 11 + 33) * MW;
        case TBarCodeType::ITF: {
            // The check digit (when on) and a padding zero make the count even.
            const bool pad = ControlChars ? n % 2 == 0 : n % 2 == 1;
            const int64_t m = pad ? n + 1 : n;
            return (7 * m + (ControlChars ? 35 : 28)) * MW;
        }
        case TBarCodeType::Industrial:
            return (12 * n + (ControlChars ? 48 : 36)) * MW;
        case TBarCodeType::IATA:
            return (12 * n + 28) * MW;
        case TBarCodeType::Codabar:
            return ((n + 2 + c) * 10 + 20) * MW;
        case TBarCodeType::EAN_13:
            return vertical ? (7 * (n + 1) + 28) * MW : (7 * n + 31) * MW;
        case TBarCodeType::EAN_8:
            return (7 * (n + 1) + 28) * MW;
        case TBarCodeType::EAN_13_2AddOn:
            return vertical ? (7 * (n + 1) + 46) * MW : (7 * n + 46) * MW;
        case TBarCodeType::EAN_13_5AddOn:
            return vertical ? (7 * (n + 1) + 46) * MW : (7 * n + 52) * MW;
        case TBarCodeType::UPC_A:
            return (7 * (n + 1) + 28) * MW + 7;
        case TBarCodeType::POSTNET:
            // The symbol (two frame bars and 15 modules per digit, check digit
            // included: 15n + 19) from its start, plus 2 modules after it.
            return (15 * n + 19 + (vertical ? 10 : 2) + 2) * MW;
    }
    return 0;
}

size_t FirstNonDigit(std::string_view Data) {
    for (size_t i = 0; i < Data.size(); ++i)
        if (Data[i] < '0' || Data[i] > '9') return i;
    return kAllEncodable;
}

size_t FirstUnencodable(TBarCodeType Symbology, std::string_view Data) {
    switch (Symbology) {
        case TBarCodeType::Code_39:
            return Code39FirstUnencodable(Data);
        case TBarCodeType::Code_93:
            return Code93FirstUnencodable(Data);
        case TBarCodeType::Code_128:
            return Code128FirstUnencodable(Data);
        case TBarCodeType::Codabar:
            return CodabarFirstUnencodable(Data);
        case TBarCodeType::ITF:
        case TBarCodeType::Industrial:
        case TBarCodeType::IATA:
        case TBarCodeType::EAN_13:
        case TBarCodeType::EAN_8:
        case TBarCodeType::UPC_A:
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn:
            return FirstNonDigit(Data);
        case TBarCodeType::POSTNET:
            return kAllEncodable;  // marks such a character with a red block
    }
    return kAllEncodable;
}

namespace {

// A pixel count for a message; counts beyond any canvas are written in full
// without a conversion to an integer type that could not hold them.
std::string PixelCount(double Pixels) {
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", Pixels);
    return text;
}

// The refusal text for a drawing whose geometry leaves the drawable range,
// or an empty text. Worked out in 64 bits before anything is drawn.
std::string TooLarge(const TCode& Code, int X, int Y, int Width, int Height, double Factor, int FontHeight) {
    if (!std::isfinite(Factor)) return "The scale factor is not a number";
    const double mw = std::nearbyint((static_cast<int>(Code.Density()) + 1) * Factor);
    const double w = std::nearbyint(Width * Factor), h = std::nearbyint(Height * Factor);
    const struct {
        const char* What;
        double Pixels;
    } sizes[] = {
        {"its module width", std::fabs(mw)},
        {"its width", std::fabs(w)},
        {"its height", std::fabs(h)},
        {"its font height", std::abs(static_cast<double>(FontHeight))},
        {"its position", std::max(std::abs(static_cast<double>(X)), std::abs(static_cast<double>(Y)))},
    };
    for (const auto& s : sizes)
        if (s.Pixels > kMaxDrawingPixels)
            return "The barcode is too large to draw: " + std::string(s.What) + " would be " +
                   PixelCount(s.Pixels) + " pixels, at most " +
                   std::to_string(kMaxDrawingPixels);
    const int64_t length = AutoSizeExtent(Code.Symbology(), static_cast<int64_t>(Code.Caption().size()),
                                          Code.ControlChars(), Code.Direction(), static_cast<int64_t>(std::fabs(mw)));
    if (length > kMaxDrawingPixels)
        return "The barcode is too large to draw: the symbol would be " + std::to_string(length) +
               " pixels long, at most " + std::to_string(kMaxDrawingPixels);
    return {};
}

}  // namespace

void TKordix::DrawBarCode(TCanvas& ACanvas, int X, int Y, double Factor) { Draw(ACanvas, X, Y, Factor); }

bool TKordix::Draw(TCanvas& ACanvas, int X, int Y, double Factor) {
    TCode& code = *FCode;
    const auto symbology = code.Symbology();

    // 1. Range.
    if (static_cast<unsigned>(symbology) >= kBarCodeTypeCount) return Refuse("Not implemented");
    // 2. Numeric check.
    if (NeedsNumericCheck(symbology)) {
        ECode = ValErrorPos(code.Caption());
        if (ECode != 0) return Refuse("Caption should be numeric");
    }
    // 3. Visibility.
    if (!Visible && !(ComponentState() & csDesigning)) return false;
    // 4. Length rules, then what the encoder itself cannot take.
    if (!ApplyLengthRule(code)) return false;
    if (const size_t bad = FirstUnencodable(symbology, code.Caption()); bad != kAllEncodable)
        return Refuse(Unencodable(symbology, static_cast<unsigned char>(code.Caption()[bad])));
    if (const std::string why = TooLarge(code, X, Y, Width(), Height(), Factor, FFont.Height()); !why.empty())
        return Refuse(why);

    // 5. Preparation.
    const TDirection dir = code.Direction();
    const bool vertical = dir == TDirection::Vertical;
    const bool postnet = symbology == TBarCodeType::POSTNET;
    CodeWidth = RoundInt(Width() * Factor);
    CodeHeight = RoundInt(Height() * Factor);
    ModulWidth = RoundInt((static_cast<int>(code.Density()) + 1) * Factor);
    const int MW = ModulWidth;
    if (!vertical) {
        CurX = X + (postnet ? 2 : 10) * MW;
        CurXReal = static_cast<float>(CurX);
        CurY = Y + 2;
    } else {
        CurX = X + 2;
        CurY = 10 * MW;
        CurXReal = static_cast<float>(CurY);
    }
    ACanvas.Brush.SetColor(FBackColor);
    ACanvas.Font.Assign(FFont);
    ACanvas.Brush.SetColor(FBackColor);
    if (code.TextAutosize()) FFont.SetHeight(-((vertical ? CodeWidth : CodeHeight) / 8));
    if (postnet) code.SetTextOn(false);
    TextH = code.TextOn() ? 5 * MW - FFont.Height() : 5 * MW;
    ACanvas.Pen.SetColor(code.Border() ? clBlack : FBackColor);
    if (postnet) {
        code.SetTextOn(false);
        TextH = 4;
    }

    // 6. Step and extent.
    StepXReal = static_cast<float>(MW);
    if (code.AutoSize()) {
        const int64_t extent = AutoSizeExtent(symbology, static_cast<int64_t>(code.Caption().size()),
                                              code.ControlChars(), dir, MW);
        (vertical ? CodeHeight : CodeWidth) = static_cast<int>(extent);
    }
    // 7. Vertical start: ten modules above the bottom edge, drawn upwards.
    if (vertical) {
        CurY = Y + CodeHeight - 10 * MW;
        CurXReal = static_cast<float>(CurY);
    }
    // 8. Background and border.
    if (!code.Transparent()) {
        ACanvas.Brush.SetColor(FBackColor);
        if (symbology == TBarCodeType::Codabar && !vertical) ACanvas.Pen.SetWidth(0);
        ACanvas.Rectangle(X, Y, X + CodeWidth, Y + CodeHeight);
    }
    // 9. Colours handed to the encoder.
    ACanvas.Brush.SetStyle(TBrushStyle::bsSolid);
    if (UsesBlackBrush(symbology)) {
        ACanvas.Brush.SetColor(clBlack);
    } else {
        ACanvas.Brush.SetColor(FBackColor);
        ACanvas.Pen.SetColor(code.Border() ? clBlack : FBackColor);
    }
    // 10. The encoder.
    const int margin = symbology == TBarCodeType::EAN_13_2AddOn ? 2 : 1;
    const int barHeight = (vertical ? CodeWidth : CodeHeight) - TextH - margin;
    const std::string& caption = code.Caption();
    const bool textOn = code.TextOn();
    const int W = CodeWidth, H = CodeHeight;
    switch (symbology) {
        case TBarCodeType::Code_39:
            Print_Code39(ACanvas, X, Y, dir, W, H);
            break;
        case TBarCodeType::Code_93:
            Print_Code93(ACanvas, X, Y, dir, W, H);
            break;
        case TBarCodeType::Code_128:
            Print_Code128(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::Codabar:
            Print_Codabar(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::ITF:
            Print_ITF(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::Industrial:
            Print_INDUSTRIAL(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::IATA:
            Print_IATA(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::EAN_13:
            Print_EAN13(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::EAN_8:
            Print_EAN8(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::UPC_A:
            Print_UPCA(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::EAN_13_2AddOn:
            Print_EAN13_2AddOn(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::EAN_13_5AddOn:
            Print_EAN13_5AddOn(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
        case TBarCodeType::POSTNET:
            Print_POSTNET(ACanvas, X, Y, dir, barHeight, caption, textOn, W, H);
            break;
    }
    return true;
}

}  // namespace kdx
