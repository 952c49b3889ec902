// Raster surface: fills are collected and applied band by band when pixels
// are next needed; the pixels must be exactly those of filling each
// rectangle at once, in call order, whatever the mix of fills, text and
// reads. Checked against a plain per-pixel model and against the same
// surface forced to apply every call at once.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/surfaces/RasterCanvas.h"
#include "runtime/Kdx.h"

namespace kdx {
namespace {

// The canvas contract of FillRect on a plain pixel array: normalised corners,
// right column and bottom row outside, clipped to the image.
struct Model {
    int W, H;
    std::vector<TColor> Px;
    Model(int Width, int Height, TColor Back) : W(Width), H(Height), Px(size_t(Width) * Height, Back) {}
    void Fill(TRect R, TColor C) {
        if (R.Bottom < R.Top) R = Rect(R.Left, R.Bottom + 1, R.Right, R.Top + 1);
        if (R.Right < R.Left) R = Rect(R.Right + 1, R.Top, R.Left + 1, R.Bottom);
        for (int y = std::max(0, R.Top); y < std::min(H, R.Bottom); ++y)
            for (int x = std::max(0, R.Left); x < std::min(W, R.Right); ++x) Px[size_t(y) * W + x] = C;
    }
};

// Compares every pixel; reports the first few differences.
void ExpectSame(const RasterCanvas& C, const Model& M) {
    int bad = 0;
    for (int y = 0; y < M.H; ++y)
        for (int x = 0; x < M.W; ++x)
            if (C.Pixel(x, y) != M.Px[size_t(y) * M.W + x] && ++bad <= 5)
                ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex << C.Pixel(x, y) << ", want "
                              << M.Px[size_t(y) * M.W + x];
    EXPECT_EQ(bad, 0);
}

void ExpectSame(const RasterCanvas& A, const RasterCanvas& B) {
    ASSERT_EQ(A.Width(), B.Width());
    ASSERT_EQ(A.Height(), B.Height());
    const size_t n = size_t(A.Width()) * A.Height() * 3;
    int bad = 0;
    for (size_t i = 0; i < n; ++i)
        if (A.Data()[i] != B.Data()[i] && ++bad <= 5)
            ADD_FAILURE() << "byte " << i << " (pixel " << (i / 3) % A.Width() << "," << (i / 3) / A.Width()
                          << ") differs";
    EXPECT_EQ(bad, 0);
}

struct FillStep {
    TRect R;
    TColor Color;  // kRead: read the pixels instead (applies what waits)
};
constexpr TColor kRead = -1;

struct SequenceCase {
    const char* Name;
    int W, H;
    std::vector<FillStep> Steps;
};

// A horizontal barcode: a background, then bars and spaces in one band.
std::vector<FillStep> BarcodeSteps(int W, int H, int Top, int Bottom) {
    std::vector<FillStep> s = {{Rect(1, 1, W - 1, H - 1), clWhite},
                               {Rect(0, 0, W, 1), clWhite},
                               {Rect(0, H - 1, W, H), clWhite},
                               {Rect(0, 1, 1, H - 1), clWhite},
                               {Rect(W - 1, 1, W, H - 1), clWhite}};
    for (int x = 4, k = 0; x + 3 < W - 4; x += 1 + k % 3, ++k)
        s.push_back({Rect(x, Top, x + 1 + k % 3, Bottom), k % 2 ? clWhite : clBlack});
    return s;
}

TEST(RasterDeferredFill, SequencesTable) {
    std::vector<FillStep> manyBands;  // more distinct edges than one application takes
    for (int i = 0; i < 60; ++i) manyBands.push_back({Rect(i % 7, i, 30 - i % 5, i + 2 + i % 3), RGB(i * 4, 0, 255)});
    std::vector<FillStep> manyFills;  // more fills than one application takes
    for (int i = 0; i < 1500; ++i)
        manyFills.push_back({Rect(i % 40, 3, i % 40 + 2, 17), i % 3 ? clBlack : RGB(10, 200, 30)});
    std::vector<FillStep> gap;  // a column left open between two pieces, over rows that differ
    for (int y = 0; y < 10; ++y) gap.push_back({Rect(0, y, 30, y + 1), RGB(20 * y, 0, 0)});
    gap.push_back({TRect{}, kRead});
    gap.push_back({Rect(0, 2, 10, 8), clBlue});
    gap.push_back({Rect(11, 2, 30, 8), clBlue});
    std::vector<FillStep> vertical;  // elements running upwards, each on its own rows
    for (int y = 60, k = 0; y > 5; y -= 1 + k % 3, ++k)
        vertical.push_back({Rect(2, y, 25, y - 1 - k % 3), k % 2 ? clWhite : clNavy});

    const SequenceCase cases[] = {
        {"barcode band", 120, 40, BarcodeSteps(120, 40, 2, 30)},                      // 0
        {"barcode band reaching the bottom", 120, 40, BarcodeSteps(120, 40, 2, 45)},  // 1
        {"one row high", 50, 1, {{Rect(0, 0, 50, 1), clRed}, {Rect(3, 0, 9, 1), clBlue}}},
        {"partial cover keeps what was there",
         30,
         10,
         {{Rect(0, 0, 30, 10), clYellow}, {Rect(2, 2, 20, 8), clGreen}, {Rect(10, 0, 25, 5), clPurple}}},
        {"full cover made of two halves",
         30,
         10,
         {{Rect(0, 2, 15, 8), clRed}, {Rect(15, 2, 30, 8), clBlue}, {Rect(5, 4, 6, 6), clWhite}}},
        {"disjoint pieces",
         30,
         10,
         {{Rect(0, 2, 5, 8), clRed}, {Rect(20, 2, 30, 8), clBlue}, {Rect(5, 2, 20, 8), clLime}}},  // 5
        {"inverted and clipped", 40, 20, {{Rect(10, 25, -5, 3), clTeal}, {Rect(45, -4, 30, 30), clMaroon}}},
        {"empty rectangles",
         20,
         20,
         {{Rect(3, 3, 3, 9), clRed}, {Rect(50, 50, 60, 60), clRed}, {Rect(0, 0, 20, 20), clGray}}},
        {"many bands", 32, 70, manyBands},
        {"many fills", 50, 20, manyFills},
        {"vertical elements", 30, 64, vertical},  // 10
        {"one column open", 30, 10, gap},
        {"wide grey and coloured spans",
         300,
         6,
         {{Rect(0, 0, 300, 6), RGB(1, 2, 3)}, {Rect(7, 1, 290, 5), clSilver}, {Rect(0, 2, 300, 3), RGB(9, 8, 7)}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const SequenceCase& c = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << c.Name);
        RasterCanvas canvas(c.W, c.H, clWhite);
        Model model(c.W, c.H, clWhite);
        for (const FillStep& s : c.Steps) {
            if (s.Color == kRead) {
                (void)canvas.Data();
                continue;
            }
            canvas.Brush.SetColor(s.Color);
            canvas.FillRect(s.R);
            model.Fill(s.R, s.Color);
        }
        ExpectSame(canvas, model);
    }
}

TEST(RasterDeferredFill, RandomFillsAndReads) {
    std::mt19937 rng(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const TColor colours[] = {clBlack, clWhite, clRed, RGB(7, 7, 7), RGB(200, 100, 50)};
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const int w = pick(1, 90), h = pick(1, 60);
        RasterCanvas canvas(w, h, clWhite);
        Model model(w, h, clWhite);
        // Rows that differ beforehand, so that a band copied where it must
        // not be shows.
        for (int y = 0; y < h; ++y) {
            canvas.Brush.SetColor(RGB(y, 255 - y, 3 * y));
            canvas.FillRect(Rect(0, y, w, y + 1));
            model.Fill(Rect(0, y, w, y + 1), RGB(y, 255 - y, 3 * y));
        }
        (void)canvas.Data();
        const int steps = pick(1, 120);
        for (int s = 0; s < steps; ++s) {
            // Mostly shared rows and whole-width backgrounds, as drawings make them.
            TRect r;
            switch (pick(0, 4)) {
                case 0:
                    r = Rect(-2, pick(-2, h), w + 2, pick(-2, h + 2));
                    break;
                case 1:
                    r = Rect(pick(-3, w), 2, pick(-3, w + 3), h - 2);
                    break;
                case 2: {  // pieces of one band that may leave a column open
                    const int x = pick(0, w);
                    r = pick(0, 1) ? Rect(0, 1, x, h - 1) : Rect(x + pick(0, 1), 1, w, h - 1);
                    break;
                }
                default:
                    r = Rect(pick(-3, w + 3), pick(-3, h + 3), pick(-3, w + 3), pick(-3, h + 3));
                    break;
            }
            const TColor col = colours[pick(0, 4)];
            canvas.Brush.SetColor(col);
            canvas.FillRect(r);
            model.Fill(r, col);
            if (pick(0, 30) == 0) {  // a read in the middle applies what waits
                const int x = pick(0, w - 1), y = pick(0, h - 1);
                ASSERT_EQ(canvas.Pixel(x, y), model.Px[size_t(y) * w + x]);
            }
        }
        ExpectSame(canvas, model);
    }
}

// The same drawing on a surface that applies every call at once (a read
// after each call) and on one left to collect.
void DrawBoth(const std::function<void(RasterCanvas&, const std::function<void()>&)>& Draw, int W, int H) {
    RasterCanvas collected(W, H, clWhite), immediate(W, H, clWhite);
    Draw(collected, [] {});
    Draw(immediate, [&] { (void)immediate.Data(); });
    ExpectSame(collected, immediate);
}

TEST(RasterDeferredFill, TextOverAndUnderFills) {
    const TColor backs[] = {clWhite, RGB(255, 248, 220)};
    for (bool opaque : {true, false})
        for (TColor back : backs) {
            SCOPED_TRACE(testing::Message() << "opaque " << opaque << " back " << std::hex << back);
            DrawBoth(
                [&](RasterCanvas& c, const std::function<void()>& After) {
                    c.Font.SetName("Arial");
                    c.Font.SetSize(10);
                    c.Brush.SetColor(back);
                    c.FillRect(Rect(0, 0, 90, 30));
                    After();
                    c.Brush.SetColor(clBlack);
                    for (int x = 2; x < 80; x += 3) {
                        c.FillRect(Rect(x, 1, x + 1, 20));
                        After();
                    }
                    c.Brush.SetColor(back);
                    if (!opaque) SetBkMode(c.Handle(), TRANSPARENT);
                    c.Font.SetColor(RGB(0, 0, 128));
                    c.TextOut(3, 12, "Wavy jig 123");  // over the bars and below them
                    After();
                    c.TextOut(-4, 18, "AV");  // clipped at the left edge
                    After();
                    c.Brush.SetColor(clRed);
                    c.FillRect(Rect(40, 10, 60, 25));  // fills over the text again
                    After();
                    c.TextOut(50, 5, "ff");
                    After();
                },
                90, 30);
        }
}

TEST(RasterDeferredFill, DrawingsMatchImmediateApplication) {
    struct Case {
        TBarCodeType Symbology;
        const char* Data;
        TDirection Dir;
        bool Transparent;
    };
    const Case cases[] = {
        {TBarCodeType::EAN_13, "400638133393", TDirection::Horizontal, false},
        {TBarCodeType::Code_128, "ABC123456", TDirection::Horizontal, false},
        {TBarCodeType::Code_39, "CODE39", TDirection::Vertical, false},
        {TBarCodeType::UPC_A, "03600029145", TDirection::Horizontal, true},
        {TBarCodeType::EAN_13_5AddOn, "40063813339312345", TDirection::Vertical, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        TKordix k;
        k.Code().SetCode(cases[i].Symbology);
        k.Code().SetCaption(cases[i].Data);
        k.Code().SetDirection(cases[i].Dir);
        k.Code().SetTransparent(cases[i].Transparent);
        k.Code().SetBorder(true);
        k.SetHeight(80);
        k.SetWidth(90);
        // An immediate surface: every call applied before the next (the
        // reads of this recorder force it).
        class Immediate : public RasterCanvas {
        public:
            using RasterCanvas::RasterCanvas;

        protected:
            void DoFillRect(const TRect& R, TColor Color) override {
                RasterCanvas::DoFillRect(R, Color);
                (void)Data();
            }
        };
        RasterCanvas collected(260, 260, clYellow);
        Immediate immediate(260, 260, clYellow);
        k.DrawBarCode(collected, 3, 4, 1.0);
        k.DrawBarCode(immediate, 3, 4, 1.0);
        ExpectSame(collected, immediate);
    }
}

}  // namespace
}  // namespace kdx
