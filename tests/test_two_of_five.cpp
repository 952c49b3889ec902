// Two-of-five family (Interleaved, Industrial, IATA): digit table, check
// digits and element sequences against the published patterns, geometry in
// both directions, transparency, the human-readable text, and refusal of
// characters other than digits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

using T = TBarCodeType;
using D = TDirection;

struct Fixture {
    TKordix k;
    RecordingCanvas canvas;
    test::Messages messages;
    // ControlChars is forced on for Industrial once it is the symbology, so
    // it is set under Code 39 first.
    Fixture(T symbology, const std::string& data, bool check = true) {
        k.Code().SetCode(TBarCodeType::Code_39);
        k.Code().SetCtrlChar(check);
        k.Code().SetCode(symbology);
        k.Code().SetCaption(data);
    }
    void Draw(int x = 0, int y = 0) { k.DrawBarCode(canvas, x, y, 1.0); }
    std::vector<CanvasCall> Fills() const { return canvas.Of(CanvasCall::Kind::FillRect); }

    // The fills as a module string along the reading direction ('1' bar,
    // '0' space), from the start of the symbol inside a box at (x, y).
    std::string Modules(int x, int y) const {
        const int mw = ModulWidth;
        const D dir = k.Code().Direction();
        const int start = dir == D::Horizontal ? x + 10 * mw : y + CodeHeight - 10 * mw;
        return test::Modules(Fills(), dir, start, mw, k.BarColor());
    }
};

// The published narrow/wide patterns of the digits 0..9.
const char* const kPublished[10] = {"NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW",
                                    "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN"};

TEST(TwoOfFive, DigitTableIsThePublishedOne) {
    for (size_t d = 0; d < ITFMatr.size(); ++d) {
        std::string row;
        for (auto e : ITFMatr[d]) row += e ? 'W' : 'N';
        EXPECT_EQ(row, kPublished[d]) << "digit " << d;
    }
}

// Industrial and IATA digits: five bars (wide = 2 modules), each followed by
// a 1-module space.
const char* const kDiscreteDigit[10] = {
    "101011011010", "110101010110", "101101010110", "110110101010", "101011010110",  // 0..4
    "110101101010", "101101101010", "101010110110", "110101011010", "101101011010",  // 5..9
};

std::string DiscreteDigits(const std::string& digits) {
    std::string out;
    for (char c : digits) out += kDiscreteDigit[c - '0'];
    return out;
}

TEST(TwoOfFive, ElementSequence) {
    // Start and stop patterns as published, narrow 1 and wide 2 modules.
    const std::string itfStart = "1010", itfStop = "1101";
    const std::string indStart = "11011010", indStop = "1101011";
    const std::string iataStart = "1010", iataStop = "1101";
    struct Case {
        T symbology;
        const char* data;
        bool check;
        std::string modules;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {T::ITF, "1234", true,
         itfStart + "10010110110100" + "10011001010110" + "10010110100110" + itfStop,
         "0 prefixed, mod-10 check 8: pairs 01 23 48, 50 modules"},
        {T::ITF, "0123456789", false,
         itfStart + "10010110110100" + "10011001010110" + "10010110010110" + "10110110100100" + "11010010110010" +
             itfStop,
         "even digits in the bars, odd digits in the spaces"},
        {T::ITF, "1032547698", false,
         itfStart + "11010100100110" + "11011001010100" + "11010110010100" + "10100100110110" + "10011010110010" +
             itfStop,
         "each digit in the other role"},
        {T::ITF, "123", false, itfStart + "10010110110100" + "10011001010110" + itfStop, "odd count: 0 prefixed"},
        {T::ITF, "12", false, itfStart + "11010010101100" + itfStop, "even count: one pair, nothing added"},
        // 5
        {T::ITF, "12345", true, itfStart + "11010010101100" + "11011010010100" + "11010110100100" + itfStop,
         "odd count: no 0, check 3+2+9+4+15 = 33 gives 7, pairs 12 34 57"},
        {T::Industrial, "0123456789", true, indStart + DiscreteDigits("01234567895") + indStop,
         "every digit; check 4x20 + 25 = 105 gives 5"},
        {T::Industrial, "123", true, indStart + DiscreteDigits("1232") + indStop, "4 + 2 + 12 = 18 gives check 2"},
        {T::Industrial, "5", true, indStart + DiscreteDigits("50") + indStop, "4 x 5 = 20 gives check 0"},
        {T::Industrial, "123", false, indStart + DiscreteDigits("123") + indStop, "ControlChars cleared: no check"},
        // 10
        {T::IATA, "0123456789", true, iataStart + DiscreteDigits("0123456789") + iataStop,
         "every digit; never a check digit"},
        {T::IATA, "123", true, iataStart + DiscreteDigits("123") + iataStop, "44 modules"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data, t.check);
        f.Draw();
        EXPECT_TRUE(f.messages.texts.empty());
        EXPECT_EQ(f.Modules(0, 0), t.modules);
        EXPECT_EQ(CurX, static_cast<int>(10 + t.modules.size())) << "ends after the last bar";
    }
}

