#pragma once
// Counts heap allocations of the calling thread: every malloc, calloc and
// realloc, so C++ new (which ends in malloc) and the C libraries (FreeType,
// Cairo, libzint) are all seen.

#include <cstdint>

namespace kdx::bench {

// Allocations made by this thread so far.
uint64_t AllocationCount();

}  // namespace kdx::bench
