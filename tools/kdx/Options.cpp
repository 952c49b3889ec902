#include "tools/kdx/Options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <span>

#ifndef KDX_VERSION
#define KDX_VERSION "unknown"
#endif

namespace kdx::cli {

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string Quoted(std::string_view Text) { return "'" + std::string(Text) + "'"; }

// "A, B or C" for error messages.
template <size_t N>
std::string OneOf(const std::array<std::string_view, N>& Names) {
    std::string s;
    for (size_t i = 0; i < N; ++i) {
        if (i > 0) s += (i + 1 == N) ? " or " : ", ";
        s += Names[i];
    }
    return s;
}

// Index of Text among Names (any letter case), or -1.
template <size_t N>
int IndexOf(const std::array<std::string_view, N>& Names, std::string_view Text) {
    for (size_t i = 0; i < N; ++i)
        if (EqualsIgnoreCase(Names[i], Text)) return int(i);
    return -1;
}

template <size_t N>
int ParseChoice(const std::array<std::string_view, N>& Names, std::string_view Text, std::string_view Option) {
    const int i = IndexOf(Names, Text);
    if (i < 0)
        throw UsageError("bad value " + Quoted(Text) + " for " + std::string(Option) + " (expected " + OneOf(Names) +
                         ")");
    return i;
}

int ParseInt(std::string_view Text, std::string_view Option, int Min, int Max) {
    int v = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
    if (Text.empty() || ec != std::errc() || end != Text.data() + Text.size() || v < Min || v > Max)
        throw UsageError("bad value " + Quoted(Text) + " for " + std::string(Option) +
                         " (expected a whole number from " + std::to_string(Min) + " to " + std::to_string(Max) + ")");
    return v;
}

double ParseFactor(std::string_view Text, std::string_view Option) {
    constexpr double kMaxFactor = 100.0;
    double v = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
    if (Text.empty() || ec != std::errc() || end != Text.data() + Text.size() || !std::isfinite(v) || v <= 0 ||
        v > kMaxFactor)
        throw UsageError("bad value " + Quoted(Text) + " for " + std::string(Option) +
                         " (expected a number above 0 and at most 100)");
    return v;
}

// The largest control side accepted; the image grows with it times the factor.
constexpr int kMaxControlSide = 10000;
constexpr int kMaxFontPoints = 500;

// ---- Option tables: one row per option, with what it does to the settings.

// The commands an option belongs to (a set).
enum OptionUse : unsigned { kRender = 1, kPrint = 2, kBoth = kRender | kPrint };

struct OptionSpec {
    char Short;  // 0: long form only
    std::string_view Long;
    std::string_view Value;  // name of the value in the help; empty: a flag
    std::string_view Help;
    std::function<void(RenderOptions&, std::string_view Value)> Apply;
    unsigned Use = kBoth;
};

const std::array<std::string_view, 2> kAlignmentWords = {"left", "density"};
const std::array<std::string_view, 2> kPaperNames = {"A4", "Letter"};

// The largest printer position accepted, in printer pixels.
constexpr int kMaxPosition = 1'000'000;
constexpr int kMaxJobs = 256;
constexpr int kMaxQuality = 32767;  // the device mode holds a 16-bit value
constexpr int kMinQualityCode = -4;

std::string NonEmpty(std::string_view Text, std::string_view Option, std::string_view Expected) {
    if (Text.empty())
        throw UsageError("bad value '' for " + std::string(Option) + " (expected " + std::string(Expected) + ")");
    return std::string(Text);
}

// "X,Y": two whole numbers from 0 to kMaxPosition.
void ParsePosition(std::string_view Text, RenderOptions& O) {
    const size_t comma = Text.find(',');
    const auto fail = [&] {
        return UsageError("bad value " + Quoted(Text) + " for --at (expected X,Y: two whole numbers from 0 to " +
                          std::to_string(kMaxPosition) + ")");
    };
    if (comma == std::string_view::npos) throw fail();
    try {
        O.AtX = ParseInt(Text.substr(0, comma), "--at", 0, kMaxPosition);
        O.AtY = ParseInt(Text.substr(comma + 1), "--at", 0, kMaxPosition);
    } catch (const UsageError&) {
        throw fail();
    }
}

// A resolution the barcode scales to by whole factors (at least the screen's
// 96 pixels per inch), or one of the negative quality codes.
int ParseQuality(std::string_view Text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
    const bool code = v >= kMinQualityCode && v < 0;
    const bool dpi = v >= Screen.PixelsPerInch && v <= kMaxQuality;
    if (Text.empty() || ec != std::errc() || end != Text.data() + Text.size() || !(code || dpi))
        throw UsageError("bad value " + Quoted(Text) + " for --quality (expected dots per inch from " +
                         std::to_string(Screen.PixelsPerInch) + " to " + std::to_string(kMaxQuality) +
                         ", or a quality code from -4 to -1)");
    return v;
}

const std::vector<OptionSpec>& AllSpecs() {
    static const std::vector<OptionSpec> specs = {
        {'s', "symbology", "NAME", "symbology, one of the names `kdx symbologies` lists (any letter case)",
         [](RenderOptions& o, std::string_view v) { o.Symbology = ParseSymbology(v); }},
        {'d', "data", "TEXT", "the data to encode, UTF-8 text whose characters have a Windows-1252 form",
         [](RenderOptions& o, std::string_view v) { o.Data = Utf8ToCp1252(v, "--data"); }},
        {'o', "output", "FILE",
         "output file; its extension picks the format: .png, .svg or .pdf. With --db a pattern: {recno} becomes "
         "the record number (from 1), {field} the field's text made safe for a file name",
         [](RenderOptions& o, std::string_view v) {
             const auto kind = OutputKindFor(v);
             if (!kind)
                 throw UsageError("unsupported output file " + Quoted(v) + " for --output (use .png, .svg or .pdf)");
             o.Output = v;
             o.Kind = *kind;
         },
         kRender},
        {'o', "output", "FILE.pdf", "the PDF document to write",
         [](RenderOptions& o, std::string_view v) {
             if (OutputKindFor(v) != OutputKind::PDF)
                 throw UsageError("unsupported output file " + Quoted(v) + " for --output (kdx print writes .pdf)");
             o.Output = v;
             o.Kind = OutputKind::PDF;
         },
         kPrint},
        {0, "db", "FILE", "take the data from this SQLite database (opened read-only), one barcode per record",
         [](RenderOptions& o, std::string_view v) { o.Database = NonEmpty(v, "--db", "a database file"); }},
        {0, "sql", "QUERY", "with --db: the query whose records are drawn, in the order it returns them",
         [](RenderOptions& o, std::string_view v) { o.Sql = NonEmpty(v, "--sql", "an SQL query"); }},
        {0, "field", "NAME", "with --db: the field of the query whose text is the data (any letter case)",
         [](RenderOptions& o, std::string_view v) { o.FieldName = NonEmpty(v, "--field", "a field name"); }},
        {'j', "jobs", "N", "with --db and PNG output: draw on N threads (default 1; 0: one per core)",
         [](RenderOptions& o, std::string_view v) { o.Jobs = ParseInt(v, "--jobs", 0, kMaxJobs); }, kRender},
        {0, "quality", "DPI",
         "print quality in dots per inch (default 600); the barcode scales by DPI div 96. A quality code -4 to -1 "
         "prints at 300",
         [](RenderOptions& o, std::string_view v) { o.Quality = ParseQuality(v); }, kPrint},
        {0, "at", "X,Y", "top-left corner of the barcode on the page, in printer pixels (default 0,0)",
         [](RenderOptions& o, std::string_view v) { ParsePosition(v, o); }, kPrint},
        {0, "paper", "A4|Letter", "paper size of the pages (default A4)",
         [](RenderOptions& o, std::string_view v) { o.PaperSize = Paper(ParseChoice(kPaperNames, v, "--paper")); },
         kPrint},
        {0, "density", "High|Medium|Low", "module width: 1, 2 or 3 pixels times the factor (default High)",
         [](RenderOptions& o, std::string_view v) { o.Density = TDensity(ParseChoice(DensityNames, v, "--density")); }},
        {0, "direction", "Horizontal|Vertical",
         "Horizontal: left to right; Vertical: bottom to top, text rotated (default Horizontal)",
         [](RenderOptions& o, std::string_view v) {
             o.Direction = TDirection(ParseChoice(DirectionNames, v, "--direction"));
         }},
        {0, "align", "left|density",
         "text as one string from the left end, or each character under its own symbol character (default left)",
         [](RenderOptions& o, std::string_view v) {
             int i = IndexOf(AlignmentNames, v);  // txLeft, txDensity are accepted too
             if (i < 0) i = ParseChoice(kAlignmentWords, v, "--align");
             o.Alignment = TAlignment(i);
         }},
        {0, "no-check", "", "leave out the check character (Code 39 and Interleaved 2 of 5 only)",
         [](RenderOptions& o, std::string_view) { o.ControlChars = false; }},
        {0, "show-check", "", "show the check character in the human-readable text",
         [](RenderOptions& o, std::string_view) { o.ShowCtrlsChars = true; }},
        {0, "no-text", "", "draw no human-readable text", [](RenderOptions& o, std::string_view) { o.TextOn = false; }},
        {0, "border", "", "outline the symbol area in black",
         [](RenderOptions& o, std::string_view) { o.Border = true; }},
        {0, "transparent", "", "paint neither the background nor the spaces between bars",
         [](RenderOptions& o, std::string_view) { o.Transparent = true; }},
        {0, "text-autosize", "", "font height one eighth of the symbol's extent across the bars",
         [](RenderOptions& o, std::string_view) { o.TextAutosize = true; }},
        {0, "no-autosize", "",
         "the symbol area takes the control's width (height when vertical) instead of the length the data needs",
         [](RenderOptions& o, std::string_view) { o.AutoSize = false; }},
        {0, "width", "PX", "control width in screen pixels (default 100)",
         [](RenderOptions& o, std::string_view v) { o.Width = ParseInt(v, "--width", 1, kMaxControlSide); }},
        {0, "height", "PX", "control height in screen pixels (default 50)",
         [](RenderOptions& o, std::string_view v) { o.Height = ParseInt(v, "--height", 1, kMaxControlSide); }},
        {0, "factor", "F", "output pixels per screen pixel, as for a printer (default 1.0)",
         [](RenderOptions& o, std::string_view v) { o.Factor = ParseFactor(v, "--factor"); }, kRender},
        {0, "bar-color", "#RRGGBB", "bar colour (default #000000; the # may be left out)",
         [](RenderOptions& o, std::string_view v) { o.BarColor = ParseColor(v, "--bar-color"); }},
        {0, "back-color", "#RRGGBB", "background and space colour (default #FFFFFF)",
         [](RenderOptions& o, std::string_view v) { o.BackColor = ParseColor(v, "--back-color"); }},
        {0, "font", "NAME", "font of the text (default Arial; unknown names fall back to a sans face)",
         [](RenderOptions& o, std::string_view v) {
             if (v.empty() || v.size() >= size_t(LF_FACESIZE))
                 throw UsageError("bad value " + Quoted(v) + " for --font (expected 1 to " +
                                  std::to_string(LF_FACESIZE - 1) + " characters)");
             o.FontName = v;
         }},
        {0, "font-size", "PT", "font size in points (default 8)",
         [](RenderOptions& o, std::string_view v) { o.FontSize = ParseInt(v, "--font-size", 1, kMaxFontPoints); }},
        {'v', "verbose", "", "print what was written", [](RenderOptions& o, std::string_view) { o.Verbose = true; }},
    };
    return specs;
}

// The rows of one command, in the order of the table.
std::vector<OptionSpec> SpecsFor(unsigned Use) {
    std::vector<OptionSpec> specs;
    for (const auto& s : AllSpecs())
        if (s.Use & Use) specs.push_back(s);
    return specs;
}

const std::vector<OptionSpec>& RenderSpecs() {
    static const std::vector<OptionSpec> specs = SpecsFor(kRender);
    return specs;
}

const std::vector<OptionSpec>& PrintSpecs() {
    static const std::vector<OptionSpec> specs = SpecsFor(kPrint);
    return specs;
}

// The sheet's options reuse the row shape; Apply writes into a RenderOptions
// whose Output and Verbose fields are then copied.
const std::vector<OptionSpec>& SheetSpecs() {
    static const std::vector<OptionSpec> specs = {
        {'o', "output", "DIR", "directory for sheet.png and sheet.pdf (created if missing)",
         [](RenderOptions& o, std::string_view v) {
             if (v.empty()) throw UsageError("bad value '' for --output (expected a directory)");
             o.Output = v;
         }},
        {'v', "verbose", "", "also list the symbologies that are not implemented yet",
         [](RenderOptions& o, std::string_view) { o.Verbose = true; }},
    };
    return specs;
}

std::string CommandName(Command c) {
    switch (c) {
        case Command::Render:
            return "render";
        case Command::Print:
            return "print";
        case Command::Symbologies:
            return "symbologies";
        case Command::Sheet:
            return "sheet";
        default:
            return "";
    }
}

std::string SeeHelp(Command c) {
    const std::string name = CommandName(c);
    return " (see kdx " + (name.empty() ? std::string() : name + " ") + "--help)";
}

const OptionSpec* FindLong(std::span<const OptionSpec> Specs, std::string_view Name) {
    for (const auto& s : Specs)
        if (s.Long == Name) return &s;
    return nullptr;
}

const OptionSpec* FindShort(std::span<const OptionSpec> Specs, char Name) {
    for (const auto& s : Specs)
        if (s.Short != 0 && s.Short == Name) return &s;
    return nullptr;
}

// Applies the options of one subcommand and notes the long names of those
// given; returns false when help was asked.
bool ParseOptions(Command Cmd, std::span<const OptionSpec> Specs, std::span<const std::string> Args, RenderOptions& Out,
                  std::vector<std::string_view>& Given) {
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (arg == "-h" || arg == "--help") return false;

        const OptionSpec* option = nullptr;
        std::string shown;  // the option as the user wrote it
        std::optional<std::string> value;
        if (arg.starts_with("--")) {
            const size_t eq = arg.find('=');
            shown = arg.substr(0, eq);
            option = FindLong(Specs, std::string_view(shown).substr(2));
            if (eq != std::string::npos) value = arg.substr(eq + 1);
        } else if (arg.size() > 1 && arg[0] == '-') {
            shown = arg.substr(0, 2);
            option = FindShort(Specs, arg[1]);
            if (arg.size() > 2) value = arg.substr(2);
        } else {
            throw UsageError("unexpected argument " + Quoted(arg) + SeeHelp(Cmd));
        }
        if (!option) throw UsageError("unknown option " + Quoted(shown) + SeeHelp(Cmd));

        const std::string name = "--" + std::string(option->Long);
        if (option->Value.empty()) {
            if (value) throw UsageError("option " + name + " takes no value");
        } else if (!value) {
            if (i + 1 >= Args.size())
                throw UsageError("option " + name + " needs a value " + std::string(option->Value));
            value = Args[++i];
        }
        option->Apply(Out, value.value_or(""));
        Given.push_back(option->Long);
    }
    return true;
}

