#pragma once
// Memory that reads as zeros before anything is written to it: fresh pages from the system, which
// are zero already and cost nothing until written, so that a structure sized for the longest
// measurement touches only as much of itself as a measurement fills. They are asked of the
// system itself, not of calloc: once the C library has given back a large block it serves the
// next of that size from its own heap and clears it whole, which made every rebuild of the engine
// write its structures over.
#include <cstddef>
#include <memory>
#include <type_traits>

struct ReleasePages
{
  size_t bytes = 0;
  void operator()(void* pages) const;
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], ReleasePages>;

// Null when the system has no pages to give.
void* NewZeroedPages(size_t bytes);

// T must be a type whose all-zero bytes are a valid value.
template <typename T>
ZeroedArray<T> NewZeroedArray(size_t count)
{
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  const size_t bytes = count * sizeof(T);
  return ZeroedArray<T>(static_cast<T*>(NewZeroedPages(bytes)), ReleasePages{bytes});
}
