#include "HostedPlug.h"

namespace autest {

IPluginConfig TestPlug::sConfig;

IPluginConfig GainConfig(const char* channelIO)
{
  IPluginConfig config;
  config.nParams = TestPlug::kNumParams;
  config.nPresets = 2;
  config.channelIOStr = channelIO;
  config.pluginName = "AdapterTest";
  config.productName = "AdapterTest";
  config.mfrName = "Vantorelix Test";
  config.vendorVersion = 0x00030103;
  config.uniqueID = int(platform::FourCC("ATst"));
  config.mfrID = int(platform::FourCC("ZVRQ"));
  config.plugDoesChunks = true;
  config.bundleID = "com.vantorelix.adaptertest";
  return config;
}

namespace {

IPlugAU* Create(void* storage)
{
  return CreatePlugInstance<TestPlug>(storage, "AdapterTest_View");
}

AudioComponentPlugInInterface* Factory(const AudioComponentDescription*)
{
  return AUFactory(Create, sizeof(TestPlug));
}

AudioComponent Component()
{
  static const AudioComponent component = [] {
    const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("ATst"),
                                                platform::FourCC("ZVRQ"), 0, 0};
    return AudioComponentRegister(&description, CFSTR("AdapterTest"), 0x00030103, Factory);
  }();
  return component;
}

}  // namespace

Hosted::Hosted(const IPluginConfig& config)
{
  TestPlug::sConfig = config;
  EXPECT_EQ(AudioComponentInstanceNew(Component(), &unit), noErr);
  UInt32 size = sizeof plug;
  IPlugAU* object = nullptr;
  EXPECT_EQ(AudioUnitGetProperty(unit, IPlugAU::kPlugObjectProperty, kAudioUnitScope_Global, 0, &object, &size), noErr);
  plug = static_cast<TestPlug*>(object);
}

Hosted::~Hosted()
{
  if (unit)
    AudioComponentInstanceDispose(unit);
}

OSStatus Hosted::SetChannels(AudioUnitScope scope, UInt32 bus, UInt32 n, double sampleRate)
{
  const AudioStreamBasicDescription format{
    sampleRate,
    kAudioFormatLinearPCM,
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved,
    4,
    1,
    4,
    n,
    32,
    0};
  return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, bus, &format, sizeof format);
}

Buffers::Buffers(UInt32 n, UInt32 frames, bool withData) : mBytes(AudioBufferListSize(n)), mData(n)
{
  List()->mNumberBuffers = n;
  for (UInt32 c = 0; c < n; ++c)
  {
    if (withData)
      mData[c].assign(frames, 0.0f);
    List()->mBuffers[c] = AudioBuffer{1, frames * UInt32(sizeof(float)), withData ? mData[c].data() : nullptr};
  }
}

}  // namespace autest
