// EAN/UPC family (EAN-13, EAN-8, UPC-A, EAN-13 with add-ons): check digits,
// parity tables, refusal of non-digits, element sequences, bar geometry in
// both directions, human-readable digits and UPC-A's font fitting.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;
using T = TBarCodeType;
using D = TDirection;

namespace {

TEST(EanUpc, CheckDigits) {
    using Routine = std::string (*)(std::string_view);
    struct Case {
        Routine routine;
        const char* data;
        char check;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {AddCheck_EAN13, "400638133393", '1', "EAN-13 example"},
        {AddCheck_EAN13, "590123412345", '7', "EAN-13 example"},
        {AddCheck_EAN13, "000000000000", '0', "all zeros"},
        {AddCheck_EAN13, "978020137962", '4', "weights 1, 3 from the left: sum 96"},
        {AddCheck_EAN13, "999999999999", '4', "120 - 54 - 6 x (27 mod 10) = 24"},
        // 5
        {AddCheck_Mod10, "9638507", '4', "EAN-8 example"},
        {AddCheck_Mod10, "9999999", '5', "sum 135"},
        {AddCheck_Mod10, "0000000", '0', "sum 0"},
        {AddCheck_Mod10, "1234567", '0', "sum 60"},
        {AddCheck_Mod10, "1540014128876", '3', "13 digits, sum 97 (Interleaved 2 of 5 use)"},
        // 10
        {AddCheck_UPCA, "03600029145", '2', "UPC-A example"},
        {AddCheck_UPCA, "12345678901", '2', "3 x 26 + 20 = 98"},
        {AddCheck_UPCA, "72527273070", '6', "3 x 26 + 16 = 94"},
        {AddCheck_UPCA, "00000000000", '0', "10 becomes 0"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.data << " " << t.note);
        EXPECT_EQ(t.routine(t.data), std::string(t.data) + t.check);
    }

    // The EAN-13 routine keeps its digits, check sum and conversion result.
    AddCheck_EAN13("590123412345");
    EXPECT_EQ(std::vector<int>(Pole.begin(), Pole.begin() + 13),
              (std::vector<int>{5, 9, 0, 1, 2, 3, 4, 1, 2, 3, 4, 5, 7}));
    EXPECT_EQ(CS, 7);
    EXPECT_EQ(K, 0);
}

// Properties of the standard's parity tables; the readers check each row.
TEST(EanUpc, ParityTables) {
    std::set<std::array<uint8_t, 6>> sadaRows(Sada.begin(), Sada.end());
    EXPECT_EQ(sadaRows.size(), 10u) << "one pattern per leading digit";
    EXPECT_EQ(Sada[0], (std::array<uint8_t, 6>{})) << "leading 0: all L, as UPC-A";
    for (size_t d = 1; d < Sada.size(); ++d) {
        SCOPED_TRACE(testing::Message() << "Sada row " << d);
        EXPECT_EQ(Sada[d][0], 0) << "the first left digit is always L";
        EXPECT_EQ(std::count(Sada[d].begin(), Sada[d].end(), 1), 3) << "three G, three L";
    }
    std::set<std::array<uint8_t, 5>> addRows(Add5Matr.begin(), Add5Matr.end());
    EXPECT_EQ(addRows.size(), 10u) << "every way of choosing two G of five";
    for (size_t v = 0; v < Add5Matr.size(); ++v) {
        SCOPED_TRACE(testing::Message() << "Add5Matr row " << v);
        EXPECT_EQ(std::count(Add5Matr[v].begin(), Add5Matr[v].end(), 10), 2);
        EXPECT_EQ(std::count(Add5Matr[v].begin(), Add5Matr[v].end(), 20), 3);
    }
}

TEST(EanUpc, NonDigitsAreRefusedBeforeDrawing) {
    struct Case {
        T symbology;
        const char* data;
        const char* message;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {T::UPC_A, "1234567890A", "UPC A cannot encode the character \"A\" (code 65)", "UPC-A has no numeric test"},
        {T::UPC_A, "123456789A", "UPC-A should be 11 numeric char", "the length rule comes first"},
        {T::EAN_13, "40063813339.", "EAN 13 cannot encode the character \".\" (code 46)", "a number to Val"},
        {T::EAN_8, "+963850", "EAN 8 cannot encode the character \"+\" (code 43)", "a sign"},
        {T::EAN_13_2AddOn, "4006381333e112", "EAN 13 with 2 AddOn cannot encode the character \"e\" (code 101)",
         "an exponent"},
        // 5
        {T::EAN_13_5AddOn, " 4006381333935249", "EAN 13 with 5 AddOn cannot encode the character (code 32)",
         "a leading blank"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        TKordix k;
        RecordingCanvas canvas;
        test::Messages messages;
        k.Code().SetCode(t.symbology);
        k.Code().SetCaption(t.data);
        ModulWidth = 77;
        CurX = 1234;
        k.DrawBarCode(canvas, 0, 0, 1.0);
        EXPECT_EQ(messages.texts, std::vector<std::string>{t.message});
        EXPECT_TRUE(canvas.Calls.empty());
        EXPECT_EQ(ModulWidth, 77) << "drawing state untouched";
        EXPECT_EQ(CurX, 1234);
    }

    // Called directly, an encoder draws nothing for such data or a wrong length.
    using Encoder = void (TKordix::*)(TCanvas&, int, int, D, int, std::string, bool, int, int);
    const std::pair<Encoder, const char*> direct[] = {
        {&TKordix::Print_EAN13, "40063813339."},
        {&TKordix::Print_EAN13, "4006381333931"},
        {&TKordix::Print_EAN8, "96385e7"},
        {&TKordix::Print_EAN8, "963850"},
        {&TKordix::Print_UPCA, "0360002914A"},
        {&TKordix::Print_UPCA, "036000291452"},
        {&TKordix::Print_EAN13_2AddOn, "400638133393-2"},
        {&TKordix::Print_EAN13_5AddOn, "4006381333935249."},
    };
    for (const auto& [encoder, data] : direct) {
        SCOPED_TRACE(data);
        TKordix k;
        RecordingCanvas canvas;
        ModulWidth = 1;
        (k.*encoder)(canvas, 0, 0, D::Horizontal, 30, data, true, 100, 50);
        EXPECT_TRUE(canvas.Calls.empty());
    }
}

struct Fixture {
    TKordix k;
    RecordingCanvas canvas;
    test::Messages messages;
    Fixture(T symbology, const std::string& data, D dir = D::Horizontal, TDensity density = TDensity::High) {
        k.Code().SetCode(symbology);
        k.Code().SetCaption(data);
        k.Code().SetDirection(dir);
        k.Code().SetDensity(density);
    }
    void Draw(int x = 0, int y = 0, double factor = 1.0) { k.DrawBarCode(canvas, x, y, factor); }
};

// One element as drawn, in the symbol's own frame: along the reading
// direction in modules from the first bar, across it in pixels.
struct Element {
    int start, modules;
    int near, length;
    bool bar;
};

std::vector<Element> Elements(const Fixture& f, D dir, int x, int y) {
    const int mw = ModulWidth;
    const bool h = dir == D::Horizontal;
    const int origin = h ? x + 10 * mw : y + CodeHeight - 10 * mw;
    std::vector<Element> out;
    for (const auto& c : f.canvas.Of(CanvasCall::Kind::FillRect)) {
        const TRect& r = c.R;
        Element e;
        e.start = h ? (r.Left - origin) / mw : (origin - r.Top) / mw;
        e.modules = h ? (r.Right - r.Left) / mw : (r.Top - r.Bottom) / mw;
        e.near = h ? r.Top : r.Left;
        e.length = h ? r.Bottom - r.Top : r.Right - r.Left;
        e.bar = c.BrushColor == f.k.BarColor();
        out.push_back(e);
    }
    return out;
}

// '1' per bar module, '0' per space module; unpainted gaps are spaces.
std::string ModuleString(const std::vector<Element>& elements) {
    std::string s;
    for (const auto& e : elements) {
        if (e.start > static_cast<int>(s.size())) s.append(e.start - s.size(), '0');
        s.append(e.modules, e.bar ? '1' : '0');
    }
    return s;
}

const std::string kEAN13_4006381333931 =
    "101" "0001101" "0100111" "0101111" "0111101" "0001001" "0110011"  // L0 G0 L6 L3 G8 G1
    "01010" "1000010" "1000010" "1000010" "1110100" "1000010" "1100110" "101";  // R3 R3 R3 R9 R3 R1
const std::string kAddOnGap = "00000000";

TEST(EanUpc, ElementSequence) {
    struct Case {
        T symbology;
        const char* data;
        D dir;
        TDensity density;
        std::string modules;
        const char* note;
    };
    const Case cases[] = {
        // 0
        {T::EAN_13, "400638133393", D::Horizontal, TDensity::High, kEAN13_4006381333931, "parity LGLLGG"},
        {T::EAN_13, "012345678901", D::Vertical, TDensity::Medium,
         "101" "0011001" "0010011" "0111101" "0100011" "0110001" "0101111"
         "01010" "1000100" "1001000" "1110100" "1110010" "1100110" "1101100" "101",
         "leading 0: parity LLLLLL, upwards"},
        {T::EAN_8, "9638507", D::Horizontal, TDensity::Low,
         "101" "0001011" "0101111" "0111101" "0110111" "01010" "1001110" "1110010" "1000100" "1011100" "101",
         "L 9638, R 5074: 67 modules"},
        {T::UPC_A, "03600029145", D::Vertical, TDensity::High,
         "101" "0001101" "0111101" "0101111" "0001101" "0001101" "0001101"
         "01010" "1101100" "1110100" "1100110" "1011100" "1001110" "1101100" "101",
         "L 036000, R 291452: 95 modules"},
        {T::EAN_13_2AddOn, "40063813339312", D::Horizontal, TDensity::High,
         kEAN13_4006381333931 + kAddOnGap + "1011" "0011001" "01" "0010011", "add-on 12: 12 mod 4 = 0, L L"},
        // 5
        {T::EAN_13_2AddOn, "40063813339313", D::Horizontal, TDensity::High,
         kEAN13_4006381333931 + kAddOnGap + "1011" "0011001" "01" "0100001", "add-on 13: L G"},
        {T::EAN_13_2AddOn, "40063813339314", D::Vertical, TDensity::Medium,
         kEAN13_4006381333931 + kAddOnGap + "1011" "0110011" "01" "0100011", "add-on 14: G L"},
        {T::EAN_13_2AddOn, "40063813339315", D::Horizontal, TDensity::High,
         kEAN13_4006381333931 + kAddOnGap + "1011" "0110011" "01" "0111001", "add-on 15: G G"},
        {T::EAN_13_5AddOn, "40063813339352495", D::Horizontal, TDensity::High,
         kEAN13_4006381333931 + kAddOnGap +
             "1011" "0111001" "01" "0010011" "01" "0011101" "01" "0001011" "01" "0110001",
         "add-on 52495: sum 141, row 1 G L G L L"},
        {T::EAN_13_5AddOn, "40063813339324539", D::Vertical, TDensity::Low,
         kEAN13_4006381333931 + kAddOnGap +
             "1011" "0011011" "01" "0100011" "01" "0111001" "01" "0111101" "01" "0001011",
         "add-on 24539: sum 111, row 1 as well"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data, t.dir, t.density);
        f.Draw(3, 4);
        ASSERT_TRUE(f.messages.texts.empty());
        EXPECT_EQ(ModuleString(Elements(f, t.dir, 3, 4)), t.modules);
    }
}

// Bars are long (guard height: 5 modules more), data height, or add-on bars
// (TextH shorter, starting TextH further from the bars' starting line).
TEST(EanUpc, BarLengths) {
    struct Range {
        int from, to;  // modules [from, to)
    };
    struct Case {
        T symbology;
        const char* data;
        D dir;
        TDensity density;
        bool textOn;
        std::vector<Range> tall;
        Range addOn;
        int modules;
        const char* note;
    };
    const std::vector<Range> ean13Guards = {{0, 3}, {45, 50}, {92, 95}};
    const Case cases[] = {
        // 0
        {T::EAN_13, "400638133393", D::Horizontal, TDensity::High, true, ean13Guards, {}, 95, ""},
        {T::EAN_13, "400638133393", D::Vertical, TDensity::Medium, false, ean13Guards, {}, 95,
         "long guards with the text off"},
        {T::EAN_8, "9638507", D::Horizontal, TDensity::Low, false, {{0, 3}, {31, 36}, {64, 67}}, {}, 67,
         "long guards with the text off"},
        {T::EAN_8, "9638507", D::Vertical, TDensity::High, true, {{0, 3}, {31, 36}, {64, 67}}, {}, 67, ""},
        {T::UPC_A, "03600029145", D::Horizontal, TDensity::High, true, {{0, 10}, {45, 50}, {85, 95}}, {}, 95,
         "outer digits long with the guards"},
        // 5
        {T::UPC_A, "03600029145", D::Vertical, TDensity::Medium, false, {}, {}, 95, "text off: all bars alike"},
        {T::EAN_13_2AddOn, "40063813339312", D::Horizontal, TDensity::High, true, ean13Guards, {103, 123}, 123,
         "8-module gap, 20-module add-on"},
        {T::EAN_13_5AddOn, "40063813339352495", D::Vertical, TDensity::Low, true, ean13Guards, {103, 150}, 150,
         "47-module add-on"},
        {T::EAN_13_5AddOn, "40063813339352495", D::Horizontal, TDensity::Medium, false, ean13Guards, {103, 150},
         150, "text off: still shortened by TextH"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data, t.dir, t.density);
        f.k.Code().SetTextOn(t.textOn);
        f.k.SetHeight(100);
        f.Draw(3, 4);
        ASSERT_TRUE(f.messages.texts.empty());
        const bool h = t.dir == D::Horizontal;
        const int mw = ModulWidth;
        const int line = h ? 4 + 2 : 3 + 2;  // where the bars start
        const int margin = t.symbology == T::EAN_13_2AddOn ? 2 : 1;
        const int barHeight = (h ? CodeHeight : CodeWidth) - TextH - margin;
        EXPECT_EQ(TextH, 5 * mw + (t.textOn ? 11 : 0));

        const auto elements = Elements(f, t.dir, 3, 4);
        ASSERT_FALSE(elements.empty());
        EXPECT_EQ(elements.front().start, 0);
        EXPECT_EQ(elements.back().start + elements.back().modules, t.modules);
        for (const auto& e : elements) {
            if (!e.bar) continue;
            SCOPED_TRACE(testing::Message() << "bar at module " << e.start);
            const auto in = [&](Range r) { return e.start >= r.from && e.start + e.modules <= r.to; };
            if (in(t.addOn)) {
                EXPECT_EQ(e.near, line + TextH);
                EXPECT_EQ(e.length, barHeight - TextH) << "ends level with the data bars";
            } else {
                EXPECT_EQ(e.near, line);
                const bool tall = std::any_of(t.tall.begin(), t.tall.end(), in);
                EXPECT_EQ(e.length, tall ? barHeight + 5 * mw : barHeight);
            }
        }
        EXPECT_EQ(ModulHeight, t.addOn.to ? barHeight - TextH : barHeight);
    }
}

TEST(EanUpc, HumanReadableDigits) {
    // A run of digits: pitch pixels apart along the reading direction.
    struct Run {
        int x, y, pitch;
        const char* digits;
    };
    struct Case {
        T symbology;
        const char* data;
        D dir;
        TDensity density;
        std::vector<Run> runs;
        const char* note;
    };
    // Box at (4, 6), control 100 x 50, font height -11. Horizontal: first bar
    // at x = 14 (24 at Medium), bars from y = 8, text line 8 + BarHeight.
    // Vertical: bars from x = 6, text column 6 + BarHeight + 2, first bar at
    // the row 6 + CodeHeight - 10, upwards.
    const Case cases[] = {
        // 0
        {T::EAN_13, "400638133393", D::Horizontal, TDensity::High,
         {{4, 41, 0, "4"}, {21, 41, 7, "006381"}, {64, 41, 7, "333931"}},
         "leading digit at the box edge; left half 4 pixels in"},
        {T::EAN_13, "400638133393", D::Vertical, TDensity::High,
         {{91, 125, 0, "4"}, {91, 112, 7, "006381"}, {91, 65, 7, "333931"}},
         "leading digit at the bottom edge Y + H"},
        {T::EAN_8, "9638507", D::Horizontal, TDensity::High, {{17, 41, 7, "9638"}, {50, 41, 7, "5074"}},
         "no digit outside the guards"},
        {T::EAN_8, "9638507", D::Vertical, TDensity::High, {{91, 77, 7, "9638"}, {91, 44, 7, "5074"}}, ""},
        {T::UPC_A, "03600029145", D::Horizontal, TDensity::High,
         {{7, 43, 0, "0"}, {25, 41, 7, "36000"}, {64, 41, 7, "29145"}, {112, 43, 0, "2"}},
         "outer digits 3 modules into the quiet zones, 2 pixels lower"},
        // 5
        {T::UPC_A, "03600029145", D::Vertical, TDensity::High,
         {{95, 122, 0, "0"}, {91, 104, 7, "36000"}, {91, 65, 7, "29145"}, {95, 17, 0, "2"}},
         "outer digits 4 pixels further right"},
        {T::EAN_13_2AddOn, "40063813339312", D::Horizontal, TDensity::High,
         {{4, 40, 0, "4"}, {17, 40, 7, "006381"}, {64, 40, 7, "333931"}, {121, 6, 9, "12"}},
         "bars a pixel shorter; add-on digits at the top edge"},
        {T::EAN_13_2AddOn, "40063813339312", D::Vertical, TDensity::High,
         {{90, 157, 0, "4"}, {90, 144, 7, "006381"}, {90, 97, 7, "333931"}, {4, 40, 9, "12"}},
         "add-on digits at the left edge"},
        {T::EAN_13_5AddOn, "40063813339352495", D::Horizontal, TDensity::Medium,
         {{4, 36, 0, "4"}, {30, 36, 14, "006381"}, {124, 36, 14, "333931"}, {238, 6, 18, "52495"}},
         "fifth add-on digit 36 modules after the first"},
        {T::EAN_13_5AddOn, "40063813339352495", D::Vertical, TDensity::High,
         {{91, 178, 0, "4"}, {91, 165, 7, "006381"}, {91, 118, 7, "333931"}, {4, 61, 9, "52495"}}, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(t.symbology, t.data, t.dir, t.density);
        f.Draw(4, 6);
        ASSERT_TRUE(f.messages.texts.empty());
        std::vector<std::tuple<int, int, std::string>> expected;
        for (const Run& r : t.runs) {
            for (int k = 0; r.digits[k]; ++k) {
                const int step = k * r.pitch;
                expected.emplace_back(t.dir == D::Horizontal ? r.x + step : r.x,
                                      t.dir == D::Horizontal ? r.y : r.y - step, std::string(1, r.digits[k]));
            }
        }
        std::vector<std::tuple<int, int, std::string>> drawn;
        for (const auto& c : f.canvas.Of(CanvasCall::Kind::TextOut)) {
            drawn.emplace_back(c.X, c.Y, c.Text);
            EXPECT_EQ(c.Font.lfEscapement, t.dir == D::Vertical ? 900 : 0);
            EXPECT_EQ(c.TextAlign, TA_LEFT | TA_TOP);
        }
        EXPECT_EQ(drawn, expected);
    }
}

TEST(EanUpc, TextCells) {
    const std::pair<T, const char*> symbols[] = {
        {T::EAN_13, "400638133393"},
        {T::EAN_8, "9638507"},
        {T::UPC_A, "03600029145"},
        {T::EAN_13_2AddOn, "40063813339312"},
        {T::EAN_13_5AddOn, "40063813339352495"},
    };
    struct Mode {
        bool transparent, textOn;
        const char* note;
    };
    const Mode modes[] = {{false, true, "opaque"}, {true, true, "transparent"}, {false, false, "no text"}};
    for (const auto& [symbology, data] : symbols) {
        for (const auto& [transparent, textOn, note] : modes) {
            SCOPED_TRACE(testing::Message() << data << " " << note);
            Fixture f(symbology, data);
            f.k.SetBackColor(clYellow);
            f.k.SetBarColor(clNavy);
            f.k.Code().SetTransparent(transparent);
            f.k.Code().SetTextOn(textOn);
            f.Draw();
            const auto texts = f.canvas.Of(CanvasCall::Kind::TextOut);
            EXPECT_EQ(texts.size(), textOn ? std::string(data).size() + 1 : 0u) << "every digit and the check digit";
            for (const auto& c : texts) {
                EXPECT_EQ(c.BkMode, transparent ? TRANSPARENT : OPAQUE);
                if (!transparent) {
                    EXPECT_EQ(c.BrushColor, clYellow) << "cell in the background colour";
                }
            }
            EXPECT_EQ(f.canvas.Of(CanvasCall::Kind::SetTextAlign).size(), textOn ? 1u : 0u);
        }
    }
}

// UPC-A lowers the font until six digits fit the 35 modules less a pixel of
// the left half, but never below 1 point, so that the fitting always ends;
// the outer digits are 2 points smaller (at least 1 point).
TEST(EanUpc, UpcaFontFitting) {
    struct Case {
        TDensity density;
        double factor;
        int points;
        D dir;
        int inner;  // expected size, or 0: the largest that fits
        const char* note;
    };
    const Case cases[] = {
        // 0
        {TDensity::High, 1.0, 8, D::Horizontal, 0, "default font, 34-pixel span"},
        {TDensity::High, 1.0, 30, D::Vertical, 0, "a large font, turned again after every step"},
        {TDensity::Low, 1.0, 8, D::Horizontal, 8, "fits at once: no change"},
        {TDensity::High, 0.0, 8, D::Horizontal, 1, "factor 0: module width 0, span -1, never fits"},
        {TDensity::High, -1.0, 8, D::Vertical, 1, "module width -1"},
        // 5
        {TDensity::High, 0.0, 2, D::Horizontal, 1, "2 points: outer digits stay at 1 point"},
    };
    const auto pointsOf = [](int height) {
        TFont font;
        font.SetHeight(height);
        return font.Size();
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& t = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << t.note);
        Fixture f(T::UPC_A, "03600029145", t.dir, t.density);
        f.k.Font().SetSize(t.points);
        f.Draw(0, 0, t.factor);
        ASSERT_TRUE(f.messages.texts.empty());
        const auto texts = f.canvas.Of(CanvasCall::Kind::TextOut);
        ASSERT_EQ(texts.size(), 12u);
        const int inner = pointsOf(texts[1].Font.lfHeight);
        for (size_t d = 1; d < 11; ++d) EXPECT_EQ(texts[d].Font.lfHeight, texts[1].Font.lfHeight);
        for (size_t d : {size_t(0), size_t(11)}) EXPECT_EQ(pointsOf(texts[d].Font.lfHeight), std::max(inner - 2, 1));
        for (const auto& c : texts) EXPECT_EQ(c.Font.lfEscapement, t.dir == D::Vertical ? 900 : 0);

        if (t.inner) {
            EXPECT_EQ(inner, t.inner);
            continue;
        }
        // The largest size not above the font's own whose text fits the span.
        const int span = 35 * ModulWidth - 1;
        RecordingCanvas measure;
        measure.Font.SetName("Arial");
        const auto width = [&](int points) {
            measure.Font.SetSize(points);
            return measure.TextWidth("360002");
        };
        EXPECT_LT(inner, t.points);
        EXPECT_LE(width(inner), span);
        EXPECT_GT(width(inner + 1), span);
    }
}

}  // namespace
