#pragma once
// The plug-in with its real layout, opened through the editor delegate onto a headless
// graphics object of the stored size and scale.

#include "meter-plugin/Vantorelix.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

namespace layout_test {

using namespace iplug::igraphics;

class MeterEditor : public Vantorelix
{
public:
  MeterEditor()
  {
    mMakeGraphicsFunc = [this] {
      ui = new vtest::HeadlessGraphics(*this, EditorWidth(), Settings().guiHeight,
                                       static_cast<float>(Settings().guiScale));
      return ui;
    };
  }
  ~MeterEditor() override { CloseWindow(); }

  vtest::HeadlessGraphics& Open(int width = 832, int height = 446)
  {
    Settings().guiWidth = width;
    Settings().guiHeight = height;
    return OpenAsStored();
  }
  // The editor of the stored size, scale and layout.
  vtest::HeadlessGraphics& OpenAsStored()
  {
    // As the platform's window does once the layout is done: the controls take the values.
    OpenWindow(nullptr);
    EditorOpened();
    return *ui;
  }

  IControl* At(int index) const { return ui->GetControl(index); }
  template <class Control>
  Control* As(int index) const
  {
    return dynamic_cast<Control*>(At(index));
  }
  const ReadoutBoxSlots& Row(int row) const { return ControlPositions().readout.rows[static_cast<size_t>(row)]; }
  const char* TextOf(int index) const;
  // The first control whose rectangle starts at (x, y); null when there is none.
  IControl* StartingAt(float x, float y) const;

  vtest::HeadlessGraphics* ui = nullptr;
};

inline void ExpectRect(const IRECT& r, float l, float t, float rr, float b)
{
  EXPECT_FLOAT_EQ(r.L, l);
  EXPECT_FLOAT_EQ(r.T, t);
  EXPECT_FLOAT_EQ(r.R, rr);
  EXPECT_FLOAT_EQ(r.B, b);
}

// A parameter set by the host, as the plug-in takes it.
inline void SetFromHost(MeterEditor& plug, int param, double value)
{
  plug.GetParam(param)->Set(value);
  plug.ParameterChanged(param, iplug::kHost, -1);
}

inline bool SameColour(const IColor& a, const IColor& b)
{
  return a.A == b.A && a.R == b.R && a.G == b.G && a.B == b.B;
}

}  // namespace layout_test
