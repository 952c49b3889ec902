// Code 39: check character, element sequence, geometry in both directions,
// transparency, and the human-readable text.

#include <gtest/gtest.h>

#include "platform/surfaces/RasterCanvas.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

TEST(Code39, CheckCharacter) {
    struct Case {
        const char* data;
        char check;
        const char* note;
    };
    const Case cases[] = {
        {"CODE39", 'W', "12+24+13+14+3+9 = 75, 75 mod 43 = 32"},
        {"Z4", '$', "value 39 sits in row 40, after the start/stop row"},
        {"%", '%', "value 42"},
        {"A-B. C", 'F', "minus, full stop and space: sum 144, value 15"},
        {"", '0', "empty data"},
        {"HELLO-123", 'A', "17+14+21+21+24+36+1+2+3 = 139, 139 mod 43 = 10"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        EXPECT_EQ(Code39CheckChar(t.data), t.check);
    }
}

TEST(Code39, TableHasThreeWideElementsPerRow) {
    for (size_t r = 0; r < BarMap39.size(); ++r) {
        int wide = 0;
        for (auto e : BarMap39[r]) wide += e;
        EXPECT_EQ(wide, 3) << "row " << r << " (" << Bar39Char[r] << ")";
    }
}

struct Fixture {
    TKordix k;
    RecordingCanvas canvas;
    test::Messages messages;
    explicit Fixture(const std::string& data) {
        k.Code().SetCode(TBarCodeType::Code_39);
        k.Code().SetCaption(data);
    }
    void Draw(int x = 0, int y = 0) { k.DrawBarCode(canvas, x, y, 1.0); }
    std::vector<CanvasCall> Elements() const {
        std::vector<CanvasCall> out;
        for (const auto& c : canvas.Of(CanvasCall::Kind::FillRect)) out.push_back(c);
        return out;
    }
};

TEST(Code39, ElementSequence) {
    Fixture f("A");
    f.k.Code().SetCtrlChar(false);
    f.Draw();
    EXPECT_TRUE(f.messages.texts.empty());
    // start "*", "A", stop "*": narrow = 1 module, wide = 3, a 1-module gap.
    EXPECT_EQ(test::Modules(f.Elements(), TDirection::Horizontal, 10, 1, clBlack),
              "1000101110111010"
              "1110101000101110"
              "100010111011101");
    EXPECT_EQ(CurX, 10 + 3 * 16) << "past the gap after the stop character";
}

TEST(Code39, ModuleCountAndElementBoxes) {
    struct Case {
        TDirection dir;
        TDensity density;
        bool transparent;
        const char* note;
    };
    const Case cases[] = {
        {TDirection::Horizontal, TDensity::High, false, "opaque: 9 elements per character"},
        {TDirection::Horizontal, TDensity::Low, true, "transparent: only the 5 bars"},
        {TDirection::Vertical, TDensity::Medium, false, "vertical, upwards"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        Fixture f("CODE39");
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetDensity(t.density);
        f.k.Code().SetTransparent(t.transparent);
        f.Draw(3, 4);
        const int mw = ModulWidth;
        EXPECT_EQ(mw, int(t.density) + 1);
        const auto e = f.Elements();
        ASSERT_EQ(e.size(), (t.transparent ? 5u : 9u) * 9) << "start, 6 data, check W, stop";
        const bool h = t.dir == TDirection::Horizontal;
        for (const auto& c : e) {
            if (h) {
                EXPECT_EQ(c.R.Top, 4 + 2);
                EXPECT_EQ(c.R.Bottom, 4 + CodeHeight - TextH);
            } else {
                EXPECT_EQ(c.R.Left, 3 + 2);
                EXPECT_EQ(c.R.Right, 3 + CodeWidth - TextH);
            }
            const int w = h ? c.R.Right - c.R.Left : c.R.Top - c.R.Bottom;
            EXPECT_TRUE(w == mw || w == 3 * mw) << "narrow or wide";
            if (t.transparent) {
                EXPECT_EQ(c.BrushColor, clBlack);
            }
        }
        // 9 characters of 16 modules from the start position.
        if (h)
            EXPECT_EQ(CurX, 3 + (10 + 144) * mw);
        else
            EXPECT_EQ(CurY, 4 + CodeHeight - (10 + 144) * mw);
        EXPECT_EQ(h ? CodeWidth : CodeHeight, (144 + 20) * mw) << "extent: symbol and two quiet zones";
    }
}

TEST(Code39, HumanReadableText) {
    using D = TDirection;
    using A = TAlignment;
    struct Out {
        int x, y;
        std::string text;
    };
    struct Case {
        const char* data;
        D dir;
        A align;
        bool check, show;
        std::vector<Out> expected;  // positions relative to the symbol box
        const char* note;
    };
    // Box at (0, 0): 50 high horizontally, 100 wide vertically; module 1;
    // TextH = 5 + 11.
    const Case cases[] = {
        // 0
        {"CODE39", D::Horizontal, A::txLeft, true, false, {{10, 50 - 16, "CODE39"}}, "data only"},
        {"CODE39", D::Horizontal, A::txLeft, true, true, {{10, 34, "CODE39W"}}, "with the check character"},
        {"AB", D::Horizontal, A::txDensity, true, false, {{30, 34, "A"}, {46, 34, "B"}}, "4 modules into each cell"},
        {"AB", D::Horizontal, A::txLeft, false, false, {{10, 34, "AB"}}, "no check: every data character shown"},
        {"AB", D::Horizontal, A::txLeft, false, true, {{10, 34, "AB"}}, "no check, shown: nothing to add"},
        // 5
        {"AB", D::Vertical, A::txLeft, true, false, {{100 - 16, 100 - 10, "AB"}}, "vertical, upwards from the start"},
        {"AB", D::Vertical, A::txDensity, true, true, {{84, 70, "A"}, {84, 54, "B"}, {84, 38, "L"}}, "A + B = 21: check L"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetAlignment(t.align);
        f.k.Code().SetCtrlChar(t.check);
        f.k.Code().SetShowCtrlsChars(t.show);
        f.Draw();
        const auto texts = f.canvas.Of(CanvasCall::Kind::TextOut);
        ASSERT_EQ(texts.size(), t.expected.size());
        for (size_t j = 0; j < texts.size(); ++j) {
            EXPECT_EQ(texts[j].X, t.expected[j].x);
            EXPECT_EQ(texts[j].Y, t.expected[j].y);
            EXPECT_EQ(texts[j].Text, t.expected[j].text);
            EXPECT_EQ(texts[j].Font.lfEscapement, t.dir == D::Vertical ? 900 : 0);
            EXPECT_EQ(texts[j].Font.FaceName(), "Arial");
            EXPECT_EQ(texts[j].TextAlign, TA_LEFT | TA_TOP);
        }
    }
}

TEST(Code39, TextBackground) {
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        Fixture f("AB");
        f.k.SetBackColor(clYellow);
        f.k.SetBarColor(clNavy);
        f.k.Font().SetColor(clRed);
        f.k.Code().SetTransparent(transparent);
        f.Draw();
        const auto texts = f.canvas.Of(CanvasCall::Kind::TextOut);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].BkMode, transparent ? TRANSPARENT : OPAQUE);
        if (!transparent) {
            EXPECT_EQ(texts[0].BrushColor, clYellow) << "text cell in the background colour";
        }
        EXPECT_EQ(texts[0].PenColor, clNavy);
        EXPECT_EQ(texts[0].FontColor, clRed);
        EXPECT_EQ(f.canvas.Of(CanvasCall::Kind::SetBkMode).size(), transparent ? 1u : 0u);
    }
}

