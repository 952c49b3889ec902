#include "runtime/Kdx.h"

namespace kdx {

const std::array<std::string_view, kBarCodeTypeCount> BarCodeTypeNames = {
    "Code_39", "Code_93", "Code_128",      "ITF",           "Industrial", "IATA",   "Codabar",
    "EAN_13",  "EAN_8",   "EAN_13_2AddOn", "EAN_13_5AddOn", "UPC_A",      "POSTNET",
};
const std::array<std::string_view, 3> DensityNames = {"High", "Medium", "Low"};
const std::array<std::string_view, 2> DirectionNames = {"Horizontal", "Vertical"};
const std::array<std::string_view, 2> AlignmentNames = {"txLeft", "txDensity"};

const std::array<std::string, kBarCodeTypeCount> FBarCodeNames = {
    "Code 39", "Code 93", "Code 128",           "Interleaved 2 of 5",  "Industrial 2 of 5", "IATA 2 of 5", "Codabar",
    "EAN 13",  "EAN 8",   "EAN 13 with 2 AddOn", "EAN 13 with 5 AddOn", "UPC A",             "POSTNET",
};
const std::array<std::string, 3> FBarCodeDensityNames = {"High", "Medium", "Low"};

// The stream defaults describe what the barcode control sets up; a property
// equal to its default is not written to a component stream.
const std::array<TPropertyInfo, 12> TCode::Properties = {{
    {"Symbology", false, 0},
    {"Caption", false, 0},
    {"AutoSize", true, 1},
    {"TextAutosize", false, 0},
    {"Density", false, 0},
    {"Border", false, 0},
    {"Direction", true, static_cast<int>(TDirection::Horizontal)},
    {"Transparent", true, 0},
    {"ControlChars", true, 1},
    {"ShowCtrlsChars", false, 0},
    {"TextOn", false, 0},
    {"TextAlignment", false, 0},
}};

namespace {
bool ForcesTextDensity(TBarCodeType t) {
    return t == TBarCodeType::EAN_13 || t == TBarCodeType::EAN_8 || t == TBarCodeType::EAN_13_2AddOn ||
           t == TBarCodeType::EAN_13_5AddOn;
}


// Every setter compares with the incoming value, not with the value it will
// store, so a forced setter still notifies when handed a different value.
template <class T>
bool Store(T& Field, const T& Incoming, const T& Stored) {
    if (Field == Incoming) return false;
    Field = Stored;
    return true;
}

}  // namespace

void TCode::SetCode(TBarCodeType Value) {
    if (Store(FSymbology, Value, Value)) Changed();
}
void TCode::SetCaption(const std::string& Value) {
    if (Store(FCaption, Value, Value)) Changed();
}
void TCode::SetAutoSize(bool Value) {
    if (Store(FAutoSize, Value, FSymbology == TBarCodeType::POSTNET || Value)) Changed();
}
void TCode::SetTextAutoSize(bool Value) {
    if (Store(FTextAutosize, Value, Value)) Changed();
}
void TCode::SetDensity(TDensity Value) {
    if (Store(FDensity, Value, Value)) Changed();
}
void TCode::SetBorder(bool Value) {
    if (Store(FBorder, Value, FSymbology != TBarCodeType::POSTNET && Value)) Changed();
}
void TCode::SetDirection(TDirection Value) {
    if (Store(FDirection, Value, Value)) Changed();
}
void TCode::SetTransparent(bool Value) {
    if (Store(FTransparent, Value, Value)) Changed();
}
void TCode::SetCtrlChar(bool Value) {
    const bool optional = FSymbology == TBarCodeType::Code_39 || FSymbology == TBarCodeType::ITF;
    if (Store(FControlChars, Value, !optional || Value)) Changed();
}
void TCode::SetShowCtrlsChars(bool Value) {
    if (Store(FShowCtrlsChars, Value, Value)) Changed();
}
void TCode::SetAlignment(TAlignment Value) {
    if (Store(FTextAlignment, Value, ForcesTextDensity(FSymbology) ? TAlignment::txDensity : Value)) Changed();
}
void TCode::SetTextOn(bool Value) {
    if (Store(FTextOn, Value, FSymbology != TBarCodeType::POSTNET && Value)) Changed();
}

void TCode::Changed() {
    if (OnChange) OnChange(this);
}

void TCode::Assigne(const TCode& Source) {
    SetCode(Source.FSymbology);
    SetCaption(Source.FCaption);
    SetAutoSize(Source.FAutoSize);
    SetTextAutoSize(Source.FTextAutosize);
    SetDensity(Source.FDensity);
    SetDirection(Source.FDirection);
    SetCtrlChar(Source.FControlChars);
    SetTransparent(Source.FTransparent);
    SetBorder(Source.FBorder);
    SetShowCtrlsChars(Source.FShowCtrlsChars);
    SetAlignment(Source.FTextAlignment);
    SetTextOn(Source.FTextOn);
}

}  // namespace kdx
