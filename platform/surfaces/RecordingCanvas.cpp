#include "platform/surfaces/RecordingCanvas.h"

namespace kdx {

std::vector<CanvasCall> RecordingCanvas::Of(CanvasCall::Kind Op) const {
    std::vector<CanvasCall> out;
    for (const auto& c : Calls)
        if (c.Op == Op) out.push_back(c);
    return out;
}

CanvasCall RecordingCanvas::Snapshot(CanvasCall::Kind Op) {
    CanvasCall c{};
    c.Op = Op;
    c.BrushColor = Brush.Color();
    c.PenColor = Pen.Color();
    c.PenWidth = Pen.Width();
    c.Font = *Font.Handle();
    c.FontColor = Font.Color();
    c.TextAlign = TextAlign();
    c.BkMode = BkMode();
    return c;
}

void RecordingCanvas::DidFillRect(const TRect& R) {
    CanvasCall c = Snapshot(CanvasCall::Kind::FillRect);
    c.R = R;
    Calls.push_back(std::move(c));
}

void RecordingCanvas::DoFillRect(const TRect&, TColor) {}

void RecordingCanvas::DoRectangle(int X1, int Y1, int X2, int Y2) {
    CanvasCall c = Snapshot(CanvasCall::Kind::Rectangle);
    c.R = Rect(X1, Y1, X2, Y2);
    Calls.push_back(std::move(c));
}

void RecordingCanvas::DoTextOut(int X, int Y, const std::string& Text, const LOGFONT&, TColor, bool, TColor) {
    CanvasCall c = Snapshot(CanvasCall::Kind::TextOut);
    c.X = X;
    c.Y = Y;
    c.Text = Text;
    Calls.push_back(std::move(c));
}

void RecordingCanvas::DidSetTextAlign(unsigned Flags) {
    CanvasCall c = Snapshot(CanvasCall::Kind::SetTextAlign);
    c.Value = Flags;
    Calls.push_back(std::move(c));
}

void RecordingCanvas::DidSetBkMode(int Mode) {
    CanvasCall c = Snapshot(CanvasCall::Kind::SetBkMode);
    c.Value = static_cast<unsigned>(Mode);
    Calls.push_back(std::move(c));
}

}  // namespace kdx
