#include "speech-detector/SpeechDetector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <iterator>
#include <new>

namespace {

constexpr uint32_t kDetectorRate = 16000;
constexpr int32_t kFramesPerDecision = 8;
constexpr int32_t kFirstFrameCounter = -24;

// Everything that depends on the rate and block length, worked out once for size and layout.
struct ArenaPlan
{
  uint64_t resamplerSize = 0;
  uint32_t need = 0;
  uint32_t fifoCapacity = 0;
  uint64_t total = 0;
};

bool planArena(uint32_t sampleRate, uint32_t blockLen, ArenaPlan& plan)
{
  if (blockLen == 0)
    return false;
  plan.resamplerSize = vadResamplerGetSize(sampleRate, kDetectorRate, kVadFrameLength, &plan.need);
  if (plan.resamplerSize == 0)
    return false;
  const uint64_t capacity = 2ull * std::max(plan.need, blockLen);
  if (capacity > std::numeric_limits<uint32_t>::max())
    return false;
  plan.fifoCapacity = static_cast<uint32_t>(capacity);
  plan.total = sizeof(VadState) + 4ull * kVadFrameLength + vadSpectralTiltGetSize() + vadClassifierGetSize() +
               vadEnergyPeriodicityGetSize() + vadEnergyDipsGetSize() + vadVariancePeriodicityGetSize() +
               vadSpectralFluxGetSize() + vadZeroCrossingMedianGetSize() + vadZeroCrossingSkewnessGetSize() +
               plan.resamplerSize + vadFifoGetSize(plan.fifoCapacity) +
               4ull * (static_cast<uint64_t>(blockLen) + plan.need);
  return true;
}

// Hands out consecutive pieces of the arena. The records that hold pointers (header, resampler,
// FIFO) come first and have sizes that are multiples of 8, so every record is naturally aligned.
class ArenaCursor
{
public:
  explicit ArenaCursor(void* arena) : m_next(static_cast<unsigned char*>(arena)) {}

  template <typename T>
  T* take(uint64_t bytes)
  {
    T* record = new (m_next) T;
    m_next += bytes;
    return record;
  }

  float* takeFloats(uint32_t count)
  {
    float* floats = reinterpret_cast<float*>(m_next);
    m_next += 4ull * count;
    return floats;
  }

private:
  unsigned char* m_next;
};

void feedModules(VadState& s)
{
  const float* frame = s.frame;
  for (uint32_t h = 0; h < kVadFrameLength; h += kVadHalfLength)
    vadSpectralTiltProcess(s.spectralTilt, frame + h);
  for (uint32_t q = 0; q < kVadFrameLength; q += kVadQuarterLength)
  {
    vadEnergyPeriodicityProcess(s.energyPeriodicity, frame + q);
    vadEnergyDipsProcess(s.energyDips, frame + q);
    vadVariancePeriodicityProcess(s.variancePeriodicity, frame + q);
  }
  vadSpectralFluxProcess(s.spectralFlux, frame);
  for (uint32_t q = 0; q < kVadFrameLength; q += kVadQuarterLength)
  {
    vadZeroCrossingMedianProcess(s.zeroCrossingMedian, frame + q);
    vadZeroCrossingSkewnessProcess(s.zeroCrossingSkewness, frame + q);
  }
}

void classify(VadState& s)
{
  float* f = s.features;
  f[0] = vadSpectralFluxFeature(s.spectralFlux);
  f[1] = vadSpectralTiltFeature(s.spectralTilt);
  f[2] = vadEnergyDipsFeature(s.energyDips);
  f[3] = vadZeroCrossingSkewnessFeature(s.zeroCrossingSkewness);
  f[4] = vadZeroCrossingMedianFeature(s.zeroCrossingMedian);
  f[5] = vadVariancePeriodicityFeature(s.variancePeriodicity);
  f[6] = vadEnergyPeriodicityFeature(s.energyPeriodicity);
  s.decision = static_cast<int32_t>(vadClassify(s.classifier, f));
}

// Turns every complete resampler input in the FIFO into one 16 kHz frame.
void runFrames(VadState& s)
{
  for (uint32_t k = vadResamplerInputNeeded(s.resampler); vadFifoCount(s.fifo) >= k;
       k = vadResamplerInputNeeded(s.resampler))
  {
    vadFifoRead(s.fifo, s.resamplerInput, k);
    // Input below one 16-bit step is treated as digital silence.
    float peak = 0.0f;
    for (uint32_t i = 0; i < k; ++i)
      peak = std::max(peak, std::fabs(s.resamplerInput[i]));
    if (peak < 1.0f)
      std::fill_n(s.resamplerInput, k, 0.0f);
    vadResamplerProcess(s.resampler, k, s.resamplerInput, s.frame);
    feedModules(s);
    if (++s.frameCounter == kFramesPerDecision)
    {
      classify(s);
      s.frameCounter = 0;
    }
  }
}

}  // namespace

