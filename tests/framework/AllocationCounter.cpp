#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace {
std::atomic<uint64_t> gAllocations{0};
}

namespace testing_support {
uint64_t AllocationCount()
{
  return gAllocations.load();
}
}  // namespace testing_support

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers own malloc; they offer a hook instead.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
void OnMalloc(const volatile void*, size_t)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
}
void OnFree(const volatile void*) {}
const int gHooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
}  // namespace
#else
// Every allocation of the process passes through here on its way to the C library.
extern "C"
{
  void* __libc_malloc(size_t);
  void* __libc_calloc(size_t, size_t);
  void* __libc_realloc(void*, size_t);
  void __libc_free(void*);

  void* malloc(size_t size)
  {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
  }
  void* calloc(size_t count, size_t size)
  {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
  }
  void* realloc(void* block, size_t size)
  {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
  }
  void free(void* block)
  {
    __libc_free(block);
  }
}
#endif
