// Render driver: data checks and messages, visibility, fixed-length cuts,
// layout (module width, start point, text band, extents), background and
// border.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "runtime/Layout.h"
#include "Support.h"

using namespace kdx;
using T = TBarCodeType;

namespace {

TEST(Driver, NumericConversionAcceptsWhatValAccepts) {
    struct Case {
        const char* text;
        int pos;  // 0: accepted
    };
    const Case cases[] = {
        {"123", 0},  {"  42", 0},  {"-1", 0},   {"+7", 0},   {"12.5", 0},  {"1e5", 0},  {"1E-3", 0},
        {".5", 0},   {"5.", 0},    {"", 1},     {"12 ", 3},  {"1a", 2},    {"a1", 1},   {"1,5", 2},
        {" ", 2},    {"-", 2},     {".", 2},    {"1e", 3},   {"1e+", 4},   {"\t1", 1},  {"1..2", 3},
        {"12345678901234567890", 0},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(std::string("\"") + t.text + "\"");
        EXPECT_EQ(ValErrorPos(t.text), t.pos);
    }
}

struct Drawn {
    std::vector<std::string> messages;
    std::shared_ptr<RecordingCanvas> canvas = std::make_shared<RecordingCanvas>();
    int changes = 0;
};

Drawn Draw(TKordix& k, int x = 0, int y = 0, double factor = 1.0) {
    Drawn d;
    test::Messages m;
    const int before = k.ChangeCount();
    k.DrawBarCode(*d.canvas, x, y, factor);
    d.messages = m.texts;
    d.changes = k.ChangeCount() - before;
    for (const auto& c : m.captions) EXPECT_EQ(c, "Message Box");
    return d;
}

TEST(Driver, RefusalsShowTheirMessageAndDrawNothing) {
    struct Case {
        T symbology;
        const char* data;
        const char* message;
    };
    const Case cases[] = {
        // 0
        {T::ITF, "", "Caption should be numeric"},
        {T::Industrial, "12a", "Caption should be numeric"},
        {T::EAN_13, "12345678901A", "Caption should be numeric"},
        {T::EAN_8, "123456", "EAN-8 should be 7 numeric char"},
        {T::UPC_A, "1234567890", "UPC-A should be 11 numeric char"},
        // 5
        {T::EAN_13, "12345678901", "EAN-13 should be 12 numeric chars"},
        {T::EAN_13_2AddOn, "123456789012345", "EAN-13-2AdOn should be 14 numeric chars"},
        {T::EAN_13_5AddOn, "123456789012345678", "EAN-13-5AddOn should be 17 numeric chars"},
        {T::Code_39, "abc", "Code 39 cannot encode the character \"a\" (code 97)"},
        {T::Code_39, "A*B", "Code 39 cannot encode the character \"*\" (code 42)"},
        // 10
        {T::Code_39, "A\tB", "Code 39 cannot encode the character (code 9)"},
        {T::Code_39, "\xE9", "Code 39 cannot encode the character (code 233)"},
        {static_cast<T>(13), "1", "Not implemented"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        TKordix k;
        k.Code().SetCode(cases[i].symbology);
        k.Code().SetCaption(cases[i].data);
        CodeWidth = 1234;
        CodeHeight = 567;
        ModulWidth = 77;
        Drawn d = Draw(k);
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0], cases[i].message);
        EXPECT_TRUE(d.canvas->Calls.empty()) << "nothing painted, not even the background";
        EXPECT_EQ(CodeWidth, 1234) << "extent kept";
        EXPECT_EQ(CodeHeight, 567);
        EXPECT_EQ(ModulWidth, 77) << "drawing state untouched";
        EXPECT_EQ(k.Code().Caption(), cases[i].data) << "no cut on refusal";
    }
}

