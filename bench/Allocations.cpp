#include "Allocations.h"

#include <cstddef>

// glibc's own entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(size_t Size);
void* __libc_calloc(size_t Count, size_t Size);
void* __libc_realloc(void* Ptr, size_t Size);
}

namespace {
// Plain initial-exec TLS of the executable: reading it never allocates.
thread_local uint64_t tAllocations = 0;
}  // namespace

extern "C" {

void* malloc(size_t Size) {
    ++tAllocations;
    return __libc_malloc(Size);
}

void* calloc(size_t Count, size_t Size) {
    ++tAllocations;
    return __libc_calloc(Count, Size);
}

void* realloc(void* Ptr, size_t Size) {
    ++tAllocations;
    return __libc_realloc(Ptr, Size);
}

}  // extern "C"

namespace kdx::bench {

uint64_t AllocationCount() { return tAllocations; }

}  // namespace kdx::bench
