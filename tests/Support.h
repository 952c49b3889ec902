#pragma once
// Helpers shared by the tests: message capture and reading element runs
// back from the recording surface.

#include <string>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/surfaces/RecordingCanvas.h"

namespace kdx::test {

// Captures the message boxes shown while it lives.
class Messages {
public:
    Messages() {
        Application.SetMessageSink([this](const std::string& Text, const std::string& Caption, int) {
            texts.push_back(Text);
            captions.push_back(Caption);
            return IDOK;
        });
    }
    ~Messages() { Application.SetMessageSink(nullptr); }
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

// The elements filled along a horizontal reading direction from StartX, as a
// module string: '1' per bar module, '0' per space module; unpainted gaps
// between fills count as spaces. Only fills of Height rows are elements.
inline std::string HorizontalModules(const std::vector<CanvasCall>& Calls, int StartX, int MW, TColor BarColor) {
    std::string out;
    int x = StartX;
    for (const auto& c : Calls) {
        if (c.Op != CanvasCall::Kind::FillRect) continue;
        if (c.R.Left > x) out.append((c.R.Left - x) / MW, '0');
        out.append((c.R.Right - c.R.Left) / MW, c.BrushColor == BarColor ? '1' : '0');
        x = c.R.Right;
    }
    return out;
}

}  // namespace kdx::test
