#include "au-adapter/IPlugAU.h"

#include <algorithm>
#include <thread>

namespace iplug {

OSStatus IPlugAU::AddRenderNotify(AURenderCallback proc, void* refCon)
{
  mRenderNotify.push_back(RenderNotifyEntry{proc, refCon});
  return noErr;
}

OSStatus IPlugAU::RemoveRenderNotify(AURenderCallback proc, void*)
{
  auto found = std::find_if(mRenderNotify.begin(), mRenderNotify.end(),
                            [proc](const RenderNotifyEntry& entry) { return entry.mProc == proc; });
  if (found != mRenderNotify.end())
    mRenderNotify.erase(found);
  return noErr;
}

void IPlugAU::RefreshInputConnections()
{
  for (size_t i = 0; i < mInputConnections.size(); ++i)
  {
    InputConnection& connection = mInputConnections[i];
    BusChannels& bus = mBusChannels[kInput][i];
    if (connection.mUpstreamRenderProc && connection.mUpstreamObj)
      connection.mConnectionType = kDirectFastProc;
    else if (connection.mUpstreamUnit)
      connection.mConnectionType = kDirectNoFastProc;
    else if (connection.mCallbackProc)
      connection.mConnectionType = kRenderCallback;
    else
      connection.mConnectionType = kNotConnected;
    bus.mConnected = connection.mConnectionType != kNotConnected;
    if (bus.mConnected && bus.mNHostChannels < 0)
      bus.mNHostChannels = bus.mNPlugChannels;
  }

  // Hand the new set to Render, waiting only while a render is taking the previous one.
  int state = mInputsState.load(std::memory_order_acquire);
  for (;;)
  {
    const bool busy = state == kInputsTaking || state == kInputsWriting;
    if (!busy && mInputsState.compare_exchange_weak(state, kInputsWriting, std::memory_order_acquire))
      break;
    if (busy)
    {
      std::this_thread::yield();
      state = mInputsState.load(std::memory_order_acquire);
    }
  }
  for (size_t i = 0; i < mInputConnections.size(); ++i)
  {
    const BusChannels& bus = mBusChannels[kInput][i];
    mNextInputs[i] = RenderInput{mInputConnections[i], bus.mConnected, bus.mNHostChannels, bus.mNPlugChannels,
                                 bus.mPlugChannelStartIdx};
  }
  mInputsState.store(kInputsReady, std::memory_order_release);
  // Before initialisation no render runs: the set is put to use at once.
  if (!mActive)
    TakeInputConnections();
}

void IPlugAU::TakeInputConnections()
{
  int ready = kInputsReady;
  if (!mInputsState.compare_exchange_strong(ready, kInputsTaking, std::memory_order_acquire))
    return;
  mRenderInputs = mNextInputs;  // same sizes: no allocation
  mInputsState.store(kInputsIdle, std::memory_order_release);

  MarkChannelsConnected(kInput, 0, NChannels(kInput), false);
  // An input that is no longer fed must read silence, not the last audio it was given.
  ZeroScratchBuffers();
  for (const RenderInput& input : mRenderInputs)
  {
    if (!input.mConnected)
      continue;
    MarkChannelsConnected(kInput, input.mPlugChannelStartIdx, input.mNHostChannels, true);
    MarkChannelsConnected(kInput, input.mPlugChannelStartIdx + input.mNHostChannels,
                          std::max(input.mNPlugChannels - input.mNHostChannels, 0), false);
  }
}

void IPlugAU::FillTimeInfo()
{
  ITransportInfo& transport = Transport();
  transport = ITransportInfo{};
  const HostCallbackInfo& host = mHostCallbacks;
  // A host that gives no transport procedure at all leaves the tempo unknown (-1), so that the
  // plug-in can tell "no transport"; one that gives any keeps 120 unless it tells its tempo.
  if (!host.beatAndTempoProc && !host.musicalTimeLocationProc && !host.transportStateProc)
    transport.mTempo = -1.0;
  if (host.beatAndTempoProc)
  {
    Float64 beat = 0.0, tempo = 0.0;
    host.beatAndTempoProc(host.hostUserData, &beat, &tempo);
    transport.mTempo = tempo > 0.0 ? tempo : 120.0;
    transport.mPPQPos = beat;
  }
  if (host.transportStateProc)
  {
    Boolean playing = false, changed = false, cycling = false;
    Float64 sample = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    host.transportStateProc(host.hostUserData, &playing, &changed, &sample, &cycling, &cycleStart, &cycleEnd);
    transport.mSamplePos = sample > 0.0 ? sample : -1.0;
    transport.mCycleStart = cycleStart > 0.0 ? cycleStart : -1.0;
    transport.mCycleEnd = cycleEnd > 0.0 ? cycleEnd : -1.0;
    transport.mTransportIsRunning = playing;
    transport.mTransportLoopEnabled = cycling;
  }
  if (host.musicalTimeLocationProc)
  {
    UInt32 toNextBeat = 0, denominator = 0;
    Float32 numerator = 0.0f;
    Float64 downBeat = 0.0;
    host.musicalTimeLocationProc(host.hostUserData, &toNextBeat, &numerator, &denominator, &downBeat);
    transport.mLastBar = downBeat > 0.0 ? downBeat : -1.0;
    transport.mNumerator = int(numerator);
    transport.mDenominator = int(denominator);
  }
}

OSStatus IPlugAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 frames)
{
  for (size_t i = 0; i < mRenderInputs.size(); ++i)
  {
    const RenderInput& bus = mRenderInputs[i];
    const InputConnection& connection = bus.mConnection;
    if (!bus.mConnected)
      continue;
    // One mono buffer per host channel, on the stack: the audio thread allocates nothing.
    constexpr int kMaxChannels = 64;
    const int nChannels = std::min(bus.mNHostChannels, kMaxChannels);
    alignas(AudioBufferList) uint8_t storage[AudioBufferListSize(kMaxChannels)];
    auto* list = reinterpret_cast<AudioBufferList*>(storage);
    list->mNumberBuffers = UInt32(nChannels);
    for (int c = 0; c < nChannels; ++c)
      list->mBuffers[c] = AudioBuffer{1, frames * UInt32(sizeof(float)), nullptr};
    AudioUnitRenderActionFlags flags = 0;
    OSStatus status = noErr;
    switch (connection.mConnectionType)
    {
      case kDirectFastProc:
        status = connection.mUpstreamRenderProc(connection.mUpstreamObj, &flags, timeStamp, connection.mUpstreamBusIdx,
                                                frames, list);
        break;
      case kDirectNoFastProc:
        status = AudioUnitRender(connection.mUpstreamUnit, &flags, timeStamp, connection.mUpstreamBusIdx, frames, list);
        break;
      case kRenderCallback:
        for (int c = 0; c < nChannels; ++c)
        {
          const size_t at = size_t(bus.mPlugChannelStartIdx + c) * frames;
          list->mBuffers[c].mData = at + frames <= mInScratch.size() ? &mInScratch[at] : nullptr;
        }
        status = connection.mCallbackProc(connection.mCallbackRefCon, &flags, timeStamp, UInt32(i), frames, list);
        break;
      default: break;
    }
    if (status != noErr)
      return status;
    for (int c = 0; c < std::min(nChannels, int(list->mNumberBuffers)); ++c)
    {
      auto* data = static_cast<float*>(list->mBuffers[c].mData);
      if (!data)  // the source rendered nothing we could read
        return kAudio_ParamError;
      BindHostBuffers(kInput, bus.mPlugChannelStartIdx + c, 1, &data, int(frames));
    }
  }
  mLastRenderSampleTime = timeStamp->mSampleTime;
  return noErr;
}

