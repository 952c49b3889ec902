// Element primitives: geometry, colours and advance of bars, short bars,
// spaces and EAN digit patterns, and the rotated font.

#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "platform/surfaces/RasterCanvas.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "runtime/Round.h"
#include "Support.h"

using namespace kdx;

namespace {

void Start(int x, int y, int mw, int mh, TDirection dir) {
    ModulWidth = mw;
    ModulHeight = mh;
    StepXReal = static_cast<float>(mw);
    CurX = x;
    CurY = y;
    CurXReal = static_cast<float>(dir == TDirection::Horizontal ? x : y);
}

TEST(Primitives, ElementGeometry) {
    using D = TDirection;
    struct Case {
        char op;  // 'L' Lin, 'S' LinS, 'P' Spc
        char c;
        D dir;
        int x, y, mw, mh;
        TRect rect;
        int endX, endY;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {'L', 'A', D::Horizontal, 10, 5, 2, 40, Rect(10, 5, 12, 45), 12, 5, "one-module bar: columns 10 and 11"},
        {'L', 'D', D::Horizontal, 10, 5, 2, 40, Rect(10, 5, 18, 45), 18, 5, "four modules"},
        {'L', 'B', D::Vertical, 3, 100, 1, 20, Rect(3, 100, 23, 98), 3, 98, "vertical: rows 99 and 100"},
        {'S', 'A', D::Horizontal, 0, 0, 1, 10, Rect(0, 6, 1, 10), 1, 0, "short bar keeps the far 4 of 10 rows"},
        {'S', 'A', D::Vertical, 0, 50, 1, 10, Rect(6, 50, 10, 49), 0, 49, "short bar, vertical: far columns"},
        // 5
        {'P', '3', D::Horizontal, 4, 2, 3, 30, Rect(4, 2, 13, 32), 13, 2, "space of three modules"},
        {'P', '1', D::Vertical, 2, 40, 2, 30, Rect(2, 40, 32, 38), 2, 38, "vertical space"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        TKordix k;
        k.SetBarColor(clRed);
        k.SetBackColor(clYellow);
        RecordingCanvas canvas;
        Start(t.x, t.y, t.mw, t.mh, t.dir);
        if (t.op == 'L') k.Lin(canvas, t.dir, t.c);
        if (t.op == 'S') k.LinS(canvas, t.dir, t.c);
        if (t.op == 'P') k.Spc(canvas, t.dir, t.c);
        ASSERT_EQ(canvas.Calls.size(), 1u);
        EXPECT_EQ(canvas.Calls[0].R, t.rect);
        EXPECT_EQ(canvas.Calls[0].BrushColor, t.op == 'P' ? clYellow : clRed);
        EXPECT_EQ(Rec, t.rect);
        EXPECT_EQ(CurX, t.endX);
        EXPECT_EQ(CurY, t.endY);
    }
}

TEST(Primitives, TransparentSpacePaintsNothingButAdvances) {
    TKordix k;
    k.Code().SetTransparent(true);
    RecordingCanvas canvas;
    Start(10, 0, 2, 10, TDirection::Horizontal);
    Rec = Rect(1, 2, 3, 4);
    k.Spc(canvas, TDirection::Horizontal, '3');
    EXPECT_TRUE(canvas.Calls.empty());
    EXPECT_EQ(Rec, Rect(1, 2, 3, 4)) << "Rec untouched";
    EXPECT_EQ(CurX, 16);
}

TEST(Primitives, FractionalStepKeepsItsRemainder) {
    TKordix k;
    RecordingCanvas canvas;
    Start(0, 0, 1, 10, TDirection::Horizontal);
    StepXReal = 1.25f;
    k.Lin(canvas, TDirection::Horizontal, 'B');  // 2.5 rounds to 2 (even)
    EXPECT_EQ(CurX, 2);
    k.Lin(canvas, TDirection::Horizontal, 'A');  // 3.75
    EXPECT_EQ(CurX, 4);
    EXPECT_FLOAT_EQ(CurXReal, 3.75f);
    EXPECT_EQ(canvas.Calls[1].R, Rect(2, 0, 3, 10)) << "painted width is whole modules";
}

// Positions round halves to even and saturate; the fast conversion and the
// exact fallback must agree on either side of the int range.
TEST(Primitives, RoundIntTable) {
    const struct {
        double In;
        int Out;
    } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.49999999999999994, 0}, {-0.5, 0},
        {1e9 + 0.5, 1000000000}, {2147483646.5, 2147483646}, {2147483647.0, INT_MAX}, {2147483647.6, INT_MAX},
        {1e300, INT_MAX}, {-2147483648.0, INT_MIN}, {-2147483648.4, INT_MIN}, {-1e300, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), INT_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundInt(c.In), c.Out) << c.In;
}

