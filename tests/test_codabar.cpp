// Codabar: refused characters, start/stop letters and the modulo-16 check
// character, element sequence and geometry in both directions, transparency,
// and the human-readable text.

#include <gtest/gtest.h>

#include <map>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

using D = TDirection;
using A = TAlignment;

// The published Codabar patterns (narrow 1 module, wide 2; 1 = bar module),
// each followed here by the 1-module space the encoder draws after it.
std::string Pattern(char C) {
    static const std::map<char, std::string> patterns = {
        {'0', "101010011"},  {'1', "101011001"},  {'2', "101001011"},  {'3', "110010101"},
        {'4', "101101001"},  {'5', "110101001"},  {'6', "100101011"},  {'7', "100101101"},
        {'8', "100110101"},  {'9', "110100101"},  {'-', "101001101"},  {'$', "101100101"},
        {':', "1101011011"}, {'/', "1101101011"}, {'.', "1101101101"}, {'+', "1011011011"},
        {'A', "1011001001"}, {'B', "1001001011"}, {'C', "1010010011"}, {'D', "1010011001"},
    };
    return patterns.at(C) + "0";
}

std::string Patterns(const std::string& Symbol) {
    std::string out;
    for (char c : Symbol) out += Pattern(c);
    return out;
}

using test::ClearControlChars;
using test::Modules;

struct Fixture : test::EncoderFixture {
    explicit Fixture(const std::string& data) : EncoderFixture(TBarCodeType::Codabar, data) {}
};

TEST(Codabar, RefusesCharactersOutsideTheTwenty) {
    struct Case {
        const char* data;
        const char* message;  // empty: drawn
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"a123b", "Codabar cannot encode the character \"a\" (code 97)", "lower-case letters are no start letters"},
        {"12E4", "Codabar cannot encode the character \"E\" (code 69)", "only A to D"},
        {"1 2", "Codabar cannot encode the character (code 32)", "space"},
        {"12*", "Codabar cannot encode the character \"*\" (code 42)", "other punctuation"},
        {"0123456789-$:/.+ABCD", "", "all 20 characters"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        if (test::DrawsOrRefuses(f, t.message)) {
            EXPECT_EQ(f.Fills().size(), 22u * 8) << "start A, the data (stop letter D) and the check";
        }
    }
}

// Start and stop letters ("A" where the data brings none) and the check
// character: sum of all values mod 16, inserted before the stop letter.
TEST(Codabar, SymbolCharacters) {
    struct Case {
        const char* data;
        bool check;
        const char* symbol;  // the characters drawn
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"1234", true, "A1234-A", "16 + 10 + 16 = 42, 42 mod 16 = 10: minus"},
        {"A401B", true, "A4016B", "letters given: 38 mod 16 = 6"},
        {"B123", true, "B1237A", "start B kept, stop A added"},
        {"D:/.+$-", true, "D:/.+$-.A", "every punctuation character; 110 mod 16 = 14"},
        {"0", true, "A00A", "32 mod 16 = 0: the remainder, not 16 minus it"},
        // 5
        {"C", true, "C2A", "a single letter gets its own stop letter"},
        {"1234", false, "A1234A", "no check character"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        if (!t.check) ClearControlChars(f.k.Code());
        f.k.Code().SetShowCtrlsChars(true);
        f.Draw();
        ASSERT_TRUE(f.messages.texts.empty());
        EXPECT_EQ(Modules(f.Fills(), D::Horizontal, 10, 1, clBlack), Patterns(t.symbol));
        const std::string symbol = t.symbol;
        EXPECT_EQ(f.Texts(), symbol.substr(1, symbol.size() - 2)) << "shown without the letters";
    }
}

TEST(Codabar, EmptyDataDrawsOnlyTheBackground) {
    Fixture f("");
    f.Draw();
    EXPECT_TRUE(f.messages.texts.empty());
    EXPECT_TRUE(f.Fills().empty());
    EXPECT_TRUE(f.canvas.Of(CanvasCall::Kind::TextOut).empty());
    EXPECT_EQ(f.canvas.Of(CanvasCall::Kind::Rectangle).size(), 1u);
}

