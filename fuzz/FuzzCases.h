#pragma once
// The inputs of the fuzz targets, decoded the same way by the targets and by
// the regression test that replays the inputs they found.
//
// Drawing input: 16 bytes of settings, then the caption's bytes.
//   0     symbology (any of 16 values: 13 and up are refused)
//   1     flags: AutoSize, TextAutosize, Border, Transparent, ControlChars,
//         ShowCtrlsChars, TextOn, Visible
//   2     density (mod 3), direction (bit 2), alignment (bit 3)
//   3-5   bar colour R, G, B        6-8  back colour R, G, B
//   9     factor: 0-127 n/16 (0 included), 128-191 a special value, 192-255
//         the 8 bytes at 16-23 as a double (the caption then starts at 24)
//   10-11 width, 12-13 height, 14 font height, 15 origin (all signed bytes,
//         scaled by the table below so that huge and negative sizes occur)
//
// Command-line input: the arguments after the program name, separated by
// NUL bytes.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/surfaces/RasterCanvas.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"

namespace kdx::fuzz {

struct DrawCase {
    uint8_t Symbology = 0;
    uint8_t Flags = 0;
    uint8_t Modes = 0;
    TColor Bar = clBlack, Back = clWhite;
    double Factor = 1.0;
    int Width = 100, Height = 50, FontHeight = -11, X = 0, Y = 0;
    std::string Caption;
};

// Factors that hurt: zero, negative, tiny, huge, not a number.
inline constexpr double kSpecialFactors[] = {
    0.0,
    -1.0,
    -0.5,
    0.5,
    2.5,
    1e-300,
    1e9,
    1e300,
    -1e300,
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN(),
    4.9e-324,
    2147483648.0,
    65536.0,
    3.0,
};

// A signed byte spread over the int range: small values as they are, the
// top ones to huge sizes.
inline int Clamp(long long V) {
    return static_cast<int>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, V)));
}

inline int Spread(uint8_t B) {
    const long long v = static_cast<int8_t>(B);
    if (v > 100) return Clamp((v - 100) * 100000000);  // to the int limits
    if (v < -100) return Clamp((v + 100) * 100000000);
    return static_cast<int>(v * 10);
}

inline DrawCase DecodeDrawCase(const uint8_t* Data, size_t Size) {
    DrawCase c;
    uint8_t h[24] = {};
    std::memcpy(h, Data, std::min<size_t>(Size, sizeof h));
    c.Symbology = h[0] % 16;
    c.Flags = h[1];
    c.Modes = h[2];
    c.Bar = RGB(h[3], h[4], h[5]);
    c.Back = RGB(h[6], h[7], h[8]);
    size_t caption = 16;
    if (h[9] < 128) {
        c.Factor = h[9] / 16.0;
    } else if (h[9] < 192) {
        c.Factor = kSpecialFactors[(h[9] - 128) % std::size(kSpecialFactors)];
    } else {
        std::memcpy(&c.Factor, h + 16, sizeof c.Factor);
        caption = 24;
    }
    c.Width = Clamp(Spread(h[10]) * 1LL + h[11]);
    c.Height = Clamp(Spread(h[12]) * 1LL + h[13] % 100);
    c.FontHeight = Spread(h[14]) / 10;
    c.X = Spread(h[15]);
    c.Y = Clamp(-(Spread(h[15]) / 3LL));
    if (Size > caption) c.Caption.assign(reinterpret_cast<const char*>(Data + caption), Size - caption);
    return c;
}

// Draws the case through DrawBarCode on the recording surface, then on a
// small raster surface (clipping, pending fills and text there too).
inline void RunDrawCase(const DrawCase& C) {
    const auto quiet = Application.SetMessageSink([](const std::string&, const std::string&, int) { return IDOK; });
    {
        TKordix k;
        TCode& code = k.Code();
        code.SetCode(static_cast<TBarCodeType>(C.Symbology));
        code.SetCaption(C.Caption);
        code.SetAutoSize(C.Flags & 1);
        code.SetTextAutoSize(C.Flags & 2);
        code.SetBorder(C.Flags & 4);
        code.SetTransparent(C.Flags & 8);
        code.SetCtrlChar(C.Flags & 16);
        code.SetShowCtrlsChars(C.Flags & 32);
        code.SetTextOn(C.Flags & 64);
        k.Visible = C.Flags & 128;
        code.SetDensity(static_cast<TDensity>(C.Modes % 3));
        code.SetDirection((C.Modes & 4) ? TDirection::Vertical : TDirection::Horizontal);
        code.SetAlignment((C.Modes & 8) ? TAlignment::txDensity : TAlignment::txLeft);
        k.SetBarColor(C.Bar);
        k.SetBackColor(C.Back);
        k.SetWidth(C.Width);
        k.SetHeight(C.Height);
        k.Font().SetHeight(C.FontHeight);
        if (C.Modes & 16) k.Font().SetName("no such face");
        RecordingCanvas recording;
        k.DrawBarCode(recording, C.X, C.Y, C.Factor);
        RasterCanvas raster(64, 48);
        k.DrawBarCode(raster, C.X % 64, C.Y % 48, C.Factor);
        (void)raster.Data();
    }
    Application.SetMessageSink(quiet);
}

inline std::vector<std::string> DecodeArguments(const uint8_t* Data, size_t Size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < Size; ++i) {
        if (Data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(Data[i]);
    }
    return args;
}

}  // namespace kdx::fuzz
