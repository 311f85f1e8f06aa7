#include "au-adapter/IPlugAU.h"

#include "au-adapter/AUPresetArray.h"
#include "au-adapter/AUStrings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

namespace iplug {

namespace {

// Writes a value of type T into the host's data when there is data.
template <class T>
void Put(void* data, const T& value)
{
  if (data)
    std::memcpy(data, &value, sizeof(T));
}

// Rates the processing can run at. Below, a 100 ms hop holds too few samples to measure; above,
// buffers sized by the rate grow beyond reason (a file header can declare any rate). NaN fails.
bool UsableSampleRate(Float64 rate)
{
  return rate >= 8000.0 && rate <= 768000.0;
}

template <class T>
T Take(const void* data)
{
  T value;
  std::memcpy(&value, data, sizeof(T));
  return value;
}

}  // namespace

IPlugAU::BusChannels* IPlugAU::StreamFormatBus(AudioUnitScope scope, AudioUnitElement element)
{
  const BusDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return nullptr;
  if (element >= UInt32(NBuses(direction)))
    return nullptr;
  return &mBusChannels[direction][element];
}

OSStatus IPlugAU::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                                  Boolean* writable)
{
  UInt32 localSize = 0;
  Boolean localWritable = false;
  writable = writable ? writable : &localWritable;
  *writable = false;
  return GetProperty(id, scope, element, size ? size : &localSize, writable, nullptr);
}