TEST(Codabar, ElementsAlongTheReadingDirection) {
    struct Case {
        D dir;
        TDensity density;
        bool transparent;
        const char* note;
    };
    const Case cases[] = {
        {D::Horizontal, TDensity::High, false, "opaque: bars and spaces"},
        {D::Horizontal, TDensity::Low, true, "transparent: only the bars"},
        {D::Vertical, TDensity::Medium, false, "vertical, upwards"},
        {D::Vertical, TDensity::High, true, "vertical, transparent"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        Fixture f("1234");
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetDensity(t.density);
        f.k.Code().SetTransparent(t.transparent);
        f.k.SetBackColor(clYellow);
        f.Draw(3, 4);
        ASSERT_TRUE(f.messages.texts.empty());
        const int mw = ModulWidth;
        const bool h = t.dir == D::Horizontal;
        EXPECT_EQ(h ? CodeWidth : CodeHeight, (7 * 10 + 20) * mw) << "extent with the check character";
        EXPECT_EQ(ModulHeight, (h ? CodeHeight : CodeWidth) - TextH - 1) << "the driver's BarHeight";

        // A1234-A: 7 characters of 7 elements and a space each.
        const auto fills = f.Fills();
        EXPECT_EQ(fills.size(), 7u * (t.transparent ? 4 : 8));
        const int start = h ? 3 + 10 * mw : 4 + CodeHeight - 10 * mw;
        const std::string modules = Modules(fills, t.dir, start, mw, clBlack);
        const std::string expected = Patterns("A1234-A");
        EXPECT_EQ(expected.size(), 72u) << "11 + 4 x 10 + 10 + 11";
        // Transparent: the space after the stop letter is not filled.
        EXPECT_EQ(modules, t.transparent ? expected.substr(0, 71) : expected);
        for (const auto& c : fills) {
            if (h) {
                EXPECT_EQ(c.R.Top, 4 + 2);
                EXPECT_EQ(c.R.Bottom, 4 + 2 + ModulHeight);
            } else {
                EXPECT_EQ(c.R.Left, 3 + 2);
                EXPECT_EQ(c.R.Right, 3 + 2 + ModulHeight);
            }
            EXPECT_TRUE(c.BrushColor == clBlack || (!t.transparent && c.BrushColor == clYellow));
        }
        EXPECT_EQ(h ? CurX : CurY, h ? start + 72 * mw : start - 72 * mw) << "past the space after the stop";
    }
}

TEST(Codabar, HumanReadableText) {
    struct Out {
        int x, y;
        std::string text;
    };
    struct Case {
        D dir;
        A align;
        bool check, show, transparent;
        std::vector<Out> expected;  // positions relative to the symbol box
        const char* note;
    };
    // Data 1234, drawn A1234-A. Box at (0, 0): 50 high horizontally, 100 wide
    // vertically; module 1; TextH = 5 + 11, so the bars are 33 (horizontal)
    // or 83 (vertical) long; 90 modules high vertically.
    const Case cases[] = {
        // 0
        {D::Horizontal, A::txLeft, true, false, false, {{10, 35, "1234"}}, "at the start letter, below the bars"},
        {D::Horizontal, A::txLeft, true, true, true, {{10, 35, "1234-"}}, "with the check character"},
        {D::Horizontal, A::txDensity, true, true, false,
         {{20, 35, "1"}, {30, 35, "2"}, {40, 35, "3"}, {50, 35, "4"}, {60, 35, "-"}}, "10-module steps"},
        {D::Horizontal, A::txLeft, false, false, false, {{10, 35, "1234"}}, "no check: every data character"},
        {D::Horizontal, A::txLeft, false, true, true, {{10, 35, "1234"}}, "no check to show"},
        // 5
        {D::Vertical, A::txLeft, true, false, false, {{85, 79, "1234"}}, "one module above the start row"},
        {D::Vertical, A::txDensity, true, true, true,
         {{85, 69, "1"}, {85, 59, "2"}, {85, 49, "3"}, {85, 39, "4"}, {85, 29, "-"}}, "upwards"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f("1234");
        if (!t.check) ClearControlChars(f.k.Code());
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetAlignment(t.align);
        f.k.Code().SetShowCtrlsChars(t.show);
        f.k.Code().SetTransparent(t.transparent);
        f.k.SetBackColor(clYellow);
        f.k.SetBarColor(clNavy);
        f.k.Font().SetColor(clRed);
        f.Draw();
        const auto texts = f.canvas.Of(CanvasCall::Kind::TextOut);
        ASSERT_EQ(texts.size(), t.expected.size());
        for (size_t j = 0; j < texts.size(); ++j) {
            EXPECT_EQ(texts[j].X, t.expected[j].x);
            EXPECT_EQ(texts[j].Y, t.expected[j].y);
            EXPECT_EQ(texts[j].Text, t.expected[j].text);
            EXPECT_EQ(texts[j].Font.lfEscapement, t.dir == D::Vertical ? 900 : 0);
            EXPECT_EQ(texts[j].TextAlign, TA_LEFT | TA_TOP);
            EXPECT_EQ(texts[j].BkMode, t.transparent ? TRANSPARENT : OPAQUE);
            if (!t.transparent) {
                EXPECT_EQ(texts[j].BrushColor, clYellow) << "text cell in the background colour";
            }
            EXPECT_EQ(texts[j].PenColor, clNavy);
            EXPECT_EQ(texts[j].FontColor, clRed);
        }
    }
}

}  // namespace
