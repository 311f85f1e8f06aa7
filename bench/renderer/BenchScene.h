#pragma once
// The benchmark scene of the vector renderer: an editor-sized frame of 500 rounded rectangles
// filled and stroked, 100 arcs and 50 strings (the font "sans" must be loaded).

#include "renderer/vector/VectorContext.h"

constexpr float kBenchWidth = 832, kBenchHeight = 446;
constexpr const char* kBenchFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// One whole frame, begun and ended, at the pixel ratio.
void drawBenchScene(NVGcontext* vg, float ratio);