TEST(Code39, TextOffDrawsNoText) {
    Fixture f("AB");
    f.k.Code().SetTextOn(false);
    f.Draw();
    EXPECT_TRUE(f.canvas.Of(CanvasCall::Kind::TextOut).empty());
    EXPECT_EQ(TextH, 5);
    EXPECT_EQ(f.Elements().front().R.Bottom, 50 - 5);
}

// The raster surface shows the same elements: one pixel row across the bars
// reads back as the module string, at 2 pixels per module.
TEST(Code39, PixelsMatchTheElements) {
    for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
        SCOPED_TRACE(dir == TDirection::Horizontal ? "horizontal" : "vertical");
        TKordix k;
        k.Code().SetCode(TBarCodeType::Code_39);
        k.Code().SetCaption("A");
        k.Code().SetCtrlChar(false);
        k.Code().SetDensity(TDensity::Medium);
        k.Code().SetDirection(dir);
        k.Code().SetTextOn(false);
        RasterCanvas canvas(200, 200, clGray);
        k.DrawBarCode(canvas, 0, 0, 1.0);
        std::string modules;
        for (int m = 0; m < 3 * 16 - 1; ++m) {
            const int p0 = 20 + 2 * m;  // 10 modules of quiet zone
            TColor a, b;
            if (dir == TDirection::Horizontal) {
                a = canvas.Pixel(p0, 10);
                b = canvas.Pixel(p0 + 1, 10);
            } else {
                a = canvas.Pixel(10, CodeHeight - p0);  // upwards from the start row
                b = canvas.Pixel(10, CodeHeight - p0 - 1);
            }
            EXPECT_EQ(a, b) << "module " << m << " is 2 pixels";
            modules += a == clBlack ? '1' : '0';
        }
        EXPECT_EQ(modules,
                  "1000101110111010"
                  "1110101000101110"
                  "100010111011101");
    }
}

}  // namespace
