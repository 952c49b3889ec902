// Raster surface: exact pixels of the canvas operations, text cells for
// horizontal and rotated text, the font engine's faces and widths, PNG output.

#include <gtest/gtest.h>
#include <png.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/graphics/FontEngine.h"
#include "platform/graphics/Graphics.h"
#include "platform/surfaces/RasterCanvas.h"

namespace kdx {
namespace {

constexpr TColor kBack = clWhite;

// Every pixel must be Inside(x, y) ? Fill : kBack.
void ExpectPixels(const RasterCanvas& C, TColor Fill, const std::function<bool(int, int)>& Inside) {
    int bad = 0;
    for (int y = 0; y < C.Height(); ++y)
        for (int x = 0; x < C.Width(); ++x) {
            const TColor want = Inside(x, y) ? Fill : kBack;
            if (C.Pixel(x, y) != want && ++bad <= 5)
                ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex << C.Pixel(x, y) << ", want "
                              << want;
        }
    EXPECT_EQ(bad, 0);
}

// ---- FillRect

struct FillCase {
    const char* Name;
    TRect R;
    int X0, X1, Y0, Y1;  // expected filled columns X0..X1, rows Y0..Y1 (X0 > X1: nothing)
};

TEST(RasterFill, ExactPixelsTable) {
    const FillCase cases[] = {
        {"plain", Rect(2, 3, 5, 7), 2, 4, 3, 6},
        {"single pixel", Rect(4, 4, 5, 5), 4, 4, 4, 4},
        {"bottom above top", Rect(2, 10, 5, 7), 2, 4, 8, 10},
        {"right left of left", Rect(6, 2, 3, 4), 4, 6, 2, 3},
        {"both inverted", Rect(6, 9, 3, 4), 4, 6, 5, 9},
        {"empty width", Rect(3, 3, 3, 8), 1, 0, 1, 0},
        {"empty height", Rect(3, 3, 8, 3), 1, 0, 1, 0},
        {"clipped top left", Rect(-5, -5, 3, 2), 0, 2, 0, 1},
        {"clipped bottom right", Rect(36, 17, 60, 60), 36, 39, 17, 19},
        {"whole image and more", Rect(-1, -1, 41, 21), 0, 39, 0, 19},
        {"right of image", Rect(40, 0, 45, 5), 1, 0, 1, 0},
        {"below image", Rect(0, 20, 5, 25), 1, 0, 1, 0},
        {"left above image", Rect(-10, -10, 0, 0), 1, 0, 1, 0},
        {"inverted outside", Rect(2, -1, 5, -4), 1, 0, 1, 0},
        {"wide band", Rect(1, 5, 39, 9), 1, 38, 5, 8},
    };
    for (const TColor colour : {clBlack, clGray, clNavy, RGB(1, 2, 3)})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + " colour " + std::to_string(colour));
            RasterCanvas canvas(40, 20, kBack);
            canvas.Brush.SetColor(colour);
            canvas.FillRect(c.R);
            ExpectPixels(canvas, colour,
                         [&](int x, int y) { return x >= c.X0 && x <= c.X1 && y >= c.Y0 && y <= c.Y1; });
        }
}

TEST(RasterFill, EveryWidthGreyAndColour) {
    // Widths 1..70 cross every row-copy strategy (narrow bars to long rows).
    for (const TColor colour : {clBlack, clSilver, clRed, RGB(10, 200, 30)})
        for (int w = 1; w <= 70; ++w) {
            SCOPED_TRACE("width " + std::to_string(w) + " colour " + std::to_string(colour));
            RasterCanvas canvas(80, 6, kBack);
            canvas.Brush.SetColor(colour);
            canvas.FillRect(Rect(3, 1, 3 + w, 5));
            ExpectPixels(canvas, colour, [&](int x, int y) { return x >= 3 && x < 3 + w && y >= 1 && y < 5; });
        }
}

