#include "meter-ui/MeterStyle.h"

#include <cstdio>

std::string LevelText(double level)
{
  char text[32];
  std::snprintf(text, sizeof text, level > 0.0 ? "+%.1lf" : "%.1lf", level);
  return text;
}

namespace
{
constexpr double kFixedScaleMarks[3][17] = {
  {27, 18, 9, 6, 3, 0, -3, -6, -9, -18, -23, -27, -36, -45, -54, -63, -72},
  {27, 18, 9, 6, 3, 0, -3, -6, -9, -18, -24, -27, -36, -45, -54, -63, -72},
  {20, 16, 12, 8, 4, 0, -4, -8, -12, -16, -20, -24, -28, -32, -36, -40, -44},
};
} // namespace

std::span<const double> FixedScaleMarks(int scaleKind)
{
  if (scaleKind < 1 || scaleKind > 3)
    return {};
  return kFixedScaleMarks[scaleKind - 1];
}

ScaleSteps ScaleStepsFor(double range)
{
  if (range < 45.0)
    return {3.0, 1.0};
  if (range < 66.0)
    return {6.0, 3.0};
  return {12.0, 6.0};
}
