#pragma once
// The subcommands of the kdx program. Each returns the exit status: 0 done,
// 1 data refused, a database error or a file not written. A size the
// surfaces cannot hold, and an output pattern that would make several records
// write one file, are a UsageError (status 2).

#include <iosfwd>

#include "tools/kdx/Options.h"

namespace kdx::cli {

int RunRender(const RenderOptions& Options, std::ostream& Out, std::ostream& Err);
// Prints on the global Printer(), which it configures.
int RunPrint(const RenderOptions& Options, std::ostream& Out, std::ostream& Err);
int RunSymbologies(std::ostream& Out);
int RunSheet(const SheetOptions& Options, std::ostream& Out, std::ostream& Err);

}  // namespace kdx::cli
