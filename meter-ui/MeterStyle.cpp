#include "meter-ui/MeterStyle.h"

#include <cstdio>

std::string LevelText(double level)
{
  char text[32];
  std::snprintf(text, sizeof text, level > 0.0 ? "+%.1lf" : "%.1lf", level);
  return text;
}