void IPlugAU::BindOutputs(UInt32 outputBus, UInt32 frames, AudioBufferList* buffers)
{
  // Bind at most as many host buffers as the bus has channels; further buffers are left alone.
  // The host's list decides on every render which channels are written: after a format change a
  // channel beyond it must not keep the freed buffer of the old one, and one within it must not
  // stay unwritten.
  BusChannels& bus = mBusChannels[kOutput][outputBus];
  const int nBound = std::min(int(buffers->mNumberBuffers), bus.mNPlugChannels);
  MarkChannelsConnected(kOutput, bus.mPlugChannelStartIdx, nBound, true);
  MarkChannelsConnected(kOutput, bus.mPlugChannelStartIdx + nBound, bus.mNPlugChannels - nBound, false);
  bus.mConnected = true;
  for (int b = 0; b < nBound; ++b)
  {
    AudioBuffer& buffer = buffers->mBuffers[b];
    if (!buffer.mData)
    {
      const size_t at = size_t(bus.mPlugChannelStartIdx + b) * frames;
      buffer.mData = at + frames <= mOutScratch.size() ? &mOutScratch[at] : nullptr;
    }
    auto* data = static_cast<float*>(buffer.mData);
    BindHostBuffers(kOutput, bus.mPlugChannelStartIdx + b, 1, &data, int(frames));
  }
}