// Geometry beyond the drawable range is refused before anything is drawn,
// so that no coordinate overflows and no caller sizes a giant image.
TEST(Driver, OversizedDrawingsAreRefused) {
    struct Case {
        double factor;
        int width;
        int fontHeight;
        size_t captionLength;
        int x;
        const char* message;  // empty: drawn
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        // 0
        {1e9, 100, -11, 6, 0, "The barcode is too large to draw: its module width would be 1000000000 pixels, at most 1048576"},
        {inf, 100, -11, 6, 0, "The scale factor is not a number"},
        {std::nan(""), 100, -11, 6, 0, "The scale factor is not a number"},
        {1.0, 2000000, -11, 6, 0, "The barcode is too large to draw: its width would be 2000000 pixels, at most 1048576"},
        {1.0, 100, -2000000, 6, 0, "The barcode is too large to draw: its font height would be 2000000 pixels, at most 1048576"},
        // 5
        {1.0, 100, -11, 6, -2000000, "The barcode is too large to draw: its position would be 2000000 pixels, at most 1048576"},
        {1.0, 100, -11, 1 << 20, 0, "The barcode is too large to draw: the symbol would be 16777284 pixels long, at most 1048576"},
        {-1.0, 100, -11, 6, 0, ""},
        {0.0, 100, -11, 6, 0, ""},
        {1.0, 100, -11, 20000, 0, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        TKordix k;
        k.Code().SetCode(T::Code_39);
        k.Code().SetCaption(std::string(t.captionLength, 'A'));
        k.SetWidth(t.width);
        k.Font().SetHeight(t.fontHeight);
        Drawn d = Draw(k, t.x, 0, t.factor);
        if (*t.message) {
            ASSERT_EQ(d.messages.size(), 1u);
            EXPECT_EQ(d.messages[0], t.message);
            EXPECT_TRUE(d.canvas->Calls.empty());
        } else {
            EXPECT_TRUE(d.messages.empty());
            EXPECT_FALSE(d.canvas->Calls.empty()) << "a degenerate or long symbol still draws";
        }
    }
}

TEST(Driver, HiddenControlIsSkippedAfterTheNumericCheck) {
    TKordix k;
    k.Visible = false;
    k.Code().SetCode(T::EAN_13);
    k.Code().SetCaption("12x");
    EXPECT_EQ(Draw(k).messages, std::vector<std::string>{"Caption should be numeric"});

    k.Code().SetCaption("123");  // numeric but too short: no message when hidden
    Drawn d = Draw(k);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_TRUE(d.canvas->Calls.empty());

    k.Code().SetCode(T::Code_39);
    k.Code().SetCaption("abc");  // not encodable, but hidden
    EXPECT_TRUE(Draw(k).messages.empty());

    k.SetDesigning(true);  // the designer always draws
    k.Code().SetCaption("ABC");
    d = Draw(k);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_FALSE(d.canvas->Calls.empty());
}

TEST(Driver, FixedLengthTextsAreCutThroughTheSetter) {
    struct Case {
        T symbology;
        const char* data;
        const char* kept;
    };
    const Case cases[] = {
        {T::EAN_13, "4006381333931", "400638133393"},
        {T::EAN_8, "96385074", "9638507"},
        {T::UPC_A, "036000291452", "03600029145"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.data);
        TKordix k;
        k.Code().SetCode(t.symbology);
        k.Code().SetCaption(t.data);
        Drawn d = Draw(k);
        EXPECT_EQ(k.Code().Caption(), t.kept);
        EXPECT_GE(d.changes, 1) << "the owner is notified of the cut";
    }
    // An exact length is not cut and notifies nothing.
    TKordix k;
    k.Code().SetCode(T::EAN_13);
    k.Code().SetCaption("400638133393");
    EXPECT_EQ(Draw(k).changes, 0);
}

TEST(Driver, ModuleWidthRoundsHalvesToEven) {
    struct Case {
        TDensity density;
        double factor;
        int mw;
    };
    const Case cases[] = {
        {TDensity::High, 1.0, 1},   {TDensity::Medium, 1.0, 2}, {TDensity::Low, 1.0, 3},
        {TDensity::High, 2.5, 2},   {TDensity::Medium, 2.5, 5}, {TDensity::Low, 2.5, 8},
        {TDensity::High, 6.25, 6},  {TDensity::Low, 0.5, 2},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "density " << int(t.density) << " factor " << t.factor);
        TKordix k;
        k.Code().SetCode(T::Code_39);
        k.Code().SetDensity(t.density);
        Draw(k, 0, 0, t.factor);
        EXPECT_EQ(ModulWidth, t.mw);
        EXPECT_FLOAT_EQ(StepXReal, float(t.mw));
    }
}

