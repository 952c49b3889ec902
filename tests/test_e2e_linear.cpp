// End to end: Code 93, Code 128 and Codabar symbols drawn by the kdx program
// into PNG files and decoded by two independent readers, zbar (zbarimg) and
// ZXing-cpp (zxing_read), at all three densities and in both directions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Process.h"

using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";

struct Case {
    std::string Data;
    const char* Density;
    const char* Direction;
    std::string Expected;  // what zbar reports
    const char* Note;
};

std::string WithoutTrailingNewline(std::string Text) {
    while (!Text.empty() && Text.back() == '\n') Text.pop_back();
    return Text;
}

// The characters of codes First to Last.
std::string Codes(int First, int Last) {
    std::string s;
    for (int c = First; c <= Last; ++c) s += static_cast<char>(c);
    return s;
}

// Renders each case with `kdx render` and checks what zbar and ZXing read:
// zbar's text is the case's Expected; ZXing reports Format and the text that
// ZxingText makes of Expected. zbar needs 2-pixel modules at High density.
template <class ZxingText>
void RenderAndRead(const char* Symbology, const char* ZbarName, const char* Format, const std::vector<Case>& Cases,
                   ZxingText&& ToZxing) {
    for (size_t i = 0; i < Cases.size(); ++i) {
        const Case& c = Cases[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + c.Density + " " + c.Direction + " " + c.Note);
        TempDir dir;
        const std::string png = dir / "symbol.png";
        std::vector<std::string> args = {kKdx,        "render",  "-s",          Symbology,   "-d", c.Data,
                                         "--density", c.Density, "--direction", c.Direction, "-o", png};
        if (std::string(c.Density) == "High") args.insert(args.end(), {"--factor", "2"});
        const auto drawn = RunProcess(args);
        ASSERT_EQ(drawn.Status, 0) << drawn.Err;

        const auto zbar = RunProcess({ZBARIMG, "--raw", "-q", std::string("-S") + ZbarName + ".enable", png});
        EXPECT_EQ(zbar.Status, 0) << "zbar read nothing";
        EXPECT_EQ(WithoutTrailingNewline(zbar.Out), c.Expected) << "zbar";

        const auto zxing = RunProcess({ZXING_READ, png});
        EXPECT_EQ(zxing.Status, 0) << zxing.Err;
        EXPECT_EQ(WithoutTrailingNewline(zxing.Out), std::string(Format) + " " + ToZxing(c.Expected)) << "ZXing";
    }
}

std::string Same(const std::string& Text) { return Text; }

}  // namespace

// Both readers verify C and K and report the data without them, so a wrong
// check character or pattern row fails to decode.
TEST(ReadersDecode, Code93) {
    const std::vector<Case> cases = {
        // 0
        {"TEST93", "High", "Horizontal", "TEST93", "C +, K 6"},
        {"0123456789", "Medium", "Vertical", "0123456789", "digits"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "Low", "Horizontal", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "letters"},
        {"-. $/+%", "High", "Vertical", "-. $/+%", "punctuation and space"},
        {"12345678901234567890123", "Medium", "Horizontal", "12345678901234567890123", "C on row 43"},
        // 5
        {"1%", "Low", "Vertical", "1%", "C on row 44"},
        {"2+", "High", "Horizontal", "2+", "C on row 45"},
        {"0V", "Medium", "Vertical", "0V", "K on row 46"},
    };
    RenderAndRead("Code_93", "code93", "Code93", cases, Same);
}

// Both readers verify the check character and report the data without it.
// Printable characters and DEL are data; the check characters of the KDX-
// rows take the values 96 to 102, the rows that codes 128 to 134 also use.
TEST(ReadersDecode, Code128) {
    const std::vector<Case> cases = {
        // 0
        {Codes(32, 127), "Medium", "Horizontal", Codes(32, 127), "all 95 printable characters and DEL"},
        {Codes(32, 63), "High", "Vertical", Codes(32, 63), "space to question mark"},
        {Codes(64, 95), "Low", "Horizontal", Codes(64, 95), "@ to underscore"},
        {Codes(96, 127), "High", "Horizontal", Codes(96, 127), "grave accent to DEL"},
        {"KDX-Aw", "Medium", "Vertical", "KDX-Aw", "check value 96"},
        // 5
        {"KDX-Af", "Low", "Vertical", "KDX-Af", "check value 97"},
        {"KDX-Et", "High", "Horizontal", "KDX-Et", "check value 98"},
        {"KDX-Du", "Medium", "Horizontal", "KDX-Du", "check value 99"},
        {"KDX-Cv", "Low", "Horizontal", "KDX-Cv", "check value 100"},
        {"KDX-Bw", "High", "Vertical", "KDX-Bw", "check value 101"},
        // 10
        {"KDX-Ax", "Low", "Vertical", "KDX-Ax", "check value 102"},
    };
    RenderAndRead("Code_128", "code128", "Code128", cases, Same);
}

// Neither reader checks or strips the check character; zbar reports the
// start and stop letters too, ZXing leaves them out.
TEST(ReadersDecode, Codabar) {
    const std::vector<Case> cases = {
        // 0
        {"1234", "High", "Horizontal", "A1234-A", "start and stop A supplied, check minus"},
        {"A401B", "Medium", "Vertical", "A4016B", "letters given"},
        {"B123", "Low", "Horizontal", "B1237A", "stop A supplied"},
        {"C0123456789D", "High", "Vertical", "C01234567892D", "the digits"},
        {"D-$:/.+B", "Medium", "Horizontal", "D-$:/.++B", "the punctuation"},
        // 5
        {"31117013206375", "Low", "Vertical", "A311170132063758A", "a long number"},
    };
    RenderAndRead("Codabar", "codabar", "Codabar", cases,
                  [](const std::string& Symbol) { return Symbol.substr(1, Symbol.size() - 2); });
}
