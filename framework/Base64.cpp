#include "framework/Base64.h"

#include <string>

namespace iplug {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}

}  // namespace

int Base64Decode(const char* text, uint8_t* out, int size)
{
  int written = 0;
  uint32_t bits = 0;
  int nBits = 0;
  for (const char* c = text; c && *c && written < size; ++c)
  {
    const int sextet = SextetOf(*c);
    if (sextet < 0)
      break;
    bits = (bits << 6) | static_cast<uint32_t>(sextet);
    nBits += 6;
    if (nBits >= 8)
    {
      nBits -= 8;
      out[written++] = static_cast<uint8_t>(bits >> nBits);
      bits &= (1u << nBits) - 1;
    }
  }
  return written;
}

void Base64Encode(const uint8_t* data, int size, WDL_String& out)
{
  std::string text;
  text.reserve(static_cast<size_t>(size + 2) / 3 * 4);
  for (int i = 0; i < size; i += 3)
  {
    const int n = size - i < 3 ? size - i : 3;
    uint32_t group = static_cast<uint32_t>(data[i]) << 16;
    if (n > 1)
      group |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (n > 2)
      group |= data[i + 2];
    for (int k = 0; k < 4; ++k)
      text += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
  }
  out.Set(text.c_str());
}

}  // namespace iplug
