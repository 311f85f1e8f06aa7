#include "speech-detector/VadFeatures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<float> constant(uint32_t n, float value)
{
  return std::vector<float>(n, value);
}

std::vector<float> alternating(uint32_t n, float amplitude, uint32_t run = 1)
{
  std::vector<float> x(n);
  for (uint32_t i = 0; i < n; ++i)
    x[i] = (i / run) % 2 == 0 ? amplitude : -amplitude;
  return x;
}

std::vector<float> tone(uint32_t n, float amplitude, float cyclesPerSample)
{
  std::vector<float> x(n);
  for (uint32_t i = 0; i < n; ++i)
    x[i] = amplitude * std::sin(6.2831853f * cyclesPerSample * i);
  return x;
}

TEST(VadFeatures, SilenceGivesZeroForEveryFeature)
{
  const std::vector<float> zeros(kVadFrameLength, 0.0f);
  VadSpectralFlux flux;
  VadSpectralTilt tilt;
  VadEnergyDips dips;
  VadZeroCrossingSkewness skew;
  VadZeroCrossingMedian median;
  VadVariancePeriodicity variance;
  VadEnergyPeriodicity energy;
  vadSpectralFluxInit(&flux);
  vadSpectralTiltInit(&tilt);
  vadEnergyDipsInit(&dips);
  vadZeroCrossingSkewnessInit(&skew);
  vadZeroCrossingMedianInit(&median);
  vadVariancePeriodicityInit(&variance);
  vadEnergyPeriodicityInit(&energy);
  for (int block = 0; block < 256; ++block)
  {
    vadSpectralFluxProcess(&flux, zeros.data());
    vadSpectralTiltProcess(&tilt, zeros.data());
    vadEnergyDipsProcess(&dips, zeros.data());
    vadZeroCrossingSkewnessProcess(&skew, zeros.data());
    vadZeroCrossingMedianProcess(&median, zeros.data());
    vadVariancePeriodicityProcess(&variance, zeros.data());
    vadEnergyPeriodicityProcess(&energy, zeros.data());
  }
  EXPECT_EQ(vadSpectralFluxFeature(&flux), 0.0f);
  EXPECT_EQ(vadSpectralTiltFeature(&tilt), 0.0f);
  EXPECT_EQ(vadEnergyDipsFeature(&dips), 0.0f);
  EXPECT_EQ(vadZeroCrossingSkewnessFeature(&skew), 0.0f);
  EXPECT_EQ(vadZeroCrossingMedianFeature(&median), 0.0f);
  EXPECT_EQ(vadVariancePeriodicityFeature(&variance), 0.0f);
  EXPECT_EQ(vadEnergyPeriodicityFeature(&energy), 0.0f);
}

TEST(VadFeatures, SpectralFluxComparesWithThePreviousFrame)
{
  VadSpectralFlux s;
  vadSpectralFluxInit(&s);
  const std::vector<float> frame = tone(kVadFrameLength, 8000.0f, 0.0625f);  // 1 kHz
  // Against the cleared spectrum the whole in-band energy counts: flux = 1024.
  vadSpectralFluxProcess(&s, frame.data());
  EXPECT_NEAR(s.flux[0], 1024.0f, 1.0f);
  vadSpectralFluxProcess(&s, frame.data());
  EXPECT_NEAR(s.flux[1], 0.0f, 1e-3f);
  EXPECT_NEAR(vadSpectralFluxFeature(&s), std::log(1024.0f / 32), 1e-3f);
}

TEST(VadFeatures, SpectralTiltSkipsNearSilentBlocks)
{
  VadSpectralTilt s;
  vadSpectralTiltInit(&s);
  const std::vector<float> quiet = alternating(kVadHalfLength, 9.99f);  // sum |x| below 5120
  vadSpectralTiltProcess(&s, quiet.data());
  EXPECT_EQ(s.slopes[0], 0.0f);
  EXPECT_EQ(s.peakPos, 0u);
  // A low tone falls off towards the high bins: a negative slope.
  const std::vector<float> low = tone(kVadHalfLength, 1000.0f, 0.01f);
  vadSpectralTiltProcess(&s, low.data());
  EXPECT_LT(s.slopes[1], -0.05f);
  EXPECT_EQ(s.peaks[0], 1000.0f);
}

