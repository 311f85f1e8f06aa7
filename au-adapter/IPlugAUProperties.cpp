#include "au-adapter/IPlugAU.h"

#include "au-adapter/AUStrings.h"

#include <cstring>

namespace iplug {

namespace {

// Writes a value of type T into the host's data when there is data.
template <class T> void Put(void* data, const T& value)
{
  if (data)
    std::memcpy(data, &value, sizeof(T));
}

template <class T> T Take(const void* data)
{
  T value;
  std::memcpy(&value, data, sizeof(T));
  return value;
}

} // namespace

IPlugAU::BusChannels* IPlugAU::StreamFormatBus(AudioUnitScope scope, AudioUnitElement element)
{
  const BusDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return nullptr;
  if (element >= UInt32(NBuses(direction)))
    return nullptr;
  return &mBusChannels[direction][element];
}

OSStatus IPlugAU::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                  UInt32* size, Boolean* writable)
{
  UInt32 localSize = 0;
  Boolean localWritable = false;
  writable = writable ? writable : &localWritable;
  *writable = false;
  return GetProperty(id, scope, element, size ? size : &localSize, writable, nullptr);
}

OSStatus IPlugAU::GetPropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   void* data, UInt32* size)
{
  UInt32 localSize = 0;
  Boolean writable = false;
  return GetProperty(id, scope, element, size ? size : &localSize, &writable, data);
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                              Boolean* writable, void* data)
{
  const bool global = scope == kAudioUnitScope_Global;
  switch (id) {
  case kPlugObjectProperty: {
    *size = sizeof(IPlugAU*);
    Put(data, this);
    return noErr;
  }
  case kAudioUnitProperty_ClassInfo: {
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
  case kAudioUnitProperty_ParameterList: {
    const UInt32 n = global ? UInt32(NParams()) : 0;
    *size = n * sizeof(AudioUnitParameterID);
    if (data)
      for (UInt32 i = 0; i < n; ++i)
        static_cast<AudioUnitParameterID*>(data)[i] = i;
    return noErr;
  }
  case kAudioUnitProperty_StreamFormat: {
    const BusChannels* bus = StreamFormatBus(scope, element);
    if (!bus)
      return kAudioUnitErr_InvalidProperty;
    *size = sizeof(AudioStreamBasicDescription);
    *writable = true;
    const UInt32 channels = UInt32(bus->mNHostChannels < 0 ? bus->mNPlugChannels : bus->mNHostChannels);
    Put(data, AudioStreamBasicDescription{GetSampleRate(), kAudioFormatLinearPCM,
                                          kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked |
                                            kAudioFormatFlagIsNonInterleaved,
                                          4, 1, 4, channels, 32, 0});
    return noErr;
  }
  case kAudioUnitProperty_ElementCount: {
    *size = sizeof(UInt32);
    const UInt32 count = global ? 1
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
  case kAudioUnitProperty_SupportedNumChannels: {
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
      for (int i = 0; i < NChannelConfigs(); ++i) {
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
  case kAudioUnitProperty_ParameterIDName: {
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
  case kAudioUnitProperty_ParameterValueFromString: {
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
  case kAudioUnitProperty_MIDIOutputCallback:
    *size = sizeof(AUMIDIOutputCallbackStruct);
    *writable = true;
    return kAudioUnitErr_InvalidProperty;
  default:
    return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus IPlugAU::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* data, UInt32)
{
  CallListeners(id, scope);
  const bool global = scope == kAudioUnitScope_Global;
  switch (id) {
  case kAudioUnitProperty_ClassInfo:
    return SetState(Take<CFPropertyListRef>(data));
  case kAudioUnitProperty_SampleRate:
    SetSampleRate(Take<Float64>(data));
    ResetProcessing();
    return noErr;
  case kAudioUnitProperty_StreamFormat: {
    BusChannels* bus = StreamFormatBus(scope, element);
    if (!bus)
      return kAudioUnitErr_InvalidProperty;
    const auto format = Take<AudioStreamBasicDescription>(data);
    const int channels = int(format.mChannelsPerFrame);
    bus->mNHostChannels = 0;
    const bool accepted = channels > 0 && CheckChannelCount(scope, element, channels) &&
                          format.mFormatID == kAudioFormatLinearPCM &&
                          (format.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked));
    bus->mNHostChannels = accepted ? channels : bus->mNPlugChannels;
    if (format.mSampleRate > 0.0)
      SetSampleRate(format.mSampleRate);
    RefreshInputConnections();
    return accepted ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidProperty);
  }
  case kAudioUnitProperty_MaximumFramesPerSlice:
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
  case kAudioUnitProperty_SetRenderCallback: {
    if (scope != kAudioUnitScope_Input || element >= mInputConnections.size())
      return kAudioUnitErr_InvalidProperty;
    const auto callback = Take<AURenderCallbackStruct>(data);
    InputConnection& connection = mInputConnections[element];
    connection = InputConnection{};
    if (callback.inputProc) {
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
  case kAudioUnitProperty_AUHostIdentifier: {
    if (GetHost() == kHostUninit) {
      const auto identifier = Take<AUHostIdentifier>(data);
      char name[256] = "";
      CFStringGetCString(identifier.hostName, name, sizeof name, kCFStringEncodingUTF8);
      const int minor = identifier.hostVersion.minorAndBugRev;
      IdentifyHost(name, (identifier.hostVersion.majorRev << 16) | ((minor << 4) & 0xF00) | (minor & 0xF));
    }
    return noErr;
  }
  case kAudioUnitProperty_MIDIOutputCallback:
    mMidiCallback = Take<AUMIDIOutputCallbackStruct>(data);
    return noErr;
  default:
    return kAudioUnitErr_InvalidProperty;
  }
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

} // namespace

OSStatus IPlugAU::GetState(CFPropertyListRef* dictionaryOut)
{
  CFMutableDictionaryRef dictionary =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
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
  if (WriteState(chunk)) {
    CFDataRef bytes = CFDataCreate(nullptr, chunk.GetData(), chunk.Size());
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
  // The named preset comes first and the state goes on top of it; when the state cannot be read,
  // the state and preset from before are put back, so a refused dictionary changes nothing.
  ByteChunk before;
  const int presetBefore = GetCurrentPresetIdx();
  const bool saved = WriteState(before);
  LoadPresetSlotByName(Utf8(name).c_str());
  // Every result below 1 is a failure: 0 read nothing, -1 ran out of data.
  if (ReadState(chunk, 0) < 1) {
    if (saved)
      ReadState(before, 0);
    mCurrentPresetIdx = presetBefore;
    return kAudioUnitErr_InvalidPropertyValue;
  }
  StateRestored();
  return noErr;
}

} // namespace iplug
