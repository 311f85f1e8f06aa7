#pragma once
#include "speech-detector/VadClassifier.h"
#include "speech-detector/VadFeatures.h"
#include "speech-detector/VadFifo.h"
#include "speech-detector/VadResampler.h"

#include <cstdint>

// Speech/no-speech detector over host-rate audio (32000, 44100 or 48000 Hz). The caller
// allocates vadGetSize() bytes and hands them to vadInit(), which lays every sub-state out inside
// that one block; nothing is allocated afterwards. Input is resampled to 16 kHz frames of 1024
// samples, seven features are gathered per frame, and every 8 frames the classifier decides.

// The header record at the start of the block.
struct VadState
{
  VadSpectralTilt* spectralTilt;
  VadEnergyPeriodicity* energyPeriodicity;
  VadEnergyDips* energyDips;
  VadVariancePeriodicity* variancePeriodicity;
  VadSpectralFlux* spectralFlux;
  VadZeroCrossingMedian* zeroCrossingMedian;
  VadZeroCrossingSkewness* zeroCrossingSkewness;
  VadFifo* fifo;
  VadClassifier* classifier;
  VadResampler* resampler;
  float features[kVadFeatureCount];
  float* resamplerInput;
  float* frame;
  int32_t frameCounter;  // starts at -24, so the first decision follows the 32nd frame
  float* scaledInput;
  int32_t decision;  // -1 before the first classification, then 0 or 1
  uint32_t blockLen;
};
static_assert(sizeof(VadState) + 4 * kVadFrameLength == 4248);

// Arena size in bytes for the rate and the longest block vadProcess will be given; 0 for an
// unsupported rate or a block length of 0.
uint64_t vadGetSize(uint32_t sampleRate, uint32_t blockLen);

// Lays the arena out and clears it; calling it again restarts the detector from scratch.
// Returns 0, or -1 for a null or misaligned arena, an unsupported rate, a block length of 0, or
// a size below vadGetSize(sampleRate, blockLen).
int32_t vadInit(void* state, uint64_t size, uint32_t sampleRate, uint32_t blockLen);

// Feeds n samples in -1..1 at the host rate. Returns -1 until the first classification, then
// the latest decision: 1 speech, 0 no speech. Longer inputs than blockLen are taken in pieces.
int32_t vadProcess(void* state, const float* samples, uint32_t n);
