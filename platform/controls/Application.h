#pragma once
// The application object: modal message boxes through a replaceable sink.
// Tests capture the messages, the command line prints them, a GUI shows a box.

#include <functional>
#include <string>

namespace kdx {

constexpr int IDOK = 1;

class TApplication {
public:
    // Receives Text, Caption and Flags; returns the button pressed.
    using TMessageSink = std::function<int(const std::string& Text, const std::string& Caption, int Flags)>;

    // Shows a modal box with one OK button and returns the button pressed.
    int MessageBox(const std::string& Text, const std::string& Caption, int Flags);

    // Replaces the sink for the calling thread; an empty sink restores the
    // default, which writes "Caption: Text" to stderr. Returns the old one.
    TMessageSink SetMessageSink(TMessageSink Sink);
};

extern TApplication Application;

}  // namespace kdx
