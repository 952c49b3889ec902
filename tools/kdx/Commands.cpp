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
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/controls/Printers.h"
#include "platform/db/Db.h"
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

// Paint (one DrawBarCode, directly or through PrintBarCode) with its message
// boxes captured. The extent variables change only when a drawing completes,
// so they are cleared first to tell a drawing that stopped silently from one
// that completed.
Drawing Capture(const std::function<void()>& Paint) {
    MessageCapture capture;
    CodeWidth = -1;
    CodeHeight = -1;
    Paint();
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

Drawing Draw(TKordix& Control, TCanvas& Canvas, int X, int Y, double Factor) {
    return Capture([&] { Control.DrawBarCode(Canvas, X, Y, Factor); });
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

// Why an image of that size is not made, or "" when it may be.
std::string ImageSizeProblem(int Width, int Height) {
    if (Width > kMaxImageSide || Height > kMaxImageSide || (long long)Width * Height > kMaxImagePixels)
        return "the image would be " + std::to_string(Width) + " x " + std::to_string(Height) + " pixels, more than " +
               std::to_string(kMaxImageSide) + " a side or 100 million in all (lower --factor, --width or --height)";
    return {};
}

void CheckImageSize(int Width, int Height) {
    if (auto problem = ImageSizeProblem(Width, Height); !problem.empty()) throw UsageError(problem);
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

namespace {

// The outcome of drawing one file.
struct FileResult {
    bool Written = false;
    bool TooLarge = false;  // the image would exceed the size bounds
    std::string Error;
    int Width = 0;
    int Height = 0;
};

// Draws the control's barcode into a file of the symbol area's size.
FileResult RenderFile(TKordix& Control, const RenderOptions& O, const std::string& Path) {
    FileResult r;
    const Drawing measured = Measure(Control, O.Factor);
    if (!measured.Drawn) {
        r.Error = measured.Message;
        return r;
    }
    r.Width = std::max(1, measured.Width);
    r.Height = std::max(1, measured.Height);
    r.Error = ImageSizeProblem(r.Width, r.Height);
    if (!r.Error.empty()) {
        r.TooLarge = true;
        return r;
    }
    r.Written = WriteImage(
        Path, O.Kind, r.Width, r.Height,
        [&](TCanvas& canvas, std::string& why) {
            const Drawing d = Draw(Control, canvas, 0, 0, O.Factor);
            if (!d.Drawn) why = d.Message;
            return d.Drawn;
        },
        r.Error);
    return r;
}

// ---- Records of a database

// A message on one line (an SQL text in it may span several).
std::string OneLine(std::string Text) {
    for (char& c : Text)
        if (c == '\n' || c == '\r') c = ' ';
    return Text;
}

// Opens the query (the file read-only) and checks that it has the field.
// Throws EDatabaseError with SQLite's message.
std::unique_ptr<TSQLiteQuery> OpenQuery(const RenderOptions& O) {
    auto query = std::make_unique<TSQLiteQuery>(nullptr);
    query->SetDatabaseName(O.Database);
    query->SetSQL(O.Sql);
    query->Open();
    if (!query->FindField(O.FieldName)) {
        std::string fields;
        for (int i = 0; i < query->FieldCount(); ++i) fields += (i ? ", " : "") + query->Fields(i)->FieldName();
        throw EDatabaseError("no field '" + O.FieldName + "' in the result of the query (its fields: " + fields + ")");
    }
    return query;
}

// A barcode control with the command's settings. Given a query, it is bound
// to the field through a data source and its data link, so that every record
// change writes the field's text into its Caption.
class BarcodeControl {
public:
    BarcodeControl(const RenderOptions& O, TSQLiteQuery* Query) : FFieldName(O.FieldName) {
        ApplySettings(FControl, O);
        if (!Query) return;
        FSource.SetDataSet(Query);
        FControl.SetDataField(O.FieldName);
        FControl.SetDataSource(&FSource);
    }
    BarcodeControl(const BarcodeControl&) = delete;
    BarcodeControl& operator=(const BarcodeControl&) = delete;

    TKordix& Control() { return FControl; }

    // The field's text is UTF-8, as SQLite stores text; the control draws
    // Windows-1252 like --data. Returns why the text has no such form, or "".
    std::string TakeFieldText() {
        try {
            FControl.Code().SetCaption(Utf8ToCp1252(FControl.GetFieldText(), "field '" + FFieldName + "'"));
        } catch (const UsageError& e) {
            return e.what();
        }
        return {};
    }

private:
    TDataSource FSource{nullptr};  // declared first: outlives the control bound to it
    TKordix FControl;
    std::string FFieldName;
};

// Makes record RecNo (from 1) current: forward with Next, from First when it
// lies behind. Each move reaches the bound controls through their links.
void MoveTo(TDataSet& Query, int RecNo) {
    if (Query.RecNo() > RecNo) Query.First();
    while (Query.RecNo() < RecNo && !Query.Eof()) Query.Next();
}

bool HasPlaceholder(std::string_view Pattern) {
    return Pattern.find("{recno}") != std::string_view::npos || Pattern.find("{field}") != std::string_view::npos;
}

// The field's text as part of a file name: A-Z, a-z, 0-9, '.', '_' and '-'
// are kept, any other character (a UTF-8 sequence counts as one) becomes
// '_'; at most 100 characters, never empty, no leading '.' (hidden file).
std::string SafeFileNamePart(std::string_view Text) {
    constexpr size_t kMaxLength = 100;
    std::string name;
    for (size_t i = 0; i < Text.size() && name.size() < kMaxLength; ++i) {
        const auto c = static_cast<unsigned char>(Text[i]);
        const bool continuation = (c & 0xC0) == 0x80 && i > 0 && static_cast<unsigned char>(Text[i - 1]) >= 0x80;
        if (continuation) continue;
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '_' || c == '-';
        name += keep ? static_cast<char>(c) : '_';
    }
    if (name.empty()) name = "_";
    if (name[0] == '.') name[0] = '_';
    return name;
}

std::string ReplaceAll(std::string Text, std::string_view What, std::string_view With) {
    for (size_t at = 0; (at = Text.find(What, at)) != std::string::npos; at += With.size())
        Text.replace(at, What.size(), With);
    return Text;
}

// The output file of one record.
std::string ExpandPattern(const std::string& Pattern, int RecNo, std::string_view FieldText) {
    return ReplaceAll(ReplaceAll(Pattern, "{recno}", std::to_string(RecNo)), "{field}", SafeFileNamePart(FieldText));
}

const std::string kQueryChanged =
    "the query returned other records when it ran again (with --jobs each thread runs it: it must give the same "
    "records in the same order every time, and the database must not change meanwhile)";

// What the main thread learns of the records before any is drawn.
struct Batch {
    std::vector<std::string> Texts;  // the field's text of each record
    std::vector<std::string> Paths;  // the output file of each record
};

struct RecordOutcome {
    enum class State { Pending, Written, Refused };
    State Result = State::Pending;
    std::string Message;  // why it was refused
    int Width = 0;
    int Height = 0;
};

// Draws the records RecNos (ascending) of Query, one file each, through a
// control bound to the field. Each record's outcome goes to its own slot.
void RenderRecords(TSQLiteQuery& Query, const RenderOptions& O, const Batch& B, const std::vector<int>& RecNos,
                   std::vector<RecordOutcome>& Outcomes) {
    BarcodeControl bound(O, &Query);
    for (const int r : RecNos) {
        RecordOutcome& outcome = Outcomes[static_cast<size_t>(r - 1)];
        outcome.Result = RecordOutcome::State::Refused;
        MoveTo(Query, r);
        // A worker's own connection runs the query again; it must see the
        // records the main thread named the files after.
        if (Query.RecNo() != r || bound.Control().GetFieldText() != B.Texts[static_cast<size_t>(r - 1)]) {
            outcome.Message = kQueryChanged;
            continue;
        }
        outcome.Message = bound.TakeFieldText();
        if (!outcome.Message.empty()) continue;
        const FileResult file = RenderFile(bound.Control(), O, B.Paths[static_cast<size_t>(r - 1)]);
        outcome.Message = file.Error;
        outcome.Width = file.Width;
        outcome.Height = file.Height;
        if (file.Written) outcome.Result = RecordOutcome::State::Written;
    }
}

// Assigns the records to Jobs workers. Records that write the same file go to
// one worker, which draws them in record order, so that the later record's
// file wins as it does on one thread; the rest is dealt out in turn.
std::vector<std::vector<int>> ShareOut(const Batch& B, int Jobs) {
    std::unordered_map<std::string, size_t> groupOf;
    std::vector<std::vector<int>> groups;
    for (size_t i = 0; i < B.Paths.size(); ++i) {
        const auto [it, added] = groupOf.try_emplace(B.Paths[i], groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(static_cast<int>(i + 1));
    }
    const size_t workers = std::max<size_t>(1, std::min(static_cast<size_t>(Jobs), groups.size()));
    std::vector<std::vector<int>> work(workers);
    for (size_t g = 0; g < groups.size(); ++g)
        work[g % workers].insert(work[g % workers].end(), groups[g].begin(), groups[g].end());
    for (auto& w : work) std::sort(w.begin(), w.end());
    return work;
}

int RenderBatch(const RenderOptions& O, std::ostream& Out, std::ostream& Err) {
    std::unique_ptr<TSQLiteQuery> query;
    Batch batch;
    try {
        query = OpenQuery(O);
        const TField* field = query->FindField(O.FieldName);
        for (query->First(); !query->Eof(); query->Next()) batch.Texts.push_back(field->DisplayText());
    } catch (const EDatabaseError& e) {
        Err << "kdx: " << OneLine(e.what()) << "\n";
        return 1;
    }
    const size_t count = batch.Texts.size();
    if (count == 0) {
        Err << "kdx: the query returned no records; nothing written\n";
        return 1;
    }
    if (count > 1 && !HasPlaceholder(O.Output))
        throw UsageError("the output name '" + O.Output + "' has neither {recno} nor {field}, so the " +
                         std::to_string(count) + " records would overwrite one file (see kdx render --help)");
    for (size_t i = 0; i < count; ++i)
        batch.Paths.push_back(ExpandPattern(O.Output, static_cast<int>(i + 1), batch.Texts[i]));

    // Worker threads draw PNG files only: the raster surface keeps its state
    // per thread, the vector surfaces are left to one thread.
    int jobs = O.Jobs == 0 ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency())) : O.Jobs;
    if (O.Kind != OutputKind::PNG) jobs = 1;
    const std::vector<std::vector<int>> work = ShareOut(batch, jobs);

    std::vector<RecordOutcome> outcomes(count);
    std::vector<std::string> failures(work.size());  // a worker that could not finish
    if (work.size() == 1) {
        try {
            RenderRecords(*query, O, batch, work[0], outcomes);
        } catch (const std::exception& e) {
            failures[0] = OneLine(e.what());
        }
    } else {
        // Each worker has its own connection, data set, data source, control
        // and surfaces; the drawing state and message sinks are per thread.
        std::vector<std::thread> threads;
        for (size_t w = 0; w < work.size(); ++w) {
            auto worker = [&, w] {
                try {
                    TSQLiteQuery own(nullptr);
                    own.SetDatabaseName(O.Database);
                    own.SetSQL(O.Sql);
                    own.Open();
                    if (static_cast<size_t>(own.RecordCount()) != count) throw EDatabaseError(kQueryChanged);
                    RenderRecords(own, O, batch, work[w], outcomes);
                } catch (const std::exception& e) {
                    failures[w] = OneLine(e.what());
                }
            };
            try {
                threads.emplace_back(worker);
            } catch (const std::system_error& e) {
                failures[w] = std::string("cannot start a thread: ") + e.what();
            }
        }
        for (auto& t : threads) t.join();
    }

    int status = 0;
    for (size_t i = 0; i < count; ++i) {
        const RecordOutcome& o = outcomes[i];
        if (o.Result == RecordOutcome::State::Written) {
            if (O.Verbose) Out << "wrote " << batch.Paths[i] << " (" << o.Width << " x " << o.Height << ")\n";
        } else {
            if (o.Result == RecordOutcome::State::Refused) Err << "kdx: record " << i + 1 << ": " << o.Message << "\n";
            status = 1;
        }
    }
    for (const auto& f : failures) {
        if (f.empty()) continue;
        Err << "kdx: " << f << "\n";
        status = 1;
    }
    return status;
}

}  // namespace

int RunRender(const RenderOptions& O, std::ostream& Out, std::ostream& Err) {
    if (!O.Database.empty()) return RenderBatch(O, Out, Err);

    TKordix control;
    ApplySettings(control, O);
    const FileResult file = RenderFile(control, O, O.Output);
    if (file.TooLarge) throw UsageError(file.Error);
    if (!file.Written) {
        Err << "kdx: " << file.Error << "\n";
        return 1;
    }
    if (O.Verbose) Out << "wrote " << O.Output << " (" << file.Width << " x " << file.Height << ")\n";
    return 0;
}

// ---- Printing

int RunPrint(const RenderOptions& O, std::ostream& Out, std::ostream& Err) {
    TPrinter& printer = Printer();
    printer.Configure(O.Output, static_cast<int16_t>(O.Quality));
    if (O.PaperSize == Paper::Letter)
        printer.SetPaperSize(612.0, 792.0);
    else
        printer.SetPaperSize(595.276, 841.89);

    std::unique_ptr<TSQLiteQuery> query;
    int records = 1;  // without a database: the --data barcode
    if (!O.Database.empty()) {
        try {
            query = OpenQuery(O);
        } catch (const EDatabaseError& e) {
            Err << "kdx: " << OneLine(e.what()) << "\n";
            return 1;
        }
        records = query->RecordCount();
        if (records == 0) {
            Err << "kdx: the query returned no records; nothing written\n";
            return 1;
        }
    }
    BarcodeControl bound(O, query.get());

    int status = 0;
    const auto refuse = [&](int RecNo, const std::string& Message) {
        Err << "kdx: " << (query ? "record " + std::to_string(RecNo) + ": " : "") << Message << "\n";
        status = 1;
    };
    // Makes the record current with its data in the control; false if refused.
    const auto take = [&](int RecNo) {
        if (!query) return true;
        MoveTo(*query, RecNo);
        const std::string problem = bound.TakeFieldText();
        if (!problem.empty()) refuse(RecNo, problem);
        return problem.empty();
    };
    const auto print = [&] { return Capture([&] { bound.Control().PrintBarCode(O.AtX, O.AtY); }); };

    // First every record is drawn while no document is open: the printer's
    // canvas then only measures, so refusals and sizes are known before the
    // document is started.
    std::vector<int> accepted;
    for (int r = 1; r <= records; ++r) {
        if (!take(r)) continue;
        const Drawing d = print();
        if (!d.Drawn) {
            refuse(r, d.Message);
        } else if (O.AtX + d.Width > printer.PageWidth() || O.AtY + d.Height > printer.PageHeight()) {
            refuse(r, "the barcode (" + std::to_string(d.Width) + " x " + std::to_string(d.Height) +
                          " printer pixels at " + std::to_string(O.AtX) + "," + std::to_string(O.AtY) +
                          ") does not fit on the page (" + std::to_string(printer.PageWidth()) + " x " +
                          std::to_string(printer.PageHeight()) + ")");
        } else {
            accepted.push_back(r);
        }
    }
    if (accepted.empty()) {
        if (query) Err << "kdx: no record could be printed; nothing written\n";
        return 1;
    }

    if (!printer.BeginDoc()) {
        Err << "kdx: " << printer.Error() << "\n";
        return 1;
    }
    for (size_t i = 0; i < accepted.size(); ++i) {
        if (i > 0) printer.NewPage();
        if (!take(accepted[i])) continue;
        const Drawing d = print();
        if (!d.Drawn) refuse(accepted[i], d.Message);
    }
    if (!printer.EndDoc()) {
        Err << "kdx: " << printer.Error() << "\n";
        return 1;
    }
    if (O.Verbose)
        Out << "wrote " << O.Output << " (" << accepted.size() << (accepted.size() == 1 ? " page" : " pages") << ")\n";
    return status;
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