int IPlugAU::LastConnectedOutputBus() const
{
  for (int i = 0; i < NBuses(kOutput); ++i)
    if (!mBusChannels[kOutput][size_t(i)].mConnected)
      return i - 1;
  return NBuses(kOutput) - 1;
}

OSStatus IPlugAU::Render(AudioUnitRenderActionFlags* /*flags*/, const AudioTimeStamp* timeStamp, UInt32 outputBus,
                         UInt32 frames, AudioBufferList* buffers)
{
  const OnAudioThread audioThread(*this);
  if (!mActive)
    return kAudioUnitErr_Uninitialized;
  if (!timeStamp || !buffers)
    return kAudio_ParamError;
  mLastRenderTimeStamp = *timeStamp;
  if (!(timeStamp->mFlags & kAudioTimeStampSampleTimeValid) || int64_t(frames) > GetBlockSize())
    return kAudioUnitErr_InvalidPropertyValue;
  // A MIDI effect takes no audio: it pulls and binds nothing and processes on every call.
  const bool midiEffect = GetPlugType() == 2;
  if (!midiEffect && outputBus >= UInt32(NBuses(kOutput)))
    return kAudioUnitErr_InvalidElement;

  TakeInputConnections();
  const size_t nNotify = mRenderNotify.size();
  auto notify = [&](AudioUnitRenderActionFlags phase) {
    for (size_t i = 0; i < nNotify && i < mRenderNotify.size(); ++i)
    {
      AudioUnitRenderActionFlags actionFlags = phase;
      mRenderNotify[i].mProc(mRenderNotify[i].mRefCon, &actionFlags, timeStamp, outputBus, frames, buffers);
    }
  };
  notify(kAudioUnitRenderAction_PreRender);

  int lastConnected = -1;
  if (!midiEffect)
  {
    if (timeStamp->mSampleTime != mLastRenderSampleTime)
    {
      const OSStatus status = PullInputs(timeStamp, frames);
      if (status != noErr)
        return status;
    }
    BindOutputs(outputBus, frames, buffers);
    lastConnected = LastConnectedOutputBus();
  }
  if (midiEffect || int(outputBus) == lastConnected)
  {
    const int following = NBuses(kOutput) - int(outputBus) - 1;
    if (following > 0)
      MarkChannelsConnected(kOutput, 2 * (int(outputBus) + 1), 2 * following, false);
    if (GetBypassed() && !GetProcessWhileBypassed())
    {
      BypassBuffers(int(frames));
    }
    else
    {
      IMidiMsg msg;
      while (mMidiMsgsFromEditor.Pop(msg))
        HandleMidi(msg);
      FillTimeInfo();
      RunBlockProcessing(int(frames));
    }
  }

  notify(kAudioUnitRenderAction_PostRender);

  while (mSysExDataFromEditor.Pop(mSysexBuf))
    SendSysExData(SysExView{mSysexBuf.mOffset, mSysexBuf.mSize, mSysexBuf.mData});
  return noErr;
}

}  // namespace iplug
