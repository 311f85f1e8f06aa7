#pragma once
// A growable, zero-terminated text. Every change goes through SetAt; a failed allocation leaves
// the old text. Lengths and offsets are in bytes.

#include "framework/WDLHeapBuf.h"

#include <cstdarg>

class WDL_String
{
public:
  WDL_String() = default;
  explicit WDL_String(const char* text) { Set(text); }

  // Never null: a string that was never set reads as "".
  const char* Get() const;
  int GetLength() const;

  // maxLength limits how much of text is taken; 0 or less takes all of it (up to its first zero).
  void Set(const char* text, int maxLength = 0);
  void Append(const char* text, int maxLength = 0);
  void Insert(const char* text, int position, int maxLength = 0);

  // Replaces everything from offset on by length bytes of text followed by the first keptTail bytes
  // that stood at offset. An offset past the end is taken as the end, and the kept tail is limited
  // to what stands after the offset. text may point into this string.
  void SetAt(int offset, const char* text, int length, int keptTail);

  // Formats at most maxLength characters (printf rules) as the whole text, or after it.
  void SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void VSetFormatted(int maxLength, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
  void VAppendFormatted(int maxLength, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

private:
  char* Buf() const { return static_cast<char*>(m_hb.Get()); }
  void FormatAt(int position, int maxLength, const char* format, va_list args);

  WDL_HeapBuf m_hb{128};
};
