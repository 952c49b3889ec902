#pragma once
// A canvas that draws nothing and keeps every call, with the canvas state at
// the time of the call, for tests of geometry and call order.

#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace kdx {

struct CanvasCall {
    enum class Kind { FillRect, Rectangle, TextOut, SetTextAlign, SetBkMode };
    Kind Op;
    TRect R;           // FillRect: as passed (not normalised); Rectangle: X1, Y1, X2, Y2
    int X = 0, Y = 0;  // TextOut reference point
    std::string Text;  // TextOut text
    unsigned Value = 0;  // SetTextAlign flags, SetBkMode mode
    TColor BrushColor = 0;
    TColor PenColor = 0;
    int PenWidth = 0;
    LOGFONT Font;      // the canvas font object in use (escapement included)
    TColor FontColor = 0;
    unsigned TextAlign = 0;
    int BkMode = 0;
};

class RecordingCanvas : public TCanvas {
public:
    std::vector<CanvasCall> Calls;

    // Convenience filters for tests.
    std::vector<CanvasCall> Of(CanvasCall::Kind Op) const;
    void Clear() { Calls.clear(); }

protected:
    void DoFillRect(const TRect& R, TColor Color) override;
    void DoRectangle(int X1, int Y1, int X2, int Y2) override;
    void DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor, bool Opaque,
                   TColor BackColor) override;
    void DidFillRect(const TRect& R) override;
    void DidSetTextAlign(unsigned Flags) override;
    void DidSetBkMode(int Mode) override;

private:
    CanvasCall Snapshot(CanvasCall::Kind Op);
};

}  // namespace kdx
