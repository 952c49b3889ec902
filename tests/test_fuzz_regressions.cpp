// Inputs the fuzz targets found, replayed through the same decoding and
// drawing (fuzz/FuzzCases.h) and the same command-line parsing: each must
// finish without a sanitizer report or an exception other than a usage
// error. New findings go to tests/data/fuzz/draw/ and tests/data/fuzz/options/.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzCases.h"
#include "tools/kdx/Options.h"

namespace kdx {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(const std::string& Target) {
    std::vector<fs::path> files;
    const fs::path dir = fs::path(KDX_TEST_DATA) / "fuzz" / Target;
    if (fs::is_directory(dir))
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& File) {
    std::ifstream in(File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FuzzRegressions, DrawInputs) {
    const auto files = Inputs("draw");
    EXPECT_FALSE(files.empty());
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        const std::string bytes = ReadAll(f);
        fuzz::RunDrawCase(fuzz::DecodeDrawCase(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    }
}

TEST(FuzzRegressions, CommandLineInputs) {
    for (const auto& f : Inputs("options")) {
        SCOPED_TRACE(f.filename().string());
        const std::string bytes = ReadAll(f);
        try {
            (void)cli::ParseCommandLine(
                fuzz::DecodeArguments(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        } catch (const cli::UsageError&) {
        }
    }
}

// Sizes and factors that must be refused with a message, not drawn.
TEST(FuzzRegressions, HostileSizesAreRefusedQuickly) {
    struct Case {
        double Factor;
        int Width, Height;
        size_t CaptionBytes;
        const char* Note;
    };
    const Case cases[] = {
        {1e300, 100, 50, 6, "huge factor"},  // 0
        {-1e300, 100, 50, 6, "huge negative factor"},
        {std::numeric_limits<double>::quiet_NaN(), 100, 50, 6, "not a number"},
        {1.0, 2000000000, 2000000000, 6, "huge control"},
        {1.0, 100, 50, 1 << 20, "a megabyte of caption"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << cases[i].Note);
        fuzz::DrawCase c;
        c.Symbology = static_cast<uint8_t>(TBarCodeType::Code_128);
        c.Flags = 0xD1;
        c.Factor = cases[i].Factor;
        c.Width = cases[i].Width;
        c.Height = cases[i].Height;
        c.Caption.assign(cases[i].CaptionBytes, 'A');
        fuzz::RunDrawCase(c);
    }
}

}  // namespace
}  // namespace kdx
