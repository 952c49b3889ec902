#pragma once
// Helpers shared by the tests: message capture, reading element runs back
// from the recording surface, and a fixture that draws one symbology.

#include <string>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"

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

// The filled elements as a module string along the reading direction from
// Start (x when horizontal, the starting row when vertical): '1' per bar
// module, '0' per space module; unpainted stretches count as spaces.
inline std::string Modules(const std::vector<CanvasCall>& Fills, TDirection Dir, int Start, int MW, TColor Bar) {
    std::string out;
    int pos = 0;
    for (const auto& c : Fills) {
        const int from = Dir == TDirection::Horizontal ? c.R.Left - Start : Start - c.R.Top;
        const int to = Dir == TDirection::Horizontal ? c.R.Right - Start : Start - c.R.Bottom;
        out.append((from - pos) / MW, '0');
        out.append((to - from) / MW, c.BrushColor == Bar ? '1' : '0');
        pos = to;
    }
    return out;
}

// ControlChars can be cleared only under Code 39 or ITF; it stays cleared
// when the symbology changes.
inline void ClearControlChars(TCode& Code) {
    const TBarCodeType s = Code.Symbology();
    Code.SetCode(TBarCodeType::Code_39);
    Code.SetCtrlChar(false);
    Code.SetCode(s);
}

// A control drawing one symbology on the recording surface, with its
// message boxes captured.
struct EncoderFixture {
    TKordix k;
    RecordingCanvas canvas;
    Messages messages;
    EncoderFixture(TBarCodeType Symbology, const std::string& Data) {
        k.Code().SetCode(Symbology);
        k.Code().SetCaption(Data);
    }
    void Draw(int x = 0, int y = 0) { k.DrawBarCode(canvas, x, y, 1.0); }
    std::vector<CanvasCall> Fills() const { return canvas.Of(CanvasCall::Kind::FillRect); }
    std::string Texts() const {
        std::string all;
        for (const auto& t : canvas.Of(CanvasCall::Kind::TextOut)) all += t.Text;
        return all;
    }
};

// Draws F. With a Message, expects exactly that refusal, nothing painted and
// the drawing state untouched; without one, expects no message. Returns
// whether the symbol was drawn.
inline bool DrawsOrRefuses(EncoderFixture& F, const char* Message) {
    CodeWidth = 1234;
    F.Draw();
    if (!*Message) {
        EXPECT_TRUE(F.messages.texts.empty());
        return true;
    }
    EXPECT_EQ(F.messages.texts.size(), 1u);
    if (F.messages.texts.size() != 1) return false;
    EXPECT_EQ(F.messages.texts[0], Message);
    EXPECT_EQ(F.messages.captions[0], "Message Box");
    EXPECT_TRUE(F.canvas.Calls.empty()) << "nothing painted";
    EXPECT_EQ(CodeWidth, 1234) << "drawing state untouched";
    return false;
}

}  // namespace kdx::test
