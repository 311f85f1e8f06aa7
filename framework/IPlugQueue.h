#pragma once
// A lock-free ring for exactly one producer thread and one consumer thread. It never allocates
// after construction and never waits: a push onto a full queue is refused.

#include "framework/WDLHeapBuf.h"

#include <atomic>
#include <cstdint>
#include <type_traits>

template <class T>
class IPlugQueue
{
  static_assert(std::is_trivially_copyable_v<T>);

public:
  // One entry always stays empty to tell full from empty, so the ring has capacity + 1 entries.
  explicit IPlugQueue(int capacity)
  {
    const int entries = capacity > 0 ? capacity + 1 : 1;
    if (m_buf.Resize(entries) && m_buf.GetSize() == entries)
      m_entries = static_cast<uint64_t>(entries);  // else no storage: every push is refused
  }
  IPlugQueue(const IPlugQueue&) = delete;
  IPlugQueue& operator=(const IPlugQueue&) = delete;

  // Producer side. False (and the item dropped) when the queue is full.
  bool Push(const T& item)
  {
    const uint64_t write = m_write.load(std::memory_order_relaxed);
    const uint64_t next = Next(write);
    if (m_entries == 0 || next == m_read.load(std::memory_order_acquire))
      return false;
    m_buf.Get()[write] = item;
    m_write.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side. False when the queue is empty.
  bool Pop(T& item)
  {
    const uint64_t read = m_read.load(std::memory_order_relaxed);
    if (read == m_write.load(std::memory_order_acquire))
      return false;
    item = m_buf.Get()[read];
    m_read.store(Next(read), std::memory_order_release);
    return true;
  }

  int ElementsAvailable() const
  {
    const uint64_t write = m_write.load(std::memory_order_acquire);
    const uint64_t read = m_read.load(std::memory_order_acquire);
    return static_cast<int>(write >= read ? write - read : write + m_entries - read);
  }

private:
  uint64_t Next(uint64_t index) const { return m_entries > 0 ? (index + 1) % m_entries : 0; }

  WDL_TypedBuf<T> m_buf;
  uint64_t m_entries = 0;
  std::atomic<uint64_t> m_write{0};
  std::atomic<uint64_t> m_read{0};
};
