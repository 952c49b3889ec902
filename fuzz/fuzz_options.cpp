// libFuzzer target: the kdx command line's option parsing. A bad command
// line must end in a UsageError; anything else escaping is a finding.

#include "fuzz/FuzzCases.h"
#include "tools/kdx/Options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace kdx::cli;
    try {
        const Invocation inv = ParseCommandLine(kdx::fuzz::DecodeArguments(Data, Size));
        if (inv.Cmd == Command::Help) (void)HelpText(inv.HelpFor);
    } catch (const UsageError&) {
    }
    return 0;
}
