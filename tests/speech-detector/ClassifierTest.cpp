#include "speech-detector/VadClassifier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(VadClassifier, DecidesBySignOfTheSummedScores)
{
  struct Case
  {
    const char* name;
    float features[kVadFeatureCount];
    uint32_t decision;
  };
  const Case cases[] = {
    {"all zero", {0, 0, 0, 0, 0, 0, 0}, 0},
    {"speech-like", {6.5f, -5.0f, 8.0f, 2.0f, 0.5f, 0.1f, 0.1f}, 1},
    {"flux below every threshold", {5.0f, -5.0f, 8.0f, 2.0f, 0.5f, 0.1f, 0.1f}, 1},
    {"music-like", {5.0f, -12.0f, 2.0f, 0.2f, 1.0f, 0.5f, 0.5f}, 0},
    {"not a number", {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}, 1},
  };
  for (const Case& c : cases)
  {
    VadClassifier state;
    vadClassifierInit(&state);
    EXPECT_EQ(vadClassify(&state, c.features), c.decision) << c.name;
  }
}

TEST(VadClassifier, ZeroFeaturesScoreNegativeAndAZeroTotalIsSpeech)
{
  const float zeros[kVadFeatureCount] = {};
  VadClassifier state;
  vadClassifierInit(&state);
  EXPECT_EQ(vadClassify(&state, zeros), 0u);
  const float score = state.scores[0];
  EXPECT_NEAR(score, -0.8785f, 1e-4f);
  EXPECT_EQ(state.pos, 1u);

  // Ring {score, -score, 0, 0} after the next call at position 0 sums to exactly 0.
  state.scores[1] = -score;
  state.pos = 0;
  EXPECT_EQ(vadClassify(&state, zeros), 1u);
}

TEST(VadClassifier, OneStrongSpeechScoreOutweighsThreeSilentOnes)
{
  const float speech[kVadFeatureCount] = {6.5f, -5.0f, 8.0f, 2.0f, 0.5f, 0.1f, 0.1f};
  const float zeros[kVadFeatureCount] = {};
  VadClassifier state;
  vadClassifierInit(&state);
  EXPECT_EQ(vadClassify(&state, speech), 1u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(vadClassify(&state, zeros), 1u) << i;
  EXPECT_EQ(vadClassify(&state, zeros), 0u);  // the speech score has left the ring
}

}  // namespace
