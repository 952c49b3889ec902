#pragma once
// The printer: pages of a PDF document at the printer's resolution. The
// application chooses the output file, the paper and the print quality (dots
// per inch); a printer that is not configured has no device mode.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/surfaces/VectorCanvas.h"

namespace kdx {

// The printer's device mode: the print quality is its resolution in dots per
// inch (negative values are the quality codes draft, low, medium, high).
struct DEVMODE {
    int16_t dmPrintQuality = 300;
};

class TPrinter {
public:
    // Selects a printer that writes to Path with the given quality.
    void Configure(const std::string& Path, int16_t PrintQuality);
    // No printer configured: no device mode.
    void Unconfigure();
    const DEVMODE* DeviceMode() const { return FConfigured ? &FDevMode : nullptr; }

    // Paper size in points (A4 by default).
    void SetPaperSize(double WidthPt, double HeightPt);

    // Starts a document; false (with Error) when the file cannot be made.
    bool BeginDoc();
    void NewPage();
    // Finishes the document; false (with Error) when it cannot be written.
    bool EndDoc();
    bool Printing() const { return FCanvas != nullptr; }
    int PageNumber() const { return FPage; }
    const std::string& Error() const { return FError; }

    // The page canvas while printing, in device pixels.
    TCanvas& Canvas();
    int PageWidth() const;
    int PageHeight() const;

private:
    int Resolution() const;

    bool FConfigured = false;
    DEVMODE FDevMode;
    std::string FPath;
    double FPaperWidthPt = 595.276;  // A4
    double FPaperHeightPt = 841.89;
    std::unique_ptr<VectorCanvas> FCanvas;
    int FPage = 0;
    std::string FError;
};

TPrinter& Printer();

}  // namespace kdx