TEST(RasterFill, ConsecutiveVerticalElementsTile) {
    // Two vertical bars as the primitives draw them: the first from CurY =
    // 30 two modules up, the next from the advanced CurY = 28 three modules up.
    RasterCanvas canvas(10, 40, kBack);
    canvas.Brush.SetColor(clRed);
    canvas.FillRect(Rect(2, 30, 6, 28));
    canvas.Brush.SetColor(clBlue);
    canvas.FillRect(Rect(2, 28, 6, 25));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 10; ++x) {
            TColor want = kBack;
            if (x >= 2 && x < 6 && (y == 29 || y == 30)) want = clRed;
            if (x >= 2 && x < 6 && y >= 26 && y <= 28) want = clBlue;
            ASSERT_EQ(canvas.Pixel(x, y), want) << x << "," << y;
        }
}

TEST(RasterFill, ClearBrushPaintsNothing) {
    RasterCanvas canvas(8, 8, kBack);
    canvas.Brush.SetColor(clBlack);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.FillRect(Rect(0, 0, 8, 8));
    ExpectPixels(canvas, clBlack, [](int, int) { return false; });
}

TEST(RasterCanvasBasics, SizePixelOutsideAndClear) {
    RasterCanvas canvas(7, 3, clNavy);
    EXPECT_EQ(canvas.Width(), 7);
    EXPECT_EQ(canvas.Height(), 3);
    EXPECT_EQ(canvas.Pixel(0, 0), clNavy);
    EXPECT_EQ(canvas.Pixel(6, 2), clNavy);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {7, 0}, {0, 3}}) EXPECT_EQ(canvas.Pixel(x, y), -1);
    const uint8_t* d = canvas.Data();
    EXPECT_EQ(d[0], 0x00);  // R, G, B byte order
    EXPECT_EQ(d[2], 0x80);
    canvas.Resize(2, 2, clYellow);
    EXPECT_EQ(canvas.Pixel(1, 1), clYellow);
    EXPECT_EQ(canvas.Pixel(2, 1), -1);
}

// ---- Rectangle

TEST(RasterRectangle, OutlineWithPenInteriorWithBrush) {
    struct Case {
        int PenWidth;
        int Border;  // pixels of outline
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{2, 2}}) {
        SCOPED_TRACE("pen width " + std::to_string(c.PenWidth));
        RasterCanvas canvas(14, 12, kBack);
        canvas.Pen.SetColor(clRed);
        canvas.Pen.SetWidth(c.PenWidth);
        canvas.Brush.SetColor(clBlue);
        canvas.Rectangle(2, 1, 11, 9);  // columns 2..10, rows 1..8
        const int b = c.Border;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 14; ++x) {
                TColor want = kBack;
                if (x >= 2 && x <= 10 && y >= 1 && y <= 8) {
                    const bool edge = x < 2 + b || x > 10 - b || y < 1 + b || y > 8 - b;
                    want = edge ? clRed : clBlue;
                }
                ASSERT_EQ(canvas.Pixel(x, y), want) << x << "," << y;
            }
    }
}

// ---- Fonts and text

LOGFONT ArialLogFont(int Height, int Escapement = 0) {
    TFont f;
    f.SetName("Arial");
    f.SetHeight(Height);
    LOGFONT lf;
    GetObject(f.Handle(), sizeof lf, &lf);
    lf.lfEscapement = Escapement;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    return lf;
}

TEST(RasterFont, DefaultFontIsEightPoints) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
}

TEST(RasterFont, FaceResolution) {
    FontEngine& fe = FontEngine::ForThisThread();
    LOGFONT lf = ArialLogFont(-11);
    EXPECT_NE(fe.FacePath(lf).find("Liberation"), std::string::npos) << fe.FacePath(lf);
    lf.lfWeight = FW_BOLD;
    EXPECT_NE(fe.FacePath(lf).find("Bold"), std::string::npos) << fe.FacePath(lf);
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = 1;
    EXPECT_NE(fe.FacePath(lf).find("Italic"), std::string::npos) << fe.FacePath(lf);
    // Unknown and default names fall back to an existing face.
    for (const char* name : {"No Such Face Anywhere", "MS Sans Serif", ""}) {
        LOGFONT u;
        u.lfHeight = -11;
        u.SetFaceName(name);
        const std::string path = fe.FacePath(u);
        EXPECT_TRUE(std::filesystem::exists(path)) << name << " -> " << path;
        EXPECT_GT(fe.TextWidth(u, "123"), 0) << name;
    }
}

