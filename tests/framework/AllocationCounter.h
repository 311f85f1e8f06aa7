#pragma once
// Counts heap allocations made by this process (malloc, realloc, calloc and operator new), so a
// test can check that a stretch of audio-thread code allocates nothing.

#include <cstdint>

namespace testing_support {
uint64_t AllocationCount();
}
