#pragma once

// The look of the meter panel's bars and scales, drawn on a black panel: one table, so that
// every meter, scale and graph accent agrees. Also the one rule by which a level becomes text.

#include <span>
#include <string>

#include "graphics/IGraphicsStructs.h"

namespace meterstyle {
using iplug::igraphics::IColor;

inline constexpr IColor kTextColor(255, 190, 193, 196);  // captions, values, labels
inline constexpr IColor kMajorTickColor(128, 190, 193, 196);
inline constexpr IColor kMinorTickColor(64, 190, 193, 196);
inline constexpr IColor kZeroMarkColor(255, 190, 193, 196);
inline constexpr IColor kAccentColor(255, 179, 27, 228);  // hold lines and graph accents
inline constexpr int kCaptionSize = 11;
inline constexpr int kValueSize = 9;
inline constexpr int kScaleTextSize = 10;
// The graph's curve, band and line colours by their entry in its colour table: hues apart from
// one another and from the zones, and bands translucent (the graph takes 64 more off the LRA
// and dialogue bands' alpha), so that the zones, the grid and the curves show through them.
struct GraphColour
{
  int entry;
  IColor colour;
};
inline constexpr GraphColour kGraphColours[] = {
  {10, IColor(255, 255, 186, 60)},   // IL line: amber
  {11, IColor(255, 176, 150, 220)},  // the memory: its curves and marks, and the overview curve
  {12, IColor(160, 70, 200, 170)},   // LRA band: teal
  {13, IColor(200, 150, 150, 150)},  // PLR and PSR reference lines
  {14, IColor(96, 80, 210, 110)},    // PLR/PSR band at or above 1.5 x its reference: green
  {15, IColor(96, 235, 80, 70)},     // PLR/PSR band at or below half its reference: red
  {19, IColor(255, 70, 215, 95)},    // loudness target line: green
  {21, IColor(144, 200, 110, 235)},  // dialogue-presence band: violet
};
// The entry that holds the peak meter's over colour.
inline constexpr int kGraphPeakColourEntry = 17;

// The dynamics meter's ratio colours are the meter colour set's first (low) and fourth (high).
inline constexpr int kRatioLowColorIndex = 1;
inline constexpr int kRatioHighColorIndex = 4;
}  // namespace meterstyle

// Levels below this are "nothing measured".
inline constexpr double kLowestShownLevel = -143.9;

// The spacing of labelled and of minor scale marks for a range of that many dB.
struct ScaleSteps
{
  double label, minor;
};
ScaleSteps ScaleStepsFor(double range);

// The fixed marks of scale kinds 1 to 3 (display dB, top to bottom); none for any other kind,
// whose marks follow from the range.
std::span<const double> FixedScaleMarks(int scaleKind);

// The colour a PLR or PSR band takes for a ratio against its reference: the low colour at or below
// half the reference, the high colour at or above one and a half times it, and between them each
// channel (alpha too) mixed in proportion and cut to a whole level. Without a reference, or for a
// ratio that is not a number, the low colour.
iplug::igraphics::IColor RatioColour(const iplug::igraphics::IColor& high, const iplug::igraphics::IColor& low,
                                     double ratio, double reference);

// "+3.0" above zero, "0.0" and "-6.0" otherwise.
std::string LevelText(double level);
