#pragma once
#include <cstdint>

constexpr uint32_t kVadFeatureCount = 7;

// Boosted decision stumps over the seven detector features. The scores of the last four calls
// are summed, so each decision covers about 2 s of audio.
struct VadClassifier
{
  float scores[4];
  uint32_t pos;
};
static_assert(sizeof(VadClassifier) == 20);

uint64_t vadClassifierGetSize();
void vadClassifierInit(VadClassifier* state);
// features: f[0] to f[6]. Returns 1 for speech, 0 for no speech.
uint32_t vadClassify(VadClassifier* state, const float* features);