// Sum of rounded hinted advances, straight from FreeType.
int FreeTypeWidth(const std::string& Path, int Ppem, const std::string& Text) {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    int w = -1;
    if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, Path.c_str(), 0, &face) == 0 &&
        FT_Set_Pixel_Sizes(face, 0, Ppem) == 0) {
        w = 0;
        for (unsigned char ch : Text)
            if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) == 0) w += static_cast<int>((face->glyph->advance.x + 32) >> 6);
    }
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
    return w;
}

TEST(RasterFont, WidthsAndMetrics) {
    FontEngine& fe = FontEngine::ForThisThread();
    const LOGFONT lf = ArialLogFont(-11);
    const int w = fe.TextWidth(lf, "CODE39");
    EXPECT_GT(w, 30);
    EXPECT_LT(w, 60);
    EXPECT_EQ(w, FreeTypeWidth(fe.FacePath(lf), 11, "CODE39"));
    EXPECT_EQ(fe.PixelSize(lf), 11.0);
    int sum = 0;
    for (char c : std::string("CODE39")) sum += fe.TextWidth(lf, std::string(1, c));
    EXPECT_EQ(sum, w);
    EXPECT_EQ(fe.TextWidth(lf, ""), 0);

    // Cell: ascent + descent cover at least the em; rotation changes nothing.
    const TTextMetrics m = fe.Metrics(lf);
    EXPECT_GE(m.Ascent, 9);
    EXPECT_GE(m.Descent, 2);
    EXPECT_GE(m.Height(), 12);
    EXPECT_EQ(fe.Metrics(ArialLogFont(-11, 900)).Height(), m.Height());
    EXPECT_EQ(fe.TextWidth(ArialLogFont(-11, 900), "CODE39"), w);

    // Positive height is the cell height: about that tall, never the em.
    const TTextMetrics cell = fe.Metrics(ArialLogFont(20));
    EXPECT_NEAR(cell.Height(), 20, 1);
    EXPECT_LT(fe.PixelSize(ArialLogFont(20)), 20.0);

    // The canvas reports the same as the engine.
    RasterCanvas canvas(10, 10);
    canvas.Font.SetName("Arial");
    EXPECT_EQ(canvas.TextWidth("CODE39"), w);
    EXPECT_EQ(canvas.TextHeight("CODE39"), m.Height());
    // Bold is wider where the faces differ ("r", "t"), the same for
    // capitals and digits.
    const int thin = canvas.TextWidth("rtrt");
    canvas.Font.SetStyle(fsBold);
    EXPECT_GT(canvas.TextWidth("rtrt"), thin);
    EXPECT_EQ(canvas.TextWidth("CODE39"), w);
}

TEST(RasterFont, GlyphsAreCachedAndRotated) {
    FontEngine& fe = FontEngine::ForThisThread();
    const LOGFONT h = ArialLogFont(-11), v = ArialLogFont(-11, 900);
    const GlyphBitmap& g = fe.Glyph(h, 'E');
    EXPECT_EQ(&fe.Glyph(h, 'E'), &g);
    ASSERT_GT(g.Width * g.Rows, 0);
    EXPECT_EQ(g.AdvanceX, fe.TextWidth(h, "E"));
    EXPECT_EQ(g.AdvanceY, 0);
    const GlyphBitmap& r = fe.Glyph(v, 'E');
    EXPECT_EQ(&fe.Glyph(v, 'E'), &r);
    EXPECT_EQ(r.Width, g.Rows);
    EXPECT_EQ(r.Rows, g.Width);
    EXPECT_EQ(r.AdvanceX, 0);
    EXPECT_EQ(r.AdvanceY, -g.AdvanceX);
    const GlyphBitmap& space = fe.Glyph(h, ' ');
    EXPECT_EQ(space.Width * space.Rows, 0);
    EXPECT_GT(space.AdvanceX, 0);
}

struct Box {
    int X0 = 1 << 30, Y0 = 1 << 30, X1 = -1, Y1 = -1;
    bool Empty() const { return X1 < 0; }
};

