#include "speech-detector/VadFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace {

TEST(VadFft, MatchesDirectDftForEveryPowerOfTwo)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int32_t n = 2; n <= 1024; n *= 2)
  {
    std::vector<float> re(n), im(n);
    for (int32_t i = 0; i < n; ++i)
    {
      re[i] = value(rng);
      im[i] = value(rng);
    }
    std::vector<std::complex<double>> expected(n);
    for (int32_t k = 0; k < n; ++k)
      for (int32_t j = 0; j < n; ++j)
        expected[k] += std::complex<double>(re[j], im[j]) * std::polar(1.0, -2.0 * std::numbers::pi * j * k / n);

    ASSERT_EQ(vadFft(re.data(), im.data(), n), 0);
    const double tolerance = 1e-5 * n;
    for (int32_t k = 0; k < n; ++k)
    {
      EXPECT_NEAR(re[k], expected[k].real(), tolerance) << "n " << n << " bin " << k;
      EXPECT_NEAR(im[k], expected[k].imag(), tolerance) << "n " << n << " bin " << k;
    }
  }
}

TEST(VadFft, RejectsUnsupportedLengthsAndLeavesTheDataAlone)
{
  for (int32_t n : {1000, 0, 1, 3, 2048, -4})
  {
    std::vector<float> re(2048, 0.25f), im(2048, -0.5f);
    EXPECT_EQ(vadFft(re.data(), im.data(), n), -1) << n;
    EXPECT_EQ(re, std::vector<float>(2048, 0.25f)) << n;
    EXPECT_EQ(im, std::vector<float>(2048, -0.5f)) << n;
  }
}

}  // namespace
