// End to end: EAN-13, EAN-8, UPC-A and EAN-13 with add-ons drawn by the kdx
// program into PNG files and decoded by zbar (zbarimg) and ZXing-cpp
// (zxing_read), which validate the check digit themselves.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "Process.h"

using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";

struct Case {
    const char* Symbology;
    const char* Data;
    const char* Density;
    const char* Direction;
    const char* Main;   // the digits of the main symbol, check digit included
    const char* AddOn;  // "" when none
    const char* Note;
};

// EAN-13 rows cover every leading digit (every row of Sada), the 2-digit
// add-on rows every value mod 4 and the 5-digit add-on rows every row of
// Add5Matr (the weighted sum mod 10 is in the note).
const Case kCases[] = {
    // 0
    {"EAN_13", "012345678901", "High", "Horizontal", "0123456789012", "", "leading 0: LLLLLL"},
    {"EAN_13", "123456789012", "High", "Vertical", "1234567890128", "", "leading 1: LLGLGG"},
    {"EAN_13", "234567890123", "Medium", "Horizontal", "2345678901234", "", "leading 2: LLGGLG"},
    {"EAN_13", "345678901234", "Medium", "Vertical", "3456789012340", "", "leading 3: LLGGGL"},
    {"EAN_13", "400638133393", "Low", "Horizontal", "4006381333931", "", "leading 4: LGLLGG"},
    // 5
    {"EAN_13", "590123412345", "Low", "Vertical", "5901234123457", "", "leading 5: LGGLLG"},
    {"EAN_13", "690123456789", "High", "Horizontal", "6901234567892", "", "leading 6: LGGGLL"},
    {"EAN_13", "789012345678", "Medium", "Vertical", "7890123456784", "", "leading 7: LGLGLG"},
    {"EAN_13", "812345678901", "Low", "Horizontal", "8123456789014", "", "leading 8: LGLGGL"},
    {"EAN_13", "978020137962", "High", "Vertical", "9780201379624", "", "leading 9: LGGLGL"},
    // 10
    {"EAN_8", "9638507", "High", "Horizontal", "96385074", "", ""},
    {"EAN_8", "1234567", "High", "Vertical", "12345670", "", ""},
    {"EAN_8", "9999999", "Medium", "Horizontal", "99999995", "", ""},
    {"EAN_8", "5512345", "Medium", "Vertical", "55123457", "", ""},
    {"EAN_8", "4719512", "Low", "Horizontal", "47195127", "", ""},
    // 15
    {"EAN_8", "0000000", "Low", "Vertical", "00000000", "", ""},
    {"UPC_A", "03600029145", "High", "Horizontal", "036000291452", "", ""},
    {"UPC_A", "12345678901", "High", "Vertical", "123456789012", "", ""},
    {"UPC_A", "04210000526", "Medium", "Horizontal", "042100005264", "", ""},
    {"UPC_A", "88888888888", "Medium", "Vertical", "888888888886", "", ""},
    // 20
    {"UPC_A", "01234567890", "Low", "Horizontal", "012345678905", "", ""},
    {"UPC_A", "72527273070", "Low", "Vertical", "725272730706", "", ""},
    {"EAN_13_2AddOn", "40063813339312", "High", "Horizontal", "4006381333931", "12", "L L"},
    {"EAN_13_2AddOn", "59012341234513", "Medium", "Vertical", "5901234123457", "13", "L G"},
    {"EAN_13_2AddOn", "97802013796214", "Low", "Horizontal", "9780201379624", "14", "G L"},
    // 25
    {"EAN_13_2AddOn", "12345678901215", "High", "Vertical", "1234567890128", "15", "G G"},
    {"EAN_13_5AddOn", "40063813339327182", "High", "Horizontal", "4006381333931", "27182", "sum 150"},
    {"EAN_13_5AddOn", "40063813339352495", "High", "Vertical", "4006381333931", "52495", "sum 141"},
    {"EAN_13_5AddOn", "97802013796224680", "Medium", "Horizontal", "9780201379624", "24680", "sum 132"},
    {"EAN_13_5AddOn", "97802013796299999", "Medium", "Vertical", "9780201379624", "99999", "sum 243"},
    // 30
    {"EAN_13_5AddOn", "69012345678931415", "Low", "Horizontal", "6901234567892", "31415", "sum 54"},
    {"EAN_13_5AddOn", "69012345678913579", "Low", "Vertical", "6901234567892", "13579", "sum 135"},
    {"EAN_13_5AddOn", "81234567890120000", "High", "Horizontal", "8123456789014", "20000", "sum 6"},
    {"EAN_13_5AddOn", "81234567890190000", "Medium", "Vertical", "8123456789014", "90000", "sum 27"},
    {"EAN_13_5AddOn", "23456789012320202", "Low", "Horizontal", "2345678901234", "20202", "sum 18"},
    // 35
    {"EAN_13_5AddOn", "23456789012398765", "High", "Vertical", "2345678901234", "98765", "sum 189"},
};

// How both readers name the main symbol: an EAN-13 with leading 0 is a UPC-A.
std::pair<std::string, std::string> Reported(const std::string& Symbology, const std::string& Main) {
    if (Symbology == "EAN_8") return {"EAN-8", Main};
    if (Symbology == "UPC_A") return {"UPC-A", Main};
    if (Main[0] == '0') return {"UPC-A", Main.substr(1)};
    return {"EAN-13", Main};
}

std::vector<std::string> SortedLines(const std::string& Text) {
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace

TEST(ReadersDecode, EanUpc) {
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + c.Symbology + " " + c.Data + " " + c.Density + " " +
                     c.Direction + " " + c.Note);
        TempDir dir;
        const std::string png = dir / "ean.png";
        // zbar needs 2-pixel modules at High density; the add-on bars are the
        // control height less two text bands, so give them room.
        std::vector<std::string> args = {kKdx,        "render",  "-s",          c.Symbology, "-d", c.Data,
                                         "--density", c.Density, "--direction", c.Direction, "-o", png};
        if (std::string(c.Density) == "High") args.insert(args.end(), {"--factor", "2"});
        const std::string addOn = c.AddOn;
        if (!addOn.empty()) args.insert(args.end(), {"--height", "100"});
        const auto drawn = RunProcess(args);
        ASSERT_EQ(drawn.Status, 0) << drawn.Err;

        const auto [name, digits] = Reported(c.Symbology, c.Main);
        // zbar reports an add-on as a symbol of its own.
        std::vector<std::string> zbarExpected = {name + ":" + digits};
        if (!addOn.empty()) zbarExpected.push_back("EAN-" + std::to_string(addOn.size()) + ":" + addOn);
        std::sort(zbarExpected.begin(), zbarExpected.end());
        const auto zbar = RunProcess({ZBARIMG, "-q", "-Supca.enable", "-Sean2.enable", "-Sean5.enable", png});
        EXPECT_EQ(zbar.Status, 0) << "zbar read nothing";
        EXPECT_EQ(SortedLines(zbar.Out), zbarExpected) << "zbar";

        const auto zxing = RunProcess({ZXING_READ, "--ean-addon", png});
        EXPECT_EQ(zxing.Status, 0) << zxing.Err;
        EXPECT_EQ(SortedLines(zxing.Out),
                  std::vector<std::string>{name + " " + digits + (addOn.empty() ? "" : " " + addOn)})
            << "ZXing";
    }
}
