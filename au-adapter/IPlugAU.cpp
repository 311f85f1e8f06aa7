#include "au-adapter/IPlugAU.h"

#include "au-adapter/AUStrings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace iplug {

IPlugAU::IPlugAU(const InstanceInfo& info, const IPluginConfig& config)
: IPlugAPIBase(config, kAPIAU), IPlugProcessor(config), mCocoaViewFactoryClassName(info.mCocoaViewFactoryClassName)
{
  int nInputBuses = LargestBusCount(kInput);
  if (nInputBuses == 1 && BusChannelCount(kInput, 0) == 0)
    nInputBuses = 0;
  const int nBuses[2] = {nInputBuses, LargestBusCount(kOutput)};
  mInputConnections.resize(size_t(nBuses[kInput]));
  mNextInputs.resize(size_t(nBuses[kInput]));
  mRenderInputs.resize(size_t(nBuses[kInput]));
  for (BusDirection direction : {kInput, kOutput})
  {
    int first = 0;
    for (int bus = 0; bus < nBuses[direction]; ++bus)
    {
      const int nPlugChannels = std::abs(BusChannelCount(direction, bus));
      mBusChannels[direction].push_back(BusChannels{false, -1, nPlugChannels, first});
      first += nPlugChannels;
    }
  }
  RefreshInputConnections();
  ResizeAdapterScratch(512);
  // Room for the largest system-exclusive message in packets of 256 bytes, or a full MIDI queue.
  mMidiPacketList.resize(MIDIPacketListSizeFor(SysExData::kMaxSize / 256 + kMidiQueueCapacity,
                                               SysExData::kMaxSize + 3 * kMidiQueueCapacity));
  StartIdleTimer();
}

IPlugAU::~IPlugAU() = default;

const char* IPlugAU::InputConnectionName(ConnectionType type)
{
  switch (type)
  {
    case kDirectFastProc: return "DirectFastProc";
    case kDirectNoFastProc: return "DirectNoFastProc";
    case kRenderCallback: return "RenderCallback";
    default: return "NotConnected";
  }
}

const IPlugAU::BusChannels* IPlugAU::GetBus(BusDirection direction, int idx) const
{
  return idx >= 0 && idx < NBuses(direction) ? &mBusChannels[direction][size_t(idx)] : nullptr;
}

void IPlugAU::ResizeAdapterScratch(int blockSize)
{
  ResizeScratchBuffers(blockSize);
  mInScratch.assign(size_t(blockSize) * size_t(NChannels(kInput)), 0.0f);
  mOutScratch.assign(size_t(blockSize) * size_t(NChannels(kOutput)), 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Initialize, Uninitialize, Reset and channel checks

namespace {

// "major.minor.bugfix": decimal numbers separated by single characters; missing parts count 0.
int ParseBundleVersion(const char* text)
{
  int parts[3] = {0, 0, 0};
  for (int i = 0; i < 3 && text && *text; ++i)
  {
    char* end = nullptr;
    parts[i] = int(std::strtol(text, &end, 10));
    if (end == text)
      break;
    text = *end ? end + 1 : end;
  }
  return (parts[0] << 16) | ((parts[1] << 8) & 0xFFFF) | (parts[2] & 0xFF);
}

}  // namespace

OSStatus IPlugAU::Initialize()
{
  if (GetHost() == kHostUninit)
  {
    CFBundleRef main = CFBundleGetMainBundle();
    const std::string identifier = Utf8(CFBundleGetIdentifier(main));
    CFTypeRef version = CFBundleGetValueForInfoDictionaryKey(main, kCFBundleVersionKey);
    const bool isText = version && CFGetTypeID(version) == CFStringGetTypeID();
    IdentifyHost(identifier.c_str(), isText ? ParseBundleVersion(Utf8(version).c_str()) : 0);
  }
  const int nIn = HostChannelTotal(kInput);
  const int nOut = HostChannelTotal(kOutput);
  if (!(nIn == 0 && nOut == 0) && !AcceptsChannelCounts(nIn, nOut))
    return badComponentSelector;
  mActive = true;
  mLastRenderSampleTime = kNoRenderYet;
  ParametersReset(kReset);
  SetActive(true);
  // A sample rate set through the stream format reaches the plug-in here, even when the host
  // never calls Reset; the plug-in rebuilds only what changed.
  ResetProcessing();
  return noErr;
}

OSStatus IPlugAU::Uninitialize()
{
  mActive = false;
  SetActive(false);
  return noErr;
}

OSStatus IPlugAU::Reset(AudioUnitScope, AudioUnitElement)
{
  mLastRenderSampleTime = kNoRenderYet;
  ResetProcessing();
  return noErr;
}

int IPlugAU::HostChannelTotal(BusDirection direction, int exceptBus) const
{
  int total = -1;
  for (int bus = 0; bus < NBuses(direction); ++bus)
  {
    const int n = mBusChannels[direction][size_t(bus)].mNHostChannels;
    if (bus != exceptBus && n >= 0)
      total = std::max(total, 0) + n;
  }
  return total;
}

bool IPlugAU::CheckChannelCount(AudioUnitScope scope, AudioUnitElement element, int proposed) const
{
  const BusDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  const BusDirection other = direction == kInput ? kOutput : kInput;
  const int own = std::max(HostChannelTotal(direction, int(element)), 0) + proposed;
  const int theirs = !mActive || NBuses(other) == 0 ? -1 : HostChannelTotal(other);
  return direction == kInput ? AcceptsChannelCounts(own, theirs) : AcceptsChannelCounts(theirs, own);
}

// ---------------------------------------------------------------------------------------------
// Listeners and notifications

OSStatus IPlugAU::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData)
{
  const bool known = std::any_of(mPropertyListeners.begin(), mPropertyListeners.end(),
                                 [&](const PropertyListener& l) { return l.mPropID == id && l.mListenerProc == proc; });
  if (!known)
    mPropertyListeners.push_back(PropertyListener{id, proc, userData});
  return noErr;
}

OSStatus IPlugAU::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  auto found = std::find_if(mPropertyListeners.begin(), mPropertyListeners.end(),
                            [&](const PropertyListener& l) { return l.mPropID == id && l.mListenerProc == proc; });
  if (found != mPropertyListeners.end())
    mPropertyListeners.erase(found);
  return noErr;
}

