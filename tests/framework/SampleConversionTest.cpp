#include "framework/SampleConversion.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using namespace iplug;

namespace {

// Samples whose conversion has a corner: signed zeros, subnormals on both sides, the ends of the
// float range, infinities, a quiet and a signalling NaN with payloads, values that round to even
// or overflow to infinity on the way down, and noise.
std::vector<double> Doubles()
{
  // clang-format off
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 1e-45, -1e-45, 1e-40, 1e-310, -1e-310,
                                double(std::numeric_limits<float>::max()), 3.5e38, -3.5e38, 1e300,
                                double(std::numeric_limits<float>::min()), 1.0 + 0x1p-24, 1.0 + 0x1p-23 + 0x1p-24,
                                INFINITY, -INFINITY, std::bit_cast<double>(uint64_t{0x7ff8000000012345}),
                                std::bit_cast<double>(uint64_t{0xfff0000000000001})};
  // clang-format on
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-2.0, 2.0);
  while (values.size() < 67)
    values.push_back(noise(random));
  return values;
}

// Every length up to one past a few vectors and every start within a vector, so that both the
// vector part and the tail are checked against a cast of each sample alone.
TEST(SampleConversion, MatchesTheCastOfEachSampleBitForBit)
{
  const std::vector<double> doubles = Doubles();
  std::vector<float> floats;
  for (double d : doubles)
    floats.push_back(static_cast<float>(d));
  for (int start = 0; start < 4; ++start)
    for (int n = 0; n + start <= int(doubles.size()); n += n < 13 ? 1 : 27)
    {
      SCOPED_TRACE(testing::Message() << "start " << start << ", " << n << " samples");
      std::vector<float> narrowed(size_t(n) + 1, 7.0f);
      DoublesToFloats(doubles.data() + start, narrowed.data(), n);
      std::vector<double> widened(size_t(n) + 1, 7.0);
      FloatsToDoubles(floats.data() + start, widened.data(), n);
      for (int i = 0; i < n; ++i)
      {
        EXPECT_EQ(std::bit_cast<uint32_t>(narrowed[size_t(i)]),
                  std::bit_cast<uint32_t>(static_cast<float>(doubles[size_t(start + i)])));
        EXPECT_EQ(std::bit_cast<uint64_t>(widened[size_t(i)]),
                  std::bit_cast<uint64_t>(static_cast<double>(floats[size_t(start + i)])));
      }
      EXPECT_EQ(narrowed[size_t(n)], 7.0f);  // nothing written past the end
      EXPECT_EQ(widened[size_t(n)], 7.0);
    }
}

}  // namespace