// One row per option: the option in a column of its own, its text wrapped
// to the terminal's usual 80 columns beside it.
std::string OptionsHelp(std::span<const OptionSpec> Specs) {
    constexpr size_t kColumn = 32;
    constexpr size_t kWidth = 80;
    std::string text;
    auto row = [&](std::string left, std::string_view help) {
        if (left.size() + 2 > kColumn) {
            text += left + "\n";
            left.clear();
        }
        left.resize(kColumn, ' ');
        std::string line = left;
        size_t start = 0;
        while (start < help.size()) {
            size_t end = help.find(' ', start);
            if (end == std::string_view::npos) end = help.size();
            const std::string_view word = help.substr(start, end - start);
            if (line.size() > kColumn && line.size() + 1 + word.size() > kWidth) {
                text += line + "\n";
                line = std::string(kColumn, ' ');
            }
            if (line.size() > kColumn) line += ' ';
            line += word;
            start = end + 1;
        }
        text += line + "\n";
    };
    for (const auto& s : Specs) {
        std::string left = s.Short ? std::string("  -") + s.Short + ", " : std::string("      ");
        left += "--" + std::string(s.Long);
        if (!s.Value.empty()) left += " " + std::string(s.Value);
        row(left, s.Help);
    }
    row("  -h, --help", "show this help");
    return text;
}

}  // namespace