OSStatus IPlugAU::RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                                     void* userData)
{
  auto found = std::find_if(mPropertyListeners.begin(), mPropertyListeners.end(), [&](const PropertyListener& l) {
    return l.mPropID == id && l.mListenerProc == proc && l.mProcArgs == userData;
  });
  if (found != mPropertyListeners.end())
    mPropertyListeners.erase(found);
  return noErr;
}

void IPlugAU::CallListeners(AudioUnitPropertyID id, AudioUnitScope scope)
{
  // A listener may add or remove listeners while it is called: call the ones registered now, from
  // a copy, so the list can change under the loop.
  std::vector<PropertyListener> listeners;
  std::copy_if(mPropertyListeners.begin(), mPropertyListeners.end(), std::back_inserter(listeners),
               [id](const PropertyListener& listener) { return listener.mPropID == id; });
  for (const PropertyListener& listener : listeners)
    listener.mListenerProc(listener.mProcArgs, mCI, id, scope, 0);
}

void IPlugAU::SendAUEvent(AudioUnitEventType type, int paramIdx)
{
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter = {mCI, AudioUnitParameterID(paramIdx), kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPlugAU::NotifyHostGestureBegin(int paramIdx)
{
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, paramIdx);
}
void IPlugAU::NotifyHostGestureEnd(int paramIdx)
{
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, paramIdx);
}
void IPlugAU::NotifyHostValueChange(int paramIdx, double)
{
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, paramIdx);
}

void IPlugAU::NotifyHostParameterInfoChanged()
{
  CallListeners(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global);
  CallListeners(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global);
}

void IPlugAU::NotifyHostPresetChanged()
{
  CallListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void IPlugAU::StoreLatency(int samples)
{
  IPlugProcessor::StoreLatency(samples);
  // Listeners are host code that may allocate or lock, and the list they live in belongs to the
  // main thread: from the audio thread the latency is told on the next idle tick.
  if (mAudioThreadCalls.load(std::memory_order_acquire) > 0)
    mLatencyUntold.store(true, std::memory_order_release);
  else
    CallListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
}

void IPlugAU::IdleTimerFired()
{
  if (mLatencyUntold.exchange(false, std::memory_order_acq_rel))
    CallListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IPlugAPIBase::IdleTimerFired();
}

// ---------------------------------------------------------------------------------------------
// Parameters

OSStatus IPlugAU::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                               AudioUnitParameterValue* value)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  const IParam* param = GetParam(int(id));
  if (!param)
    return kAudioUnitErr_InvalidParameter;
  *value = AudioUnitParameterValue(param->Value());
  return noErr;
}

