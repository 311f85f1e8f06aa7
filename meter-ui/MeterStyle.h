#pragma once

// The look of the meter panel's bars and scales, drawn on a black panel: one table, so that
// every meter, scale and graph accent agrees. Also the one rule by which a level becomes text.

#include <string>

#include "graphics/IGraphicsStructs.h"

namespace meterstyle
{
using iplug::igraphics::IColor;

inline constexpr IColor kTextColor(255, 190, 193, 196);   // captions, values, labels
inline constexpr IColor kMajorTickColor(128, 190, 193, 196);
inline constexpr IColor kMinorTickColor(64, 190, 193, 196);
inline constexpr IColor kZeroMarkColor(255, 190, 193, 196);
inline constexpr IColor kAccentColor(255, 179, 27, 228);  // hold lines and graph accents
inline constexpr int kCaptionSize = 11;
inline constexpr int kValueSize = 9;
inline constexpr int kScaleTextSize = 10;
// The dynamics meter's ratio colours are the meter colour set's first (low) and fourth (high).
inline constexpr int kRatioLowColorIndex = 1;
inline constexpr int kRatioHighColorIndex = 4;
} // namespace meterstyle

// Levels below this are "nothing measured".
inline constexpr double kLowestShownLevel = -143.9;

// The spacing of labelled and of minor scale marks for a range of that many dB.
struct ScaleSteps
{
  double label, minor;
};
ScaleSteps ScaleStepsFor(double range);

// "+3.0" above zero, "0.0" and "-6.0" otherwise.
std::string LevelText(double level);
