#include "bench/renderer/BenchScene.h"

void drawBenchScene(NVGcontext* vg, float ratio)
{
  vgBeginFrame(vg, kBenchWidth, kBenchHeight, ratio);
  for (int i = 0; i < 500; i++)
  {
    const float x = static_cast<float>((i % 25) * 33), y = static_cast<float>((i / 25) * 22);
    vgBeginPath(vg);
    vgRoundedRect(vg, x + 1, y + 1, 30, 19, 4);
    vgSetFillColor(vg, vgColorRGBA(40, 40, 40, 255));
    vgFill(vg);
    vgSetStrokeColor(vg, vgColorRGBA(200, 200, 200, 255));
    vgSetStrokeWidth(vg, 1.5f);
    vgStroke(vg);
  }
  for (int i = 0; i < 100; i++)
  {
    vgBeginPath(vg);
    vgArc(vg, 20.0f + (i % 20) * 40, 30.0f + (i / 20) * 80, 15, 0.3f, 2.5f + i * 0.03f, NVG_CW);
    vgSetStrokeWidth(vg, 3);
    vgStroke(vg);
  }
  vgSetFontSize(vg, 14);
  vgSetFillColor(vg, vgColorRGBA(230, 230, 230, 255));
  for (int i = 0; i < 50; i++)
    vgDrawText(vg, 10.0f + (i % 5) * 160, 20.0f + (i / 5) * 40, "-23.0 LUFS Short-term", nullptr);
  vgEndFrame(vg);
}
