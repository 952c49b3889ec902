// POSTNET: check digit, element sequence against the published digit
// patterns, full and half bar heights in both directions, and the red block
// that marks a character other than a digit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

using D = TDirection;

TEST(Postnet, CheckDigit) {
    struct Case {
        std::string data;
        std::string expected;
        const char* note;
    };
    const Case cases[] = {
        {"12345", "123455", "sum 15: 5 brings it to 20"},
        {"555551237", "5555512372", "sum 38"},
        {"", "0", "empty data: sum 0"},
        {"0000", "00000", "sum 0: check 0, not 10"},
        {"12-34", "12-343", "the hyphen adds 45 - 48 = -3: sum 7"},
        {"-", "-7", "16-bit sum wraps to 65533: last digit 3"},
        {std::string(2000, 'z'), std::string(2000, 'z') + "2", "2000 x 74 = 148000 wraps to 16928"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        EXPECT_EQ(AddCheck_POSTNET(t.data), t.expected);
    }
}

struct Fixture {
    TKordix k;
    RecordingCanvas canvas;
    test::Messages messages;
    explicit Fixture(const std::string& data, D dir = D::Horizontal) {
        k.Code().SetCode(TBarCodeType::POSTNET);
        k.Code().SetCaption(data);
        k.Code().SetDirection(dir);
        k.Code().SetTextOn(false);  // the driver would switch it off (and notify) anyway
    }
    void Draw(int x = 0, int y = 0) { k.DrawBarCode(canvas, x, y, 1.0); }
    std::vector<CanvasCall> Fills() const { return canvas.Of(CanvasCall::Kind::FillRect); }

    // The symbol inside a box at (x, y) as a module string along the reading
    // direction: 'F' full bar, 'h' half bar, 'R' red, '0' space.
    std::string Modules(int x, int y) const {
        const int mw = ModulWidth;
        const bool h = k.Code().Direction() == D::Horizontal;
        const int start = h ? x + 2 * mw : y + CodeHeight - 10 * mw;
        const int nearEdge = h ? y + 2 : x + 2;  // where full bars begin across the reading direction
        std::string out;
        int pos = 0;
        for (const auto& c : Fills()) {
            const int from = h ? c.R.Left - start : start - c.R.Top;
            const int to = h ? c.R.Right - start : start - c.R.Bottom;
            if (from > pos) out.append((from - pos) / mw, '0');
            char m = '0';
            if (c.BrushColor == clRed) m = 'R';
            if (c.BrushColor == k.BarColor()) m = (h ? c.R.Top : c.R.Left) == nearEdge ? 'F' : 'h';
            out.append((to - from) / mw, m);
            pos = to;
        }
        return out;
    }
};

// The published POSTNET digits: two full bars (F) and three half bars (h).
const char* const kPublished[10] = {"FFhhh", "hhhFF", "hhFhF", "hhFFh", "hFhhF",
                                    "hFhFh", "hFFhh", "FhhhF", "FhhFh", "FhFhh"};

// Digits as modules: every bar is followed by a 2-module space.
std::string Digits(const std::string& digits) {
    std::string out;
    for (char d : digits)
        for (const char* b = kPublished[d - '0']; *b; ++b) out += std::string(1, *b) + "00";
    return out;
}

TEST(Postnet, ElementSequence) {
    const std::string frame = "F00", end = "F";
    struct Case {
        const char* data;
        D dir;
        bool transparent;
        std::string modules;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"0123456789", D::Horizontal, false, frame + Digits("0123456789" "5") + end, "every digit, check 5"},
        {"12345", D::Vertical, false, frame + Digits("123455") + end, "15 x 5 + 19 = 94 modules, upwards"},
        {"", D::Horizontal, false, frame + Digits("0") + end, "empty data: 19 modules"},
        {"12-34", D::Horizontal, true, frame + Digits("12") + "RRRRRRRRRR" + Digits("343") + end,
         "a 10-module red block for the hyphen, no space after it"},
        {"12-34", D::Vertical, false, frame + Digits("12") + "RRRRRRRRRR" + Digits("343") + end, "vertical"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data, t.dir);
        f.k.Code().SetTransparent(t.transparent);
        f.Draw(3, 4);
        EXPECT_TRUE(f.messages.texts.empty());
        EXPECT_EQ(f.Modules(3, 4), t.modules);
        const int length = static_cast<int>(t.modules.size());
        if (t.dir == D::Horizontal)
            EXPECT_EQ(CurX, 3 + (2 + length) * ModulWidth) << "ends after the right frame bar";
        else
            EXPECT_EQ(CurY, 4 + CodeHeight - (10 + length) * ModulWidth);
        EXPECT_LE(length + (t.dir == D::Horizontal ? 2 : 10), (t.dir == D::Horizontal ? CodeWidth : CodeHeight))
            << "the extent holds the whole symbol";
    }
}

