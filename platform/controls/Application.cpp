#include "platform/controls/Application.h"

#include <cstdio>

namespace kdx {

TApplication Application;

namespace {
// Per thread, so that workers rendering in parallel report to their own sink.
thread_local TApplication::TMessageSink tSink;
}  // namespace

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    if (tSink) return tSink(Text, Caption, Flags);
    std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
    return IDOK;
}

TApplication::TMessageSink TApplication::SetMessageSink(TMessageSink Sink) {
    TMessageSink old = std::move(tSink);
    tSink = std::move(Sink);
    return old;
}

}  // namespace kdx
