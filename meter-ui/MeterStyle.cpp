#include "meter-ui/MeterStyle.h"

#include <cstdio>

std::string LevelText(double level)
{
  char text[32];
  std::snprintf(text, sizeof text, level > 0.0 ? "+%.1lf" : "%.1lf", level);
  return text;
}

ScaleSteps ScaleStepsFor(double range)
{
  if (range < 45.0)
    return {3.0, 1.0};
  if (range < 66.0)
    return {6.0, 3.0};
  return {12.0, 6.0};
}