OSStatus IPlugAU::GetPropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                                   UInt32* size)
{
  UInt32 localSize = 0;
  Boolean writable = false;
  return GetProperty(id, scope, element, size ? size : &localSize, &writable, data);
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                              Boolean* writable, void* data)
{
  const bool global = scope == kAudioUnitScope_Global;
  switch (id)
  {
    case kPlugObjectProperty:
    {
      *size = sizeof(IPlugAU*);
      Put(data, this);
      return noErr;
    }
    case kAudioUnitProperty_ClassInfo:
    {
      *size = sizeof(CFPropertyListRef);
      if (!data)
        return noErr;
      *writable = true;
      return GetState(static_cast<CFPropertyListRef*>(data));
    }
    case kAudioUnitProperty_SampleRate:
      *size = sizeof(Float64);
      *writable = true;
      Put(data, Float64(GetSampleRate()));
      return noErr;
    case kAudioUnitProperty_ParameterList:
    {
      const UInt32 n = global ? UInt32(NParams()) : 0;
      *size = n * sizeof(AudioUnitParameterID);
      if (data)
        for (UInt32 i = 0; i < n; ++i)
          static_cast<AudioUnitParameterID*>(data)[i] = i;
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      const BusChannels* bus = StreamFormatBus(scope, element);
      if (!bus)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioStreamBasicDescription);
      *writable = true;
      const UInt32 channels = UInt32(bus->mNHostChannels < 0 ? bus->mNPlugChannels : bus->mNHostChannels);
      Put(data, AudioStreamBasicDescription{
                  GetSampleRate(), kAudioFormatLinearPCM,
                  kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved, 4, 1, 4,
                  channels, 32, 0});
      return noErr;
    }
    case kAudioUnitProperty_ElementCount:
    {
      *size = sizeof(UInt32);
      const UInt32 count = global                            ? 1
                           : scope == kAudioUnitScope_Input  ? UInt32(NBuses(kInput))
                           : scope == kAudioUnitScope_Output ? UInt32(NBuses(kOutput))
                                                             : 0;
      Put(data, count);
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(Float64);
      Put(data, Float64(id == kAudioUnitProperty_Latency ? GetLatency() : GetTailSize()) / GetSampleRate());
      return noErr;
    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = UInt32(NChannelConfigs()) * sizeof(AUChannelInfo);
      auto total = [](const IChannelIOConfig& config, BusDirection direction) -> SInt16 {
        for (int bus = 0; bus < config.NBuses(direction); ++bus)
          if (config.NChansOnBus(direction, bus) < 0)
            return -1;
        return SInt16(config.TotalNChannels(direction));
      };
      if (data)
        for (int i = 0; i < NChannelConfigs(); ++i)
        {
          const IChannelIOConfig& config = *GetChannelConfig(i);
          static_cast<AUChannelInfo*>(data)[i] = AUChannelInfo{total(config, kInput), total(config, kOutput)};
        }
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      *writable = true;
      Put(data, UInt32(GetBlockSize()));
      return noErr;
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_OfflineRender:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      *writable = true;
      Put(data, UInt32(id == kAudioUnitProperty_BypassEffect ? GetBypassed() : GetRenderingOffline()));
      return noErr;
    case kAudioUnitProperty_LastRenderError:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(OSStatus);
      Put(data, OSStatus(noErr));
      return noErr;
    case kAudioUnitProperty_SetRenderCallback:
      if ((!global && scope != kAudioUnitScope_Input) || element >= UInt32(NBuses(kInput)))
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AURenderCallbackStruct);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_HostCallbacks:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(HostCallbackInfo);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_ParameterIDName:
    {
      *size = sizeof(AudioUnitParameterNameInfo);
      if (!data || !global)
        return noErr;
      auto* info = static_cast<AudioUnitParameterNameInfo*>(data);
      const IParam* param = GetParam(int(info->inID));
      if (!param)
        return kAudioUnitErr_InvalidParameter;
      std::string name = param->GetName();
      if (info->inDesiredLength != kAudioUnitParameterName_Full)  // the cut stays inside the name
        name.resize(std::min<size_t>(name.size(), size_t(std::clamp(info->inDesiredLength, 0, 31))));
      info->outName = MakeCFString(name.c_str());
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString:
    {
      *size = sizeof(AudioUnitParameterValueFromString);
      if (!data || !global)
        return noErr;
      auto* info = static_cast<AudioUnitParameterValueFromString*>(data);
      const IParam* param = GetParam(int(info->inParamID));
      if (!param)
        return kAudioUnitErr_InvalidParameter;
      char text[512];
      if (!CFStringGetCString(info->inString, text, sizeof text, kCFStringEncodingUTF8))
        return kAudioUnitErr_InvalidPropertyValue;
      info->outValue = AudioUnitParameterValue(param->ValueFromText(text));
      return noErr;
    }
    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioUnitConnection);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_ParameterInfo:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if (element >= UInt32(NParams()))
        return kAudioUnitErr_InvalidElement;
      *size = sizeof(AudioUnitParameterInfo);
      if (data)
        FillParameterInfo(int(element), *static_cast<AudioUnitParameterInfo*>(data));
      return noErr;
    }
    case kAudioUnitProperty_FastDispatch: return kAudioUnitErr_InvalidElement;
    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if (element >= UInt32(NParams()))
        return kAudioUnitErr_InvalidElement;
      const IParam* param = GetParam(int(element));
      if (param->DisplayTextCount() == 0)
      {
        *size = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      *size = sizeof(CFArrayRef);
      if (data)
      {
        CFMutableArrayRef texts = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        for (int i = 0; i < param->DisplayTextCount(); ++i)
        {
          CFStringRef text = MakeCFString(param->DisplayTextFor(double(i)));
          CFArrayAppendValue(texts, text);
          CFRelease(text);
        }
        Put(data, CFArrayRef(texts));
      }
      return noErr;
    }
    case kAudioUnitProperty_AudioChannelLayout: return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_FactoryPresets:
    {
      *size = sizeof(CFArrayRef);
      if (!data)
        return noErr;
      CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, NPresets(), &auPresetArrayCallBacks);
      if (!presets)
        return coreFoundationUnknownErr;
      for (int i = 0; i < NPresets(); ++i)
      {
        CFStringRef name = MakeCFString(PresetSlotName(i));
        AUPresetRecord* record = auPresetCreate(kCFAllocatorDefault, i, name);
        CFRelease(name);
        if (!record)
          continue;
        CFArrayAppendValue(presets, record);
        auPresetRelease(kCFAllocatorDefault, record);  // the array holds the only reference
      }
      Put(data, CFArrayRef(presets));
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      *size = sizeof(AUPreset);
      *writable = true;
      if (data)
        Put(data, AUPreset{GetCurrentPresetIdx(), MakeCFString(PresetSlotName(GetCurrentPresetIdx()))});
      return noErr;
    case kAudioUnitProperty_ElementName:
    {
      *size = sizeof(CFStringRef);
      if (!data)
        return kAudioUnitErr_InvalidProperty;
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      const BusDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
      const int nBuses = LargestBusCount(direction);
      if (element >= UInt32(nBuses))
        return kAudioUnitErr_InvalidElement;
      WDL_String name;
      BusDisplayName(direction, int(element), nBuses, name);
      Put(data, MakeCFString(name.Get()));
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI:
    {
      if (!HasUI())
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioUnitCocoaViewInfo);
      if (data)
      {
        CFStringRef identifier = MakeCFString(GetBundleID());
        CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
        CFRelease(identifier);
        Put(data, AudioUnitCocoaViewInfo{bundle ? CFBundleCopyBundleURL(bundle) : nullptr,
                                         {MakeCFString(mCocoaViewFactoryClassName.c_str())}});
      }
      return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags:
    {
      const int count = GetChannelLayoutTags(scope, element, nullptr);
      *size = UInt32(count) * sizeof(AudioChannelLayoutTag);
      *writable = count > 0;
      if (data && !GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(data)))
        return kAudioUnitErr_InvalidProperty;
      return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
    {
      *size = sizeof(AudioUnitParameterStringFromValue);
      if (!data || !global)
        return noErr;
      auto* info = static_cast<AudioUnitParameterStringFromValue*>(data);
      const IParam* param = GetParam(int(info->inParamID));
      if (!param || !info->inValue)
        return kAudioUnitErr_InvalidParameter;
      WDL_String text;
      param->FormatDisplay(double(*info->inValue), false, text, true);
      info->outString = MakeCFString(text.Get());
      return noErr;
    }
    case kAudioUnitProperty_ParameterClumpName:
    {
      *size = sizeof(AudioUnitParameterNameInfo);
      if (!data || !global)
        return noErr;
      auto* info = static_cast<AudioUnitParameterNameInfo*>(data);
      if (info->inID < 1)
        return kAudioUnitErr_PropertyNotInUse;
      info->outName = int(info->inID) <= NParamGroups() ? MakeCFString(GetParamGroupName(int(info->inID) - 1))
                                                        : nullptr;
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallbackInfo:
    {
      *size = sizeof(CFArrayRef);
      if (data)
      {
        CFStringRef name = MakeCFString("midiOut");
        const void* names[] = {name};
        Put(data, CFArrayCreate(nullptr, names, 1, &kCFTypeArrayCallBacks));
        CFRelease(name);
      }
      return noErr;
    }
    case kMusicDeviceProperty_InstrumentCount:
      if (!global || GetPlugType() != 1)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      Put(data, UInt32(1));
      return noErr;
    case kAudioUnitProperty_MIDIOutputCallback:
      *size = sizeof(AUMIDIOutputCallbackStruct);
      *writable = true;
      return kAudioUnitErr_InvalidProperty;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus IPlugAU::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                              UInt32)
{
  CallListeners(id, scope);
  const bool global = scope == kAudioUnitScope_Global;
  switch (id)
  {
    case kAudioUnitProperty_ClassInfo: return SetState(Take<CFPropertyListRef>(data));
    case kAudioUnitProperty_MakeConnection: return MakeConnection(scope, Take<AudioUnitConnection>(data));
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      // A preset that does not exist or cannot be restored is the host's error to hear of.
      return LoadPresetSlot(Take<AUPreset>(data).presetNumber) ? OSStatus(noErr)
                                                               : OSStatus(kAudioUnitErr_InvalidPropertyValue);
    case kAudioUnitProperty_SampleRate:
      if (!UsableSampleRate(Take<Float64>(data)))
        return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(Take<Float64>(data));
      ResetProcessing();
      return noErr;
    case kAudioUnitProperty_StreamFormat:
    {
      BusChannels* bus = StreamFormatBus(scope, element);
      if (!bus)
        return kAudioUnitErr_InvalidProperty;
      const auto format = Take<AudioStreamBasicDescription>(data);
      // A rate of 0 leaves the rate as it is; any other rate must be one we run at, or the whole
      // format is refused with nothing changed.
      if (format.mSampleRate != 0.0 && !UsableSampleRate(format.mSampleRate))
        return kAudioUnitErr_FormatNotSupported;
      const int channels = int(format.mChannelsPerFrame);
      bus->mNHostChannels = 0;
      // Render reads and writes 32-bit floats: a format of other samples would be misread.
      const bool accepted = channels > 0 && CheckChannelCount(scope, element, channels) &&
                            format.mFormatID == kAudioFormatLinearPCM &&
                            (format.mFormatFlags & kAudioFormatFlagIsFloat) && format.mBitsPerChannel == 32;
      bus->mNHostChannels = accepted ? channels : bus->mNPlugChannels;
      if (format.mSampleRate != 0.0)
        SetSampleRate(format.mSampleRate);
      RefreshInputConnections();
      return accepted ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidProperty);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (Take<UInt32>(data) == 0 || Take<UInt32>(data) > kMaxFramesPerSlice)
        return kAudioUnitErr_InvalidPropertyValue;
      ResizeAdapterScratch(int(Take<UInt32>(data)));
      ResetProcessing();
      return noErr;
    case kAudioUnitProperty_BypassEffect:
      SetBypassed(Take<UInt32>(data) != 0);
      SetActive(!GetBypassed());
      ResetProcessing();
      return noErr;
    case kAudioUnitProperty_OfflineRender:
      SetRenderingOffline(Take<UInt32>(data) != 0);
      ResetProcessing();
      return noErr;
    case kAudioUnitProperty_SetRenderCallback:
    {
      if (scope != kAudioUnitScope_Input || element >= mInputConnections.size())
        return kAudioUnitErr_InvalidProperty;
      const auto callback = Take<AURenderCallbackStruct>(data);
      InputConnection& connection = mInputConnections[element];
      connection = InputConnection{};
      if (callback.inputProc)
      {
        connection.mCallbackProc = callback.inputProc;
        connection.mCallbackRefCon = callback.inputProcRefCon;
      }
      RefreshInputConnections();
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      mHostCallbacks = Take<HostCallbackInfo>(data);
      return noErr;
    case kAudioUnitProperty_AUHostIdentifier:
    {
      if (GetHost() == kHostUninit)
      {
        const auto identifier = Take<AUHostIdentifier>(data);
        char name[256] = "";
        CFStringGetCString(identifier.hostName, name, sizeof name, kCFStringEncodingUTF8);
        const int minor = identifier.hostVersion.minorAndBugRev;
        IdentifyHost(name, (identifier.hostVersion.majorRev << 16) | ((minor << 4) & 0xF00) | (minor & 0xF));
      }
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallback: mMidiCallback = Take<AUMIDIOutputCallbackStruct>(data); return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

namespace {

AudioUnitParameterUnit UnitOf(const IParam& param)
{
  switch (param.GetKind())
  {
    case ParamKind::Bool: return kAudioUnitParameterUnit_Boolean;
    case ParamKind::Int:
    case ParamKind::Enum: return kAudioUnitParameterUnit_Indexed;
    default: break;
  }
  // clang-format off
  static constexpr AudioUnitParameterUnit kByUnit[] = {
    kAudioUnitParameterUnit_Percent, kAudioUnitParameterUnit_Seconds, kAudioUnitParameterUnit_Milliseconds,
    kAudioUnitParameterUnit_SampleFrames, kAudioUnitParameterUnit_Decibels, kAudioUnitParameterUnit_LinearGain,
    kAudioUnitParameterUnit_Pan, kAudioUnitParameterUnit_Phase, kAudioUnitParameterUnit_Degrees,
    kAudioUnitParameterUnit_Meters, kAudioUnitParameterUnit_Rate, kAudioUnitParameterUnit_Ratio,
    kAudioUnitParameterUnit_Hertz, kAudioUnitParameterUnit_Octaves, kAudioUnitParameterUnit_Cents,
    kAudioUnitParameterUnit_AbsoluteCents, kAudioUnitParameterUnit_RelativeSemiTones,
    kAudioUnitParameterUnit_MIDINoteNumber, kAudioUnitParameterUnit_MIDIController, kAudioUnitParameterUnit_BPM,
    kAudioUnitParameterUnit_Beats};
  // clang-format on
  const auto unit = size_t(param.GetUnit());
  if (param.GetUnit() == ParamUnit::Custom)
    return param.GetLabel()[0] ? kAudioUnitParameterUnit_CustomUnit : kAudioUnitParameterUnit_Generic;
  return unit < std::size(kByUnit) ? kByUnit[unit] : kAudioUnitParameterUnit_Generic;
}

AudioUnitParameterOptions DisplayFlags(ParamDisplayCurve curve)
{
  switch (curve)
  {
    case ParamDisplayCurve::Log: return kAudioUnitParameterFlag_DisplayLogarithmic;
    case ParamDisplayCurve::Exp: return kAudioUnitParameterFlag_DisplayExponential;
    case ParamDisplayCurve::Squared: return kAudioUnitParameterFlag_DisplaySquared;
    case ParamDisplayCurve::SquareRoot: return kAudioUnitParameterFlag_DisplaySquareRoot;
    case ParamDisplayCurve::Cubed: return kAudioUnitParameterFlag_DisplayCubed;
    case ParamDisplayCurve::CubeRoot: return kAudioUnitParameterFlag_DisplayCubeRoot;
    default: return 0;
  }
}

// The layouts a bus of that many channels can take, most common first.
std::span<const AudioChannelLayoutTag> CandidateTags(int channels, AudioChannelLayoutTag& single)
{
  static constexpr AudioChannelLayoutTag k4[] = {0x6C0004, 0x6B0004, 0xBE0004};
  static constexpr AudioChannelLayoutTag k6[] = {0x790006, 0x8B0006};
  static constexpr AudioChannelLayoutTag k7[] = {0x7D0007, 0x8C0007};
  static constexpr AudioChannelLayoutTag k8[] = {0x800008, 0x7E0008};
  switch (channels)
  {
    case 0: single = 0x0; break;
    case 1: single = 0x640001; break;
    case 2: single = 0x650002; break;
    case 3: single = 0x710003; break;
    case 4: return k4;
    case 5: single = 0x760005; break;
    case 6: return k6;
    case 7: return k7;
    case 8: return k8;
    case 9:
    case 16: single = 0xBE0000 | AudioChannelLayoutTag(channels); break;
    default: single = 0x930000 | AudioChannelLayoutTag(channels); break;
  }
  return {&single, 1};
}

}  // namespace

void IPlugAU::FillParameterInfo(int paramIdx, AudioUnitParameterInfo& info)
{
  const IParam& param = *GetParam(paramIdx);
  info = AudioUnitParameterInfo{};
  info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
               kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
               kAudioUnitParameterFlag_CFNameRelease;
  if (param.GetFlags() & kFlagCannotAutomate)
    info.flags |= kAudioUnitParameterFlag_NonRealTime;
  if (param.GetFlags() & kFlagMeta)
    info.flags |= kAudioUnitParameterFlag_IsElementMeta;
  if (param.DisplayTextCount() > 0)
    info.flags |= kAudioUnitParameterFlag_ValuesHaveStrings;
  info.cfNameString = MakeCFString(param.GetName());
  std::snprintf(info.name, 32, "%.31s", param.GetName());  // the C name holds 31 characters
  info.unit = UnitOf(param);
  if (info.unit == kAudioUnitParameterUnit_CustomUnit)
    info.unitName = MakeCFString(param.GetLabel());
  info.flags |= DisplayFlags(param.GetShape().DisplayCurve());
  info.minValue = AudioUnitParameterValue(param.GetMin());
  info.maxValue = AudioUnitParameterValue(param.GetMax());
  info.defaultValue = AudioUnitParameterValue(param.GetDefault());
  const char* group = param.GetGroup();
  if (!group || !group[0])
    return;
  int clump = 0;
  while (clump < NParamGroups() && std::strcmp(GetParamGroupName(clump), group) != 0)
    ++clump;
  if (clump == NParamGroups())
    AddParamGroup(group);
  info.clumpID = UInt32(clump + 1);
  info.flags |= kAudioUnitParameterFlag_HasClump;
}

int IPlugAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* tags) const
{
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return tags ? 1 : 0;
  const BusDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  std::vector<AudioChannelLayoutTag> found;
  for (int i = 0; i < NChannelConfigs(); ++i)
  {
    const IChannelIOConfig& config = *GetChannelConfig(i);
    // A wildcard bus (a negative count) has no fixed layout to offer.
    if (int(element) >= config.NBuses(direction) || config.NChansOnBus(direction, int(element)) < 0)
      continue;
    AudioChannelLayoutTag single = 0;
    for (AudioChannelLayoutTag tag : CandidateTags(config.NChansOnBus(direction, int(element)), single))
      if (std::find(found.begin(), found.end(), tag) == found.end())
        found.push_back(tag);
  }
  if (!tags)
    return int(found.size());
  std::copy(found.begin(), found.end(), tags);
  return 1;
}

OSStatus IPlugAU::MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection)
{
  // A unit fed by its own output would pull itself without end.
  if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
      connection.destInputNumber >= mInputConnections.size() || (mCI && connection.sourceAudioUnit == mCI))
    return kAudioUnitErr_InvalidProperty;
  InputConnection& input = mInputConnections[connection.destInputNumber];
  input = InputConnection{};
  if (!connection.sourceAudioUnit)
  {
    RefreshInputConnections();
    return noErr;
  }
  AudioStreamBasicDescription format{};
  UInt32 size = sizeof format;
  OSStatus status = AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                                         kAudioUnitScope_Output, connection.sourceOutputNumber, &format, &size);
  if (status == noErr)
    status = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, connection.destInputNumber, &format,
                         sizeof format);
  if (status == noErr)
  {
    input.mUpstreamUnit = connection.sourceAudioUnit;
    input.mUpstreamBusIdx = connection.sourceOutputNumber;
    AudioUnitRenderProc render = nullptr;
    size = sizeof render;
    if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                             kAudioUnitRenderSelect, &render, &size) == noErr)
    {
      input.mUpstreamRenderProc = render;
      input.mUpstreamObj = GetComponentInstanceStorage(connection.sourceAudioUnit);
    }
  }
  RefreshInputConnections();
  return status == noErr ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidProperty);
}

