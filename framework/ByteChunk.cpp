#include "framework/ByteChunk.h"

#include <cstring>

int ByteChunk::Resize(int newSize)
{
  m_bytes.Resize(newSize, false);
  return Size();
}

int ByteChunk::PutBytes(const void* data, int size)
{
  const int oldSize = Size();
  if (size <= 0)
    return oldSize;
  const int64_t newSize = int64_t{oldSize} + size;
  if (newSize > INT32_MAX || !m_bytes.Resize(static_cast<int>(newSize), false) || Size() != newSize)
    return oldSize;
  std::memcpy(m_bytes.Get() + oldSize, data, static_cast<size_t>(size));
  return Size();
}

int ByteChunk::PutStr(const char* text)
{
  const int32_t length = text ? static_cast<int32_t>(strnlen(text, INT32_MAX - 8)) : 0;
  const int oldSize = Size();
  if (Put(&length) == oldSize || PutBytes(text, length) != oldSize + 4 + int64_t{length})
  {
    Resize(oldSize);
    return oldSize;
  }
  return Size();
}

int ByteChunk::GetBytes(void* data, int size, int startPos) const
{
  if (startPos < 0 || size < 0 || int64_t{startPos} + size > Size())
    return -1;
  if (size > 0)
    std::memcpy(data, m_bytes.Get() + startPos, static_cast<size_t>(size));
  return startPos + size;
}

int ByteChunk::GetStr(WDL_String& text, int startPos) const
{
  int32_t length = 0;
  const int textPos = Get(&length, startPos);
  if (textPos < 0 || length < 0 || int64_t{textPos} + length > Size())
    return -1;
  text.Set(length > 0 ? reinterpret_cast<const char*>(m_bytes.Get() + textPos) : "", length);
  return textPos + length;
}
