#include "framework/WDLHeapBuf.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr int64_t kPage = 4096;
constexpr int64_t kPageTail = 96;  // large blocks end short of whole pages for the allocator's header
constexpr int64_t kMaxPageGrowth = 4194304;

int64_t AllocationFor(int64_t n, int64_t granul)
{
  if (n < 1)
    return 0;
  int64_t g = std::max(n / 2, granul);
  if (granul < kPage)
    return n + g;
  g = std::clamp(g - g % kPage, kPage, kMaxPageGrowth);
  return ((n + g + kPageTail) / kPage) * kPage - kPageTail;
}

}  // namespace

WDL_HeapBuf::~WDL_HeapBuf()
{
  std::free(m_buf);
}

WDL_HeapBuf::WDL_HeapBuf(const WDL_HeapBuf& other) : m_granul(other.m_granul)
{
  if (Resize(other.m_size, false) && m_size == other.m_size)
    std::memcpy(m_buf, other.m_buf, static_cast<size_t>(m_size));
}

WDL_HeapBuf& WDL_HeapBuf::operator=(const WDL_HeapBuf& other)
{
  if (this != &other)
  {
    WDL_HeapBuf copy(other);
    if (copy.m_size == other.m_size)
      *this = std::move(copy);
  }
  return *this;
}

WDL_HeapBuf::WDL_HeapBuf(WDL_HeapBuf&& other) noexcept
: m_buf(std::exchange(other.m_buf, nullptr)),
  m_alloc(std::exchange(other.m_alloc, 0)),
  m_size(std::exchange(other.m_size, 0)),
  m_granul(other.m_granul)
{
}

WDL_HeapBuf& WDL_HeapBuf::operator=(WDL_HeapBuf&& other) noexcept
{
  if (this != &other)
  {
    std::free(m_buf);
    m_buf = std::exchange(other.m_buf, nullptr);
    m_alloc = std::exchange(other.m_alloc, 0);
    m_size = std::exchange(other.m_size, 0);
    m_granul = other.m_granul;
  }
  return *this;
}

void* WDL_HeapBuf::Release()
{
  void* block = Get();
  if (!block)
    std::free(m_buf);
  m_buf = nullptr;
  m_alloc = m_size = 0;
  return block;
}

void* WDL_HeapBuf::Resize(int newSize, bool shrinkAllowed)
{
  const int n = std::max(newSize, 0);
  if (n == m_size)
    return n > 0 ? m_buf : nullptr;

  int64_t threshold = 0;
  if (n < m_size && shrinkAllowed)
    threshold = std::max<int64_t>(1, std::min<int64_t>(m_alloc - 4 * int64_t{m_granul}, m_alloc / 2));

  if (n < threshold || n > m_alloc)
  {
    const int64_t alloc = AllocationFor(n, m_granul);
    if (alloc != m_alloc)
    {
      if (alloc < 1)
      {
        std::free(m_buf);
        m_buf = nullptr;
        m_alloc = m_size = 0;
        return nullptr;
      }
      void* block = alloc <= INT32_MAX ? std::realloc(m_buf, static_cast<size_t>(alloc)) : nullptr;
      if (!block && alloc <= INT32_MAX)
      {
        block = std::malloc(static_cast<size_t>(alloc));
        if (block && m_buf)
        {
          std::memcpy(block, m_buf, static_cast<size_t>(std::min(n, m_size)));
          std::free(m_buf);
        }
      }
      if (!block)
        return Get();
      m_buf = block;
      m_alloc = static_cast<int>(alloc);
    }
  }
  m_size = n;
  return n > 0 ? m_buf : nullptr;
}
