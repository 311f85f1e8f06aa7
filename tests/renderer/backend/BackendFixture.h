#pragma once

// An editor drawn through the drawing back end into a headless view, with a control that runs
// whatever a test wants drawn.

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "graphics/IControl.h"
#include "tests/support/HeadlessGraphics.h"

namespace vtest {
using namespace iplug::igraphics;

// Draws with a function, so each test states its drawing where it checks it.
class PaintControl : public IControl
{
public:
  using Painter = std::function<void(IGraphics&, PaintControl&)>;
  PaintControl(const IRECT& bounds, Painter painter) : IControl(bounds), mPainter(std::move(painter)) {}
  void Draw(IGraphics& g) override { mPainter(g, *this); }
  ILayerPtr mLayer;  // kept from frame to frame by tests of cached layers

private:
  Painter mPainter;
};

using Rgba = std::array<uint8_t, 4>;

class BackendTest : public testing::Test
{
protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 100;

  void SetUp() override { Open(1.f); }

  void Open(float screenScale, int w = kWidth, int h = kHeight, float drawScale = 1.f)
  {
    g = std::make_unique<HeadlessGraphics>(delegate, w, h, drawScale, screenScale);
    g->OpenWindow(nullptr);
    ASSERT_TRUE(g->IsDrawingContextValid());
  }

  // A white background control and one that paints on top of it; draws one frame.
  PaintControl* Paint(PaintControl::Painter painter)
  {
    if (g->NControls() == 0)
    {
      g->AddControl(new PaintControl(
        g->GetBounds(), [](IGraphics& gr, PaintControl&) { gr.FillRect(IColor(255, 255, 255, 255), gr.GetBounds()); }));
    }
    auto* control = new PaintControl(g->GetBounds(), std::move(painter));
    g->AddControl(control);
    g->DrawFullFrame();
    return control;
  }

  Rgba At(int x, int y) const { return g->Pixel(x, y); }

  HeadlessDelegate delegate;
  std::unique_ptr<HeadlessGraphics> g;
};

constexpr Rgba kWhite{255, 255, 255, 255};

// Each channel within tolerance of the expected one.
inline testing::AssertionResult Near(const Rgba& actual, const Rgba& expected, int tolerance = 2)
{
  for (int i = 0; i < 4; ++i)
  {
    if (std::abs(actual[i] - expected[i]) > tolerance)
    {
      return testing::AssertionFailure() << "(" << int(actual[0]) << "," << int(actual[1]) << "," << int(actual[2])
                                         << "," << int(actual[3]) << ") is not (" << int(expected[0]) << ","
                                         << int(expected[1]) << "," << int(expected[2]) << "," << int(expected[3])
                                         << ")";
    }
  }
  return testing::AssertionSuccess();
}

}  // namespace vtest