// Bounding box of the pixels that are neither Back nor Cell.
Box InkBox(const RasterCanvas& C, TColor Cell) {
    Box b;
    for (int y = 0; y < C.Height(); ++y)
        for (int x = 0; x < C.Width(); ++x)
            if (C.Pixel(x, y) != kBack && C.Pixel(x, y) != Cell) {
                b.X0 = std::min(b.X0, x);
                b.Y0 = std::min(b.Y0, y);
                b.X1 = std::max(b.X1, x);
                b.Y1 = std::max(b.Y1, y);
            }
    return b;
}

struct TextCase {
    const char* Name;
    int Escapement;
    bool Opaque;
};

TEST(RasterText, CellAndInkTable) {
    const std::string text = "CODE39";
    const TextCase cases[] = {
        {"horizontal opaque", 0, true},
        {"horizontal transparent", 0, false},
        {"rotated opaque", 900, true},
        {"rotated transparent", 900, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RasterCanvas canvas(120, 120, kBack);
        canvas.Font.SetName("Arial");
        canvas.Font.SetHeight(-11);
        canvas.Font.SetColor(clBlack);
        canvas.Brush.SetColor(clYellow);
        if (c.Escapement) {
            LOGFONT lf;
            GetObject(canvas.Font.Handle(), sizeof lf, &lf);
            lf.lfEscapement = c.Escapement;
            lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
            canvas.Font.SetHandle(CreateFontIndirect(lf));
        }
        SetTextAlign(canvas.Handle(), TA_LEFT | TA_TOP);
        if (!c.Opaque) SetBkMode(canvas.Handle(), TRANSPARENT);
        const int w = canvas.TextWidth(text), h = canvas.TextHeight(text);
        const int X = 30, Y = 80;
        canvas.TextOut(X, Y, text);

        // The cell: horizontal columns X.. and rows Y.. down; rotated the
        // cell height to the right of X and the width upwards from row Y.
        const int cx0 = X, cx1 = c.Escapement ? X + h - 1 : X + w - 1;
        const int cy0 = c.Escapement ? Y - w + 1 : Y, cy1 = c.Escapement ? Y : Y + h - 1;
        auto inCell = [&](int x, int y) { return x >= cx0 && x <= cx1 && y >= cy0 && y <= cy1; };
        int cellBack = 0, ink = 0, dark = 0;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const TColor p = canvas.Pixel(x, y);
                if (!inCell(x, y)) {
                    ASSERT_EQ(p, kBack) << "outside the cell at " << x << "," << y;
                    continue;
                }
                if (p == (c.Opaque ? clYellow : kBack))
                    ++cellBack;
                else
                    ++ink;
                if (p == clBlack) ++dark;
                // Opaque: no untouched background inside the cell.
                if (c.Opaque) {
                    ASSERT_NE(p, kBack) << x << "," << y;
                }
            }
        EXPECT_GT(ink, 40);
        EXPECT_GT(dark, 10);
        EXPECT_GT(cellBack, ink);

        // The ink spans most of the text's run: horizontal over the columns,
        // rotated over the rows above Y; it stays off the reference row/column
        // side it must not cross (rotated: right of X, above row Y + 1).
        const Box b = InkBox(canvas, clYellow);
        ASSERT_FALSE(b.Empty());
        if (c.Escapement) {
            EXPECT_GE(b.X0, X);
            EXPECT_LE(b.Y1, Y);
            EXPECT_GT(b.Y1 - b.Y0, w - 6);
            EXPECT_LE(b.X1 - b.X0, h);
        } else {
            EXPECT_GE(b.Y0, Y);
            EXPECT_GT(b.X1 - b.X0, w - 6);
            EXPECT_LE(b.Y1 - b.Y0, h);
        }
    }
}

