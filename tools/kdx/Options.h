#pragma once
// Command line of the kdx program: the subcommands, their options and the
// help texts. Parsing is kept apart from the drawing so that it can be tested
// without running the program.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Kdx.h"

namespace kdx::cli {

// A command line the program cannot act on; main prints "kdx: <what>" and
// exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class OutputKind { PNG, SVG, PDF };
enum class Paper { A4, Letter };

// Everything `kdx render` and `kdx print` need. The defaults of the settings
// are those the barcode control starts with, so that an option left out
// keeps the control's own value.
struct RenderOptions {
    kdx::TBarCodeType Symbology = kdx::TBarCodeType::Codabar;
    std::string Data;  // Windows-1252
    std::string Output;
    OutputKind Kind = OutputKind::PNG;
    kdx::TDensity Density = kdx::TDensity::High;
    kdx::TDirection Direction = kdx::TDirection::Horizontal;
    kdx::TAlignment Alignment = kdx::TAlignment::txLeft;
    bool AutoSize = true;
    bool TextAutosize = false;
    bool Border = false;
    bool ControlChars = true;
    bool ShowCtrlsChars = false;
    bool Transparent = false;
    bool TextOn = true;
    int Width = 100;
    int Height = 50;
    double Factor = 1.0;
    kdx::TColor BarColor = kdx::clBlack;
    kdx::TColor BackColor = kdx::clWhite;
    std::string FontName = "Arial";
    std::optional<int> FontSize;  // points; unset keeps the platform default
    bool Verbose = false;

    // With a database the data comes from one field of each record of the
    // query (Database empty: from Data), and Output of `kdx render` is a
    // pattern with {recno} and {field}.
    std::string Database;
    std::string Sql;
    std::string FieldName;
    int Jobs = 1;  // threads of a PNG batch; 0: one per core

    // `kdx print` only.
    int Quality = 600;     // dots per inch, or a negative quality code
    int AtX = 0, AtY = 0;  // printer pixels
    kdx::cli::Paper PaperSize = Paper::A4;
};

struct SheetOptions {
    std::string Directory;
    bool Verbose = false;
};

enum class Command { Help, Version, Render, Print, Symbologies, Sheet };

struct Invocation {
    Command Cmd = Command::Help;
    Command HelpFor = Command::Help;  // with Cmd == Help: which text to show
    RenderOptions Render;             // render and print
    SheetOptions Sheet;
};

// Parses the arguments after the program name. Throws UsageError.
Invocation ParseCommandLine(const std::vector<std::string>& Args);

// Help texts: the program's overview and one text per subcommand.
std::string HelpText(Command For);
std::string VersionText();

// Name lookups, ignoring letter case. Throw UsageError naming the option.
kdx::TBarCodeType ParseSymbology(std::string_view Text);
kdx::TColor ParseColor(std::string_view Text, std::string_view Option);

// Converts UTF-8 text to Windows-1252. Throws UsageError naming the first
// character that has no 8-bit form, or the first malformed byte.
std::string Utf8ToCp1252(std::string_view Text, std::string_view Option);

// The output kind for a file name's extension (any letter case).
std::optional<OutputKind> OutputKindFor(std::string_view Path);

}  // namespace kdx::cli
