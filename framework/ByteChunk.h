#pragma once
// The byte buffer that state, preset and bank data pass through. Values are appended at the end
// in host byte order; a read takes a start position and returns the position after what it read,
// or -1 (leaving the destination unchanged) when the position is negative or the data runs out.

#include "framework/WDLHeapBuf.h"
#include "framework/WDLString.h"

#include <cstdint>
#include <type_traits>

class ByteChunk
{
public:
  uint8_t* GetData() { return m_bytes.Get(); }
  const uint8_t* GetData() const { return m_bytes.Get(); }
  int Size() const { return m_bytes.GetSize(); }
  // Hands the bytes (null when there are none) to the caller, who frees them with free(); the
  // chunk is then empty.
  uint8_t* Release() { return m_bytes.Release(); }

  // Returns the new size; on a failed allocation the size (and contents) stay as they were.
  int Resize(int newSize);
  void Clear() { m_bytes.Resize(0, false); }

  // Append; each returns the size afterwards (unchanged when the allocation failed).
  int PutBytes(const void* data, int size);
  int PutChunk(const ByteChunk& other) { return PutBytes(other.GetData(), other.Size()); }
  // A text goes in as a 32-bit length and its bytes, without terminator.
  int PutStr(const char* text);
  template <class T>
  int Put(const T* value)
  {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }

  int GetBytes(void* data, int size, int startPos) const;
  // The text stops at its first zero byte. A negative stored length, or a length field or bytes
  // that run past the end, fail: the text is untouched and the result is -1.
  int GetStr(WDL_String& text, int startPos) const;
  template <class T>
  int Get(T* value, int startPos) const
  {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
  }

private:
  WDL_TypedBuf<uint8_t> m_bytes{4096};
};
