#pragma once
// UTF-8 checks and conversions shared by the platform stand-in and the plug-in (both compile them
// in; they are no part of any platform interface). Text that crosses into property lists, the
// state or the host must be valid UTF-8: anything else does not read back as it was written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace utf8 {

// Length in bytes of the well-formed character at text[at], its code point in codePoint; 0 when
// the bytes there are not one (a bad lead or continuation byte, an overlong form, a surrogate,
// a value above U+10FFFF, or a sequence cut off by the end of the text).
inline size_t DecodeAt(std::string_view text, size_t at, uint32_t& codePoint)
{
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t extra;
  if (lead < 0x80)
  {
    codePoint = lead;
    return 1;
  }
  else if ((lead & 0xE0) == 0xC0)
  {
    extra = 1;
    codePoint = lead & 0x1F;
  }
  else if ((lead & 0xF0) == 0xE0)
  {
    extra = 2;
    codePoint = lead & 0x0F;
  }
  else if ((lead & 0xF8) == 0xF0)
  {
    extra = 3;
    codePoint = lead & 0x07;
  }
  else
    return 0;
  if (extra >= text.size() - at)
    return 0;
  for (size_t k = 1; k <= extra; ++k)
  {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80)
      return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return 0;
  return extra + 1;
}

// Appends the UTF-8 bytes of a code point.
inline void Append(std::string& out, uint32_t codePoint)
{
  const uint32_t c = codePoint;
  if (c < 0x80)
  {
    out += static_cast<char>(c);
  }
  else if (c < 0x800)
  {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else if (c < 0x10000)
  {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else
  {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

inline bool IsValid(std::string_view text)
{
  uint32_t codePoint = 0;
  for (size_t at = 0, length = 0; at < text.size(); at += length)
    if ((length = DecodeAt(text, at, codePoint)) == 0)
      return false;
  return true;
}

// Text from an 8-bit file as UTF-8: kept as it is when it already is valid UTF-8 (as our own
// files write it), otherwise read as Latin-1, one character per byte.
inline std::string FromEightBit(std::string_view text)
{
  if (IsValid(text))
    return std::string(text);
  std::string converted;
  converted.reserve(text.size() * 2);
  for (const char c : text)
    Append(converted, static_cast<unsigned char>(c));
  return converted;
}

// How many of the first maxBytes bytes of a zero-terminated text to keep so that a cut never
// splits a character: a character that does not fit whole is left out.
inline size_t CutLength(const char* text, size_t maxBytes)
{
  size_t n = 0;
  while (n < maxBytes && text[n])
    ++n;
  if (n == maxBytes)
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
      --n;
  return n;
}

// UTF-16 of a UTF-8 text; a byte that starts no well-formed character stands for itself, as in
// Latin-1.
inline std::u16string ToUtf16(std::string_view text)
{
  std::u16string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();)
  {
    uint32_t codePoint = 0;
    size_t length = DecodeAt(text, at, codePoint);
    if (length == 0)
    {
      codePoint = static_cast<unsigned char>(text[at]);
      length = 1;
    }
    if (codePoint >= 0x10000)
    {
      out += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
    else
    {
      out += static_cast<char16_t>(codePoint);
    }
    at += length;
  }
  return out;
}

// UTF-8 of a UTF-16 text; a surrogate without its partner becomes U+FFFD.
inline std::string FromUtf16(std::u16string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at)
  {
    uint32_t c = text[at];
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++at] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;
    Append(out, c);
  }
  return out;
}

// Removes the last character (a stray byte counts as one).
inline void PopBack(std::string& text)
{
  size_t at = text.size();
  while (at > 0 && text.size() - at < 3 && (static_cast<unsigned char>(text[at - 1]) & 0xC0) == 0x80)
    --at;
  text.erase(at > 0 ? at - 1 : 0);
}

}  // namespace utf8
