#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace autest {

thread_local bool gCountAllocations = false;
thread_local long gAllocations = 0;

} // namespace autest

void* operator new(std::size_t size)
{
  if (autest::gCountAllocations)
    ++autest::gAllocations;
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
