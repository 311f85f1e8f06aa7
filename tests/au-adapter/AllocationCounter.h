#pragma once
// Counts the heap allocations this thread makes while counting is on.

namespace autest {

extern thread_local bool gCountAllocations;
extern thread_local long gAllocations;

} // namespace autest
