#include "platform/surfaces/RasterCanvas.h"

#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/graphics/FontEngine.h"

namespace kdx {

namespace {

constexpr int kBytesPerPixel = 3;
// Largest block copied at once when rows are repeated (measured: beyond
// about 16 KB the source falls out of the first-level cache and copying
// slows below a plain memset).
constexpr size_t kCopyChunk = 16 * 1024;

// ---- Row fills

// Writes the first N bytes of Pattern (N from K to 2K) into each of Rows rows
// with two fixed-size moves that overlap in the middle; the pattern repeats
// every pixel, so the tail move lands on the right colour bytes. Narrow bars
// are the common case, and this keeps them at a couple of stores per row.
template <size_t K>
void FillRowsSmall(uint8_t* Dst, size_t Stride, int Rows, const uint8_t* Pattern, size_t N) {
    const size_t tail = N - K;
    // The two chunks are held in locals so the loop is stores only.
    uint8_t head[K], end[K];
    std::memcpy(head, Pattern, K);
    std::memcpy(end, Pattern + tail, K);
    for (int y = 0; y < Rows; ++y, Dst += Stride) {
        std::memcpy(Dst, head, K);
        std::memcpy(Dst + tail, end, K);
    }
}

// Copies Rows rows of N bytes from Src (rows N bytes apart) to Dst (rows
// Stride bytes apart). Text glyphs are a few dozen bytes wide: up to 64
// bytes each row takes two fixed-size moves that meet or overlap instead of
// a library call.
template <size_t K>
void CopyRowsSmall(uint8_t* Dst, size_t Stride, const uint8_t* Src, size_t N, int Rows) {
    for (int y = 0; y < Rows; ++y, Dst += Stride, Src += N) {
        std::memcpy(Dst, Src, K);
        std::memcpy(Dst + N - K, Src + N - K, K);
    }
}

void CopyRows(uint8_t* Dst, size_t Stride, const uint8_t* Src, size_t N, int Rows) {
    if (N >= 32 && N <= 64)
        CopyRowsSmall<32>(Dst, Stride, Src, N, Rows);
    else if (N >= 16 && N < 32)
        CopyRowsSmall<16>(Dst, Stride, Src, N, Rows);
    else if (N >= 8 && N < 16)
        CopyRowsSmall<8>(Dst, Stride, Src, N, Rows);
    else
        for (int y = 0; y < Rows; ++y, Dst += Stride, Src += N) std::memcpy(Dst, Src, N);
}

// Fills Rows rows of N bytes each (N a multiple of 3), Stride bytes apart,
// with the colour R, G, B.
void FillBlock(uint8_t* Dst, size_t Stride, size_t N, int Rows, uint8_t R, uint8_t G, uint8_t B) {
    constexpr size_t kSmall = 64;
    if (N <= kSmall) {
        uint8_t pat[kSmall];
        for (size_t i = 0; i < N; i += 3) {
            pat[i] = R;
            pat[i + 1] = G;
            pat[i + 2] = B;
        }
        if (N <= 3)
            FillRowsSmall<2>(Dst, Stride, Rows, pat, N);
        else if (N <= 8)
            FillRowsSmall<4>(Dst, Stride, Rows, pat, N);
        else if (N <= 16)
            FillRowsSmall<8>(Dst, Stride, Rows, pat, N);
        else if (N <= 32)
            FillRowsSmall<16>(Dst, Stride, Rows, pat, N);
        else
            FillRowsSmall<32>(Dst, Stride, Rows, pat, N);
        return;
    }
    if (R == G && G == B) {
        if (Stride == N) {
            std::memset(Dst, R, N * static_cast<size_t>(Rows));  // whole rows: one block
        } else {
            for (int y = 0; y < Rows; ++y, Dst += Stride) std::memset(Dst, R, N);
        }
        return;
    }
    // Build the first row by doubling, then copy it to the others.
    Dst[0] = R;
    Dst[1] = G;
    Dst[2] = B;
    for (size_t done = 3; done < N;) {
        const size_t n = std::min(done, N - done);
        std::memcpy(Dst + done, Dst, n);
        done += n;
    }
    const uint8_t* first = Dst;
    for (int y = 1; y < Rows; ++y) std::memcpy(Dst + static_cast<size_t>(y) * Stride, first, N);
}

// Paints runs of single rows from a pattern per colour, built once for the
// few colours of a flush (a barcode alternates two).
class RowPainter {
public:
    void Paint(uint8_t* Dst, size_t N, uint8_t R, uint8_t G, uint8_t B) {
        if (N > kPattern && R == G && G == B) {
            std::memset(Dst, R, N);
            return;
        }
        const uint8_t* pat = PatternFor(uint32_t(R) << 16 | uint32_t(G) << 8 | B);
        // Two fixed-size moves that meet or overlap: the pattern repeats
        // every pixel and N is whole pixels, so the second lands in phase.
        if (N <= 16) {
            if (N >= 8) {
                std::memcpy(Dst, pat, 8);
                std::memcpy(Dst + N - 8, pat + N - 8, 8);
            } else if (N >= 4) {
                std::memcpy(Dst, pat, 4);
                std::memcpy(Dst + N - 4, pat + N - 4, 4);
            } else {
                std::memcpy(Dst, pat, 2);
                std::memcpy(Dst + N - 2, pat + N - 2, 2);
            }
        } else if (N <= 32) {
            std::memcpy(Dst, pat, 16);
            std::memcpy(Dst + N - 16, pat + N - 16, 16);
        } else if (N <= 64) {
            std::memcpy(Dst, pat, 32);
            std::memcpy(Dst + N - 32, pat + N - 32, 32);
        } else {
            // Whole patterns, then one more ending at the last byte: N and
            // kPattern are multiples of 3, so it starts on a pixel.
            size_t done = 0;
            for (; done + kPattern <= N; done += kPattern) std::memcpy(Dst + done, pat, kPattern);
            if (done < N) std::memcpy(Dst + N - kPattern, pat, kPattern);
        }
    }

private:
    static constexpr size_t kPattern = 66;  // 22 pixels, at least 64 bytes

