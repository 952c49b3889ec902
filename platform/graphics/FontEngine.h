#pragma once
// Resolves logical fonts to real faces (fontconfig) and renders their glyphs
// (FreeType). One engine per thread: FreeType handles are not shared between
// threads, and each thread keeps its own glyph cache.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace kdx {

// An 8-bit coverage bitmap of one glyph, already rotated for the font's
// escapement. Left/Top place it relative to the pen position in device pixels
// (y down); AdvanceX/AdvanceY move the pen.
struct GlyphBitmap {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Rows = 0;
    int AdvanceX = 0;
    int AdvanceY = 0;
    std::vector<uint8_t> Coverage;  // Rows x Width, 0..255
    // The glyph already blended over a background colour, as RGB rows, for
    // surfaces that write it over a cell of that colour; made on first use
    // for a pair of colours.
    mutable std::vector<uint8_t> Tinted;
    mutable int32_t TintText = -1;
    mutable int32_t TintBack = -1;
};

class FontEngine {
public:
    static FontEngine& ForThisThread();

    // The file of the face a family name resolves to ("Arial" resolves to a
    // metric-compatible face; unknown names fall back to a sans face).
    std::string FacePath(const LOGFONT& Font);
    // The character cell of the font: ascent and descent in pixels.
    TTextMetrics Metrics(const LOGFONT& Font);
    // Advance width of an 8-bit (Windows-1252) text in pixels, unrotated.
    int TextWidth(const LOGFONT& Font, const std::string& Text);
    // Glyph of one 8-bit character, cached per face, size and escapement.
    // The reference is valid until the next call (the cache has a budget).
    const GlyphBitmap& Glyph(const LOGFONT& Font, unsigned char Ch);
    // The em size in pixels that FreeType is asked for, for surfaces that
    // render text themselves (Cairo).
    double PixelSize(const LOGFONT& Font);

    ~FontEngine();

private:
    FontEngine();
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace kdx
