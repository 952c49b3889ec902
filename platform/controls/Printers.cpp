#include "platform/controls/Printers.h"

#include <cmath>

namespace kdx {

namespace {
constexpr int kDefaultResolution = 300;

// The printer's canvas outside a document: it measures text but draws nothing.
class IdleCanvas : public TCanvas {
protected:
    void DoFillRect(const TRect&, TColor) override {}
};
}  // namespace

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}

void TPrinter::Configure(const std::string& Path, int16_t PrintQuality) {
    FConfigured = true;
    FPath = Path;
    FDevMode.dmPrintQuality = PrintQuality;
}

void TPrinter::Unconfigure() { FConfigured = false; }

void TPrinter::SetPaperSize(double WidthPt, double HeightPt) {
    FPaperWidthPt = WidthPt;
    FPaperHeightPt = HeightPt;
}

// The page is laid out in device pixels; a quality code instead of a
// resolution lays it out at the default resolution.
int TPrinter::Resolution() const {
    if (!FConfigured || FDevMode.dmPrintQuality <= 0) return kDefaultResolution;
    return FDevMode.dmPrintQuality;
}

int TPrinter::PageWidth() const { return static_cast<int>(std::lround(FPaperWidthPt * Resolution() / 72.0)); }

int TPrinter::PageHeight() const { return static_cast<int>(std::lround(FPaperHeightPt * Resolution() / 72.0)); }

bool TPrinter::BeginDoc() {
    FError.clear();
    if (FCanvas) {
        FError = "printing is already in progress";
        return false;
    }
    if (FPath.empty()) {
        FError = "no printer output file is set";
        return false;
    }
    FCanvas = std::make_unique<VectorCanvas>(VectorCanvas::Format::PDF, FPath, PageWidth(), PageHeight(),
                                             72.0 / Resolution());
    if (!FCanvas->Ok()) {
        FError = FCanvas->Error();
        FCanvas.reset();
        return false;
    }
    FPage = 1;
    return true;
}

void TPrinter::NewPage() {
    if (!FCanvas) return;
    FCanvas->NewPage();
    ++FPage;
}

bool TPrinter::EndDoc() {
    if (!FCanvas) return false;
    const bool ok = FCanvas->Finish();
    if (!ok) FError = FCanvas->Error();
    FCanvas.reset();
    return ok;
}

TCanvas& TPrinter::Canvas() {
    // Outside a document the canvas draws into nothing.
    static IdleCanvas idle;
    return FCanvas ? static_cast<TCanvas&>(*FCanvas) : idle;
}

}  // namespace kdx
