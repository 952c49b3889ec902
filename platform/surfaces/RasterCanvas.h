#pragma once
// A canvas on a 24-bit RGB pixel buffer: exact pixels for rectangles (own row
// loops), text from a per-thread glyph cache, PNG output through libpng.
//
// Rectangle fills are collected and applied together, row band by row band,
// when pixels are next needed (text, reading, saving, copying): a band that
// the fills cover from edge to edge is composed once in its first row and
// copied to the others, so each pixel of a barcode is written about once
// instead of once for the background and again for its bar or space. The
// result is exactly that of filling in call order. A canvas belongs to one
// thread at a time; its const readers apply the pending fills.

#include <climits>
#include <cstdint>
#include <memory>
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
    const uint8_t* Data() const;       // rows of R, G, B bytes

    // Writes a PNG (grey or palette when the image has few colours). Returns
    // false with a reason in Error when the file cannot be written.
    bool SavePng(const std::string& Path, std::string* Error = nullptr) const;

protected:
    void DoFillRect(const TRect& R, TColor Color) override;
    void DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                   TColor BackColor) override;

private:
    // A clipped, non-empty fill waiting to be applied.
    struct Fill {
        int Left, Top, Right, Bottom;
        uint8_t R, G, B;
    };
    // Bounds on the waiting work, so that one application stays cheap: at
    // most this many fills and this many distinct top and bottom rows.
    static constexpr size_t kMaxPendingFills = 512;
    static constexpr int kMaxBandEdges = 32;

    // A fill on other rows than the one before: starts a run (and makes
    // room first when the bounds below are reached). Kept out of line so
    // that the common case stays short.
    [[gnu::noinline]] void AddToNewRun(int L, int T, int R, int B, TColor Color);
    bool AddEdge(int Y) const;
    // Applies the waiting fills in call order.
    void Flush() const;

    int FWidth = 0;
    int FHeight = 0;
    // Pixels and the fills not yet applied to them; readers apply the fills,
    // hence mutable.
    mutable std::vector<uint8_t> FPixels;
    // The waiting fills, and the runs of consecutive fills on the same rows
    // (a barcode's elements come in long runs); both made on first use.
    struct Run {
        uint32_t Begin;  // first fill of the run; it ends where the next begins
        int Top, Bottom;
    };
    mutable std::unique_ptr<Fill[]> FFills;
    mutable std::unique_ptr<Run[]> FRuns;
    mutable uint32_t FFillCount = 0;
    mutable uint32_t FRunCount = 0;
    mutable int FEdges[kMaxBandEdges] = {};
    mutable int FEdgeCount = 0;
    mutable int FLastTop = INT_MIN, FLastBottom = INT_MIN;  // edges of the last fill, already noted
};

}  // namespace kdx