TEST(Postnet, FullAndHalfBars) {
    struct Case {
        D dir;
        TDensity density;
        int side;      // control height (horizontal) or width (vertical)
        int barLength;  // side - TextH (4 pixels) - 1
        int cut;        // Round(0.6 x barLength): left out of a half bar
        const char* note;
    };
    const Case cases[] = {
        {D::Horizontal, TDensity::High, 50, 45, 27, "half bars 18 of 45 rows"},
        {D::Horizontal, TDensity::Medium, 30, 25, 15, "half bars 10 of 25 rows"},
        {D::Vertical, TDensity::Low, 100, 95, 57, "half bars the right-hand 38 of 95 columns"},
        {D::Vertical, TDensity::High, 41, 36, 22, "0.6 x 36 = 21.6 rounds to 22"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        Fixture f("7", t.dir);
        f.k.SetBarColor(clNavy);
        f.k.SetBackColor(clYellow);
        f.k.Code().SetDensity(t.density);
        if (t.dir == D::Horizontal)
            f.k.SetHeight(t.side);
        else
            f.k.SetWidth(t.side);
        f.Draw(3, 4);
        const int mw = static_cast<int>(t.density) + 1;
        ASSERT_EQ(ModulWidth, mw);
        EXPECT_EQ(TextH, 4);
        EXPECT_EQ(ModulHeight, t.barLength);
        EXPECT_TRUE(f.canvas.Of(CanvasCall::Kind::TextOut).empty()) << "POSTNET has no text";
        // Data 7 and its check digit 3: FhhhF hhFFh between the frame bars.
        int full = 0, half = 0, spaces = 0;
        for (const auto& c : f.Fills()) {
            const bool h = t.dir == D::Horizontal;
            const int width = h ? c.R.Right - c.R.Left : c.R.Top - c.R.Bottom;
            const int nearEdge = h ? c.R.Top : c.R.Left;
            const int farEdge = h ? c.R.Bottom : c.R.Right;
            const int origin = h ? 4 + 2 : 3 + 2;
            EXPECT_EQ(farEdge, origin + t.barLength) << "every element ends on the same line";
            if (c.BrushColor == clYellow) {
                ++spaces;
                EXPECT_EQ(width, 2 * mw);
                EXPECT_EQ(nearEdge, origin);
            } else {
                EXPECT_EQ(c.BrushColor, clNavy);
                EXPECT_EQ(width, mw);
                EXPECT_TRUE(nearEdge == origin || nearEdge == origin + t.cut) << nearEdge;
                (nearEdge == origin ? full : half)++;
            }
        }
        EXPECT_EQ(full, 2 + 2 + 2);
        EXPECT_EQ(half, 3 + 3);
        EXPECT_EQ(spaces, 1 + 10);
    }
}

TEST(Postnet, BoxAndTextSwitchDoNotMoveTheBars) {
    // Only the canvas, direction, bar length and data matter.
    std::vector<std::vector<CanvasCall>> drawn;
    for (int variant = 0; variant < 2; ++variant) {
        TKordix k;
        RecordingCanvas canvas;
        ModulWidth = 1;
        StepXReal = 1;
        CurX = 20, CurY = 7, CurXReal = 20;
        if (variant == 0) k.Print_POSTNET(canvas, 0, 0, D::Horizontal, 30, "905", false, 100, 50);
        if (variant == 1) k.Print_POSTNET(canvas, 11, 13, D::Horizontal, 30, "905", true, 7, 9);
        drawn.push_back(canvas.Calls);
        EXPECT_EQ(CurX, 20 + 15 * 3 + 19);
    }
    ASSERT_EQ(drawn[0].size(), drawn[1].size());
    for (size_t i = 0; i < drawn[0].size(); ++i) EXPECT_EQ(drawn[0][i].R, drawn[1][i].R) << "call " << i;
}

TEST(Postnet, RedBlockLeavesBarColorAlone) {
    Fixture f("12-34");
    f.k.SetBarColor(clNavy);
    const int changes = f.k.ChangeCount();
    f.Draw();
    EXPECT_TRUE(f.messages.texts.empty()) << "no message for the hyphen";
    EXPECT_EQ(f.k.BarColor(), clNavy) << "restored";
    EXPECT_EQ(f.k.ChangeCount(), changes) << "no change notification";

    const auto fills = f.Fills();
    std::vector<CanvasCall> red;
    size_t last = 0;
    for (size_t i = 0; i < fills.size(); ++i)
        if (fills[i].BrushColor == 0x0000FF) red.push_back(fills[i]), last = i;
    ASSERT_EQ(red.size(), 10u) << "ten one-module bars in pure red";
    for (size_t i = 0; i < red.size(); ++i) {
        EXPECT_EQ(red[i].R, Rect(red[0].R.Left + static_cast<int>(i), 2, red[0].R.Left + static_cast<int>(i) + 1,
                                 2 + ModulHeight))
            << "full height, without gaps";
    }
    ASSERT_LT(last + 1, fills.size());
    EXPECT_EQ(fills[last + 1].BrushColor, clNavy) << "the next bar in the bar colour again";
}

}  // namespace
