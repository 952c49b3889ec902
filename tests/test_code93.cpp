// Code 93: refused characters, check characters C and K, element sequence and
// geometry in both directions, transparency, and the human-readable text.

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

// Published Code 93 patterns (9 modules, 1 = bar module) used below.
constexpr const char* kStartStop = "101011110";
constexpr const char* kTermination = "1";

using test::ClearControlChars;
using test::Modules;

struct Fixture : test::EncoderFixture {
    explicit Fixture(const std::string& data) : EncoderFixture(TBarCodeType::Code_93, data) {}
};

TEST(Code93, RefusesCharactersOutsideTheDataSet) {
    struct Case {
        const char* data;
        const char* message;  // empty: drawn
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"abc", "Code 93 cannot encode the character \"a\" (code 97)", "no lower case without full ASCII"},
        {"AB*C", "Code 93 cannot encode the character \"*\" (code 42)", "start/stop inside the data"},
        {"A,B", "Code 93 cannot encode the character \",\" (code 44)", "a shift text is no data character"},
        {"A\tB", "Code 93 cannot encode the character (code 9)", "control character"},
        {"\xC4", "Code 93 cannot encode the character (code 196)", "8-bit character"},
        // 5
        {"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", "", "all 43 data characters"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        if (test::DrawsOrRefuses(f, t.message)) {
            EXPECT_EQ(f.Fills().size(), (std::strlen(t.data) + 4) * 6 + 1);
        }
    }
}