// ---------------------------------------------------------------------------------------------
// The class-info state dictionary

namespace {

void SetNumber(CFMutableDictionaryRef dictionary, const char* key, SInt32 value)
{
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFStringRef name = MakeCFString(key);
  CFDictionarySetValue(dictionary, name, number);
  CFRelease(name);
  CFRelease(number);
}

// The value under key, when it is of the given type.
CFTypeRef Lookup(CFDictionaryRef dictionary, const char* key, CFTypeID type)
{
  CFStringRef name = MakeCFString(key);
  CFTypeRef value = CFDictionaryGetValue(dictionary, name);
  CFRelease(name);
  return value && CFGetTypeID(value) == type ? value : nullptr;
}

bool GetNumber(CFDictionaryRef dictionary, const char* key, SInt32& value)
{
  CFTypeRef number = Lookup(dictionary, key, CFNumberGetTypeID());
  return number && CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt32Type, &value);
}

}  // namespace

OSStatus IPlugAU::GetState(CFPropertyListRef* dictionaryOut)
{
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  SetNumber(dictionary, "version", PackedVersion());
  SetNumber(dictionary, "type", SInt32(ComponentTypeForPlug()));
  SetNumber(dictionary, "subtype", GetUniqueID());
  SetNumber(dictionary, "manufacturer", GetMfrID());
  CFStringRef nameKey = MakeCFString("name");
  CFStringRef name = MakeCFString(PresetSlotName(GetCurrentPresetIdx()));
  CFDictionarySetValue(dictionary, nameKey, name);
  CFRelease(name);
  CFRelease(nameKey);
  ByteChunk chunk;
  if (WriteState(chunk))
  {
    // The data takes the chunk's block over rather than a copy: a long measurement's state is
    // large, and held once.
    const int size = chunk.Size();
    CFDataRef bytes = CFDataCreateWithBytesNoCopy(nullptr, chunk.Release(), size, kCFAllocatorMalloc);
    CFStringRef dataKey = MakeCFString("data");
    CFDictionarySetValue(dictionary, dataKey, bytes);
    CFRelease(dataKey);
    CFRelease(bytes);
  }
  *dictionaryOut = dictionary;
  return noErr;
}

