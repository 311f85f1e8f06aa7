#pragma once
// Four-character codes (component types, manufacturer ids, font table tags): the four bytes of
// the text, the first one highest. Shared by the platform stand-in and the plug-in.
#include <cstdint>

namespace fourcc {

constexpr uint32_t Code(const char (&text)[5])
{
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
         uint32_t(uint8_t(text[3]));
}

}  // namespace fourcc
