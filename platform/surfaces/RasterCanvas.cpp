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

inline uint32_t PackRgb(const uint8_t* P) { return uint32_t(P[0]) << 16 | uint32_t(P[1]) << 8 | P[2]; }

}  // namespace

// ---- RasterCanvas

RasterCanvas::RasterCanvas(int Width, int Height, TColor Background) { Resize(Width, Height, Background); }

void RasterCanvas::Resize(int Width, int Height, TColor Background) {
    FWidth = std::max(0, Width);
    FHeight = std::max(0, Height);
    FPixels.assign(static_cast<size_t>(FWidth) * FHeight * kBytesPerPixel, 0);
    Clear(Background);
}

void RasterCanvas::Clear(TColor Background) { DoFillRect(Rect(0, 0, FWidth, FHeight), Background); }

void RasterCanvas::Draw(int X, int Y, const RasterCanvas& Source) {
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
    const uint8_t* p = FPixels.data() + (static_cast<size_t>(Y) * FWidth + X) * kBytesPerPixel;
    return RGB(p[0], p[1], p[2]);
}

void RasterCanvas::DoFillRect(const TRect& R, TColor Color) {
    const int l = std::max(R.Left, 0);
    const int t = std::max(R.Top, 0);
    const int r = std::min(R.Right, FWidth);
    const int b = std::min(R.Bottom, FHeight);
    if (l >= r || t >= b) return;
    const size_t stride = static_cast<size_t>(FWidth) * kBytesPerPixel;
    uint8_t* dst = FPixels.data() + static_cast<size_t>(t) * stride + static_cast<size_t>(l) * kBytesPerPixel;
    FillBlock(dst, stride, static_cast<size_t>(r - l) * kBytesPerPixel, b - t, GetRValue(Color), GetGValue(Color),
              GetBValue(Color));
}

void RasterCanvas::DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                             TColor BackColor) {
    FontEngine& fonts = FontEngine::ForThisThread();
    const TTextMetrics m = fonts.Metrics(Font);
    const bool rotated = ((Font.lfEscapement % 3600) + 3600) % 3600 == 900;
    // Positions are worked out in 64 bits and clipped, so that no reference
    // point, however far outside, can overflow.
    auto clampInt = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
    const long long x = X, y = Y;
    if (Opaque) {
        const long long w = fonts.TextWidth(Font, Text);
        // Horizontal: the cell spans w columns from X and the cell height
        // down from Y. Rotated: it spans the cell height to the right of X
        // and w rows upwards from Y, row Y included.
        const TRect cell = rotated ? Rect(clampInt(x), clampInt(y - w + 1), clampInt(x + m.Height()), clampInt(y + 1))
                                   : Rect(clampInt(x), clampInt(y), clampInt(x + w), clampInt(y + m.Height()));
        DoFillRect(cell, BackColor);
    }
    // Pen on the baseline: below the cell top, or right of the cell's left
    // edge when the text runs upwards.
    long long penX = rotated ? x + m.Ascent : x;
    long long penY = rotated ? y : y + m.Ascent;
    const uint8_t cr = GetRValue(TextColor), cg = GetGValue(TextColor), cb = GetBValue(TextColor);
    const size_t stride = static_cast<size_t>(FWidth) * kBytesPerPixel;
    for (unsigned char ch : Text) {
        const GlyphBitmap& g = fonts.Glyph(Font, ch);
        const long long gx = penX + g.Left;
        const long long gy = penY + g.Top;
        penX += g.AdvanceX;
        penY += g.AdvanceY;
        if (gx >= FWidth || gy >= FHeight || gx + g.Width <= 0 || gy + g.Rows <= 0) continue;
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
                if (a == 0) continue;
                if (a == 255) {
                    p[0] = cr;
                    p[1] = cg;
                    p[2] = cb;
                    continue;
                }
                // Coverage as alpha over the pixel, rounded to nearest.
                const unsigned na = 255 - a;
                p[0] = static_cast<uint8_t>((p[0] * na + cr * a + 127) / 255);
                p[1] = static_cast<uint8_t>((p[1] * na + cg * a + 127) / 255);
                p[2] = static_cast<uint8_t>((p[2] * na + cb * a + 127) / 255);
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
