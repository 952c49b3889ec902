// Code 128 (code set B): refused characters, the modulo-103 check character,
// element sequence and geometry in both directions, the values 95 to 102 of
// codes 127 to 134, transparency, and the human-readable text.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

using D = TDirection;
using A = TAlignment;

// Published Code 128 patterns (11 modules, 1 = bar module) used below.
constexpr const char* kStartB = "11010010000";
constexpr const char* kStop = "1100011101011";  // with the termination bar
constexpr const char* kValue1 = "11001101100";   // "!"

using test::ClearControlChars;
using test::Modules;

struct Fixture : test::EncoderFixture {
    explicit Fixture(const std::string& data) : EncoderFixture(TBarCodeType::Code_128, data) {}
};

TEST(Code128, RefusesCodesOutside32To134) {
    struct Case {
        const char* data;
        const char* message;  // empty: drawn
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"A\x1F", "Code 128 cannot encode the character (code 31)", "below space"},
        {"\n", "Code 128 cannot encode the character (code 10)", "control character"},
        {"\x87", "Code 128 cannot encode the character (code 135)", "past value 102"},
        {"\xFF", "Code 128 cannot encode the character (code 255)", "top of the 8-bit range"},
        {" ~\x7F\x86", "", "codes 32, 126, 127 and 134 have values"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        if (test::DrawsOrRefuses(f, t.message)) {
            EXPECT_EQ(f.Fills().size(), 6 * (std::strlen(t.data) + 2) + 7) << "start, data, check, stop";
        }
    }
}

// 104 + sum of position x value, mod 103; the character of code value + 32
// is appended, drawn from its row and shown with ShowCtrlsChars.
TEST(Code128, CheckCharacter) {
    struct Case {
        const char* data;
        char check;
        const char* pattern;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"ABC", '!', kValue1, "104 + 33 + 68 + 105 = 310: value 1"},
        {"~", '\x7F', "10111101000", "104 + 94 = 198: value 95, code 127"},
        {"", '!', kValue1, "empty data: 104 mod 103 = 1"},
        {"Code 128", '`', "10100001100", "value 64"},
        {"\x7F", '\x80', "10111100010", "DEL as data; check value 96"},
        // 5
        {"KDX-Ax", '\x86', "11110101110", "check value 102, the last row"},
        {"Hello, World!", 'l', "11001010000", "value 76"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        f.k.Code().SetShowCtrlsChars(true);
        f.Draw();
        ASSERT_TRUE(f.messages.texts.empty());
        EXPECT_EQ(f.Texts(), std::string(t.data) + t.check);
        const std::string modules = Modules(f.Fills(), D::Horizontal, 10, 1, clBlack);
        const size_t n = std::strlen(t.data);
        ASSERT_EQ(modules.size(), 11 * (n + 2) + 13);
        EXPECT_EQ(modules.substr(0, 11), kStartB);
        EXPECT_EQ(modules.substr(11 * (n + 1), 11), t.pattern);
        EXPECT_EQ(modules.substr(11 * (n + 2)), kStop);
    }
}

// Codes 127 to 134 have values 95 to 102 (DEL and the function characters
// of code set B), drawn from the last eight rows.
TEST(Code128, Codes127To134DrawValues95To102) {
    Fixture f("\x7F\x80\x81\x82\x83\x84\x85\x86");
    f.Draw();
    ASSERT_TRUE(f.messages.texts.empty());
    EXPECT_EQ(Modules(f.Fills(), D::Horizontal, 10, 1, clBlack).substr(11, 88),
              "10111101000"    // 95
              "10111100010"    // 96
              "11110101000"    // 97
              "11110100010"    // 98
              "10111011110"    // 99
              "10111101110"    // 100
              "11101011110"    // 101
              "11110101110");  // 102
}

// Start B, A, B, C, check "!", stop: 11 + 44 + 13 = 68 modules.
const std::string kAbc = std::string(kStartB) + "10100011000" "10001011000" "10001000110" + kValue1 + kStop;

TEST(Code128, ElementsAlongTheReadingDirection) {
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
        Fixture f("ABC");
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetDensity(t.density);
        f.k.Code().SetTransparent(t.transparent);
        f.k.SetBackColor(clYellow);
        f.Draw(3, 4);
        ASSERT_TRUE(f.messages.texts.empty());
        const int mw = ModulWidth;
        const bool h = t.dir == D::Horizontal;
        EXPECT_EQ(h ? CodeWidth : CodeHeight, (5 * 11 + 33) * mw) << "extent with the check character";
        EXPECT_EQ(ModulHeight, (h ? CodeHeight : CodeWidth) - TextH - 1) << "the driver's BarHeight";

        const auto fills = f.Fills();
        EXPECT_EQ(fills.size(), t.transparent ? 19u : 37u);
        const int start = h ? 3 + 10 * mw : 4 + CodeHeight - 10 * mw;
        EXPECT_EQ(Modules(fills, t.dir, start, mw, clBlack), kAbc);
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
        // The position ends past the termination bar.
        EXPECT_EQ(h ? CurX : CurY, h ? start + 68 * mw : start - 68 * mw);
    }
}

TEST(Code128, HumanReadableText) {
    struct Out {
        int x, y;
        std::string text;
    };
    struct Case {
        D dir;
        A align;
        bool check, show, transparent, textOn;
        std::vector<Out> expected;  // positions relative to the symbol box
        const char* note;
    };
    // Data ABC, check "!". Box at (0, 0): 50 high horizontally, 100 wide
    // vertically; module 1; TextH = 5 + 11, so the bars are 33 (horizontal)
    // or 83 (vertical) long; 88 modules high vertically.
    const Case cases[] = {
        // 0
        {D::Horizontal, A::txLeft, true, false, false, true, {{10, 35, "ABC"}}, "data only, below the bars"},
        {D::Horizontal, A::txLeft, true, true, true, true, {{10, 35, "ABC!"}}, "with the check character"},
        {D::Horizontal, A::txDensity, true, true, false, true,
         {{21, 35, "A"}, {32, 35, "B"}, {43, 35, "C"}, {54, 35, "!"}}, "at the left edge of each character"},
        {D::Horizontal, A::txLeft, false, false, false, true, {{10, 35, "ABC"}}, "no check: every data character"},
        {D::Horizontal, A::txDensity, false, true, true, true, {{21, 35, "A"}, {32, 35, "B"}, {43, 35, "C"}},
         "no check to show"},
        // 5
        {D::Vertical, A::txLeft, true, false, false, true, {{85, 78, "ABC"}}, "10 modules above the bottom"},
        {D::Vertical, A::txDensity, true, true, true, true,
         {{85, 66, "A"}, {85, 55, "B"}, {85, 44, "C"}, {85, 33, "!"}}, "one module into each character"},
        {D::Horizontal, A::txLeft, true, true, false, false, {}, "TextOn cleared"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f("ABC");
        if (!t.check) ClearControlChars(f.k.Code());
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetAlignment(t.align);
        f.k.Code().SetShowCtrlsChars(t.show);
        f.k.Code().SetTransparent(t.transparent);
        f.k.Code().SetTextOn(t.textOn);
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