OSStatus IPlugAU::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                               AudioUnitParameterValue value, UInt32 offset)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  IParam* param = GetParam(int(id));
  if (!param)
    return kAudioUnitErr_InvalidParameter;
  // Set keeps the previous value, rounds a stepped parameter to its step and clamps to the range.
  param->Set(double(value));
  QueueValueForEditor(int(id), double(value), false);
  ParameterChanged(int(id), kHost, int(offset));
  return noErr;
}

OSStatus IPlugAU::ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 count)
{
  const OnAudioThread audioThread(*this);  // hosts schedule a block's parameters from their render thread
  for (UInt32 i = 0; i < count; ++i)
  {
    const AudioUnitParameterEvent& event = events[i];
    if (event.eventType != kParameterEvent_Immediate)
      continue;
    if (event.scope != kAudioUnitScope_Global)
      return kAudioUnitErr_InvalidProperty;
    const OSStatus status = SetParameter(event.parameter, event.scope, event.element, event.eventValues.immediate.value,
                                         event.eventValues.immediate.bufferOffset);
    if (status != noErr)
      return status;
  }
  return noErr;
}

// ---------------------------------------------------------------------------------------------
// MIDI

OSStatus IPlugAU::MidiEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offset)
{
  if (!DoesMidiIn())
    return badComponentSelector;
  const IMidiMsg msg{int(offset), uint8_t(status), uint8_t(data1), uint8_t(data2)};
  HandleMidi(msg);
  mMidiMsgsFromProcessor.Push(msg);
  return noErr;
}

OSStatus IPlugAU::SysEx(const UInt8* data, UInt32 length)
{
  if (!DoesMidiIn())
    return badComponentSelector;
  // A message that does not fit, or whose bytes are missing, would reach the plug-in corrupted.
  if (length > UInt32(SysExData::kMaxSize) || (!data && length > 0))
    return kAudio_ParamError;
  SysExData message;
  message.mSize = int(length);
  if (length > 0)
    std::memcpy(message.mData, data, length);
  ProcessSysEx(message);
  return noErr;
}

bool IPlugAU::SendMidi(const IMidiMsg& msg)
{
  return SendMidiList(std::span<const IMidiMsg>(&msg, 1));
}

// Room in the list for a message of three bytes, the most it can take: a packet of its own, with
// one alignment step more for when its first bytes still fill the packet in use.
static bool HasRoomForMessage(const MIDIPacketList* list, size_t listSize, const MIDIPacket* current)
{
  const MIDIPacket* next = list->numPackets == 0 ? current : MIDIPacketNext(current);
  const auto used = size_t(reinterpret_cast<const Byte*>(next) - reinterpret_cast<const Byte*>(list));
  return used + offsetof(MIDIPacket, data) + 3 + 4 <= listSize;
}

// As many lists as the messages need, each sent when the next message would not fit whole.
bool IPlugAU::SendMidiList(std::span<const IMidiMsg> msgs)
{
  if (!mMidiCallback.midiOutputCallback)
    return false;
  auto* list = reinterpret_cast<MIDIPacketList*>(mMidiPacketList.data());
  const size_t listSize = mMidiPacketList.size();
  bool sent = true;
  MIDIPacket* packet = MIDIPacketListInit(list);
  for (const IMidiMsg& msg : msgs)
  {
    if (!HasRoomForMessage(list, listSize, packet))
    {
      sent = SendPacketList(list) && sent;
      packet = MIDIPacketListInit(list);
    }
    for (const uint8_t byte : {msg.mStatus, msg.mData1, msg.mData2})
      if (!(packet = MIDIPacketListAdd(list, listSize, packet, MIDITimeStamp(msg.mOffset), 1, &byte)))
        return false;  // not reached: the room was checked
  }
  return SendPacketList(list) && sent;
}

bool IPlugAU::SendPacketList(const MIDIPacketList* list)
{
  return mMidiCallback.midiOutputCallback(mMidiCallback.userData, &mLastRenderTimeStamp, 0, list) == noErr;
}

bool IPlugAU::SendSysExData(const SysExView& msg)
{
  if (!mMidiCallback.midiOutputCallback || msg.mSize < 0 || msg.mSize > SysExData::kMaxSize)
    return false;
  auto* list = reinterpret_cast<MIDIPacketList*>(mMidiPacketList.data());
  MIDIPacket* packet = MIDIPacketListInit(list);
  for (int done = 0; packet && done < msg.mSize; done += 256)
  {
    const int size = std::min(256, msg.mSize - done);
    packet = MIDIPacketListAdd(list, mMidiPacketList.size(), packet, MIDITimeStamp(msg.mOffset), ByteCount(size),
                               msg.mData + done);
  }
  return packet && SendPacketList(list);
}

}  // namespace iplug