TBarCodeType ParseSymbology(std::string_view Text) {
    const int i = IndexOf(BarCodeTypeNames, Text);
    if (i < 0) throw UsageError("unknown symbology " + Quoted(Text) + " for --symbology (see kdx symbologies)");
    return TBarCodeType(i);
}

TColor ParseColor(std::string_view Text, std::string_view Option) {
    std::string_view hex = Text;
    if (hex.starts_with('#')) hex.remove_prefix(1);
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
    if (hex.size() != 6 || ec != std::errc() || end != hex.data() + hex.size())
        throw UsageError("bad value " + Quoted(Text) + " for " + std::string(Option) + " (expected #RRGGBB)");
    return RGB(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
}

std::string Utf8ToCp1252(std::string_view Text, std::string_view Option) {
    std::string out;
    out.reserve(Text.size());
    size_t i = 0;
    int position = 0;  // 1-based character count, for the message
    while (i < Text.size()) {
        ++position;
        const auto lead = static_cast<unsigned char>(Text[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = length > 0 && i + length <= Text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(Text[i + k]);
            valid = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed.
        static constexpr char32_t kMinForLength[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (cp < kMinForLength[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        if (!valid) throw UsageError(std::string(Option) + ": malformed UTF-8 at byte " + std::to_string(i + 1));

        int byte = -1;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) byte = int(cp);
        for (int c = 0x80; byte < 0 && c < 0xA0; ++c)
            if (Cp1252ToUnicode(static_cast<unsigned char>(c)) == cp) byte = c;
        if (byte < 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", unsigned(cp));
            throw UsageError(std::string(Option) + ": character " + std::to_string(position) + " " +
                             Quoted(Text.substr(i, length)) + " (" + hex + ") has no Windows-1252 form");
        }
        out += char(byte);
        i += length;
    }
    return out;
}

std::optional<OutputKind> OutputKindFor(std::string_view Path) {
    const size_t slash = Path.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? Path : Path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    const std::string_view ext = base.substr(dot);
    if (EqualsIgnoreCase(ext, ".png")) return OutputKind::PNG;
    if (EqualsIgnoreCase(ext, ".svg")) return OutputKind::SVG;
    if (EqualsIgnoreCase(ext, ".pdf")) return OutputKind::PDF;
    return std::nullopt;
}

Invocation ParseCommandLine(const std::vector<std::string>& Args) {
    Invocation inv;
    if (Args.empty()) throw UsageError("no command given (see kdx --help)");

    const std::string& first = Args[0];
    const std::span<const std::string> rest(Args.begin() + 1, Args.end());
    if (first == "-h" || first == "--help" || first == "help") {
        inv.Cmd = Command::Help;
        if (first == "help" && !rest.empty()) {
            for (Command c : {Command::Render, Command::Print, Command::Symbologies, Command::Sheet})
                if (rest[0] == CommandName(c)) inv.HelpFor = c;
            if (inv.HelpFor == Command::Help)
                throw UsageError("unknown command " + Quoted(rest[0]) + SeeHelp(Command::Help));
        }
        return inv;
    }
    if (first == "-V" || first == "--version") {
        inv.Cmd = Command::Version;
        return inv;
    }

    if (first == "render" || first == "print") {
        const Command cmd = first == "render" ? Command::Render : Command::Print;
        inv.Cmd = cmd;
        const auto& specs = cmd == Command::Render ? RenderSpecs() : PrintSpecs();
        std::vector<std::string_view> given;
        if (!ParseOptions(cmd, specs, rest, inv.Render, given)) {
            inv.HelpFor = cmd;
            inv.Cmd = Command::Help;
            return inv;
        }
        const auto has = [&](std::string_view name) {
            return std::find(given.begin(), given.end(), name) != given.end();
        };
        const auto missing = [&](std::string_view name) {
            for (const auto& s : specs)
                if (s.Long == name)
                    return UsageError("missing --" + std::string(name) + " " + std::string(s.Value) + SeeHelp(cmd));
            return UsageError("missing --" + std::string(name));
        };
        // The data comes either from --data or from a database field.
        std::vector<std::string_view> required = {"symbology"};
        if (has("db")) {
            if (has("data")) throw UsageError("--data and --db exclude each other (--db takes the data from --field)");
            required.insert(required.end(), {"sql", "field"});
        } else {
            for (std::string_view name : {"sql", "field"})
                if (has(name)) throw UsageError("--" + std::string(name) + " needs --db FILE" + SeeHelp(cmd));
            required.push_back("data");
        }
        required.push_back("output");
        for (std::string_view name : required)
            if (!has(name)) throw missing(name);
        return inv;
    }
    if (first == "symbologies") {
        inv.Cmd = Command::Symbologies;
        RenderOptions ignored;
        std::vector<std::string_view> given;
        if (!ParseOptions(Command::Symbologies, {}, rest, ignored, given)) {
            inv.HelpFor = Command::Symbologies;
            inv.Cmd = Command::Help;
        }
        return inv;
    }
    if (first == "sheet") {
        inv.Cmd = Command::Sheet;
        RenderOptions o;
        std::vector<std::string_view> given;
        if (!ParseOptions(Command::Sheet, SheetSpecs(), rest, o, given)) {
            inv.HelpFor = Command::Sheet;
            inv.Cmd = Command::Help;
            return inv;
        }
        if (std::find(given.begin(), given.end(), "output") == given.end())
            throw UsageError("missing --output DIR" + SeeHelp(Command::Sheet));
        inv.Sheet.Directory = o.Output;
        inv.Sheet.Verbose = o.Verbose;
        return inv;
    }
    if (first.starts_with("-")) throw UsageError("unknown option " + Quoted(first) + SeeHelp(Command::Help));
    throw UsageError("unknown command " + Quoted(first) + SeeHelp(Command::Help));
}

std::string VersionText() { return std::string("kdx ") + KDX_VERSION + "\n"; }

std::string HelpText(Command For) {
    switch (For) {
        case Command::Render:
            return "Usage: kdx render -s NAME -d TEXT -o FILE [options]\n"
                   "       kdx render -s NAME --db FILE --sql QUERY --field NAME -o PATTERN [options]\n"
                   "\n"
                   "Draws one barcode with the settings of a barcode control and writes it as\n"
                   "PNG, SVG or PDF. The image is as large as the symbol area. Data the\n"
                   "symbology cannot encode is refused with a message on stderr (exit status 1)\n"
                   "and no file is written.\n"
                   "\n"
                   "With --db, a barcode control bound to --field of the query draws one file\n"
                   "per record; the field's text is read as UTF-8. In the output PATTERN,\n"
                   "{recno} becomes the record number (from 1) and {field} the field's text\n"
                   "with every character but A-Z a-z 0-9 . _ - replaced by _ (at most 100\n"
                   "characters, never empty, no leading dot). A pattern without either is\n"
                   "refused unless the query returns one record. Records that give the same\n"
                   "name write the same file: the later record's file replaces the earlier\n"
                   "one. A refused record is reported as \"kdx: record N: ...\" and gets no\n"
                   "file; the others are written and the exit status is 1. A database error\n"
                   "(file, SQL, field) writes nothing. A query without records is an error.\n"
                   "\n"
                   "Options:\n" +
                   OptionsHelp(RenderSpecs()) +
                   "\n"
                   "Examples:\n"
                   "  kdx render -s Code_39 -d CODE39 -o code39.png\n"
                   "  kdx render -s code_39 -d HELLO-123 --density Low --direction Vertical -o v.svg\n"
                   "  kdx render -s Code_39 -d Z4 --show-check --factor 3 -o print.pdf\n"
                   "  kdx render -s EAN_13 --db labels.db --sql \"SELECT ean FROM products\" \\\n"
                   "      --field ean --jobs 0 -o \"labels/{recno}-{field}.png\"\n";
        case Command::Print:
            return "Usage: kdx print -s NAME -d TEXT -o FILE.pdf [options]\n"
                   "       kdx print -s NAME --db FILE --sql QUERY --field NAME -o FILE.pdf [options]\n"
                   "\n"
                   "Prints barcodes through the barcode control's PrintBarCode on a printer that\n"
                   "writes a PDF document: one page with the --data barcode, or with --db one\n"
                   "page per record of the query. The page is laid out in printer pixels at the\n"
                   "print quality, and the barcode scales by the whole factor quality div 96\n"
                   "(600 dpi: 6). The document appears only when it is complete.\n"
                   "\n"
                   "A barcode whose data is refused, or that does not fit on the page at --at,\n"
                   "gets no page: the message goes to stderr (\"kdx: record N: ...\" with --db),\n"
                   "the other pages are written and the exit status is 1. No page at all: no\n"
                   "document. A database error writes nothing.\n"
                   "\n"
                   "Options:\n" +
                   OptionsHelp(PrintSpecs()) +
                   "\n"
                   "Examples:\n"
                   "  kdx print -s Code_39 -d CODE39 --at 600,600 -o code39.pdf\n"
                   "  kdx print -s EAN_13 --db labels.db --sql \"SELECT ean FROM products\" \\\n"
                   "      --field ean --quality 300 --paper Letter -o labels.pdf\n";
        case Command::Symbologies:
            return "Usage: kdx symbologies\n"
                   "\n"
                   "Lists the symbology names that --symbology accepts, with their display names.\n";
        case Command::Sheet:
            return "Usage: kdx sheet -o DIR [options]\n"
                   "\n"
                   "Draws a sample of every symbology that is implemented, with variants of\n"
                   "Code 39, on one page, and writes DIR/sheet.png and DIR/sheet.pdf. A sample\n"
                   "refused for any reason but \"Not implemented\" is reported on stderr and\n"
                   "makes the exit status 1.\n"
                   "\n"
                   "Options:\n" +
                   OptionsHelp(SheetSpecs());
        default:
            return "Usage: kdx COMMAND [options]\n"
                   "\n"
                   "Draws barcodes with the Kdx barcode library.\n"
                   "\n"
                   "Commands:\n"
                   "  render         draw a barcode (or one per database record) into PNG, SVG\n"
                   "                 or PDF files\n"
                   "  print          print barcodes on pages of a PDF document\n"
                   "  symbologies    list the symbology names\n"
                   "  sheet          draw a sample sheet of every implemented symbology\n"
                   "  help COMMAND   show the options of a command (or: kdx COMMAND --help)\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help     show this help\n"
                   "  -V, --version  show the version\n"
                   "\n"
                   "Exit status: 0 success, 1 data refused, a database error or a file that\n"
                   "could not be written, 2 bad command line.\n";
    }
}

}  // namespace kdx::cli
