// Writes the seed corpora of the fuzz targets into DIR/draw and DIR/options:
// the symbols and command lines the tests use.
//
//   fuzz_seeds DIR

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Seed {
    unsigned Symbology;
    const char* Caption;
    unsigned Flags;  // see FuzzCases.h
    unsigned Modes;
    unsigned Factor;  // 0-127: n/16
};

// Symbols of the encoder and driver tests: plain, with text, vertical, per
// character text, transparent, factors 1, 2 and 2.5.
const Seed kDrawSeeds[] = {
    {0, "CODE39", 0xD1, 0, 16},         {0, "HELLO-123", 0xF1, 4, 16},
    {0, "A-B. C", 0xF5, 8, 40},         {0, "Z4", 0xC9, 1, 32},
    {1, "CODE93", 0xD1, 0, 16},         {1, "Hello!", 0xD1, 12, 16},
    {2, "ABC123456", 0xD1, 0, 16},      {2, "Code 128", 0xF1, 4, 32},
    {3, "1234567890", 0xD1, 0, 16},     {3, "12.5", 0xC1, 0, 16},
    {4, "123456", 0xD1, 4, 16},         {5, "123456", 0xD1, 0, 16},
    {6, "A123456B", 0xD1, 0, 16},       {6, "123456", 0xF3, 12, 40},
    {7, "400638133393", 0xD1, 0, 16},   {7, "4006381333931", 0xD1, 4, 32},
    {7, "40063813339A", 0xD1, 0, 16},   {8, "9638507", 0xD1, 0, 16},
    {9, "40063813339312", 0xD1, 0, 16}, {10, "40063813339312345", 0xD1, 4, 16},
    {11, "03600029145", 0xD1, 0, 16},   {11, "0360002914", 0xD1, 0, 16},
    {12, "12345", 0xD1, 0, 16},         {12, "12A45", 0xD1, 4, 16},
    {13, "123", 0xD1, 0, 16},
};

const std::vector<std::vector<std::string>> kCommandLines = {
    {"render", "-s", "Code_39", "-d", "CODE39", "-o", "code39.png"},
    {"render", "-s", "code_39", "-d", "HELLO-123", "--density", "Medium", "--direction", "Vertical", "-o", "v.svg"},
    {"render", "-s", "Code_39", "-d", "Z4", "--show-check", "--factor", "3", "--border", "-o", "print.pdf"},
    {"render", "-s", "Code_39", "-d", "ABC", "--no-check", "--no-text", "--bar-color", "#000080", "-o", "p.png"},
    {"render", "-s", "EAN_13", "--db", "labels.db", "--sql", "SELECT ean FROM products", "--field", "ean", "--jobs",
     "0", "-o", "labels/{recno}-{field}.png"},
    {"render", "--width=300", "--height", "80", "--font", "Arial", "--font-size", "12", "--align", "density", "-v"},
    {"print", "-s", "EAN_13", "--db", "labels.db", "--sql", "SELECT ean FROM products", "--field", "ean", "--quality",
     "300", "--paper", "Letter", "--at", "600,600", "-o", "labels.pdf"},
    {"sheet", "-o", "out"},
    {"symbologies"},
    {"help", "render"},
    {"--version"},
    {"render", "-s", "UPC_A", "-d", "\xc3\xa9t\xc3\xa9", "--factor", "0.5", "-o", "x.png"},
};

void Write(const std::filesystem::path& File, const std::string& Bytes) {
    std::ofstream(File, std::ios::binary) << Bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir / "draw");
    std::filesystem::create_directories(dir / "options");
    int n = 0;
    for (const Seed& s : kDrawSeeds) {
        // Black on white, control 100 x 50 (10 x 10 + 0, 5 x 10 + 0), font -11, origin 0.
        const unsigned char head[16] = {static_cast<unsigned char>(s.Symbology),
                                        static_cast<unsigned char>(s.Flags),
                                        static_cast<unsigned char>(s.Modes),
                                        0,
                                        0,
                                        0,
                                        255,
                                        255,
                                        255,
                                        static_cast<unsigned char>(s.Factor),
                                        10,
                                        0,
                                        5,
                                        0,
                                        static_cast<unsigned char>(-11),
                                        0};
        Write(dir / "draw" / ("seed-" + std::to_string(n++)),
              std::string(reinterpret_cast<const char*>(head), 16) + s.Caption);
    }
    n = 0;
    for (const auto& line : kCommandLines) {
        std::string bytes;
        for (size_t i = 0; i < line.size(); ++i) bytes += (i ? std::string(1, '\0') : std::string()) + line[i];
        Write(dir / "options" / ("seed-" + std::to_string(n++)), bytes);
    }
    std::printf("wrote %zu draw and %zu command-line seeds to %s\n", std::size(kDrawSeeds), kCommandLines.size(),
                dir.c_str());
    return 0;
}
