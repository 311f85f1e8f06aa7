#include "speech-detector/VadClassifier.h"

namespace {

struct Stump
{
  int32_t feature;
  float threshold;
  float value;  // +1 or -1: the side of the threshold that votes for speech
  float weight;
};
static_assert(sizeof(Stump) == 16);

constexpr Stump kStumps[] = {
  {0, 5.694554f, 1.0f, 1.123807f},  {3, 1.44407f, 1.0f, 0.765697f},   {4, 0.844887f, -1.0f, 0.412701f},
  {0, 5.807882f, 1.0f, 0.42657f},   {6, 0.24544f, -1.0f, 0.458908f},  {5, 0.200922f, -1.0f, 0.32631f},
  {5, 0.196127f, -1.0f, 0.292287f}, {0, 5.82425f, 1.0f, 0.306604f},   {4, 0.862523f, -1.0f, 0.262362f},
  {1, -10.885657f, 1.0f, 0.14712f}, {2, 6.042284f, 1.0f, 0.084314f},  {0, 5.820881f, 1.0f, 0.077929f},
  {5, 0.194203f, -1.0f, 0.046505f}, {2, 5.974709f, 1.0f, 0.101153f},  {0, 5.818805f, 1.0f, 0.023984f},
  {5, 0.194148f, -1.0f, 0.014321f}, {4, 0.866923f, -1.0f, 0.045337f}, {5, 0.194921f, -1.0f, 0.022334f},
  {0, 5.820068f, 1.0f, 0.015777f},  {4, 0.868066f, -1.0f, 0.01912f},
};

}  // namespace

uint64_t vadClassifierGetSize()
{
  return sizeof(VadClassifier);
}

void vadClassifierInit(VadClassifier* state)
{
  *state = {};
}

uint32_t vadClassify(VadClassifier* state, const float* features)
{
  float score = 0.0f;
  for (const Stump& stump : kStumps)
  {
    // A feature that is not a number is not below its threshold and votes +value.
    const float d = features[stump.feature] - stump.threshold;
    const float vote = d < 0.0f ? -stump.value : stump.value;
    score += vote * stump.weight;
  }
  state->scores[state->pos] = score;
  state->pos = (state->pos + 1) & 3;

  const float total = (((0.0f + state->scores[0]) + state->scores[1]) + state->scores[2]) + state->scores[3];
  // A total of 0, or one that is not a number, counts as speech.
  return total < 0.0f ? 0 : 1;
}