TEST(Primitives, DigitPatterns) {
    struct Case {
        bool eight;
        char c;
        const char* modules;
        const char* note;
    };
    const Case cases[] = {
        {false, '0', "1110010", "patern 1 (R of 0) is C2A1"},
        {false, '0' + 10, "0100111", "G of 0 is 1A2C"},
        {false, '0' + 20, "0001101", "L of 0 is 3B1A"},
        {false, '9', "1110100", "R of 9 is C1A2"},
        {false, '9' + 20, "0001011", "L of 9 is 3A1B"},
        {true, '0', "0001101", "patern8 set L"},
        {true, '0' + 10 + 6, "1010000", "patern8 set R, digit 6"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        TKordix k;
        RecordingCanvas canvas;
        Start(0, 0, 1, 10, TDirection::Horizontal);
        if (t.eight)
            k.Out_char8(canvas, TDirection::Horizontal, t.c);
        else
            k.Out_char(canvas, TDirection::Horizontal, t.c);
        EXPECT_EQ(test::Modules(canvas.Calls, TDirection::Horizontal, 0, 1, clBlack), t.modules);
        EXPECT_EQ(CurX, 7);
    }
}

TEST(Primitives, PatternTablesAreTheStandardNumberSets) {
    // Every entry alternates bar and space and spans 7 modules, and the G set
    // is the R set mirrored.
    for (int d = 0; d < 30; ++d) {
        int modules = 0;
        for (int i = 0; i < 4; ++i) {
            const char e = patern[d * 4 + i];
            modules += e > '@' ? BarModules(e) : SpaceModules(e);
        }
        EXPECT_EQ(modules, 7) << "pattern " << d;
    }
    for (int d = 0; d < 10; ++d) {
        for (int i = 0; i < 4; ++i) {
            const char r = patern[d * 4 + 3 - i];
            const char g = patern[40 + d * 4 + i];
            EXPECT_EQ(r > '@' ? BarModules(r) : SpaceModules(r), g > '@' ? BarModules(g) : SpaceModules(g));
        }
        EXPECT_EQ(patern8.substr(d * 4, 4), patern.substr(80 + d * 4, 4)) << "L set";
        EXPECT_EQ(patern8.substr(40 + d * 4, 4), patern.substr(d * 4, 4)) << "R set";
    }
}

TEST(Primitives, OutCharOutsideTheTableDrawsNothing) {
    TKordix k;
    RecordingCanvas canvas;
    Start(0, 0, 1, 10, TDirection::Horizontal);
    k.Out_char(canvas, TDirection::Horizontal, '0' + 30);
    k.Out_char(canvas, TDirection::Horizontal, ' ');
    k.Out_char8(canvas, TDirection::Horizontal, '0' + 20);
    EXPECT_TRUE(canvas.Calls.empty());
    EXPECT_EQ(CurX, 0);
}

TEST(Primitives, SetFontDirRotatesOnly) {
    TKordix k;
    RecordingCanvas canvas;
    canvas.Font.SetName("Arial");
    canvas.Font.SetHeight(-13);
    canvas.Font.SetStyle(fsBold);
    canvas.Font.SetCharset(ANSI_CHARSET);
    const LOGFONT before = *canvas.Font.Handle();
    k.SetFontDir(canvas);
    LOGFONT after = *canvas.Font.Handle();
    EXPECT_EQ(after.lfEscapement, 900);
    EXPECT_EQ(after.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(after.lfOrientation, before.lfOrientation);
    after.lfEscapement = before.lfEscapement;
    after.lfOutPrecision = before.lfOutPrecision;
    EXPECT_EQ(after, before) << "face, height, weight and charset kept";
    EXPECT_EQ(k.FLogFont.lfEscapement, 900);

    // Assigning a font afterwards drops the rotation again.
    canvas.Font.Assign(k.Font());
    EXPECT_EQ(canvas.Font.Handle()->lfEscapement, 0);
}

TEST(Primitives, VerticalElementsTileOnPixels) {
    TKordix k;
    RasterCanvas canvas(20, 20, clWhite);
    Start(2, 15, 1, 5, TDirection::Vertical);
    k.Lin(canvas, TDirection::Vertical, 'B');  // rows 14, 15
    k.Spc(canvas, TDirection::Vertical, '1');  // row 13
    k.Lin(canvas, TDirection::Vertical, 'A');  // row 12
    for (int y = 10; y <= 17; ++y) {
        const bool bar = y == 12 || y == 14 || y == 15;
        EXPECT_EQ(canvas.Pixel(2, y), bar ? clBlack : clWhite) << "row " << y;
        EXPECT_EQ(canvas.Pixel(6, y), bar ? clBlack : clWhite) << "row " << y;
        EXPECT_EQ(canvas.Pixel(7, y), clWhite) << "row " << y;
    }
}

}  // namespace
