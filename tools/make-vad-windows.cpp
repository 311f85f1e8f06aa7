// Writes the speech detector's Hamming windows, sampled at the bin centres,
// w(i) = 0.54 - 0.46 cos(2 pi (i + 0.5) / N), for its two block lengths, so that no start
// evaluates the 1536 cosines. Usage: make-vad-windows OUTPUT_HEADER.

#include "speech-detector/VadFeatures.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

namespace {

void WriteWindow(FILE* out, const char* name, uint32_t n)
{
  std::fprintf(out, "inline constexpr float %s[%u] = {\n", name, n);
  for (uint32_t i = 0; i < n; ++i)
  {
    const auto w = static_cast<float>(0.54 -
                                      0.46 * std::cos(2.0 * std::numbers::pi * (static_cast<double>(i) + 0.5) / n));
    std::fprintf(out, "%af,\n", static_cast<double>(w));
  }
  std::fprintf(out, "};\n\n");
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: make-vad-windows OUTPUT_HEADER\n");
    return 2;
  }
  FILE* out = std::fopen(argv[1], "w");
  if (!out)
  {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "#pragma once\n// Written by make-vad-windows at build time.\n\nnamespace vad_windows {\n\n");
  WriteWindow(out, "kHalf", kVadHalfLength);
  WriteWindow(out, "kFrame", kVadFrameLength);
  std::fprintf(out, "}  // namespace vad_windows\n");
  return std::fclose(out) == 0 ? 0 : 1;
}
