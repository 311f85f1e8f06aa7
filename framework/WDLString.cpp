#include "framework/WDLString.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace {

int TextLength(const char* text, int maxLength)
{
  if (!text)
    return 0;
  const size_t length = maxLength > 0 ? strnlen(text, static_cast<size_t>(maxLength)) : strlen(text);
  return static_cast<int>(std::min<size_t>(length, INT32_MAX - 1));
}

}  // namespace

const char* WDL_String::Get() const
{
  const char* buf = Buf();
  return buf ? buf : "";
}

int WDL_String::GetLength() const
{
  return std::max(m_hb.GetSize() - 1, 0);
}

void WDL_String::Set(const char* text, int maxLength)
{
  SetAt(0, text, TextLength(text, maxLength), 0);
}

void WDL_String::Append(const char* text, int maxLength)
{
  SetAt(GetLength(), text, TextLength(text, maxLength), 0);
}

void WDL_String::Insert(const char* text, int position, int maxLength)
{
  const int offset = std::min(position, GetLength());
  SetAt(offset, text, TextLength(text, maxLength), GetLength() - offset);
}

void WDL_String::SetAt(int offset, const char* text, int length, int keptTail)
{
  if (offset == 0 && length == 0 && keptTail == 0)
  {
    if (char* buf = static_cast<char*>(m_hb.Resize(1, false)))
      buf[0] = 0;
    return;
  }
  const int oldLength = GetLength();
  if (offset < 0 || length <= 0)
    return;
  // Bytes past the end were never written: keep the text contiguous instead.
  offset = std::min(offset, oldLength);
  keptTail = std::clamp(keptTail, 0, oldLength - offset);

  const char* oldBuf = Buf();
  const auto address = reinterpret_cast<uintptr_t>(text), block = reinterpret_cast<uintptr_t>(oldBuf);
  const bool aliased = text && oldBuf && address >= block &&
                       address < block + static_cast<uintptr_t>(m_hb.GetAllocated());
  if (aliased && keptTail > 0)
  {
    // The kept tail moves before the text is copied, which could overwrite the source. Append
    // the source at the end (its bytes stay put), then rotate it into place.
    SetAt(oldLength, text, length, 0);
    if (GetLength() != oldLength + length)
      return;
    char* buf = Buf();
    std::rotate(buf + offset, buf + oldLength, buf + oldLength + length);
    buf[offset + length + keptTail] = 0;
    m_hb.Resize(offset + length + keptTail + 1, false);
    return;
  }

  const int64_t newSize = int64_t{offset} + length + keptTail + 1;
  if (newSize > INT32_MAX)
    return;
  const int oldSize = m_hb.GetSize();
  if (newSize > oldSize)
  {
    const ptrdiff_t sourceOffset = aliased ? text - oldBuf : 0;
    if (!m_hb.Resize(static_cast<int>(newSize), false) || m_hb.GetSize() != newSize)
      return;
    if (aliased)
      text = Buf() + sourceOffset;
  }
  char* buf = Buf();
  std::memmove(buf + offset + length, buf + offset, static_cast<size_t>(keptTail));
  if (text)
    std::memmove(buf + offset, text, static_cast<size_t>(length));
  buf[newSize - 1] = 0;
  if (newSize < oldSize)
    m_hb.Resize(static_cast<int>(newSize), false);
}

void WDL_String::FormatAt(int position, int maxLength, const char* format, va_list args)
{
  if (maxLength < 0)
    return;
  const int64_t size = int64_t{position} + maxLength + 1;
  if (size > INT32_MAX || !m_hb.Resize(static_cast<int>(size), false) || m_hb.GetSize() != size)
    return;
  char* buf = Buf();
  const int written = vsnprintf(buf + position, static_cast<size_t>(maxLength) + 1, format, args);
  if (written < 0)
  {
    buf[position] = 0;
    m_hb.Resize(position + 1, false);
    return;
  }
  m_hb.Resize(position + std::min(written, maxLength) + 1, false);
}

void WDL_String::VSetFormatted(int maxLength, const char* format, va_list args)
{
  FormatAt(0, maxLength, format, args);
}

void WDL_String::VAppendFormatted(int maxLength, const char* format, va_list args)
{
  FormatAt(GetLength(), maxLength, format, args);
}

void WDL_String::SetFormatted(int maxLength, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  VSetFormatted(maxLength, format, args);
  va_end(args);
}

void WDL_String::AppendFormatted(int maxLength, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  VAppendFormatted(maxLength, format, args);
  va_end(args);
}
