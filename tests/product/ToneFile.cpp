#include "ToneFile.h"

#include "reports/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace product_test {

std::string WriteTone(const std::string& path, double seconds, uint16_t channels)
{
  constexpr uint32_t kRate = 48000;
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  const auto frames = uint32_t(std::lround(seconds * kRate));
  EXPECT_EQ(audioFileAllocate(&buffer, frames, channels, 32, kRate, 0), 0);
  for (uint16_t c = 0; c < channels; ++c)
    for (uint32_t n = 0; n < frames; ++n)
      buffer.samples[size_t(c) * frames + n] = float(0.5 / (c + 1) *
                                                     std::sin(2.0 * M_PI * 1000.0 / (c + 1) * n / kRate));
  EXPECT_EQ(audioFileWriteWav(&buffer, path.c_str()), 0);
  audioFileFree(&buffer);
  return path;
}

}  // namespace product_test
