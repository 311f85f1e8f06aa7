#pragma once
#include <cstdint>

// The seven feature modules of the speech detector. Each keeps rings of short-term measurements
// of the 16 kHz signal (in 16-bit units) and condenses them into one number for the classifier.
// Every module offers a size, an init (clear), a process (one block of its fixed length) and a
// feature operation. Rings are indexed by a position that advances by one per entry and wraps
// with a mask, so the entry at the position is the oldest.

constexpr uint32_t kVadQuarterLength = 256;  // energy, variance and zero-crossing blocks
constexpr uint32_t kVadHalfLength = 512;     // spectral-tilt blocks
constexpr uint32_t kVadFrameLength = 1024;   // spectral-flux blocks: one whole frame

// A ring of one value per 256-sample block: 2.048 s at 16 kHz.
struct VadBlockRing
{
  float values[128];
  uint32_t pos;
};

// A ring of zero-crossing counts per 256-sample block, with the sign state that carries over
// from block to block.
struct VadCrossingRing
{
  float counts[128];
  uint32_t pos;
  uint32_t sign;
};

struct VadSpectralFlux
{
  float flux[32];
  uint32_t pos;
  float previous[512];
  float re[1024];
  float im[1024];
};

struct VadSpectralTilt
{
  float slopes[64];
  uint32_t pos;
  float peaks[16];
  uint32_t peakPos;
  float re[512];
  float im[512];
};

struct VadEnergyDips
{
  VadBlockRing energies;
};

struct VadZeroCrossingSkewness
{
  VadCrossingRing crossings;
};

struct VadZeroCrossingMedian
{
  VadCrossingRing crossings;
  float scratch[128];
};

struct VadVariancePeriodicity
{
  VadBlockRing variances;
  float previous[128];        // autocorrelation of the last feature
  float beforePrevious[128];  // autocorrelation of the feature before that
  float re[256];
  float im[256];
};

struct VadEnergyPeriodicity
{
  VadBlockRing energies;
  float history[128];  // the 128 block energies just before the ring
  float re[512];
  float im[512];
};

static_assert(sizeof(VadSpectralFlux) == 10372);
static_assert(sizeof(VadSpectralTilt) == 4424);
static_assert(sizeof(VadEnergyDips) == 516);
static_assert(sizeof(VadZeroCrossingSkewness) == 520);
static_assert(sizeof(VadZeroCrossingMedian) == 1032);
static_assert(sizeof(VadVariancePeriodicity) == 3588);
static_assert(sizeof(VadEnergyPeriodicity) == 5124);

// f[0]: log of the mean normalised change of the magnitude spectrum from frame to frame.
uint64_t vadSpectralFluxGetSize();
void vadSpectralFluxInit(VadSpectralFlux* state);
void vadSpectralFluxProcess(VadSpectralFlux* state, const float* frame);
float vadSpectralFluxFeature(const VadSpectralFlux* state);

// f[1]: log of the magnitude of the third central moment of the spectral slopes.
uint64_t vadSpectralTiltGetSize();
void vadSpectralTiltInit(VadSpectralTilt* state);
void vadSpectralTiltProcess(VadSpectralTilt* state, const float* half);
float vadSpectralTiltFeature(const VadSpectralTilt* state);

// f[2]: how often the block energy falls below a quarter of its mean.
uint64_t vadEnergyDipsGetSize();
void vadEnergyDipsInit(VadEnergyDips* state);
void vadEnergyDipsProcess(VadEnergyDips* state, const float* quarter);
float vadEnergyDipsFeature(const VadEnergyDips* state);

// f[3]: skewness of the zero-crossing counts.
uint64_t vadZeroCrossingSkewnessGetSize();
void vadZeroCrossingSkewnessInit(VadZeroCrossingSkewness* state);
void vadZeroCrossingSkewnessProcess(VadZeroCrossingSkewness* state, const float* quarter);
float vadZeroCrossingSkewnessFeature(const VadZeroCrossingSkewness* state);

// f[4]: median over mean of the zero-crossing counts.
uint64_t vadZeroCrossingMedianGetSize();
void vadZeroCrossingMedianInit(VadZeroCrossingMedian* state);
void vadZeroCrossingMedianProcess(VadZeroCrossingMedian* state, const float* quarter);
float vadZeroCrossingMedianFeature(VadZeroCrossingMedian* state);

// f[5]: autocorrelation peak of the block variances, smoothed over the last three features.
uint64_t vadVariancePeriodicityGetSize();
void vadVariancePeriodicityInit(VadVariancePeriodicity* state);
void vadVariancePeriodicityProcess(VadVariancePeriodicity* state, const float* quarter);
float vadVariancePeriodicityFeature(VadVariancePeriodicity* state);

// f[6]: autocorrelation peak of the block energies over the last 4.096 s. The feature also
// advances the history, so it must be taken once every 32 blocks.
uint64_t vadEnergyPeriodicityGetSize();
void vadEnergyPeriodicityInit(VadEnergyPeriodicity* state);
void vadEnergyPeriodicityProcess(VadEnergyPeriodicity* state, const float* quarter);
float vadEnergyPeriodicityFeature(VadEnergyPeriodicity* state);
