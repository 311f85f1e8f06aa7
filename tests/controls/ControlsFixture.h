#pragma once

// The recording graphics object of the graphics tests, extended to keep the colour and blend of
// every fill and stroke, and an open editor around it with four parameters to link to.

#include <gtest/gtest.h>

#include "graphics/IVStyle.h"
#include "tests/graphics/GraphicsFixture.h"

namespace vtest {

class PaintGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;

  struct Paint
  {
    bool fill;
    IColor color;
    float weight;  // -1: drawn without a blend
  };
  std::vector<Paint> paints;

  void PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* blend) override
  {
    paints.push_back({true, pattern.GetStop(0).mColor, blend ? blend->mWeight : -1.f});
    RecordingGraphics::PathFill(pattern, options, blend);
  }
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options, const IBlend* blend) override
  {
    paints.push_back({false, pattern.GetStop(0).mColor, blend ? blend->mWeight : -1.f});
    RecordingGraphics::PathStroke(pattern, thickness, options, blend);
  }
  struct Text
  {
    std::string str;
    IColor color;
    IRECT bounds;
  };
  std::vector<Text> texts;

  void DrawTextRun(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) override
  {
    texts.push_back({str, text.mFGColor, bounds});
    RecordingGraphics::DrawTextRun(text, str, bounds, blend);
  }
  void Clear()
  {
    paints.clear();
    texts.clear();
    log.clear();
  }
  std::vector<IColor> FillColors() const
  {
    std::vector<IColor> colors;
    for (const Paint& p : paints)
    {
      if (p.fill)
      {
        colors.push_back(p.color);
      }
    }
    return colors;
  }
};

struct ControlEditor
{
  explicit ControlEditor(int w = 400, int h = 300)
  {
    dlg.mMakeGraphicsFunc = [this, w, h] { return new PaintGraphics(dlg, w, h, 0, 1.f); };
    dlg.OpenWindow(nullptr);
    g = static_cast<PaintGraphics*>(dlg.GetUI());
  }

  template <class C>
  C* Add(C* control)
  {
    g->AddControl(control);
    return control;
  }

  TestDelegate dlg;
  PaintGraphics* g = nullptr;
};

// A style that draws only the widget: no label, value, shadow or frame.
inline IVStyle PlainStyle()
{
  IVStyle style;
  style.showLabel = false;
  style.showValue = false;
  style.drawShadows = false;
  style.drawFrame = false;
  return style;
}

inline void ExpectRect(const IRECT& actual, const IRECT& expected, const char* what = "")
{
  EXPECT_NEAR(actual.L, expected.L, 1e-3) << what;
  EXPECT_NEAR(actual.T, expected.T, 1e-3) << what;
  EXPECT_NEAR(actual.R, expected.R, 1e-3) << what;
  EXPECT_NEAR(actual.B, expected.B, 1e-3) << what;
}

inline void Click(IGraphics& g, float x, float y, IMouseMod mod = IMouseMod(true))
{
  g.OnMouseDown(Mouse(x, y, mod));
  g.OnMouseUp(Mouse(x, y, mod));
}

}  // namespace vtest
