// The kdx command line: option parsing (called directly) and the program's
// behaviour as a user sees it (exit status, messages, files written).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Process.h"
#include "tools/kdx/Options.h"

using namespace kdx;
using namespace kdx::cli;
using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";

std::vector<std::string> RenderArgs(std::vector<std::string> Extra) {
    std::vector<std::string> args = {"render", "-s", "Code_39", "-d", "CODE39", "-o", "a.png"};
    args.insert(args.end(), Extra.begin(), Extra.end());
    return args;
}

// Width and height from a PNG's header.
std::pair<int, int> PngSize(const std::string& Path) {
    const std::string bytes = kdx::test::ReadWholeFile(Path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto be32 = [&](size_t at) {
        int v = 0;
        for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

size_t CountLines(const std::string& Text) { return size_t(std::count(Text.begin(), Text.end(), '\n')); }

}  // namespace

// ---- Parsing

TEST(CliParse, OptionsReachTheSettings) {
    struct Case {
        std::vector<std::string> Extra;
        std::function<bool(const RenderOptions&)> Holds;
        const char* Note;
    };
    const Case cases[] = {
        // 0
        {{},
         [](const RenderOptions& o) {
             return o.Symbology == TBarCodeType::Code_39 && o.Kind == OutputKind::PNG && o.Data == "CODE39";
         },
         "required options"},
        // 1
        {{"-s", "posTNET"},
         [](const RenderOptions& o) { return o.Symbology == TBarCodeType::POSTNET; },
         "symbology names in any letter case; a later option wins"},
        // 2
        {{"--density=low"}, [](const RenderOptions& o) { return o.Density == TDensity::Low; }, "--opt=value form"},
        // 3
        {{"--direction", "VERTICAL"}, [](const RenderOptions& o) { return o.Direction == TDirection::Vertical; }, ""},
        // 4
        {{"--align", "density"}, [](const RenderOptions& o) { return o.Alignment == TAlignment::txDensity; }, ""},
        // 5
        {{"--no-check", "--show-check", "--no-text"},
         [](const RenderOptions& o) { return !o.ControlChars && o.ShowCtrlsChars && !o.TextOn; },
         "flags"},
        // 6
        {{"--border", "--transparent", "--text-autosize", "--no-autosize"},
         [](const RenderOptions& o) { return o.Border && o.Transparent && o.TextAutosize && !o.AutoSize; },
         "flags"},
        // 7
        {{"--width", "300", "--height", "80", "--factor", "2.5"},
         [](const RenderOptions& o) { return o.Width == 300 && o.Height == 80 && o.Factor == 2.5; },
         ""},
        // 8
        {{"--bar-color", "#000080", "--back-color", "fFf8dC"},
         [](const RenderOptions& o) { return o.BarColor == clNavy && o.BackColor == RGB(0xFF, 0xF8, 0xDC); },
         "#RRGGBB is red first; the # may be left out"},
        // 9
        {{"--font", "DejaVu Serif", "--font-size", "12"},
         [](const RenderOptions& o) { return o.FontName == "DejaVu Serif" && o.FontSize == 12; },
         ""},
        // 10
        {{"-o", "x.SVG"}, [](const RenderOptions& o) { return o.Kind == OutputKind::SVG && o.Output == "x.SVG"; }, ""},
        // 11
        {{"-ox.pdf"},
         [](const RenderOptions& o) { return o.Kind == OutputKind::PDF; },
         "short option with attached value"},
        // 12
        {{"-d", "-s"}, [](const RenderOptions& o) { return o.Data == "-s"; }, "a value may start with a dash"},
        // 13
        {{"-d", "caf\xC3\xA9 \xE2\x82\xAC"},
         [](const RenderOptions& o) { return o.Data == "caf\xE9 \x80"; },
         "UTF-8 data becomes Windows-1252"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + cases[i].Note);
        const Invocation inv = ParseCommandLine(RenderArgs(cases[i].Extra));
        ASSERT_EQ(inv.Cmd, Command::Render);
        EXPECT_TRUE(cases[i].Holds(inv.Render));
    }
}

TEST(CliParse, DefaultsAreTheControlsOwn) {
    const RenderOptions o = ParseCommandLine(RenderArgs({})).Render;
    EXPECT_EQ(o.Density, TDensity::High);
    EXPECT_TRUE(o.AutoSize && o.ControlChars && o.TextOn);
    EXPECT_FALSE(o.Border || o.Transparent || o.TextAutosize || o.ShowCtrlsChars);
    EXPECT_EQ(o.Width, 100);
    EXPECT_EQ(o.Height, 50);
    EXPECT_EQ(o.Factor, 1.0);
    EXPECT_EQ(o.FontName, "Arial");
    EXPECT_EQ(o.BarColor, clBlack);
    EXPECT_EQ(o.BackColor, clWhite);
}

TEST(CliParse, BadCommandLinesNameTheProblem) {
    struct Case {
        std::vector<std::string> Args;
        const char* Error;
    };
    const Case cases[] = {
        /* 0 */ {{}, "no command given"},
        /* 1 */ {{"frobnicate"}, "unknown command 'frobnicate'"},
        /* 2 */ {{"--foo"}, "unknown option '--foo' (see kdx --help)"},
        /* 3 */ {RenderArgs({"--foo"}), "unknown option '--foo' (see kdx render --help)"},
        /* 4 */ {RenderArgs({"-x"}), "unknown option '-x'"},
        /* 5 */ {RenderArgs({"--density", "Foo"}), "bad value 'Foo' for --density (expected High, Medium or Low)"},
        /* 6 */ {RenderArgs({"--direction", "up"}), "bad value 'up' for --direction"},
        /* 7 */ {RenderArgs({"--align", "right"}), "bad value 'right' for --align"},
        /* 8 */ {RenderArgs({"-s", "Code39"}), "unknown symbology 'Code39'"},
        /* 9 */ {RenderArgs({"--width", "0"}), "bad value '0' for --width"},
        /* 10 */ {RenderArgs({"--height", "12px"}), "bad value '12px' for --height"},
        /* 11 */ {RenderArgs({"--factor", "0"}), "bad value '0' for --factor"},
        /* 12 */ {RenderArgs({"--factor", "nan"}), "bad value 'nan' for --factor"},
        /* 13 */ {RenderArgs({"--bar-color", "#12345"}), "bad value '#12345' for --bar-color (expected #RRGGBB)"},
        /* 14 */ {RenderArgs({"--back-color", "#12345G"}), "bad value '#12345G' for --back-color"},
        /* 15 */ {RenderArgs({"--font-size", "-3"}), "bad value '-3' for --font-size"},
        /* 16 */ {RenderArgs({"--no-text=1"}), "option --no-text takes no value"},
        /* 17 */ {RenderArgs({"--font"}), "option --font needs a value NAME"},
        /* 18 */ {RenderArgs({"stray"}), "unexpected argument 'stray'"},
        /* 19 */ {RenderArgs({"-o", "a.jpg"}), "unsupported output file 'a.jpg'"},
        /* 20 */ {{"render", "-s", "Code_39", "-d", "X"}, "missing --output FILE"},
        /* 21 */ {{"render", "-d", "X", "-o", "a.png"}, "missing --symbology NAME"},
        /* 22 */ {{"render", "-s", "Code_39", "-o", "a.png"}, "missing --data TEXT"},
        // 23
        {RenderArgs({"-d", "\xE4\xB8\xAD"}), "--data: character 1 '\xE4\xB8\xAD' (U+4E2D) has no Windows-1252 form"},
        /* 24 */ {RenderArgs({"-d", "ab\xC3"}), "--data: malformed UTF-8 at byte 3"},
        /* 25 */ {RenderArgs({"-d", "\xC0\xAF"}), "--data: malformed UTF-8 at byte 1"},
        /* 26 */ {{"sheet"}, "missing --output DIR"},
        /* 27 */ {{"symbologies", "extra"}, "unexpected argument 'extra'"},
        // 28: database and print options
        {{"render", "-s", "Code_39", "--db", "a.db", "--sql", "SELECT 1", "-o", "{recno}.png"}, "missing --field NAME"},
        /* 29 */ {{"render", "-s", "Code_39", "--db", "a.db", "--field", "f", "-o", "a.png"}, "missing --sql QUERY"},
        /* 30 */ {RenderArgs({"--db", "a.db", "--sql", "S", "--field", "f"}), "--data and --db exclude each other"},
        /* 31 */ {RenderArgs({"--field", "f"}), "--field needs --db FILE"},
        /* 32 */ {RenderArgs({"--db", ""}), "bad value '' for --db"},
        /* 33 */ {RenderArgs({"--jobs", "-1"}), "bad value '-1' for --jobs"},
        /* 34 */ {RenderArgs({"--quality", "600"}), "unknown option '--quality'"},
        /* 35 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.png"}, "unsupported output file 'a.png'"},
        /* 36 */ {{"print", "-s", "Code_39", "-d", "X"}, "missing --output FILE.pdf"},
        /* 37 */
        {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--quality", "0"}, "bad value '0' for --quality"},
        /* 38 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--quality", "95"}, "from 96 to 32767"},
        /* 39 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--quality", "-5"}, "code from -4 to -1"},
        /* 40 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--at", "10"}, "bad value '10' for --at"},
        /* 41 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--at", "1,-2"}, "bad value '1,-2' for --at"},
        /* 42 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--paper", "A5"}, "expected A4 or Letter"},
        /* 43 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--factor", "2"}, "unknown option '--factor'"},
        /* 44 */ {{"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf", "--jobs", "2"}, "unknown option '--jobs'"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        try {
            ParseCommandLine(cases[i].Args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(cases[i].Error), std::string::npos) << e.what();
            EXPECT_EQ(std::strchr(e.what(), '\n'), nullptr) << "one line";
        }
    }
}

TEST(CliParse, EveryWindows1252CharacterConvertsBack) {
    // Each byte's Unicode form, written as UTF-8, must come back as that byte.
    for (int b = 1; b < 256; ++b) {
        const char32_t cp = Cp1252ToUnicode(static_cast<unsigned char>(b));
        std::string utf8;
        if (cp < 0x80) {
            utf8 += char(cp);
        } else if (cp < 0x800) {
            utf8 += char(0xC0 | (cp >> 6));
            utf8 += char(0x80 | (cp & 0x3F));
        } else {
            utf8 += char(0xE0 | (cp >> 12));
            utf8 += char(0x80 | ((cp >> 6) & 0x3F));
            utf8 += char(0x80 | (cp & 0x3F));
        }
        SCOPED_TRACE("byte " + std::to_string(b));
        EXPECT_EQ(Utf8ToCp1252(utf8, "--data"), std::string(1, char(b)));
    }
}

// ---- The program

TEST(CliProgram, UsageErrorsExitTwoWithOneLine) {
    struct Case {
        std::vector<std::string> Args;
        const char* Stderr;
    };
    const Case cases[] = {
        /* 0 */ {{"render", "--foo"}, "kdx: unknown option '--foo' (see kdx render --help)\n"},
        // 1
        {RenderArgs({"--density", "Foo"}), "kdx: bad value 'Foo' for --density (expected High, Medium or Low)\n"},
        /* 2 */ {{"bogus"}, "kdx: unknown command 'bogus' (see kdx --help)\n"},
        // 3
        {RenderArgs({"-d", "\xE2\x98\x83"}),
         "kdx: --data: character 1 '\xE2\x98\x83' (U+2603) has no Windows-1252 form\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        TempDir dir;
        std::vector<std::string> args = {kKdx};
        for (auto a : cases[i].Args) args.push_back(a == "a.png" ? dir / "a.png" : a);
        const auto r = RunProcess(args);
        EXPECT_EQ(r.Status, 2);
        EXPECT_EQ(r.Err, cases[i].Stderr);
        EXPECT_EQ(r.Out, "");
        EXPECT_TRUE(dir.Entries().empty());
    }
}

TEST(CliProgram, RefusedDataWritesNothing) {
    struct Case {
        const char* Symbology;
        const char* Data;
        const char* Message;
    };
    const Case cases[] = {
        /* 0 */ {"Code_39", "abc", "kdx: Code 39 cannot encode the character \"a\" (code 97)\n"},
        /* 1 */ {"Code_39", "A*B", "kdx: Code 39 cannot encode the character \"*\" (code 42)\n"},
        /* 2 */ {"EAN_13", "12345678901X", "kdx: Caption should be numeric\n"},
        /* 3 */ {"EAN_8", "123", "kdx: EAN-8 should be 7 numeric char\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        for (const char* file : {"a.png", "a.svg", "a.pdf"}) {
            SCOPED_TRACE("row " + std::to_string(i) + " " + file);
            TempDir dir;
            const auto r =
                RunProcess({kKdx, "render", "-s", cases[i].Symbology, "-d", cases[i].Data, "-o", dir / file});
            EXPECT_EQ(r.Status, 1);
            EXPECT_EQ(r.Err, cases[i].Message);
            EXPECT_TRUE(dir.Entries().empty());
        }
    }
}

TEST(CliProgram, ImageIsTheSymbolArea) {
    struct Case {
        std::vector<std::string> Extra;
        int Width, Height;
        const char* Note;
    };
    // CODE39 with its check character: 9 characters of 16 modules and 20
    // modules of quiet zone, 164 modules.
    const Case cases[] = {
        /* 0 */ {{}, 164, 50, "High, factor 1, control height 50"},
        /* 1 */ {{"--density", "Medium"}, 328, 50, "2 pixels per module"},
        /* 2 */ {{"--no-check"}, 148, 50, "one character fewer"},
        /* 3 */ {{"--factor", "2"}, 328, 100, "both sides scale"},
        /* 4 */ {{"--direction", "Vertical"}, 100, 164, "the extent runs along the height"},
        /* 5 */ {{"--no-autosize", "--width", "300", "--height", "70"}, 300, 70, "the control's own size"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + cases[i].Note);
        TempDir dir;
        std::vector<std::string> args = {kKdx, "render", "-s", "Code_39", "-d", "CODE39", "-o", dir / "a.png"};
        args.insert(args.end(), cases[i].Extra.begin(), cases[i].Extra.end());
        const auto r = RunProcess(args);
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Out, "");
        EXPECT_EQ(PngSize(dir / "a.png"), std::make_pair(cases[i].Width, cases[i].Height));
    }
}

TEST(CliProgram, FilesAreWrittenWhole) {
    for (const char* file : {"a.png", "a.svg", "a.pdf"}) {
        SCOPED_TRACE(file);
        TempDir dir;
        const auto r = RunProcess({kKdx, "render", "-s", "Code_39", "-d", "Z4", "-o", dir / file});
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{file}) << "no temporary file left behind";
        EXPECT_GT(std::filesystem::file_size(dir / file), 100u);

        // A refused drawing leaves the earlier file as it was.
        const std::string before = kdx::test::ReadWholeFile(dir / file);
        const auto refused = RunProcess({kKdx, "render", "-s", "Code_39", "-d", "z4", "-o", dir / file});
        EXPECT_EQ(refused.Status, 1);
        EXPECT_EQ(kdx::test::ReadWholeFile(dir / file), before);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{file});
    }
}

TEST(CliProgram, UnwritablePlaceIsAnError) {
    TempDir dir;
    for (const char* file : {"missing/a.png", "missing/a.pdf"}) {
        SCOPED_TRACE(file);
        const auto r = RunProcess({kKdx, "render", "-s", "Code_39", "-d", "Z4", "-o", dir / file});
        EXPECT_EQ(r.Status, 1);
        EXPECT_NE(r.Err.find("kdx: cannot write"), std::string::npos) << r.Err;
        EXPECT_EQ(CountLines(r.Err), 1u);
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(CliProgram, SymbologiesListsThirteen) {
    const auto r = RunProcess({kKdx, "symbologies"});
    ASSERT_EQ(r.Status, 0);
    EXPECT_EQ(CountLines(r.Out), size_t(kBarCodeTypeCount));
    for (int i = 0; i < kBarCodeTypeCount; ++i) {
        SCOPED_TRACE(FBarCodeNames[i]);
        const std::string line = std::string(BarCodeTypeNames[i]);
        const size_t at = r.Out.find(line + " ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(r.Out.substr(r.Out.find_first_not_of(' ', at + line.size()), FBarCodeNames[i].size() + 1),
                  FBarCodeNames[i] + "\n");
    }
}

TEST(CliProgram, HelpAndVersion) {
    const std::vector<std::string> renderOptions = {
        "--symbology",   "--data",       "--output",  "--density", "--direction",   "--align",
        "--no-check",    "--show-check", "--no-text", "--border",  "--transparent", "--text-autosize",
        "--no-autosize", "--width",      "--height",  "--factor",  "--bar-color",   "--back-color",
        "--font",        "--font-size",  "--verbose", "--help"};
    struct Case {
        std::vector<std::string> Args;
        std::vector<std::string> Mentions;
    };
    const Case cases[] = {
        /* 0 */ {{"--help"}, {"render", "symbologies", "sheet", "--version"}},
        /* 1 */ {{"render", "--help"}, renderOptions},
        /* 2 */ {{"help", "render"}, renderOptions},
        /* 3 */ {{"sheet", "-h"}, {"--output", "sheet.png", "sheet.pdf"}},
        /* 4 */ {{"--version"}, {"kdx 0."}},
        /* 5 */ {{"render", "--help"}, {"--db", "--sql", "--field", "--jobs", "{recno}", "{field}", "replaces"}},
        // 6
        {{"help", "print"},
         {"--quality", "--at", "--paper", "--db", "--sql", "--field", "--density", "--font-size", "PrintBarCode"}},
        /* 7 */ {{"--help"}, {"print"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::vector<std::string> args = {kKdx};
        args.insert(args.end(), cases[i].Args.begin(), cases[i].Args.end());
        const auto r = RunProcess(args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Err, "");
        for (const auto& m : cases[i].Mentions) EXPECT_NE(r.Out.find(m), std::string::npos) << m;
    }
}

TEST(CliProgram, SheetWritesPngAndPdf) {
    TempDir dir;
    const std::string out = dir / "sheet";  // created by the command
    const auto r = RunProcess({kKdx, "sheet", "-o", out});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "wrote " + out + "/sheet.png\nwrote " + out + "/sheet.pdf\n");
    const auto [w, h] = PngSize(out + "/sheet.png");
    EXPECT_GT(w, 400);
    EXPECT_GT(h, 200);
    EXPECT_EQ(kdx::test::ReadWholeFile(out + "/sheet.pdf").substr(0, 5), "%PDF-");
    // Each sample carries its label, readable from the document's text.
    const auto text = RunProcess({"pdftotext", out + "/sheet.pdf", "-"});
    ASSERT_EQ(text.Status, 0) << text.Err;
    for (const char* label : {"Code 39", "Code 39 (Low)", "Code 39 (vertical)", "Code 39 (transparent)"})
        EXPECT_NE(text.Out.find(label), std::string::npos) << label;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"sheet.pdf", "sheet.png"}));
}

// ---- Database batches and printing

namespace {

// A database file made by running Sql.
std::string MakeDatabase(const TempDir& Dir, const std::string& Sql) {
    const std::string path = Dir / "test.db";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, Sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

// Runs kdx with Args after the program name.
kdx::test::ProcessResult Kdx(std::vector<std::string> Args) {
    Args.insert(Args.begin(), kKdx);
    return RunProcess(Args);
}

// A grey image as pdftoppm -gray writes it (binary PGM).
struct GrayImage {
    int Width = 0, Height = 0;
    std::string Pixels;
    bool Dark(int X, int Y) const { return static_cast<unsigned char>(Pixels[size_t(Y) * Width + X]) < 128; }
};

GrayImage ReadPgm(const std::string& Path) {
    const std::string bytes = kdx::test::ReadWholeFile(Path);
    std::istringstream header(bytes);
    std::string magic;
    int maxValue = 0;
    GrayImage image;
    header >> magic >> image.Width >> image.Height >> maxValue;
    const size_t start = size_t(header.tellg()) + 1;  // one blank after the header
    if (magic != "P5" || maxValue != 255 || bytes.size() < start + size_t(image.Width) * image.Height) return {};
    image.Pixels = bytes.substr(start);
    return image;
}

// "Pages:" and "Page size:" of pdfinfo.
std::pair<std::string, std::string> PdfPages(const std::string& Path) {
    const auto info = RunProcess({"pdfinfo", Path});
    auto field = [&](const std::string& Name) {
        const size_t at = info.Out.find(Name + ":");
        if (at == std::string::npos) return std::string();
        const size_t value = info.Out.find_first_not_of(' ', at + Name.size() + 1);
        return info.Out.substr(value, info.Out.find('\n', value) - value);
    };
    return {field("Pages"), field("Page size")};
}

}  // namespace

TEST(CliParse, DatabaseAndPrintOptions) {
    const Invocation batch = ParseCommandLine({"render", "-s", "EAN_13", "--db", "l.db", "--sql", "SELECT ean FROM p",
                                               "--field", "ean", "-j", "0", "-o", "out/{recno}-{field}.png"});
    EXPECT_EQ(batch.Cmd, Command::Render);
    EXPECT_EQ(batch.Render.Database, "l.db");
    EXPECT_EQ(batch.Render.Sql, "SELECT ean FROM p");
    EXPECT_EQ(batch.Render.FieldName, "ean");
    EXPECT_EQ(batch.Render.Jobs, 0);
    EXPECT_EQ(batch.Render.Kind, OutputKind::PNG);

    const Invocation plain = ParseCommandLine({"print", "-s", "Code_39", "-d", "X", "-o", "a.pdf"});
    EXPECT_EQ(plain.Cmd, Command::Print);
    EXPECT_EQ(plain.Render.Quality, 600);
    EXPECT_EQ(plain.Render.AtX, 0);
    EXPECT_EQ(plain.Render.AtY, 0);
    EXPECT_EQ(plain.Render.PaperSize, Paper::A4);
    EXPECT_EQ(plain.Render.Jobs, 1);

    const Invocation print =
        ParseCommandLine({"print", "-s", "Code_39", "--db", "l.db", "--sql", "S", "--field", "f", "--quality", "-2",
                          "--at", "120,340", "--paper", "letter", "--density", "Low", "-o", "a.PDF"});
    EXPECT_EQ(print.Render.Quality, -2);
    EXPECT_EQ(print.Render.AtX, 120);
    EXPECT_EQ(print.Render.AtY, 340);
    EXPECT_EQ(print.Render.PaperSize, Paper::Letter);
    EXPECT_EQ(print.Render.Density, TDensity::Low);
    EXPECT_EQ(print.Render.FieldName, "f");
}

TEST(CliDatabase, OneFilePerRecordNamedByPattern) {
    TempDir data, out;
    const std::string db = MakeDatabase(data,
                                        "CREATE TABLE t(id INTEGER, v TEXT);"
                                        "INSERT INTO t VALUES (1, 'ABC-1'), (2, 'a b/c'), (3, '.hidden'), (4, ''),"
                                        "  (5, 'M' || char(252) || 'ller'), (6, char(20013)), (7, 'x.y');");
    const auto r = Kdx({"render", "-s", "Code_128", "--db", db, "--sql", "SELECT v FROM t ORDER BY id", "--field", "V",
                        "-o", out / "{recno}-{field}.png", "-v"});
    EXPECT_EQ(r.Status, 1) << "two records refused";
    EXPECT_EQ(r.Err,
              "kdx: record 5: Code 128 cannot encode the character (code 252)\n"
              "kdx: record 6: field 'V': character 1 '\xE4\xB8\xAD' (U+4E2D) has no Windows-1252 form\n");
    EXPECT_EQ(out.Entries(),
              (std::vector<std::string>{"1-ABC-1.png", "2-a_b_c.png", "3-_hidden.png", "4-_.png", "7-x.y.png"}));
    EXPECT_EQ(CountLines(r.Out), 5u);
    EXPECT_NE(r.Out.find("wrote " + out / "2-a_b_c.png ("), std::string::npos) << r.Out;

    // One record may go to a plain name; so may SVG and PDF files.
    for (const char* file : {"one.png", "one.svg", "one.pdf"}) {
        SCOPED_TRACE(file);
        const auto one = Kdx({"render", "-s", "Code_128", "--db", db, "--sql", "SELECT v FROM t WHERE id = 1",
                              "--field", "v", "-o", out / file});
        EXPECT_EQ(one.Status, 0) << one.Err;
        EXPECT_TRUE(std::filesystem::exists(out / file));
    }
}

TEST(CliDatabase, JobsGiveTheSameFiles) {
    TempDir data;
    // 40 records; records 5 and 9 ("a b", "a/b") both make a_b.png.
    std::string sql = "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('X0')";
    for (int i = 1; i < 40; ++i)
        sql += ", ('" + std::string(i == 5 ? "a b" : i == 9 ? "a/b" : "X" + std::to_string(i)) + "')";
    const std::string db = MakeDatabase(data, sql + ";");

    std::vector<std::vector<std::string>> names;
    std::vector<std::vector<std::string>> contents;
    for (const char* jobs : {"1", "2", "0"}) {
        SCOPED_TRACE(std::string("--jobs ") + jobs);
        TempDir out;
        const auto r = Kdx({"render", "-s", "Code_128", "--db", db, "--sql", "SELECT v FROM t", "--field", "v", "-j",
                            jobs, "--direction", "Vertical", "-o", out / "{field}.png"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        names.push_back(out.Entries());
        contents.emplace_back();
        for (const auto& n : names.back()) contents.back().push_back(kdx::test::ReadWholeFile(out / n));
    }
    EXPECT_EQ(names[0].size(), 39u);
    for (size_t i = 1; i < names.size(); ++i) {
        EXPECT_EQ(names[i], names[0]);
        EXPECT_TRUE(contents[i] == contents[0]) << "byte for byte";
    }

    // The later record's file is the one kept.
    TempDir single;
    ASSERT_EQ(
        Kdx({"render", "-s", "Code_128", "-d", "a/b", "--direction", "Vertical", "-o", single / "a_b.png"}).Status, 0);
    const auto at = std::find(names[0].begin(), names[0].end(), "a_b.png") - names[0].begin();
    EXPECT_EQ(contents[0][size_t(at)], kdx::test::ReadWholeFile(single / "a_b.png"));
}

TEST(CliDatabase, DatabaseErrorsWriteNothing) {
    TempDir data, out;
    const std::string db = MakeDatabase(data, "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('A'), ('B');");
    struct Case {
        std::string Db, Sql, Field;
        int Status;
        std::string Error;
    };
    const Case cases[] = {
        /* 0 */ {data / "missing.db", "SELECT v FROM t", "v", 1, "unable to open database file"},
        /* 1 */ {db, "SELEC v FROM t", "v", 1, "near \"SELEC\": syntax error"},
        /* 2 */ {db, "SELECT v FROM nope", "v", 1, "no such table: nope"},
        /* 3 */ {db, "SELECT v FROM t", "w", 1, "no field 'w' in the result of the query (its fields: v)"},
        /* 4 */ {db, "SELECT v FROM t WHERE 0", "v", 1, "the query returned no records"},
        /* 5 */ {db, "SELECT v\nFROM nope", "v", 1, "no such table: nope"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        for (const char* command : {"render", "print"}) {
            SCOPED_TRACE("row " + std::to_string(i) + " " + command);
            const std::string output = out / (std::string(command) == "render" ? "{recno}.png" : "a.pdf");
            const auto r =
                Kdx({command, "-s", "Code_39", "--db", c.Db, "--sql", c.Sql, "--field", c.Field, "-o", output});
            EXPECT_EQ(r.Status, c.Status);
            EXPECT_TRUE(r.Err.starts_with("kdx: ")) << r.Err;
            EXPECT_NE(r.Err.find(c.Error), std::string::npos) << r.Err;
            EXPECT_EQ(CountLines(r.Err), 1u) << r.Err;
            EXPECT_TRUE(out.Entries().empty());
        }
    }

    // Two records, one file name: refused as a usage error.
    const auto r =
        Kdx({"render", "-s", "Code_39", "--db", db, "--sql", "SELECT v FROM t", "--field", "v", "-o", out / "a.png"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("has neither {recno} nor {field}"), std::string::npos) << r.Err;
    EXPECT_TRUE(out.Entries().empty());
}

TEST(CliPrint, OnePagePerPrintedRecord) {
    TempDir data;
    const std::string db = MakeDatabase(data,
                                        "CREATE TABLE t(id INTEGER, v TEXT);"
                                        "INSERT INTO t VALUES (1, 'ONE'), (2, 'two'), (3, 'THREE'), (4, 'FOUR');");
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string Pages, PageSize, Err, Out;
    };
    const std::vector<std::string> fromDb = {"--db", db, "--sql", "SELECT v FROM t ORDER BY id", "--field", "v"};
    auto with = [](std::vector<std::string> A, const std::vector<std::string>& B) {
        A.insert(A.end(), B.begin(), B.end());
        return A;
    };
    const std::string kTooWide =
        "kdx: the barcode (984 x 300 printer pixels at 4900,0) does not fit on the page (4961 x 7016)\n";
    const Case cases[] = {
        // 0
        {{"-d", "CODE39", "-v"}, 0, "1", "595.32 x 841.92 pts (A4)", "", "wrote OUT (1 page)\n"},
        /* 1 */ {{"-d", "CODE39", "--paper", "Letter"}, 0, "1", "612 x 792 pts (letter)", "", ""},
        /* 2 */ {{"-d", "CODE39", "--quality", "-2"}, 0, "1", "595.2 x 841.92 pts (A4)", "", ""},
        // 3: a refused record gets no page
        {with(fromDb, {"-v"}), 1, "3", "595.32 x 841.92 pts (A4)",
         "kdx: record 2: Code 39 cannot encode the character \"t\" (code 116)\n", "wrote OUT (3 pages)\n"},
        // 4: a barcode that would reach past the page
        {{"-d", "CODE39", "--at", "4900,0"}, 1, "", "", kTooWide, ""},
        /* 5 */ {{"-d", "code39"}, 1, "", "", "kdx: Code 39 cannot encode the character \"c\" (code 99)\n", ""},
        // 6
        {with(fromDb, {"--at", "0,7000"}), 1, "", "",
         "kdx: record 1: the barcode (696 x 300 printer pixels at 0,7000) does not fit on the page (4961 x 7016)\n"
         "kdx: record 2: Code 39 cannot encode the character \"t\" (code 116)\n"
         "kdx: record 3: the barcode (888 x 300 printer pixels at 0,7000) does not fit on the page (4961 x 7016)\n"
         "kdx: record 4: the barcode (792 x 300 printer pixels at 0,7000) does not fit on the page (4961 x 7016)\n"
         "kdx: no record could be printed; nothing written\n",
         ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        TempDir out;
        const std::string pdf = out / "a.pdf";
        const auto r = Kdx(with({"print", "-s", "Code_39", "-o", pdf}, cases[i].Args));
        EXPECT_EQ(r.Status, cases[i].Status);
        EXPECT_EQ(r.Err, cases[i].Err);
        std::string expectedOut = cases[i].Out;
        if (const size_t at = expectedOut.find("OUT"); at != std::string::npos) expectedOut.replace(at, 3, pdf);
        EXPECT_EQ(r.Out, expectedOut);
        if (cases[i].Pages.empty()) {
            EXPECT_TRUE(out.Entries().empty()) << "no document without pages";
        } else {
            EXPECT_EQ(out.Entries(), std::vector<std::string>{"a.pdf"}) << "no temporary file left behind";
            EXPECT_EQ(PdfPages(pdf), std::make_pair(cases[i].Pages, cases[i].PageSize));
        }
    }

    TempDir out;
    const auto r = Kdx({"print", "-s", "Code_39", "-d", "X", "-o", out / "missing/a.pdf"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("kdx: cannot write"), std::string::npos) << r.Err;
    EXPECT_TRUE(out.Entries().empty());
}

TEST(CliPrint, BarcodeScalesByTheWholeFactor) {
    // A module of Code 39 "*" (its first bar is narrow) is quality div 96
    // printer pixels wide; a quality code prints at 300 dots per inch.
    struct Case {
        const char* Quality;
        int Dpi;
        int Factor;
    };
    const Case cases[] = {{"600", 600, 6}, {"-2", 300, 3}, {"-4", 300, 3}, {"200", 200, 2}, {"96", 96, 1}};
    int span1 = 0;  // from the first bar to the last at factor 1
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("--quality ") + c.Quality);
        TempDir out;
        const auto r = Kdx(
            {"print", "-s", "Code_39", "-d", "CODE39", "--at", "120,120", "--quality", c.Quality, "-o", out / "a.pdf"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto raster = RunProcess({"pdftoppm", "-r", std::to_string(c.Dpi), "-gray", "-aa", "no", "-aaVector",
                                        "no", "-singlefile", "-W", "1600", "-H", "400", out / "a.pdf", out / "page"});
        ASSERT_EQ(raster.Status, 0) << raster.Err;
        const GrayImage page = ReadPgm(out / "page.pgm");
        ASSERT_GT(page.Width, 0);
        const int y = 120 + 5;
        int first = -1, last = -1;
        for (int x = 0; x < page.Width; ++x)
            if (page.Dark(x, y)) {
                if (first < 0) first = x;
                last = x;
            }
        ASSERT_GT(first, 120);
        int bar = 0;
        while (page.Dark(first + bar, y)) ++bar;
        EXPECT_EQ(bar, c.Factor);
        const int span = last + 1 - first;
        EXPECT_EQ(span % c.Factor, 0);
        if (span1 == 0) span1 = span / c.Factor;
        EXPECT_EQ(span, span1 * c.Factor);
    }
}