TEST(TwoOfFive, GeometryAndTransparency) {
    struct Case {
        T symbology;
        const char* data;
        D dir;
        TDensity density;
        bool transparent;
        int modules;  // symbol length
        int bars;     // elements that are bars
        int spaces;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {T::ITF, "123456", D::Horizontal, TDensity::Medium, false, 4 + 7 * 8 + 4, 2 + 20 + 2, 2 + 20 + 1,
         "0 + 6 digits + check"},
        {T::ITF, "123456", D::Vertical, TDensity::Low, true, 64, 24, 0, "vertical, transparent: bars only"},
        {T::Industrial, "42", D::Vertical, TDensity::Medium, false, 8 + 36 + 7, 3 + 15 + 3, 3 + 15 + 2,
         "vertical, check digit"},
        {T::IATA, "42", D::Horizontal, TDensity::Low, true, 4 + 24 + 4, 2 + 10 + 2, 0, "transparent"},
        {T::IATA, "42", D::Vertical, TDensity::High, false, 32, 14, 2 + 10 + 1, "vertical, opaque"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data);
        f.k.SetBarColor(clNavy);
        f.k.SetBackColor(clYellow);
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetDensity(t.density);
        f.k.Code().SetTransparent(t.transparent);
        f.Draw(3, 4);
        const int mw = ModulWidth;
        ASSERT_EQ(mw, static_cast<int>(t.density) + 1);
        const bool h = t.dir == D::Horizontal;
        const int barHeight = (h ? CodeHeight : CodeWidth) - TextH - 1;
        int bars = 0, spaces = 0;
        for (const auto& c : f.Fills()) {
            const bool bar = c.BrushColor == clNavy;
            (bar ? bars : spaces)++;
            EXPECT_EQ(c.BrushColor, bar ? clNavy : clYellow);
            if (h)
                EXPECT_EQ(c.R, Rect(c.R.Left, 4 + 2, c.R.Right, 4 + 2 + barHeight));
            else
                EXPECT_EQ(c.R, Rect(3 + 2, c.R.Top, 3 + 2 + barHeight, c.R.Bottom));
            const int w = h ? c.R.Right - c.R.Left : c.R.Top - c.R.Bottom;
            EXPECT_TRUE(w == mw || w == 2 * mw) << "narrow or wide, 2:1";
        }
        EXPECT_EQ(bars, t.bars);
        EXPECT_EQ(spaces, t.spaces);
        EXPECT_EQ(f.Modules(3, 4).size(), static_cast<size_t>(t.modules));
        const int start = h ? 3 + 10 * mw : 4 + CodeHeight - 10 * mw;
        EXPECT_EQ(h ? CurX : CurY, start + (h ? 1 : -1) * t.modules * mw);
        EXPECT_GE((h ? CodeWidth : CodeHeight) - (t.modules + 10) * mw, 10 * mw) << "quiet zone after the stop";
    }
    // Both directions draw the same modules.
    for (T s : {T::ITF, T::Industrial, T::IATA}) {
        Fixture a(s, "90817"), b(s, "90817");
        b.k.Code().SetDirection(D::Vertical);
        a.Draw();
        b.Draw();
        EXPECT_EQ(a.Modules(0, 0), b.Modules(0, 0)) << FBarCodeNames[static_cast<size_t>(s)];
    }
}