TEST(Driver, AutoSizeExtentTable) {
    using D = TDirection;
    struct Case {
        T symbology;
        int n;
        bool check;
        D dir;
        int mw;
        int extent;
    };
    const Case cases[] = {
        // 0
        {T::Code_39, 6, true, D::Horizontal, 1, (9 * 16 + 20)},
        {T::Code_39, 6, false, D::Horizontal, 2, (8 * 16 + 20) * 2},
        {T::Code_39, 2, true, D::Vertical, 1, 100},
        {T::Code_93, 5, true, D::Horizontal, 1, 9 * 9 + 20},
        {T::Code_93, 5, false, D::Vertical, 3, (7 * 9 + 20) * 3},
        // 5
        {T::Code_128, 9, true, D::Horizontal, 1, 11 * 11 + 33},
        {T::Code_128, 9, false, D::Horizontal, 1, 10 * 11 + 33},
        {T::ITF, 6, true, D::Horizontal, 1, 84},
        {T::ITF, 5, true, D::Horizontal, 1, 70},
        {T::ITF, 5, false, D::Horizontal, 1, 7 * 6 + 28},
        // 10
        {T::ITF, 6, false, D::Vertical, 1, 7 * 6 + 28},
        {T::Industrial, 4, true, D::Horizontal, 2, (48 + 48) * 2},
        {T::Industrial, 4, false, D::Horizontal, 1, 48 + 36},
        {T::IATA, 4, true, D::Horizontal, 1, 48 + 28},
        {T::Codabar, 6, true, D::Horizontal, 1, 110},
        // 15
        {T::Codabar, 6, false, D::Horizontal, 1, 100},
        {T::EAN_13, 12, true, D::Horizontal, 1, 7 * 12 + 31},
        {T::EAN_13, 12, true, D::Vertical, 1, 7 * 13 + 28},
        {T::EAN_8, 7, true, D::Horizontal, 2, (7 * 8 + 28) * 2},
        {T::EAN_13_2AddOn, 14, true, D::Horizontal, 1, 7 * 14 + 46},
        // 20
        {T::EAN_13_2AddOn, 14, true, D::Vertical, 1, 7 * 15 + 46},
        {T::EAN_13_5AddOn, 17, true, D::Horizontal, 1, 7 * 17 + 52},
        {T::EAN_13_5AddOn, 17, true, D::Vertical, 1, 7 * 18 + 46},
        {T::UPC_A, 11, true, D::Horizontal, 1, 119},
        {T::UPC_A, 11, true, D::Vertical, 2, 231},
        // 25: POSTNET holds its whole symbol (15n + 19 modules) from its
        // start, 2 modules in (horizontal) or 10 above the bottom (vertical),
        // with 2 modules of margin after it.
        {T::POSTNET, 5, true, D::Horizontal, 1, 2 + 94 + 2},
        {T::POSTNET, 5, true, D::Vertical, 2, (10 + 94 + 2) * 2},
        {T::POSTNET, 0, true, D::Horizontal, 1, 2 + 19 + 2},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        EXPECT_EQ(AutoSizeExtent(t.symbology, t.n, t.check, t.dir, t.mw), t.extent);
    }
}

TEST(Driver, HorizontalLayout) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetCaption("CODE39");
    k.Code().SetBorder(true);
    Drawn d = Draw(k, 5, 7, 1.0);
    EXPECT_EQ(CodeWidth, 9 * 16 + 20);
    EXPECT_EQ(CodeHeight, 50);
    EXPECT_EQ(TextH, 5 + 11) << "five modules plus the character height";
    ASSERT_FALSE(d.canvas->Calls.empty());
    const CanvasCall& bg = d.canvas->Calls[0];
    EXPECT_EQ(bg.Op, CanvasCall::Kind::Rectangle);
    EXPECT_EQ(bg.R, Rect(5, 7, 5 + 164, 7 + 50));
    EXPECT_EQ(bg.BrushColor, clWhite);
    EXPECT_EQ(bg.PenColor, clBlack) << "border";
    // The first bar starts after the 10-module quiet zone, 2 pixels down.
    const auto fills = d.canvas->Of(CanvasCall::Kind::FillRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].R.Left, 5 + 10);
    EXPECT_EQ(fills[0].R.Top, 7 + 2);
}

TEST(Driver, VerticalLayout) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetCaption("AB");
    k.Code().SetDirection(TDirection::Vertical);
    Drawn d = Draw(k);
    EXPECT_EQ(CodeHeight, 100);
    EXPECT_EQ(CodeWidth, 100) << "the other extent is the control's";
    const auto fills = d.canvas->Of(CanvasCall::Kind::FillRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].R.Left, 2);
    EXPECT_EQ(fills[0].R.Top, 90) << "ten modules above the bottom edge";
}

TEST(Driver, NoAutoSizeKeepsTheScaledControlSize) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetAutoSize(false);
    k.SetWidth(300);
    k.SetHeight(41);
    Draw(k, 0, 0, 2.5);
    EXPECT_EQ(CodeWidth, 750);
    EXPECT_EQ(CodeHeight, 102) << "102.5 rounds to even";
}

TEST(Driver, TextAutosizeSetsTheControlFont) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetTextAutoSize(true);
    k.SetHeight(80);
    Drawn d = Draw(k);
    EXPECT_EQ(k.Font().Height(), -10);
    EXPECT_EQ(TextH, 5 + 10);
    EXPECT_EQ(d.changes, 1) << "the font change notifies";
    EXPECT_EQ(Draw(k).changes, 0) << "and only when the height changes";
}

TEST(Driver, TransparentPaintsNoBackground) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetTransparent(true);
    k.Code().SetBorder(true);
    Drawn d = Draw(k);
    EXPECT_TRUE(d.canvas->Of(CanvasCall::Kind::Rectangle).empty());
}

TEST(Driver, EmptyCode39DataPaintsOnlyTheBackground) {
    TKordix k;
    k.Code().SetCode(T::Code_39);
    k.Code().SetCaption("");
    Drawn d = Draw(k);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(d.canvas->Of(CanvasCall::Kind::Rectangle).size(), 1u);
    EXPECT_TRUE(d.canvas->Of(CanvasCall::Kind::FillRect).empty());
    EXPECT_EQ(CodeWidth, 3 * 16 + 20) << "start, check and stop characters";
}

}  // namespace