OSStatus IPlugAU::SetState(CFPropertyListRef state)
{
  if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  auto dictionary = static_cast<CFDictionaryRef>(state);
  // Every required key is checked before anything changes: a rejected dictionary changes nothing.
  SInt32 version, type, subtype, manufacturer;
  CFTypeRef name = Lookup(dictionary, "name", CFStringGetTypeID());
  CFTypeRef data = Lookup(dictionary, "data", CFDataGetTypeID());
  if (!GetNumber(dictionary, "version", version) || !GetNumber(dictionary, "type", type) ||
      !GetNumber(dictionary, "subtype", subtype) || !GetNumber(dictionary, "manufacturer", manufacturer) || !name ||
      !data || UInt32(type) != ComponentTypeForPlug() || subtype != GetUniqueID() || manufacturer != GetMfrID())
    return kAudioUnitErr_InvalidPropertyValue;
  const CFIndex length = CFDataGetLength(static_cast<CFDataRef>(data));
  ByteChunk chunk;
  if (length > INT32_MAX || chunk.PutBytes(CFDataGetBytePtr(static_cast<CFDataRef>(data)), int(length)) != length)
    return kAudioUnitErr_InvalidPropertyValue;
  // The named preset comes first and the state goes on top of it, so the state is checked whole
  // before the preset is loaded: a refused dictionary changes nothing.
  if (!CanReadState(chunk, 0))
    return kAudioUnitErr_InvalidPropertyValue;
  LoadPresetSlotByName(Utf8(name).c_str());
  // Every result below 1 is a failure; after the check only exhausted memory can still cause one.
  if (ReadState(chunk, 0) < 1)
    return kAudioUnitErr_InvalidPropertyValue;
  StateRestored();
  return noErr;
}

}  // namespace iplug