// Opaque text on its own cell copies glyphs already blended, row by row;
// the same text drawn transparently over a fill of the cell colour blends
// pixel by pixel. Both must give the same image at every glyph width (a few
// bytes to a few hundred per row).
TEST(RasterText, CopiedGlyphsEqualBlendedGlyphs) {
    for (int height : {-5, -8, -11, -16, -24, -40, -90}) {
        SCOPED_TRACE(testing::Message() << "font height " << height);
        const std::string text = "W1il|MO@%";
        auto draw = [&](bool Opaque) {
            auto c = std::make_unique<RasterCanvas>(700, 120, kBack);
            c->Font.SetName("Arial");
            c->Font.SetHeight(height);
            c->Font.SetColor(RGB(20, 40, 160));
            c->Brush.SetColor(RGB(250, 240, 200));
            const int w = c->TextWidth(text), h = c->TextHeight(text);
            if (!Opaque) {
                c->FillRect(Rect(3, 4, 3 + w, 4 + h));
                SetBkMode(c->Handle(), TRANSPARENT);
            }
            c->TextOut(3, 4, text);
            return c;
        };
        const auto copied = draw(true), blended = draw(false);
        int differ = 0;
        for (int y = 0; y < copied->Height(); ++y)
            for (int x = 0; x < copied->Width(); ++x)
                if (copied->Pixel(x, y) != blended->Pixel(x, y) && ++differ <= 3)
                    ADD_FAILURE() << "pixel (" << x << "," << y << ")";
        EXPECT_EQ(differ, 0);
    }
}

TEST(RasterText, RotatedIsHorizontalTurnedCounterClockwise) {
    // The rotated drawing is the horizontal one turned by 90 degrees about
    // the reference pixel: cell pixel (X + c, Y + r) lands on (X + r, Y - c).
    const std::string text = "EAN 4006381";
    RasterCanvas hor(160, 160, kBack), ver(160, 160, kBack);
    for (RasterCanvas* c : {&hor, &ver}) {
        c->Font.SetName("Arial");
        c->Font.SetHeight(-13);
        c->Brush.SetColor(clAqua);
    }
    LOGFONT lf;
    GetObject(ver.Font.Handle(), sizeof lf, &lf);
    lf.lfEscapement = 900;
    ver.Font.SetHandle(CreateFontIndirect(lf));
    const int X = 20, Y = 140;
    hor.TextOut(X, 10, text);
    ver.TextOut(X, Y, text);
    const int w = hor.TextWidth(text), h = hor.TextHeight(text);
    for (int c = 0; c < w; ++c)
        for (int r = 0; r < h; ++r) ASSERT_EQ(ver.Pixel(X + r, Y - c), hor.Pixel(X + c, 10 + r)) << c << "," << r;
}

TEST(RasterText, TextClippedAtImageEdgesAndSameInAnyThread) {
    auto draw = [] {
        RasterCanvas canvas(30, 8, kBack);
        canvas.Font.SetName("Arial");
        canvas.Font.SetHeight(-16);
        canvas.Brush.SetColor(clSilver);
        canvas.TextOut(-5, -4, "W0123456789");
        return std::vector<uint8_t>(canvas.Data(), canvas.Data() + 30 * 8 * 3);
    };
    const auto here = draw();
    std::vector<uint8_t> there;
    std::thread t([&] { there = draw(); });
    t.join();
    EXPECT_EQ(here, there);
}

// ---- PNG

struct PngRead {
    int Width = 0, Height = 0, BitDepth = 0, ColorType = -1;
    std::vector<uint8_t> Rgb;
};

PngRead ReadPng(const std::string& Path) {
    PngRead out;
    std::ifstream in(Path, std::ios::binary);
    std::vector<unsigned char> head(26);
    in.read(reinterpret_cast<char*>(head.data()), 26);
    if (in.gcount() == 26) {
        out.BitDepth = head[24];
        out.ColorType = head[25];
    }
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, Path.c_str())) return out;
    img.format = PNG_FORMAT_RGB;
    out.Rgb.resize(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, out.Rgb.data(), 0, nullptr)) {
        png_image_free(&img);
        out.Rgb.clear();
        return out;
    }
    out.Width = static_cast<int>(img.width);
    out.Height = static_cast<int>(img.height);
    return out;
}

struct PngCase {
    const char* Name;
    std::function<void(RasterCanvas&)> Paint;
    int BitDepth, ColorType;
};

