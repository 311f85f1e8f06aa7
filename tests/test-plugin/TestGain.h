#pragma once
// A gain with three parameters: its level in dB, a mute switch and a polarity choice; and one
// output parameter, "OUT:Ticks", that counts the idle ticks it has seen. Built as a bundle
// (TestGain.cpp) and linked into the adapter's tests.

#include "au-adapter/IPlugAU.h"

#include <algorithm>
#include <cmath>

namespace testgain {

enum Param { kGain = 0, kMute, kPolarity, kTicks, kNumParams };

inline iplug::IPluginConfig Config()
{
  iplug::IPluginConfig config;
  config.nParams = kNumParams;
  config.nPresets = 2;  // one factory preset; the empty slot is dropped on open
  config.channelIOStr = "1-1 2-2 3-3 4-4 5-5 6-6 7-7 8-8 9-9 10-10";  // as the product
  config.pluginName = "TestGain";
  config.productName = "TestGain";
  config.mfrName = "Vantorelix Test";
  config.vendorVersion = 0x00010203;
  config.uniqueID = int(platform::FourCC("TGn1"));
  config.mfrID = int(platform::FourCC("ZVRQ"));
  config.plugDoesChunks = true;
  config.bundleID = "com.vantorelix.testgain";
  return config;
}

class TestGain final : public iplug::IPlugAU
{
public:
  explicit TestGain(const iplug::InstanceInfo& info) : IPlugAU(info, Config())
  {
    GetParam(kGain)->DefineGain("Gain", 0.0, -60.0, 12.0, 0.5, iplug::kFlagStepped);
    GetParam(kMute)->DefineBool("Mute", false);
    GetParam(kPolarity)->DefineEnumFromList("Polarity", 0, {"Normal", "Inverted"});
    GetParam(kTicks)->DefineDouble("OUT:Ticks", 0.0, 0.0, 1e9, 1.0);
    MakePreset("Quiet", {-20.0, 0.0, 0.0});
  }

  void IdleTick() override { GetParam(kTicks)->Set(GetParam(kTicks)->Value() + 1.0); }

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    double gain = GetParam(kMute)->Value() > 0.5 ? 0.0 : std::pow(10.0, GetParam(kGain)->Value() / 20.0);
    if (GetParam(kPolarity)->Value() > 0.5)
      gain = -gain;
    const int nChannels = std::min(NChannels(iplug::kInput), NChannels(iplug::kOutput));
    for (int c = 0; c < nChannels; ++c)
      for (int i = 0; i < nFrames; ++i)
        outputs[c][i] = inputs[c][i] * gain;
  }
};

}  // namespace testgain