TEST(VadFeatures, ZeroCrossingCountsAndTheirDistribution)
{
  VadZeroCrossingSkewness skew;
  VadZeroCrossingMedian median;
  vadZeroCrossingSkewnessInit(&skew);
  vadZeroCrossingMedianInit(&median);
  const std::vector<float> every = alternating(kVadQuarterLength, 1.0f);
  const std::vector<float> everySecond = alternating(kVadQuarterLength, 1.0f, 2);
  const std::vector<float> none = constant(kVadQuarterLength, 1.0f);

  // The sign state carries over: the first alternating block counts 255, the next 256, and a
  // constant positive block after a negative sample counts 1, the next 0.
  for (const std::vector<float>* block : {&every, &every, &none, &none})
    vadZeroCrossingSkewnessProcess(&skew, block->data());
  EXPECT_EQ(skew.crossings.counts[0], 255.0f);
  EXPECT_EQ(skew.crossings.counts[1], 256.0f);
  EXPECT_EQ(skew.crossings.counts[2], 1.0f);
  EXPECT_EQ(skew.crossings.counts[3], 0.0f);

  // Counts 255, 39 x 256, 50 x 128, 1, 37 x 0: the median lies in the 128s.
  for (int i = 0; i < 128; ++i)
  {
    const std::vector<float>& block = i < 40 ? every : i < 90 ? everySecond : none;
    vadZeroCrossingMedianProcess(&median, block.data());
  }
  const float mean = (255.0f + 39 * 256.0f + 50 * 128.0f + 1.0f) / 128;
  EXPECT_NEAR(vadZeroCrossingMedianFeature(&median), 128.0f / mean, 1e-5f);

  // Mostly quiet with a few busy blocks: a long tail to the right.
  vadZeroCrossingSkewnessInit(&skew);
  for (int i = 0; i < 128; ++i)
    vadZeroCrossingSkewnessProcess(&skew, (i % 16 == 0 ? everySecond : none).data());
  // counts: 8 x (127, 1, 14 x 0)
  EXPECT_NEAR(vadZeroCrossingSkewnessFeature(&skew), 3.61f, 0.02f);
}

TEST(VadFeatures, EnergyDipsCountFallsBelowAQuarterOfTheMean)
{
  VadEnergyDips s;
  vadEnergyDipsInit(&s);
  const std::vector<float> loud = constant(kVadQuarterLength, 1000.0f);
  const std::vector<float> quiet = constant(kVadQuarterLength, 10.0f);
  for (int i = 0; i < 128; ++i)
    vadEnergyDipsProcess(&s, (i % 2 == 0 ? loud : quiet).data());
  EXPECT_EQ(vadEnergyDipsFeature(&s), 64.0f);
}

TEST(VadFeatures, PeriodicityFindsARegularEnvelopeAndNotSteadyNoise)
{
  std::mt19937 rng(9);
  std::normal_distribution<float> value(0.0f, 1000.0f);
  const auto run = [&](bool bursts, float& variance, float& energy) {
    VadVariancePeriodicity v;
    VadEnergyPeriodicity e;
    vadVariancePeriodicityInit(&v);
    vadEnergyPeriodicityInit(&e);
    std::vector<float> block(kVadQuarterLength);
    for (int i = 0; i < 256; ++i)
    {  // bursts of 8 blocks every 40 (0.64 s)
      for (float& x : block)
        x = value(rng) * (!bursts || i % 40 < 8 ? 1.0f : 0.05f);
      vadVariancePeriodicityProcess(&v, block.data());
      vadEnergyPeriodicityProcess(&e, block.data());
      if (i % 32 == 31)
      {
        variance = vadVariancePeriodicityFeature(&v);
        energy = vadEnergyPeriodicityFeature(&e);
      }
    }
  };
  float variance = 0.0f, energy = 0.0f;
  run(true, variance, energy);
  EXPECT_GT(variance, 0.4f);
  EXPECT_GT(energy, 0.4f);
  run(false, variance, energy);
  EXPECT_LT(variance, 0.2f);
  EXPECT_LT(energy, 0.2f);
}

}  // namespace
