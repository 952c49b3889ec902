// End to end: symbols drawn by the kdx program into PNG files and decoded by
// two independent readers, zbar (zbarimg) and ZXing-cpp (zxing_read).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Process.h"
#include "runtime/Kdx.h"

using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";

std::string WithoutTrailingNewline(std::string Text) {
    while (!Text.empty() && Text.back() == '\n') Text.pop_back();
    return Text;
}

struct Code39Case {
    const char* Data;
    const char* Density;
    const char* Direction;
    bool Check;
    const char* Note;
};

// Neither reader validates or strips the Code 39 check character, so it is
// part of the text they return. zbar needs 2-pixel modules at High density.
const Code39Case kCode39Cases[] = {
    /* 0 */ {"CODE39", "High", "Horizontal", true, "check character W"},
    /* 1 */ {"A-B. C", "High", "Vertical", false, "minus, full stop and space"},
    /* 2 */ {"HELLO-123", "Medium", "Horizontal", false, ""},
    /* 3 */ {"Z4", "Medium", "Vertical", true, "check character $"},
    /* 4 */ {"A-B. C", "Low", "Horizontal", true, "check character F"},
    /* 5 */ {"CODE39", "Low", "Vertical", false, ""},
    /* 6 */ {"Z4", "High", "Horizontal", false, "two characters"},
    /* 7 */ {"HELLO-123", "High", "Vertical", true, ""},
    /* 8 */ {"CODE39", "Medium", "Horizontal", true, ""},
    /* 9 */ {"Z4", "Low", "Vertical", false, ""},
    /* 10 */ {"%$/+", "Medium", "Horizontal", true, "the four last characters of the set"},
};

}  // namespace

TEST(ReadersDecode, Code39) {
    for (size_t i = 0; i < std::size(kCode39Cases); ++i) {
        const Code39Case& c = kCode39Cases[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + c.Data + " " + c.Density + " " + c.Direction +
                     (c.Check ? " check" : "") + " " + c.Note);
        TempDir dir;
        const std::string png = dir / "code39.png";
        std::vector<std::string> args = {kKdx,        "render",  "-s",          "Code_39",   "-d", c.Data,
                                         "--density", c.Density, "--direction", c.Direction, "-o", png};
        if (std::string(c.Density) == "High") args.insert(args.end(), {"--factor", "2"});
        if (!c.Check) args.push_back("--no-check");
        const auto drawn = RunProcess(args);
        ASSERT_EQ(drawn.Status, 0) << drawn.Err;

        const std::string expected =
            std::string(c.Data) + (c.Check ? std::string(1, kdx::Code39CheckChar(c.Data)) : "");
        const auto zbar = RunProcess({ZBARIMG, "--raw", "-q", "-Scode39.enable", png});
        EXPECT_EQ(zbar.Status, 0) << "zbar read nothing";
        EXPECT_EQ(WithoutTrailingNewline(zbar.Out), expected) << "zbar";

        const auto zxing = RunProcess({ZXING_READ, png});
        EXPECT_EQ(zxing.Status, 0) << zxing.Err;
        EXPECT_EQ(WithoutTrailingNewline(zxing.Out), "Code39 " + expected) << "ZXing";
    }
}
