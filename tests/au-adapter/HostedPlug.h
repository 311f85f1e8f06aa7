#pragma once
// An adapter opened as a host opens one: a test plug-in registered as a component, instantiated
// through its factory, and reached both through the audio unit calls and directly.

#include "au-adapter/IPlugAUEntry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace autest {

using namespace iplug;

// A plug-in that multiplies every input channel by its "Gain" parameter (a plain factor) and
// counts what reaches it. Its configuration is chosen per test through TestPlug::sConfig.
class TestPlug : public IPlugAU
{
public:
  enum Param { kGain = 0, kSteps, kMode, kLevel, kCurve, kNumParams };

  static IPluginConfig sConfig;

  explicit TestPlug(const InstanceInfo& info) : IPlugAU(info, sConfig)
  {
    if (NParams() < kNumParams)
      return;
    GetParam(kGain)->DefineDouble("Gain", 1.0, 0.0, 4.0, 0.0, "", kFlagsNone, "Main");
    GetParam(kSteps)->DefineDouble("Steps", 1.0, 0.0, 2.0, 0.5, "x", kFlagStepped, "Detail");
    GetParam(kMode)->DefineEnum("Mode", 0, 3, "", kFlagCannotAutomate | kFlagMeta, "Main", {"Slow", "Fast", "Peak"});
    GetParam(kLevel)->DefineInt("Level", 0, -10, 10, "dB");
    GetParam(kCurve)->DefineDouble("Curve", 100.0, 20.0, 20000.0, 1.0, "Hz", kFlagsNone, "", IParam::ShapeExp(),
                                   ParamUnit::Frequency);
    MakePreset("Unity", {1.0});
    MakePreset("Double", {2.0});
  }

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    ++mBlocks;
    mLastFrames = nFrames;
    mLastTransport = Transport();
    const double gain = NParams() > kGain ? GetParam(kGain)->Value() : 1.0;
    for (int c = 0; c < NChannels(kOutput); ++c)
      for (int i = 0; i < nFrames; ++i)
        outputs[c][i] = c < NChannels(kInput) ? inputs[c][i] * gain : 0.0;
  }

  void HandleMidi(const IMidiMsg& msg) override { mMidiIn.push_back(msg); }
  void ParameterChanged(int idx, ParamChangeSource source, int offset) override
  {
    mChanges.push_back({idx, int(source), offset});
  }

  // The next value queued for the editor.
  bool PopEditorValue(ParamTuple& tuple) { return mParamChangeToUIQueue.Pop(tuple); }
  bool PopProcessorMidi(IMidiMsg& msg) { return mMidiMsgsFromProcessor.Pop(msg); }
  void ProcessSysEx(const SysExData& msg) override { mSysExIn.assign(msg.mData, msg.mData + msg.mSize); }

  struct Change
  {
    int idx, source, offset;
  };
  int mBlocks = 0;
  int mLastFrames = 0;
  ITransportInfo mLastTransport;
  std::vector<IMidiMsg> mMidiIn;
  std::vector<uint8_t> mSysExIn;
  std::vector<Change> mChanges;
};

IPluginConfig GainConfig(const char* channelIO = "1-1 2-2 3-3 4-4 5-5 6-6 7-7 8-8 9-9 10-10");

// An instance of TestPlug with the given configuration, closed at the end of the test.
class Hosted
{
public:
  explicit Hosted(const IPluginConfig& config = GainConfig());
  ~Hosted();
  Hosted(const Hosted&) = delete;
  Hosted& operator=(const Hosted&) = delete;

  AudioUnit unit = nullptr;
  TestPlug* plug = nullptr;

  // Sets a float stream format of n channels on a bus (input or output scope).
  OSStatus SetChannels(AudioUnitScope scope, UInt32 bus, UInt32 n, double sampleRate = 48000.0);
};

// A buffer list of n buffers of frames floats each, owned by the object.
class Buffers
{
public:
  Buffers(UInt32 n, UInt32 frames, bool withData = true);
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mBytes.data()); }
  float* Channel(UInt32 c) { return static_cast<float*>(List()->mBuffers[c].mData); }

private:
  std::vector<unsigned char> mBytes;
  std::vector<std::vector<float>> mData;
};

inline AudioTimeStamp SampleTime(double t)
{
  AudioTimeStamp stamp{};
  stamp.mSampleTime = t;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  return stamp;
}

}  // namespace autest
