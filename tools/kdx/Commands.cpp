#include "tools/kdx/Commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <system_error>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/surfaces/RasterCanvas.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "platform/surfaces/VectorCanvas.h"

namespace kdx::cli {

namespace {

// Bounds on the image, so that a large factor cannot exhaust memory.
constexpr int kMaxImageSide = 30000;
constexpr long long kMaxImagePixels = 100'000'000;

// Collects the message boxes of the calling thread while it lives.
class MessageCapture {
public:
    MessageCapture() {
        FOld = Application.SetMessageSink([this](const std::string& Text, const std::string&, int) {
            Messages.push_back(Text);
            return IDOK;
        });
    }
    ~MessageCapture() { Application.SetMessageSink(std::move(FOld)); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::string> Messages;

private:
    TApplication::TMessageSink FOld;
};

// The outcome of one DrawBarCode: refused (with the message) or drawn with
// the extent it left in CodeWidth and CodeHeight.
struct Drawing {
    bool Drawn = false;
    std::string Message;
    int Width = 0;
    int Height = 0;
};

// DrawBarCode with its message boxes captured. The extent variables change
// only when a drawing completes, so they are cleared first to tell a drawing
// that stopped silently from one that completed.
Drawing Draw(TKordix& Control, TCanvas& Canvas, int X, int Y, double Factor) {
    MessageCapture capture;
    CodeWidth = -1;
    CodeHeight = -1;
    Control.DrawBarCode(Canvas, X, Y, Factor);
    Drawing d;
    if (!capture.Messages.empty()) {
        d.Message = capture.Messages.front();
    } else if (CodeWidth < 0 || CodeHeight < 0) {
        d.Message = "nothing was drawn";
    } else {
        d.Drawn = true;
        d.Width = CodeWidth;
        d.Height = CodeHeight;
    }
    return d;
}

// Learns the extent of the symbol without drawing anything real.
Drawing Measure(TKordix& Control, double Factor) {
    RecordingCanvas canvas;
    return Draw(Control, canvas, 0, 0, Factor);
}

// Settings go through the setters in the order the control's constructor
// uses, so that the values a symbology forces apply as they would there.
void ApplySettings(TKordix& K, const RenderOptions& O) {
    TCode& c = K.Code();
    c.SetCode(O.Symbology);
    c.SetCaption(O.Data);
    c.SetAutoSize(O.AutoSize);
    c.SetTextAutoSize(O.TextAutosize);
    c.SetDensity(O.Density);
    c.SetBorder(O.Border);
    c.SetCtrlChar(O.ControlChars);
    c.SetTransparent(O.Transparent);
    c.SetDirection(O.Direction);
    c.SetAlignment(O.Alignment);
    c.SetShowCtrlsChars(O.ShowCtrlsChars);
    K.SetWidth(O.Width);
    K.SetHeight(O.Height);
    K.SetBackColor(O.BackColor);
    K.SetBarColor(O.BarColor);
    c.SetTextOn(O.TextOn);
    K.Font().SetName(O.FontName);
    if (O.FontSize) K.Font().SetSize(*O.FontSize);
}

void CheckImageSize(int Width, int Height) {
    if (Width > kMaxImageSide || Height > kMaxImageSide || (long long)Width * Height > kMaxImagePixels)
        throw UsageError("the image would be " + std::to_string(Width) + " x " + std::to_string(Height) +
                         " pixels, more than " + std::to_string(kMaxImageSide) +
                         " a side or 100 million in all (lower --factor, --width or --height)");
}

std::string ErrnoText(int Code) { return std::generic_category().message(Code); }

// The permission bits a newly created file gets under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Writes a PNG under a temporary name beside Path and renames it into place,
// so that Path is either the old file or the complete new one.
bool SavePngAtomically(const RasterCanvas& Canvas, const std::string& Path, std::string& Error) {
    const std::filesystem::path target(Path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        Error = "cannot write " + Path + ": " + ErrnoText(errno);
        return false;
    }
    fchmod(fd, NewFileMode());  // mkstemp creates the file readable by its owner only
    close(fd);
    if (!Canvas.SavePng(temp, &Error)) {
        unlink(temp.c_str());
        // The user knows the file by its final name, not the temporary one.
        for (size_t at; (at = Error.find(temp)) != std::string::npos;) Error.replace(at, temp.size(), Path);
        if (Error.empty()) Error = "cannot write " + Path;
        return false;
    }
    if (std::rename(temp.c_str(), Path.c_str()) != 0) {
        Error = "cannot write " + Path + ": " + ErrnoText(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

// Creates the surface for Kind, lets Paint draw on it and writes the file.
// Paint returns false to abandon the file; Error then holds its reason.
bool WriteImage(const std::string& Path, OutputKind Kind, int Width, int Height,
                const std::function<bool(TCanvas&, std::string&)>& Paint, std::string& Error) {
    if (Kind == OutputKind::PNG) {
        RasterCanvas canvas(Width, Height, clWhite);
        return Paint(canvas, Error) && SavePngAtomically(canvas, Path, Error);
    }
    // The vector surface writes beside Path itself and renames on Finish; a
    // canvas destroyed without Finish leaves nothing behind.
    VectorCanvas canvas(Kind == OutputKind::PDF ? VectorCanvas::Format::PDF : VectorCanvas::Format::SVG, Path, Width,
                        Height);
    if (!canvas.Ok()) {
        Error = canvas.Error();
        return false;
    }
    if (!Paint(canvas, Error)) return false;
    if (!canvas.Finish()) {
        Error = canvas.Error();
        return false;
    }
    return true;
}

}  // namespace

int RunRender(const RenderOptions& O, std::ostream& Out, std::ostream& Err) {
    TKordix control;
    ApplySettings(control, O);

    const Drawing measured = Measure(control, O.Factor);
    if (!measured.Drawn) {
        Err << "kdx: " << measured.Message << "\n";
        return 1;
    }
    const int width = std::max(1, measured.Width);
    const int height = std::max(1, measured.Height);
    CheckImageSize(width, height);

    std::string error;
    const bool written = WriteImage(
        O.Output, O.Kind, width, height,
        [&](TCanvas& canvas, std::string& why) {
            const Drawing d = Draw(control, canvas, 0, 0, O.Factor);
            if (!d.Drawn) why = d.Message;
            return d.Drawn;
        },
        error);
    if (!written) {
        Err << "kdx: " << error << "\n";
        return 1;
    }
    if (O.Verbose) Out << "wrote " << O.Output << " (" << width << " x " << height << ")\n";
    return 0;
}

int RunSymbologies(std::ostream& Out) {
    size_t column = 0;
    for (auto name : BarCodeTypeNames) column = std::max(column, name.size());
    for (int i = 0; i < kBarCodeTypeCount; ++i) {
        const std::string name(BarCodeTypeNames[i]);
        Out << name << std::string(column + 2 - name.size(), ' ') << FBarCodeNames[i] << "\n";
    }
    return 0;
}

// ---- Sample sheet

namespace {

// One sample of the sheet: a symbology with data that suits it, and what
// distinguishes a variant from the plain sample.
struct Sample {
    TBarCodeType Symbology;
    std::string Data;
    std::string Variant;  // shown after the display name; empty for the plain sample
    std::function<void(RenderOptions&)> Adjust = [](RenderOptions&) {};
    bool Backdrop = false;  // a tinted area behind it, so that transparency shows
};

std::vector<Sample> SheetSamples() {
    using T = TBarCodeType;
    return {
        {T::Code_39, "CODE39", ""},
        {T::Code_39, "CODE39", "Medium", [](RenderOptions& o) { o.Density = TDensity::Medium; }},
        {T::Code_39, "CODE39", "Low", [](RenderOptions& o) { o.Density = TDensity::Low; }},
        {T::Code_39, "A-B. C", "check shown", [](RenderOptions& o) { o.ShowCtrlsChars = true; }},
        {T::Code_39, "HELLO-123", "text per character", [](RenderOptions& o) { o.Alignment = TAlignment::txDensity; }},
        {T::Code_39, "Z4", "border", [](RenderOptions& o) { o.Border = true; }},
        {T::Code_39, "Z4", "transparent", [](RenderOptions& o) { o.Transparent = true; }, true},
        {T::Code_39, "NAVY", "colours",
         [](RenderOptions& o) {
             o.BarColor = RGB(0x00, 0x00, 0x80);
             o.BackColor = RGB(0xFF, 0xF8, 0xDC);
         }},
        {T::Code_39, "CODE39", "vertical",
         [](RenderOptions& o) {
             o.Direction = TDirection::Vertical;
             o.Width = 60;
         }},
        {T::Code_93, "CODE93", ""},
        {T::Code_128, "Code 128", ""},
        {T::ITF, "1234567890", ""},
        {T::Industrial, "123456", ""},
        {T::IATA, "123456", ""},
        {T::Codabar, "A123456B", ""},
        {T::EAN_13, "400638133393", ""},
        {T::EAN_8, "9638507", ""},
        {T::EAN_13_2AddOn, "40063813339312", ""},
        {T::EAN_13_5AddOn, "40063813339312345", ""},
        {T::UPC_A, "03600029145", ""},
        {T::POSTNET, "12345", ""},
    };
}

// A sample that drew, placed on the page.
struct Cell {
    std::unique_ptr<TKordix> Control;
    std::string Label;
    bool Backdrop = false;
    int X = 0, Y = 0;           // top-left corner of the label
    int Width = 0, Height = 0;  // of the symbol
};

constexpr int kMargin = 24;
constexpr int kGap = 24;      // between cells
constexpr int kLabelGap = 4;  // between a label and its symbol
constexpr int kContentWidth = 760;
constexpr int kSampleHeight = 60;  // control height of the horizontal samples
constexpr TColor kBackdrop = RGB(0xDD, 0xEE, 0xFF);

void UseFont(TCanvas& Canvas, int Points, TFontStyles Style) {
    TFont font;
    font.SetName("Arial");
    font.SetSize(Points);
    font.SetStyle(Style);
    Canvas.Font.Assign(font);  // also drops a rotated font a drawing left behind
    SetTextAlign(Canvas.Handle(), TA_LEFT | TA_TOP);
    SetBkMode(Canvas.Handle(), TRANSPARENT);
}

const std::string kTitle = "Kdx barcode samples";

}  // namespace

int RunSheet(const SheetOptions& O, std::ostream& Out, std::ostream& Err) {
    std::error_code ec;
    std::filesystem::create_directories(O.Directory, ec);
    if (ec) {
        Err << "kdx: cannot create " << O.Directory << ": " << ec.message() << "\n";
        return 1;
    }

    RecordingCanvas measure;  // text metrics only
    UseFont(measure, 14, fsBold);
    const int titleHeight = measure.TextHeight(kTitle);
    UseFont(measure, 9, 0);
    const int labelHeight = measure.TextHeight("Ag");

    // Try every sample; those whose encoder is not in place yet are left out.
    std::vector<Cell> cells;
    std::vector<std::string> missing;
    int failures = 0;
    for (const Sample& s : SheetSamples()) {
        RenderOptions o;
        o.Symbology = s.Symbology;
        o.Data = s.Data;
        o.Height = kSampleHeight;
        s.Adjust(o);
        auto control = std::make_unique<TKordix>();
        ApplySettings(*control, o);
        const std::string& name = FBarCodeNames[static_cast<size_t>(s.Symbology)];
        const Drawing d = Measure(*control, 1.0);
        if (!d.Drawn) {
            if (d.Message == "Not implemented") {
                if (s.Variant.empty()) missing.push_back(name);
            } else {
                Err << "kdx: sample " << name << " \"" << s.Data << "\" refused: " << d.Message << "\n";
                ++failures;
            }
            continue;
        }
        Cell c;
        c.Control = std::move(control);
        c.Label = s.Variant.empty() ? name : name + " (" + s.Variant + ")";
        c.Backdrop = s.Backdrop;
        c.Width = std::max(1, d.Width);
        c.Height = std::max(1, d.Height);
        cells.push_back(std::move(c));
    }

    // Rows from left to right, wrapping at the content width.
    int pageWidth = kContentWidth + 2 * kMargin;
    int x = kMargin, y = kMargin + titleHeight + kGap, rowHeight = 0;
    for (Cell& c : cells) {
        const int w = std::max(c.Width, measure.TextWidth(c.Label));
        const int h = labelHeight + kLabelGap + c.Height;
        if (x > kMargin && x + w > kMargin + kContentWidth) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        c.X = x;
        c.Y = y;
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
        pageWidth = std::max(pageWidth, c.X + w + kMargin);
    }
    const int pageHeight = y + rowHeight + kMargin;
    CheckImageSize(pageWidth, pageHeight);

    auto paint = [&](TCanvas& canvas, std::string& why) {
        canvas.Brush.SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, pageWidth, pageHeight));
        UseFont(canvas, 14, fsBold);
        canvas.TextOut(kMargin, kMargin, kTitle);
        for (Cell& c : cells) {
            const int top = c.Y + labelHeight + kLabelGap;
            if (c.Backdrop) {
                canvas.Brush.SetColor(kBackdrop);
                canvas.FillRect(Rect(c.X, top, c.X + c.Width, top + c.Height));
            }
            UseFont(canvas, 9, 0);
            canvas.TextOut(c.X, c.Y, c.Label);
            const Drawing d = Draw(*c.Control, canvas, c.X, top, 1.0);
            if (!d.Drawn) {
                why = c.Label + ": " + d.Message;
                return false;
            }
        }
        return true;
    };

    int status = failures > 0 ? 1 : 0;
    for (const auto& [file, kind] :
         {std::pair{"sheet.png", OutputKind::PNG}, std::pair{"sheet.pdf", OutputKind::PDF}}) {
        const std::string path = (std::filesystem::path(O.Directory) / file).string();
        std::string error;
        if (WriteImage(path, kind, pageWidth, pageHeight, paint, error)) {
            Out << "wrote " << path << "\n";
        } else {
            Err << "kdx: " << error << "\n";
            status = 1;
        }
    }
    if (O.Verbose) {
        Out << cells.size() << " samples";
        if (!missing.empty()) {
            Out << "; not implemented yet:";
            for (const auto& m : missing) Out << " " << m << (&m == &missing.back() ? "" : ",");
        }
        Out << "\n";
    }
    return status;
}

}  // namespace kdx::cli
