#pragma once
// A canvas on a 24-bit RGB pixel buffer: exact pixels for rectangles (own row
// loops), text from a per-thread glyph cache, PNG output through libpng.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace kdx {

class RasterCanvas : public TCanvas {
public:
    // A Width x Height image filled with Background.
    RasterCanvas(int Width, int Height, TColor Background = clWhite);

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Reallocates and clears the image.
    void Resize(int Width, int Height, TColor Background = clWhite);
    void Clear(TColor Background = clWhite);
    // Copies Source with its top-left corner at (X, Y), clipped to this image.
    void Draw(int X, int Y, const RasterCanvas& Source);

    TColor Pixel(int X, int Y) const;  // clBlack outside the image is never returned: -1
    const uint8_t* Data() const { return FPixels.data(); }  // rows of R, G, B bytes

    // Writes a PNG (grey or palette when the image has few colours). Returns
    // false with a reason in Error when the file cannot be written.
    bool SavePng(const std::string& Path, std::string* Error = nullptr) const;

protected:
    void DoFillRect(const TRect& R, TColor Color) override;
    void DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                   TColor BackColor) override;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint8_t> FPixels;
};

}  // namespace kdx
