// The kdx command line: option parsing (called directly) and the program's
// behaviour as a user sees it (exit status, messages, files written).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
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