TEST(RasterPng, RoundTripTable) {
    const PngCase cases[] = {
        {"black and white",
         [](RasterCanvas& c) {
             c.Brush.SetColor(clBlack);
             c.FillRect(Rect(3, 0, 5, 9));
             c.FillRect(Rect(8, 2, 9, 9));
         },
         1, PNG_COLOR_TYPE_GRAY},
        {"two colours",
         [](RasterCanvas& c) {
             c.Brush.SetColor(clNavy);
             c.FillRect(Rect(1, 0, 3, 9));
             c.FillRect(Rect(35, 0, 37, 9));
         },
         1, PNG_COLOR_TYPE_PALETTE},
        {"three colours",
         [](RasterCanvas& c) {
             c.Brush.SetColor(clRed);
             c.FillRect(Rect(0, 0, 9, 9));
             c.Brush.SetColor(clBlue);
             c.FillRect(Rect(30, 4, 36, 2));
         },
         2, PNG_COLOR_TYPE_PALETTE},
        {"grey levels",
         [](RasterCanvas& c) {
             for (int x = 0; x < 37; ++x) {
                 c.Brush.SetColor(RGB(x * 7, x * 7, x * 7));
                 c.FillRect(Rect(x, 0, x + 1, 9));
             }
         },
         8, PNG_COLOR_TYPE_GRAY},
        {"five colours",
         [](RasterCanvas& c) {
             const TColor k[] = {clRed, clLime, clBlue, clYellow};
             for (int i = 0; i < 4; ++i) {
                 c.Brush.SetColor(k[i]);
                 c.FillRect(Rect(i * 5, i, i * 5 + 4, 9));
             }
         },
         4, PNG_COLOR_TYPE_PALETTE},
        {"many colours",
         [](RasterCanvas& c) {
             for (int y = 0; y < 9; ++y)
                 for (int x = 0; x < 37; ++x) {
                     c.Brush.SetColor(RGB(x * 6, y * 25, (x * y) & 255));
                     c.FillRect(Rect(x, y, x + 1, y + 1));
                 }
         },
         8, PNG_COLOR_TYPE_RGB},
    };
    const std::string path = testing::TempDir() + "kdx_raster_roundtrip.png";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RasterCanvas canvas(37, 9, kBack);  // odd width: packed rows end mid-byte
        c.Paint(canvas);
        std::string error;
        ASSERT_TRUE(canvas.SavePng(path, &error)) << error;
        const PngRead r = ReadPng(path);
        EXPECT_EQ(r.BitDepth, c.BitDepth);
        EXPECT_EQ(r.ColorType, c.ColorType);
        ASSERT_EQ(r.Width, 37);
        ASSERT_EQ(r.Height, 9);
        ASSERT_EQ(r.Rgb.size(), size_t(37 * 9 * 3));
        EXPECT_TRUE(std::equal(r.Rgb.begin(), r.Rgb.end(), canvas.Data()));
    }
    std::remove(path.c_str());
}

TEST(RasterPng, TextImageRoundTrip) {
    RasterCanvas canvas(90, 20, kBack);
    canvas.Font.SetName("Arial");
    canvas.Font.SetColor(clMaroon);
    canvas.TextOut(2, 2, "4006381333931");
    const std::string path = testing::TempDir() + "kdx_raster_text.png";
    std::string error;
    ASSERT_TRUE(canvas.SavePng(path, &error)) << error;
    const PngRead r = ReadPng(path);
    ASSERT_EQ(r.Rgb.size(), size_t(90 * 20 * 3));
    EXPECT_TRUE(std::equal(r.Rgb.begin(), r.Rgb.end(), canvas.Data()));
    std::remove(path.c_str());
}

TEST(RasterPng, UnwritableTargetsReportAnError) {
    RasterCanvas canvas(10, 10);
    std::vector<std::string> paths = {"/nonexistent-kdx-dir/x.png", testing::TempDir()};
    if (std::filesystem::exists("/dev/full")) paths.push_back("/dev/full");
    for (const auto& p : paths) {
        std::string error;
        EXPECT_FALSE(canvas.SavePng(p, &error)) << p;
        EXPECT_NE(error.find(p), std::string::npos) << error;
        EXPECT_FALSE(canvas.SavePng(p)) << p;  // no error string wanted: still no crash
    }
    RasterCanvas empty(0, 0);
    std::string error;
    EXPECT_FALSE(empty.SavePng(testing::TempDir() + "kdx_empty.png", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kdx
