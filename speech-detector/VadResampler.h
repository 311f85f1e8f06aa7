#pragma once
#include <cstdint>

// Rational resampler (upsample by L, low-pass, keep every M-th sample) from a host rate to
// 16 kHz, run as a polyphase FIR filter over a ring of past input samples. It turns exactly
// vadResamplerInputNeeded() input samples into one output frame per call; the filter history
// carries over so that consecutive frames are continuous.
struct VadResampler
{
  uint32_t L;
  uint32_t M;
  uint32_t outLen;
  uint32_t need;
  uint32_t taps;
  uint32_t ringLength;
  uint32_t ringMask;
  uint32_t phase;
  uint32_t writePos;
  uint32_t pendingFlag;
  const float* coef;  // the filter taps, branch by branch (taps b, b + L, ... for each b)
  float* ring;
  float pendingSample;
  uint32_t primed;
  // ringLength floats follow the record.
};
static_assert(sizeof(VadResampler) == 64);

// State size in bytes for the rate pair and frame length, and the input count per frame in
// *need. Returns 0 and leaves *need untouched when the pair is not supported.
uint64_t vadResamplerGetSize(uint32_t inRate, uint32_t outRate, uint32_t outLen, uint32_t* need);

// Returns -1 for an unsupported rate pair or a state smaller than vadResamplerGetSize, else 0.
int32_t vadResamplerInit(VadResampler* state, uint64_t size, uint32_t outLen, uint32_t inRate, uint32_t outRate);

// need, or need - 1 while a sample kept over from the last frame is waiting.
uint32_t vadResamplerInputNeeded(const VadResampler* state);

// Converts nIn input samples into state->outLen output samples. nIn must be the value of
// vadResamplerInputNeeded(); any other count returns -1 and changes nothing.
int32_t vadResamplerProcess(VadResampler* state, uint32_t nIn, const float* in, float* out);
