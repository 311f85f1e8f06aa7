#pragma once
// Growable heap blocks under every container of the framework. They never throw: a failed
// allocation leaves the buffer as it was, and callers that must know compare sizes afterwards.

#include <cstdint>
#include <cstring>

class WDL_HeapBuf
{
public:
  explicit WDL_HeapBuf(int granularity = 4096) : m_granul(granularity > 0 ? granularity : 1) {}
  ~WDL_HeapBuf();

  // Copies hold their own block; a copy that cannot allocate is empty.
  WDL_HeapBuf(const WDL_HeapBuf& other);
  WDL_HeapBuf& operator=(const WDL_HeapBuf& other);
  WDL_HeapBuf(WDL_HeapBuf&& other) noexcept;
  WDL_HeapBuf& operator=(WDL_HeapBuf&& other) noexcept;

  // Sets the size in bytes and returns the block; null for a size below 1. When a new block cannot
  // be had, the old block and size are kept and the old block is returned (null only when it was
  // empty), so callers that must know compare the size. Growth reserves at least half the size
  // again (or the granularity); a shrink releases memory only when allowed and when much less than
  // the allocation stays in use. New bytes are not cleared.
  void* Resize(int newSize, bool shrinkAllowed = true);

  void* Get() const { return m_size > 0 ? m_buf : nullptr; }
  // Hands the block (null when empty) to the caller, who frees it with free(); the buffer is
  // then empty.
  void* Release();
  int GetSize() const { return m_size; }
  int GetAllocated() const { return m_alloc; }
  int GetGranularity() const { return m_granul; }

private:
  void* m_buf = nullptr;
  int m_alloc = 0;
  int m_size = 0;
  int m_granul;
};

// A typed array on a WDL_HeapBuf; T must be trivially copyable (elements are moved as bytes).
template <class T>
class WDL_TypedBuf
{
public:
  explicit WDL_TypedBuf(int granularity = 4096) : m_hb(granularity) {}

  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  T* Release() { return static_cast<T*>(m_hb.Release()); }
  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T)); }

  // Returns the elements; null for a count below 1 or one too large to address. A growth that
  // fails keeps the old elements and returns them: compare GetSize() to know.
  T* Resize(int count, bool shrinkAllowed = true)
  {
    const int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T));
    if (bytes > INT32_MAX)
      return nullptr;
    return static_cast<T*>(m_hb.Resize(static_cast<int>(bytes), shrinkAllowed));
  }

  // Appends one element; returns it, or null when the buffer could not grow.
  T* Add(const T& value)
  {
    const int n = GetSize();
    T* items = Resize(n + 1, false);
    if (!items || GetSize() != n + 1)
      return nullptr;
    std::memcpy(static_cast<void*>(items + n), &value, sizeof(T));
    return items + n;
  }

private:
  WDL_HeapBuf m_hb;
};