TEST(TwoOfFive, HumanReadableText) {
    using A = TAlignment;
    struct Out {
        int x, y;
        std::string text;
    };
    struct Case {
        T symbology;
        const char* data;
        D dir;
        A align;
        bool check, show;
        std::vector<Out> expected;  // box at (0, 0)
        const char* note;
    };
    // Horizontal box 50 high: TextH = 5 + 11, bars 33 long from row 2, text
    // at 35. Vertical box 100 wide: bars 83 long from column 2, text at 85.
    const Case cases[] = {
        // 0
        {T::ITF, "1234", D::Horizontal, A::txLeft, true, false, {{10, 35, "012348"}}, "as drawn: 0 and check"},
        {T::ITF, "1234", D::Horizontal, A::txLeft, true, true, {{10, 35, "012348"}}, "ShowCtrlsChars: no effect"},
        {T::ITF, "123", D::Horizontal, A::txDensity, false, false,
         {{14, 35, "0"}, {21, 35, "1"}, {28, 35, "2"}, {35, 35, "3"}}, "7 modules a digit after the start"},
        {T::Industrial, "123", D::Horizontal, A::txLeft, true, true, {{10, 35, "1232"}}, "check digit shown"},
        {T::Industrial, "123", D::Horizontal, A::txLeft, true, false, {{10, 35, "123"}}, "check digit left out"},
        // 5
        {T::Industrial, "123", D::Horizontal, A::txLeft, false, false, {{10, 35, "123"}},
         "no check digit: every data digit shown"},
        {T::Industrial, "12", D::Horizontal, A::txDensity, true, true, {{18, 35, "1"}, {30, 35, "2"}, {42, 35, "4"}},
         "12 modules a digit after the 8-module start"},
        {T::IATA, "123", D::Horizontal, A::txDensity, true, true, {{14, 35, "1"}, {26, 35, "2"}, {38, 35, "3"}},
         "no check digit whatever the settings"},
        {T::ITF, "1234", D::Vertical, A::txLeft, true, false, {{85, 70 - 10, "012348"}}, "upwards from the start"},
        {T::ITF, "1234", D::Vertical, A::txDensity, true, false,
         {{85, 55, "0"}, {85, 48, "1"}, {85, 41, "2"}, {85, 34, "3"}, {85, 27, "4"}, {85, 20, "8"}},
         "one module above the end of the start pattern"},
        // 10
        {T::Industrial, "12", D::Vertical, A::txDensity, true, true, {{85, 53, "1"}, {85, 41, "2"}, {85, 29, "4"}},
         "box 72 high: start at 62, 8 modules"},
        {T::IATA, "123", D::Vertical, A::txLeft, true, false, {{85, 64 - 10, "123"}}, "box 64 high"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data, t.check);
        f.k.Code().SetDirection(t.dir);
        f.k.Code().SetAlignment(t.align);
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

TEST(TwoOfFive, TextCellAndColours) {
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        Fixture f(T::IATA, "123");
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
    }
    Fixture off(T::ITF, "1234");
    off.k.Code().SetTextOn(false);
    off.Draw();
    EXPECT_TRUE(off.canvas.Of(CanvasCall::Kind::TextOut).empty());
    EXPECT_EQ(off.Fills().front().R.Bottom, 2 + 50 - 5 - 1) << "bars take the room of the text";
}

TEST(TwoOfFive, CharactersOtherThanDigitsAreRefused) {
    struct Case {
        T symbology;
        const char* data;
        const char* message;
    };
    // The driver's numeric test lets a sign, a decimal point and an exponent
    // through; the encoders have patterns for digits only.
    const Case cases[] = {
        {T::ITF, "12.5", "Interleaved 2 of 5 cannot encode the character \".\" (code 46)"},
        {T::Industrial, "-12", "Industrial 2 of 5 cannot encode the character \"-\" (code 45)"},
        {T::IATA, "1E5", "IATA 2 of 5 cannot encode the character \"E\" (code 69)"},
        {T::ITF, " 12", "Interleaved 2 of 5 cannot encode the character (code 32)"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.data);
        Fixture f(t.symbology, t.data);
        CodeWidth = 1234;
        f.Draw();
        ASSERT_EQ(f.messages.texts.size(), 1u);
        EXPECT_EQ(f.messages.texts[0], t.message);
        EXPECT_EQ(f.messages.captions[0], "Message Box");
        EXPECT_TRUE(f.canvas.Calls.empty()) << "nothing painted";
        EXPECT_EQ(CodeWidth, 1234);

        // Called directly, an encoder reads nothing outside its table and draws nothing.
        RecordingCanvas direct;
        ModulWidth = 1;
        if (t.symbology == T::ITF) f.k.Print_ITF(direct, 0, 0, D::Horizontal, 30, t.data, true, 100, 50);
        if (t.symbology == T::Industrial) f.k.Print_INDUSTRIAL(direct, 0, 0, D::Horizontal, 30, t.data, true, 100, 50);
        if (t.symbology == T::IATA) f.k.Print_IATA(direct, 0, 0, D::Horizontal, 30, t.data, true, 100, 50);
        EXPECT_TRUE(direct.Calls.empty());
    }
}

}  // namespace