    // Two colours are kept; a third replaces the one used less recently.
    const uint8_t* PatternFor(uint32_t Key) {
        if (Key == FKey[FLast]) return FStore[FLast];
        const int other = 1 - FLast;
        if (Key != FKey[other]) {
            FKey[other] = Key;
            uint8_t* pat = FStore[other];
            for (size_t i = 0; i < kPattern; i += 3) {
                pat[i] = static_cast<uint8_t>(Key >> 16);
                pat[i + 1] = static_cast<uint8_t>(Key >> 8);
                pat[i + 2] = static_cast<uint8_t>(Key);
            }
        }
        FLast = other;
        return FStore[other];
    }

    uint8_t FStore[2][kPattern];
    uint32_t FKey[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};  // no colour packs to this
    int FLast = 0;
};

// ---- PNG output

struct PngError {
    char Message[256] = {};
};

void OnPngError(png_structp Png, png_const_charp Message) {
    auto* err = static_cast<PngError*>(png_get_error_ptr(Png));
    std::snprintf(err->Message, sizeof err->Message, "%s", Message ? Message : "libpng error");
    png_longjmp(Png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The image as it goes into the file: rows already packed to the bit depth.
struct PngImage {
    int Width = 0;
    int Height = 0;
    int BitDepth = 8;
    int ColorType = PNG_COLOR_TYPE_RGB;
    const png_color* Palette = nullptr;
    int PaletteSize = 0;
    const uint8_t* Rows = nullptr;
    size_t RowBytes = 0;
};

void WritePngBody(png_structp Png, png_infop Info, const PngImage& Img) {
    png_set_IHDR(Png, Info, static_cast<png_uint_32>(Img.Width), static_cast<png_uint_32>(Img.Height), Img.BitDepth,
                 Img.ColorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (Img.ColorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(Png, Info, Img.Palette, Img.PaletteSize);
    // Speed over size: light deflate; no filter for packed and palette rows
    // (filters do not help them), the cheap Sub filter for 8-bit samples.
    png_set_compression_level(Png, 1);
    const bool packed = Img.BitDepth < 8 || Img.ColorType == PNG_COLOR_TYPE_PALETTE;
    png_set_filter(Png, PNG_FILTER_TYPE_BASE, packed ? PNG_FILTER_NONE : PNG_FILTER_SUB);
    png_write_info(Png, Info);
    for (int y = 0; y < Img.Height; ++y) png_write_row(Png, Img.Rows + static_cast<size_t>(y) * Img.RowBytes);
    png_write_end(Png, nullptr);
}

// All libpng work happens here, between setjmp and the error handler's
// longjmp; only C objects live in this frame, so the jump skips no
// destructor.
bool WritePngFile(FILE* File, const PngImage& Img, PngError* Err) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, Err, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(Err->Message, sizeof Err->Message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(Err->Message, sizeof Err->Message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, File);
    WritePngBody(png, info, Img);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Colour table of an image with few colours: open addressing on the 24-bit
// value, insertion order kept as the palette order.
class ColourTable {
public:
    static constexpr int kMax = 256;

    // Index of C, adding it when new; -1 when the table is full.
    int IndexOf(uint32_t C) {
        if (C == FLastColour) return FLastIndex;
        uint32_t h = (C * 2654435761u) >> (32 - kBits);
        for (;; h = (h + 1) & (kSlots - 1)) {
            if (FKeys[h] == C + 1) break;
            if (FKeys[h] == 0) {
                if (FCount == kMax) return -1;
                FKeys[h] = C + 1;
                FIndex[h] = static_cast<uint8_t>(FCount);
                FColours[FCount++] = C;
                break;
            }
        }
        FLastColour = C;
        FLastIndex = FIndex[h];
        return FLastIndex;
    }
    int Count() const { return FCount; }
    uint32_t Colour(int I) const { return FColours[I]; }

private:
    static constexpr int kBits = 10;
    static constexpr uint32_t kSlots = 1u << kBits;
    uint32_t FKeys[kSlots] = {};  // colour + 1, 0 = empty
    uint8_t FIndex[kSlots] = {};
    uint32_t FColours[kMax] = {};
    int FCount = 0;
    uint32_t FLastColour = 0xFFFFFFFFu;
    int FLastIndex = 0;
};

inline uint32_t PackRgb(uint8_t R, uint8_t G, uint8_t B) { return uint32_t(R) << 16 | uint32_t(G) << 8 | B; }
inline uint32_t PackRgb(const uint8_t* P) { return PackRgb(P[0], P[1], P[2]); }

// ---- Text

// Coverage A of the text colour C over the pixel value P, rounded to nearest.
inline uint8_t Blend(unsigned P, unsigned C, unsigned A) {
    return static_cast<uint8_t>((P * (255 - A) + C * A + 127) / 255);
}

// The text colour over one background colour at every coverage, packed RGB.
struct BlendTable {
    TColor Text = -1, Back = -1;
    uint32_t Rgb[256];
};

// The table for a pair of colours; a drawing uses one or two pairs, so the
// last few are kept per thread.
const BlendTable& BlendTableFor(TColor Text, TColor Back) {
    constexpr int kTables = 4;
    thread_local BlendTable tables[kTables];
    thread_local int next = 0;
    for (const BlendTable& t : tables)
        if (t.Text == Text && t.Back == Back) return t;
    BlendTable& t = tables[next];
    next = (next + 1) % kTables;
    t.Text = Text;
    t.Back = Back;
    for (unsigned a = 0; a < 256; ++a)
        t.Rgb[a] = PackRgb(Blend(GetRValue(Back), GetRValue(Text), a), Blend(GetGValue(Back), GetGValue(Text), a),
                           Blend(GetBValue(Back), GetBValue(Text), a));
    return t;
}

// The glyph blended over Back in Text, RGB rows (kept with the glyph).
const uint8_t* TintedGlyph(const GlyphBitmap& G, TColor Text, TColor Back) {
    if (G.TintText != Text || G.TintBack != Back || G.Tinted.empty()) {
        const BlendTable& table = BlendTableFor(Text, Back);
        G.Tinted.resize(G.Coverage.size() * kBytesPerPixel);
        uint8_t* p = G.Tinted.data();
        for (uint8_t a : G.Coverage) {
            const uint32_t c = table.Rgb[a];
            *p++ = static_cast<uint8_t>(c >> 16);
            *p++ = static_cast<uint8_t>(c >> 8);
            *p++ = static_cast<uint8_t>(c);
        }
        G.TintText = Text;
        G.TintBack = Back;
    }
    return G.Tinted.data();
}

}  // namespace

// ---- RasterCanvas

RasterCanvas::RasterCanvas(int Width, int Height, TColor Background) { Resize(Width, Height, Background); }

void RasterCanvas::Resize(int Width, int Height, TColor Background) {
    FFillCount = FRunCount = 0;
    FEdgeCount = 0;
    FLastTop = FLastBottom = INT_MIN;
    FWidth = std::max(0, Width);
    FHeight = std::max(0, Height);
    FPixels.assign(static_cast<size_t>(FWidth) * FHeight * kBytesPerPixel, 0);
    Clear(Background);
}

void RasterCanvas::Clear(TColor Background) { DoFillRect(Rect(0, 0, FWidth, FHeight), Background); }

void RasterCanvas::Draw(int X, int Y, const RasterCanvas& Source) {
    Flush();
    Source.Flush();
    const int x0 = std::max(0, X), x1 = std::min(FWidth, X + Source.FWidth);
    const int y0 = std::max(0, Y), y1 = std::min(FHeight, Y + Source.FHeight);
    if (x0 >= x1 || y0 >= y1) return;
    const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
    for (int y = y0; y < y1; ++y)
        std::memcpy(&FPixels[(static_cast<size_t>(y) * FWidth + x0) * 3],
                    &Source.FPixels[(static_cast<size_t>(y - Y) * Source.FWidth + (x0 - X)) * 3], bytes);
}

TColor RasterCanvas::Pixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return -1;
    Flush();
    const uint8_t* p = FPixels.data() + (static_cast<size_t>(Y) * FWidth + X) * kBytesPerPixel;
    return RGB(p[0], p[1], p[2]);
}

const uint8_t* RasterCanvas::Data() const {
    Flush();
    return FPixels.data();
}

void RasterCanvas::DoFillRect(const TRect& R, TColor Color) {
    const int l = std::max(R.Left, 0);
    const int t = std::max(R.Top, 0);
    const int r = std::min(R.Right, FWidth);
    const int b = std::min(R.Bottom, FHeight);
    if (l >= r || t >= b) return;
    // Consecutive elements of a barcode mostly share their rows: they
    // continue the run of the fill before, and need nothing else.
    if (t == FLastTop && b == FLastBottom && FFillCount < kMaxPendingFills) [[likely]] {
        FFills[FFillCount++] = Fill{l, t, r, b, GetRValue(Color), GetGValue(Color), GetBValue(Color)};
        return;
    }
    AddToNewRun(l, t, r, b, Color);
}

void RasterCanvas::AddToNewRun(int L, int T, int R, int B, TColor Color) {
    if (!FFills) {
        FFills = std::make_unique<Fill[]>(kMaxPendingFills);
        FRuns = std::make_unique<Run[]>(kMaxPendingFills);
    }
    if (FFillCount == kMaxPendingFills) Flush();
    if (T != FLastTop || B != FLastBottom) {
        if (!AddEdge(T) || !AddEdge(B)) {
            Flush();
            AddEdge(T);
            AddEdge(B);
        }
        FLastTop = T;
        FLastBottom = B;
        FRuns[FRunCount++] = Run{FFillCount, T, B};
    }
    FFills[FFillCount++] = Fill{L, T, R, B, GetRValue(Color), GetGValue(Color), GetBValue(Color)};
}

bool RasterCanvas::AddEdge(int Y) const {
    for (int i = 0; i < FEdgeCount; ++i)
        if (FEdges[i] == Y) return true;
    if (FEdgeCount == kMaxBandEdges) return false;
    FEdges[FEdgeCount++] = Y;
    return true;
}

namespace {

// Whether a band's fills cover it from edge to edge: the run of columns
// grown from the first fill by the fills that touch it. A fill apart from it
// is left out, which can only answer "not covered" (the safe answer) where a
// later fill would have joined the two; barcodes never need that.
class RowCoverage {
public:
    explicit RowCoverage(int Width) : FWidth(Width) {}
    void Add(int L, int R) {
        if (FEmpty) {
            FLeft = L;
            FRight = R;
            FEmpty = false;
        } else if (L <= FRight && R >= FLeft) {
            FLeft = std::min(FLeft, L);
            FRight = std::max(FRight, R);
        }
    }
    bool Full() const { return !FEmpty && FLeft <= 0 && FRight >= FWidth; }

private:
    int FWidth;
    int FLeft = 0, FRight = 0;
    bool FEmpty = true;
};

}  // namespace

void RasterCanvas::Flush() const {
    const uint32_t n = FFillCount;
    if (n == 0) return;
    const size_t stride = static_cast<size_t>(FWidth) * kBytesPerPixel;
    auto at = [&](int X, int Y) {
        return FPixels.data() + static_cast<size_t>(Y) * stride + static_cast<size_t>(X) * kBytesPerPixel;
    };
    auto bytes = [](const Fill& f) { return static_cast<size_t>(f.Right - f.Left) * kBytesPerPixel; };
    auto runEnd = [&](uint32_t r) { return r + 1 < FRunCount ? FRuns[r + 1].Begin : n; };
    if (n == 1) {
        const Fill& f = FFills[0];
        FillBlock(at(f.Left, f.Top), stride, bytes(f), f.Bottom - f.Top, f.R, f.G, f.B);
    } else {
        // Every fill starts and ends on an edge, so between two neighbouring
        // edges each run covers all rows of the band or none.
        std::sort(FEdges, FEdges + FEdgeCount);
        RowPainter painter;
        for (int e = 0; e + 1 < FEdgeCount; ++e) {
            const int y0 = FEdges[e], y1 = FEdges[e + 1];
            RowCoverage covered(FWidth);
            bool any = false;
            for (uint32_t r = 0; r < FRunCount; ++r) {
                if (FRuns[r].Top > y0 || FRuns[r].Bottom < y1) continue;
                any = true;
                for (uint32_t i = FRuns[r].Begin, end = runEnd(r); i < end; ++i) {
                    const Fill& f = FFills[i];
                    painter.Paint(at(f.Left, y0), bytes(f), f.R, f.G, f.B);
                    covered.Add(f.Left, f.Right);
                }
            }
            if (!any || y1 - y0 == 1) continue;
            if (covered.Full()) {
                // The first row no longer depends on what was there before,
                // and neither would the others: they equal it. The band is
                // one block, filled by doubling copies of its start (large
                // copies store faster than row after row), up to a chunk
                // whose source still sits in the first-level cache.
                uint8_t* band = at(0, y0);
                const size_t total = static_cast<size_t>(y1 - y0) * stride;
                const size_t maxChunk = std::max(stride, kCopyChunk / stride * stride);
                for (size_t done = stride; done < total;) {
                    const size_t chunk = std::min({done, maxChunk, total - done});
                    std::memcpy(band + done, band, chunk);
                    done += chunk;
                }
            } else {
                for (uint32_t r = 0; r < FRunCount; ++r) {
                    if (FRuns[r].Top > y0 || FRuns[r].Bottom < y1) continue;
                    for (uint32_t i = FRuns[r].Begin, end = runEnd(r); i < end; ++i) {
                        const Fill& f = FFills[i];
                        FillBlock(at(f.Left, y0 + 1), stride, bytes(f), y1 - y0 - 1, f.R, f.G, f.B);
                    }
                }
            }
        }
    }
    FFillCount = FRunCount = 0;
    FEdgeCount = 0;
    FLastTop = FLastBottom = INT_MIN;
}

void RasterCanvas::DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                             TColor BackColor) {
    Flush();  // glyphs blend with the pixels beneath them
    FontEngine& fonts = FontEngine::ForThisThread();
    const TTextMetrics m = fonts.Metrics(Font);
    const bool rotated = ((Font.lfEscapement % 3600) + 3600) % 3600 == 900;
    // Positions are worked out in 64 bits and clipped, so that no reference
    // point, however far outside, can overflow.
    auto clampInt = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
    const long long x = X, y = Y;
    const long long w = Opaque ? fonts.TextWidth(Font, Text) : 0;
    if (Opaque) {
        // Horizontal: the cell spans w columns from X and the cell height
        // down from Y. Rotated: it spans the cell height to the right of X
        // and w rows upwards from Y, row Y included.
        const TRect cell = rotated ? Rect(clampInt(x), clampInt(y - w + 1), clampInt(x + m.Height()), clampInt(y + 1))
                                   : Rect(clampInt(x), clampInt(y), clampInt(x + w), clampInt(y + m.Height()));
        DoFillRect(cell, BackColor);
        Flush();
    }
    // Pen on the baseline: below the cell top, or right of the cell's left
    // edge when the text runs upwards.
    long long penX = rotated ? x + m.Ascent : x;
    long long penY = rotated ? y : y + m.Ascent;
    const uint8_t cr = GetRValue(TextColor), cg = GetGValue(TextColor), cb = GetBValue(TextColor);
    // Text mostly lies on its background colour: those pixels take the
    // blend from a table, the others are blended one by one.
    const uint32_t back = PackRgb(GetRValue(BackColor), GetGValue(BackColor), GetBValue(BackColor));
    const BlendTable& table = BlendTableFor(TextColor, BackColor);
    const size_t stride = static_cast<size_t>(FWidth) * kBytesPerPixel;
    // Horizontal text on a filled cell: a glyph that lies inside the cell,
    // clear of the glyphs before it, covers only background pixels and is
    // copied in already blended.
    const bool onCell = Opaque && !rotated;
    // The part of the cell inside the image, which the fill above painted.
    const long long cellLeft = std::max(x, 0LL), cellTop = std::max(y, 0LL);
    const long long cellRight = std::min<long long>(x + w, FWidth);
    const long long cellBottom = std::min<long long>(y + m.Height(), FHeight);
    long long drawnRight = LLONG_MIN;  // right edge of the glyphs written so far
    for (unsigned char ch : Text) {
        const GlyphBitmap& g = fonts.Glyph(Font, ch);
        const long long gx = penX + g.Left;
        const long long gy = penY + g.Top;
        penX += g.AdvanceX;
        penY += g.AdvanceY;
        if (g.Width == 0 || g.Rows == 0) continue;
        if (gx >= FWidth || gy >= FHeight || gx + g.Width <= 0 || gy + g.Rows <= 0) continue;
        if (onCell && gx >= cellLeft && gx >= drawnRight && gy >= cellTop && gx + g.Width <= cellRight &&
            gy + g.Rows <= cellBottom) {
            const uint8_t* src = TintedGlyph(g, TextColor, BackColor);
            const size_t rowBytes = static_cast<size_t>(g.Width) * kBytesPerPixel;
            uint8_t* dst = FPixels.data() + static_cast<size_t>(gy) * stride + static_cast<size_t>(gx) * kBytesPerPixel;
            CopyRows(dst, stride, src, rowBytes, g.Rows);
            drawnRight = gx + g.Width;
            continue;
        }
        drawnRight = std::max(drawnRight, gx + g.Width);
        const int x0 = static_cast<int>(std::max(0LL, -gx)),
                  x1 = static_cast<int>(std::min<long long>(g.Width, FWidth - gx));
        const int y0 = static_cast<int>(std::max(0LL, -gy)),
                  y1 = static_cast<int>(std::min<long long>(g.Rows, FHeight - gy));
        for (int j = y0; j < y1; ++j) {
            const uint8_t* cov = g.Coverage.data() + static_cast<size_t>(j) * g.Width;
            uint8_t* p =
                FPixels.data() + static_cast<size_t>(gy + j) * stride + static_cast<size_t>(gx + x0) * kBytesPerPixel;
            for (int i = x0; i < x1; ++i, p += kBytesPerPixel) {
                const unsigned a = cov[i];
                if (PackRgb(p) == back) {
                    const uint32_t c = table.Rgb[a];
                    p[0] = static_cast<uint8_t>(c >> 16);
                    p[1] = static_cast<uint8_t>(c >> 8);
                    p[2] = static_cast<uint8_t>(c);
                } else if (a != 0) {
                    p[0] = Blend(p[0], cr, a);
                    p[1] = Blend(p[1], cg, a);
                    p[2] = Blend(p[2], cb, a);
                }
            }
        }
    }
}

bool RasterCanvas::SavePng(const std::string& Path, std::string* Error) const {
    auto fail = [&](std::string Message) {
        if (Error) *Error = std::move(Message);
        return false;
    };
    if (FWidth <= 0 || FHeight <= 0) return fail("cannot write " + Path + ": the image is empty");
    Flush();

    // Pick the smallest faithful format: grey when every pixel is grey,
    // a palette when there are at most 256 colours, else RGB. Barcode rows
    // repeat, so a row equal to the one above is skipped (and later copied),
    // and within a row only colour changes reach the table.
    const size_t rowBytes = static_cast<size_t>(FWidth) * kBytesPerPixel;
    const uint8_t* px = FPixels.data();
    auto sameAsAbove = [&](int y) {
        return y > 0 && std::memcmp(px + y * rowBytes, px + (y - 1) * rowBytes, rowBytes) == 0;
    };
    auto table = std::make_unique<ColourTable>();
    bool few = true;
    for (int y = 0; y < FHeight && few; ++y) {
        if (sameAsAbove(y)) continue;
        const uint8_t* p = px + y * rowBytes;
        const uint8_t* end = p + rowBytes;
        for (uint32_t prev = 0xFFFFFFFFu; p < end; p += kBytesPerPixel) {
            const uint32_t c = PackRgb(p);
            if (c == prev) continue;
            prev = c;
            if (table->IndexOf(c) < 0) {
                few = false;
                break;
            }
        }
    }
    bool grey = few, blackWhite = few;
    for (int i = 0; few && i < table->Count(); ++i) {
        const uint32_t c = table->Colour(i);
        grey = grey && (c >> 16) == (c & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF);
        blackWhite = blackWhite && (c == 0 || c == 0xFFFFFFu);
    }

    PngImage img;
    img.Width = FWidth;
    img.Height = FHeight;
    std::vector<uint8_t> packed;
    std::vector<png_color> palette;
    if (few) {
        int bits = 8;
        if (grey) {
            img.ColorType = PNG_COLOR_TYPE_GRAY;
            bits = blackWhite ? 1 : 8;
        } else {
            img.ColorType = PNG_COLOR_TYPE_PALETTE;
            const int n = table->Count();
            bits = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
            palette.resize(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) {
                const uint32_t c = table->Colour(i);
                palette[static_cast<size_t>(i)] = png_color{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
            }
            img.Palette = palette.data();
            img.PaletteSize = n;
        }
        img.BitDepth = bits;
        img.RowBytes = (static_cast<size_t>(FWidth) * bits + 7) / 8;
        packed.resize(img.RowBytes * FHeight);
        for (int y = 0; y < FHeight; ++y) {
            uint8_t* dst = packed.data() + y * img.RowBytes;
            if (sameAsAbove(y)) {
                std::memcpy(dst, dst - img.RowBytes, img.RowBytes);
                continue;
            }
            const uint8_t* src = px + y * rowBytes;
            // Samples go in from the high bits of each byte; a byte is
            // stored once `filled` reaches 8 bits.
            unsigned acc = 0;
            int filled = 0;
            for (int x = 0; x < FWidth; ++x, src += kBytesPerPixel) {
                unsigned v;
                if (grey)
                    v = bits == 1 ? (src[0] ? 1u : 0u) : src[0];
                else
                    v = static_cast<unsigned>(table->IndexOf(PackRgb(src)));
                acc = (acc << bits) | v;
                filled += bits;
                if (filled == 8) {
                    *dst++ = static_cast<uint8_t>(acc);
                    acc = 0;
                    filled = 0;
                }
            }
            if (filled) *dst = static_cast<uint8_t>(acc << (8 - filled));
        }
        img.Rows = packed.data();
    } else {
        img.ColorType = PNG_COLOR_TYPE_RGB;
        img.BitDepth = 8;
        img.Rows = px;
        img.RowBytes = rowBytes;
    }

    FILE* file = std::fopen(Path.c_str(), "wb");
    if (!file) return fail("cannot write " + Path + ": " + std::strerror(errno));
    PngError err;
    bool ok = WritePngFile(file, img, &err);
    std::string reason = err.Message;
    if (ok && (std::fflush(file) != 0 || std::ferror(file))) {
        ok = false;
        reason = std::strerror(errno);
    }
    struct stat st {};
    const bool regular = fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok) {
        if (regular) std::remove(Path.c_str());  // never leave a truncated image behind
        return fail("cannot write " + Path + ": " + (reason.empty() ? std::string("write error") : reason));
    }
    return true;
}

}  // namespace kdx
