#include "meter-engine/ZeroedPages.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The bytes from the end of an array to the end of its last page. AddressSanitizer watches heap
// blocks, not pages asked of the system, so in its builds this tail is marked as out of bounds
// and an overrun is still caught; elsewhere the marks do nothing.
size_t PageTail(size_t bytes)
{
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (page - bytes % page) % page;
}

}  // namespace

void ReleasePages::operator()(void* pages) const
{
  ASAN_UNPOISON_MEMORY_REGION(pages, bytes + PageTail(bytes));
  munmap(pages, bytes);
}

void* NewZeroedPages(size_t bytes)
{
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED)
    return nullptr;
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(pages) + bytes, PageTail(bytes));
  return pages;
}