// C and K: weights from the right, cycling after 20 (C) and 15 (K); each is
// drawn from its value's row and shown as Bar93Char[value].
TEST(Code93, CheckCharacters) {
    struct Case {
        const char* data;
        const char* shown;     // texts of C and K
        const char* patterns;  // their modules
        const char* note;
    };
    const Case cases[] = {
        // 0
        {"TEST93", "+6", "101110110" "100100010", "C = 41, K = 6"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "00", "100010100" "100010100", "weights restart: both 0"},
        {"12345678901234567890123", "+3", "100100110" "101000010", "C = 43: the first shift character, shown +"},
        {"%", "%W", "110101110" "101101100", "42 counts in both sums"},
        {"1%", ",.", "111011010" "111010100", "C = 44 shown as a comma"},
        // 5
        {"2+", "-$", "111010110" "111001010", "C = 45 shown as minus"},
        {"0V", "V.", "110011010" "100110010", "K = 46 shown as full stop"},
        {"CODE 93", "E0", "110010010" "100010100", "space has value 38"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
        f.k.Code().SetShowCtrlsChars(true);
        f.Draw();
        EXPECT_EQ(f.Texts(), std::string(t.data) + t.shown);
        const std::string modules = Modules(f.Fills(), D::Horizontal, 10, 1, clBlack);
        const size_t n = std::strlen(t.data);
        ASSERT_EQ(modules.size(), 9 * (n + 4) + 1);
        EXPECT_EQ(modules.substr(9 * (n + 1), 18), t.patterns);
    }
}

// Start, T, E, S, T, 9, 3, C "+", K "6", stop and the termination bar:
// ten characters, 10 x 9 + 1 = 91 modules, no gaps between characters.
const std::string kTest93 = std::string(kStartStop) +
                            "110100110" "110010010" "110101100" "110100110" "100001010" "101000010"
                            "101110110" "100100010" + kStartStop + kTermination;

TEST(Code93, ElementsAlongTheReadingDirection) {
    struct Case {
        D dir;
        TDensity density;
        bool transparent;
        const char* note;
    };
    const Case cases[] = {
        {D::Horizontal, TDensity::High, false, "opaque: bars and spaces"},
        {D::Horizontal, TDensity::Low, true, "transparent: only the bars and the termination bar"},
        {D::Vertical, TDensity::Medium, false, "vertical, upwards"},
        {D::Vertical, TDensity::High, true, "vertical, transparent"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.note);
        Fixture f("TEST93");
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetDensity(t.density);
        f.k.Code().SetTransparent(t.transparent);
        f.k.SetBackColor(clYellow);
        f.Draw(3, 4);
        ASSERT_TRUE(f.messages.texts.empty());
        const int mw = ModulWidth;
        const bool h = t.dir == D::Horizontal;
        EXPECT_EQ(h ? CodeWidth : CodeHeight, (10 * 9 + 20) * mw) << "extent with C and K";

        const auto fills = f.Fills();
        EXPECT_EQ(fills.size(), 10u * (t.transparent ? 3 : 6) + 1);
        const int start = h ? 3 + 10 * mw : 4 + CodeHeight - 10 * mw;
        EXPECT_EQ(Modules(fills, t.dir, start, mw, clBlack), kTest93);
        for (const auto& c : fills) {
            if (h) {
                EXPECT_EQ(c.R.Top, 4 + 2);
                EXPECT_EQ(c.R.Bottom, 4 + CodeHeight - TextH);
            } else {
                EXPECT_EQ(c.R.Left, 3 + 2);
                EXPECT_EQ(c.R.Right, 3 + CodeWidth - TextH);
            }
            EXPECT_TRUE(c.BrushColor == clBlack || (!t.transparent && c.BrushColor == clYellow));
        }
        // The termination bar starts where the position stays: after 90 modules.
        const TRect& last = fills.back().R;
        if (h) {
            EXPECT_EQ(CurX, start + 90 * mw);
            EXPECT_EQ(last, Rect(CurX, CurY, CurX + mw, 4 + CodeHeight - TextH));
        } else {
            EXPECT_EQ(CurY, start - 90 * mw);
            EXPECT_EQ(last, Rect(CurX, CurY, 3 + CodeWidth - TextH, CurY - mw));
        }
        EXPECT_EQ(Rec, last);
    }
}

TEST(Code93, EmptyDataDrawsOnlyTheBackground) {
    Fixture f("");
    f.Draw();
    EXPECT_TRUE(f.messages.texts.empty());
    EXPECT_TRUE(f.Fills().empty());
    EXPECT_TRUE(f.canvas.Of(CanvasCall::Kind::TextOut).empty());
    EXPECT_EQ(f.canvas.Of(CanvasCall::Kind::Rectangle).size(), 1u);
}

TEST(Code93, HumanReadableText) {
    struct Out {
        int x, y;
        std::string text;
    };
    struct Case {
        const char* data;
        D dir;
        A align;
        bool check, show, transparent;
        std::vector<Out> expected;  // positions relative to the symbol box
        const char* note;
    };
    // Box at (0, 0): 50 high horizontally, 100 wide vertically; module 1;
    // TextH = 5 + 11. "AB": C = 31 "V", K = 36 "-"; 74 modules high vertically.
    const Case cases[] = {
        // 0
        {"TEST93", D::Horizontal, A::txLeft, true, false, false, {{10, 34, "TEST93"}}, "data only"},
        {"TEST93", D::Horizontal, A::txLeft, true, true, true, {{10, 34, "TEST93+6"}}, "with C and K"},
        {"AB", D::Horizontal, A::txDensity, true, true, false,
         {{20, 34, "A"}, {29, 34, "B"}, {38, 34, "V"}, {47, 34, "-"}}, "1 module into each 9-module cell"},
        {"AB", D::Horizontal, A::txLeft, false, false, false, {{10, 34, "AB"}}, "no check: every data character"},
        {"AB", D::Horizontal, A::txDensity, false, true, true, {{20, 34, "A"}, {29, 34, "B"}}, "no check to show"},
        // 5
        {"AB", D::Vertical, A::txLeft, true, false, false, {{84, 74 - 16, "AB"}}, "16 modules above the bottom"},
        {"AB", D::Vertical, A::txDensity, true, true, true,
         {{84, 54, "A"}, {84, 45, "B"}, {84, 36, "V"}, {84, 27, "-"}}, "upwards from 20 modules"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.data);
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

TEST(Code93, TextOffDrawsNoText) {
    Fixture f("AB");
    f.k.Code().SetTextOn(false);
    f.Draw();
    EXPECT_TRUE(f.canvas.Of(CanvasCall::Kind::TextOut).empty());
    EXPECT_EQ(f.Fills().front().R.Bottom, 50 - 5) << "bars reach down to the 5-module band";
}

}  // namespace
