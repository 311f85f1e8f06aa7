#pragma once
// A PNG picture read back as RGBA pixels, for the suites that look at what the editor drew.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace product_test {

using Colour = std::array<uint8_t, 3>;

struct Picture
{
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  Colour At(int x, int y) const
  {
    const uint8_t* p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    return {p[0], p[1], p[2]};
  }
};

// Empty when the file is missing or not a picture.
Picture Read(const std::string& path);

}  // namespace product_test
