#include "meter-ui/MeterStyle.h"

#include <algorithm>
#include <cstdio>

std::string LevelText(double level)
{
  char text[32];
  std::snprintf(text, sizeof text, level > 0.0 ? "+%.1lf" : "%.1lf", level);
  return text;
}

namespace {
constexpr double kFixedScaleMarks[3][17] = {
  {27, 18, 9, 6, 3, 0, -3, -6, -9, -18, -23, -27, -36, -45, -54, -63, -72},
  {27, 18, 9, 6, 3, 0, -3, -6, -9, -18, -24, -27, -36, -45, -54, -63, -72},
  {20, 16, 12, 8, 4, 0, -4, -8, -12, -16, -20, -24, -28, -32, -36, -40, -44},
};
}  // namespace

std::span<const double> FixedScaleMarks(int scaleKind)
{
  if (scaleKind < 1 || scaleKind > 3)
    return {};
  return kFixedScaleMarks[scaleKind - 1];
}

iplug::igraphics::IColor RatioColour(const iplug::igraphics::IColor& high, const iplug::igraphics::IColor& low,
                                     double ratio, double reference)
{
  const double t = reference > 0.0 && ratio == ratio
                     ? (std::clamp(ratio, 0.5 * reference, 1.5 * reference) - 0.5 * reference) / reference
                     : 0.0;
  auto mix = [t](int h, int l) { return static_cast<int>(t * h + (1.0 - t) * l); };
  return {mix(high.A, low.A), mix(high.R, low.R), mix(high.G, low.G), mix(high.B, low.B)};
}

ScaleSteps ScaleStepsFor(double range)
{
  if (range < 45.0)
    return {3.0, 1.0};
  if (range < 66.0)
    return {6.0, 3.0};
  return {12.0, 6.0};
}
