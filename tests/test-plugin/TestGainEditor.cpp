// A gain with an editor: the plug-in a host opens an editor of, through the Cocoa view property
// and the view factory. The editor is a panel with a level bar that follows the gain and a dial.

#include "au-adapter/IPlugAUEntry.h"
#include "graphics/IControl.h"
#include "platform-mac/IGraphicsMac.h"

#include <cmath>

namespace testgain {
namespace {

using namespace iplug;
using namespace iplug::igraphics;

class LevelBar final : public IControl
{
public:
  explicit LevelBar(const IRECT& bounds) : IControl(bounds) { SetParamIdx(0); }
  void Draw(IGraphics& g) override
  {
    g.FillRoundRect(IColor(255, 20, 22, 26), mRECT, 4.f);
    IRECT level = mRECT.GetPadded(-4.f);
    level.T = level.B - level.H() * static_cast<float>(GetValue());
    g.FillRoundRect(IColor(255, 60, 200, 120), level, 3.f);
  }
};

class Dial final : public IControl
{
public:
  explicit Dial(const IRECT& bounds) : IControl(bounds) { SetParamIdx(0); }
  void Draw(IGraphics& g) override
  {
    const float cx = mRECT.MW(), cy = mRECT.MH(), r = mRECT.W() / 2.f - 4.f;
    g.FillCircle(IColor(255, 70, 80, 96), cx, cy, r);
    g.DrawCircle(IColor(255, 230, 230, 235), cx, cy, r, nullptr, 2.f);
    const float angle = (-135.f + 270.f * static_cast<float>(GetValue())) * 3.14159265f / 180.f;
    g.DrawLine(IColor(255, 250, 200, 60), cx, cy, cx + r * std::sin(angle), cy - r * std::cos(angle), nullptr, 3.f);
  }
};

IPluginConfig Config()
{
  IPluginConfig config;
  config.nParams = 1;
  config.nPresets = 1;
  config.channelIOStr = "1-1 2-2";
  config.pluginName = "TestGainEditor";
  config.productName = "TestGainEditor";
  config.mfrName = "Vantorelix Test";
  config.vendorVersion = 0x00010203;
  config.uniqueID = int(platform::FourCC("TGe1"));
  config.mfrID = int(platform::FourCC("ZVRQ"));
  config.plugHasUI = true;
  config.bundleID = "com.vantorelix.testgaineditor";
  return config;
}

}  // namespace

class TestGainEditor final : public IPlugAU
{
public:
  explicit TestGainEditor(const InstanceInfo& info) : IPlugAU(info, Config())
  {
    GetParam(0)->DefineGain("Gain", -6.0, -60.0, 12.0, 0.5);
    mMakeGraphicsFunc = [this] {
      auto* graphics = new IGraphicsMac(*this, 320, 200, 60, 1.f);
      graphics->SetBundleID(GetBundleID());
      return graphics;
    };
    mLayoutFunc = [](IGraphics* g) {
      g->AddPanelBackground(IPattern(IColor(255, 44, 48, 56)));
      g->AddControl(new LevelBar(IRECT(20.f, 20.f, 60.f, 180.f)));
      g->AddControl(new Dial(IRECT(100.f, 40.f, 220.f, 160.f)));
    };
  }

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    const double gain = std::pow(10.0, GetParam(0)->Value() / 20.0);
    const int nChannels = std::min(NChannels(kInput), NChannels(kOutput));
    for (int c = 0; c < nChannels; ++c)
      for (int i = 0; i < nFrames; ++i)
        outputs[c][i] = inputs[c][i] * gain;
  }
};

}  // namespace testgain

IPLUG_AU_ENTRY_POINTS(testgain::TestGainEditor, "TestGainEditor_View", TestGainEditor_Factory, TestGainEditor_Entry)