uint64_t vadGetSize(uint32_t sampleRate, uint32_t blockLen)
{
  ArenaPlan plan;
  return planArena(sampleRate, blockLen, plan) ? plan.total : 0;
}

int32_t vadInit(void* state, uint64_t size, uint32_t sampleRate, uint32_t blockLen)
{
  ArenaPlan plan;
  if (!state || reinterpret_cast<uintptr_t>(state) % alignof(VadState) != 0 || !planArena(sampleRate, blockLen, plan) ||
      size < plan.total)
    return -1;

  ArenaCursor arena(state);
  VadState& s = *arena.take<VadState>(sizeof(VadState));
  s.resampler = arena.take<VadResampler>(plan.resamplerSize);
  s.fifo = arena.take<VadFifo>(vadFifoGetSize(plan.fifoCapacity));
  s.spectralTilt = arena.take<VadSpectralTilt>(vadSpectralTiltGetSize());
  s.classifier = arena.take<VadClassifier>(vadClassifierGetSize());
  s.energyPeriodicity = arena.take<VadEnergyPeriodicity>(vadEnergyPeriodicityGetSize());
  s.energyDips = arena.take<VadEnergyDips>(vadEnergyDipsGetSize());
  s.variancePeriodicity = arena.take<VadVariancePeriodicity>(vadVariancePeriodicityGetSize());
  s.spectralFlux = arena.take<VadSpectralFlux>(vadSpectralFluxGetSize());
  s.zeroCrossingMedian = arena.take<VadZeroCrossingMedian>(vadZeroCrossingMedianGetSize());
  s.zeroCrossingSkewness = arena.take<VadZeroCrossingSkewness>(vadZeroCrossingSkewnessGetSize());
  s.scaledInput = arena.takeFloats(blockLen);
  s.resamplerInput = arena.takeFloats(plan.need);
  s.frame = arena.takeFloats(kVadFrameLength);

  vadSpectralTiltInit(s.spectralTilt);
  vadEnergyPeriodicityInit(s.energyPeriodicity);
  vadEnergyDipsInit(s.energyDips);
  vadVariancePeriodicityInit(s.variancePeriodicity);
  vadSpectralFluxInit(s.spectralFlux);
  vadZeroCrossingMedianInit(s.zeroCrossingMedian);
  vadZeroCrossingSkewnessInit(s.zeroCrossingSkewness);
  vadClassifierInit(s.classifier);
  vadResamplerInit(s.resampler, plan.resamplerSize, kVadFrameLength, sampleRate, kDetectorRate);
  vadFifoInit(s.fifo, vadFifoGetSize(plan.fifoCapacity), plan.fifoCapacity);
  std::fill(std::begin(s.features), std::end(s.features), 0.0f);
  s.frameCounter = kFirstFrameCounter;
  s.decision = -1;
  s.blockLen = blockLen;
  return 0;
}

int32_t vadProcess(void* state, const float* samples, uint32_t n)
{
  VadState& s = *static_cast<VadState*>(state);
  // Taken in pieces of at most blockLen, so the FIFO never holds more than need + blockLen.
  while (samples && n > 0)
  {
    const uint32_t piece = std::min(n, s.blockLen);
    for (uint32_t i = 0; i < piece; ++i)
      s.scaledInput[i] = samples[i] * 32768.0f;
    vadFifoWrite(s.fifo, s.scaledInput, piece);
    runFrames(s);
    samples += piece;
    n -= piece;
  }
  return s.decision;
}
