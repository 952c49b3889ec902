#pragma once
// A canvas that writes a PDF or SVG document through Cairo. One canvas unit is
// one point (PDF) or one user unit (SVG), so a module is exactly ModulWidth
// units wide; rectangles keep the coordinates the encoders give them.

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"

namespace kdx {

class VectorCanvas : public TCanvas {
public:
    enum class Format { PDF, SVG };

    // Opens a document of Width x Height units at Path. Check Ok() / Error().
    // The document is written to a temporary file beside Path and moved to
    // Path only by a successful Finish; destroying the canvas without Finish
    // discards it, so a half-written document never appears under Path.
    // PointsPerUnit scales the page: a printer page at D dots per inch uses
    // 72 / D, so that its Width x Height device pixels fill the paper.
    VectorCanvas(Format Kind, const std::string& Path, int Width, int Height, double PointsPerUnit = 1.0);
    ~VectorCanvas() override;

    bool Ok() const;
    const std::string& Error() const;
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }

    // Starts a new page (PDF) of the same size.
    void NewPage();
    // Finishes and closes the document; returns false (with Error) on failure.
    bool Finish();

protected:
    void DoFillRect(const TRect& R, TColor Color) override;
    void DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                   TColor BackColor) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    int FWidth = 0;
    int FHeight = 0;
};

}  // namespace kdx
