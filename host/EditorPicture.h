#pragma once
// au-host editor: the plug-in's editor opened as a host opens it, before the first block, while
// the file renders as measure renders it; then clicks at editor coordinates, and the last frame
// the editor presented written as a PNG picture.

#include "host/Measure.h"

#include <optional>
#include <string>
#include <vector>

namespace host {

// A point or a size of the editor's layout, before its scale.
struct EditorPoint
{
  double x = 0.0;
  double y = 0.0;
};

struct EditorOptions
{
  std::string png;
  std::vector<EditorPoint> clicks;
  std::optional<EditorPoint> size;
  std::optional<double> scale;
};

// False when the text is not "X,Y" of two numbers of 0 or more.
bool ParseClick(const std::string& text, EditorPoint& point);
// False when the text is not "WxH" of two whole numbers from 1 to 10000.
bool ParseSize(const std::string& text, EditorPoint& size);
// False when the text is not a number above 0 and at most 10.
bool ParseScale(const std::string& text, double& scale);

// Prints the measurement as Measure does and writes the picture; returns an empty string, or
// what went wrong (and then no picture is left behind).
std::string EditorPicture(AudioUnit unit, const MeasureOptions& measure, const EditorOptions& editor);

}  // namespace host
