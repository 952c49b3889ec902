// End to end: Interleaved 2 of 5 drawn by the kdx program into PNG files and
// decoded by zbar (zbarimg) and ZXing-cpp (zxing_read). Neither reader
// validates or strips the check digit, and both refuse fewer than 6 digits,
// so every row draws at least 6 digits (leading zero and check included).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Process.h"

using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";

std::string WithoutTrailingNewline(std::string Text) {
    while (!Text.empty() && Text.back() == '\n') Text.pop_back();
    return Text;
}

struct Case {
    const char* Data;
    const char* Density;
    const char* Direction;
    bool Check;
    const char* Read;  // the digits as drawn, with a leading zero and the check digit (3, 1, 3, ... from the right)
};

// ZXing-cpp 1.4 turns a vertical image the mirrored way first and can misread
// ITF read backwards (00000000 comes back as 63636363, 88439025 as 89935028,
// as from a horizontal symbol mirrored; zbar reads them right), so the
// vertical rows hold data it reads back the right way round.
const Case kCases[] = {
    /* 0 */ {"1234", "High", "Horizontal", true, "012348"},
    /* 1 */ {"123456", "High", "Vertical", false, "123456"},
    /* 2 */ {"12345", "Medium", "Horizontal", false, "012345"},
    /* 3 */ {"1234567890", "Medium", "Vertical", true, "012345678905"},
    /* 4 */ {"9876543", "Low", "Horizontal", true, "98765430"},
    /* 5 */ {"31415926", "Low", "Vertical", false, "31415926"},
    /* 6 */ {"00000000", "Low", "Horizontal", false, "00000000"},
    /* 7 */ {"90817263", "High", "Vertical", true, "0908172632"},
    /* 8 */ {"55555", "Medium", "Horizontal", true, "555555"},
};

}  // namespace

TEST(ReadersDecode, InterleavedTwoOfFive) {
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + c.Data + " " + c.Density + " " + c.Direction +
                     (c.Check ? " check" : ""));
        TempDir dir;
        const std::string png = dir / "itf.png";
        std::vector<std::string> args = {kKdx,        "render",  "-s",          "ITF",       "-d", c.Data,
                                         "--density", c.Density, "--direction", c.Direction, "-o", png};
        if (std::string(c.Density) == "High") args.insert(args.end(), {"--factor", "2"});  // zbar: 2-pixel modules
        if (!c.Check) args.push_back("--no-check");
        const auto drawn = RunProcess(args);
        ASSERT_EQ(drawn.Status, 0) << drawn.Err;

        const auto zbar = RunProcess({ZBARIMG, "--raw", "-q", "-Si25.enable", png});
        EXPECT_EQ(zbar.Status, 0) << "zbar read nothing";
        EXPECT_EQ(WithoutTrailingNewline(zbar.Out), c.Read) << "zbar";

        const auto zxing = RunProcess({ZXING_READ, png});
        EXPECT_EQ(zxing.Status, 0) << zxing.Err;
        EXPECT_EQ(WithoutTrailingNewline(zxing.Out), std::string("ITF ") + c.Read) << "ZXing";
    }
}
