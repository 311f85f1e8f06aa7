#pragma once
// The plug-in as an audio unit: the host reaches it through a factory block or a component entry
// routine, and every call becomes a call on this object. It owns the bus and connection records,
// property listeners, render notifications and the scratch buffers for host buffers it is not
// given.

#include "framework/IPlugAPIBase.h"
#include "framework/IPlugProcessor.h"
#include "platform/AudioToolbox/AudioUnit.h"
#include "platform/CoreFoundation/CoreFoundation.h"
#include "platform/CoreMIDI/MIDIServices.h"

#include <atomic>
#include <span>
#include <string>
#include <vector>

namespace iplug {

// What the entry points hand to the plug-in class's constructor.
struct InstanceInfo
{
  std::string mCocoaViewFactoryClassName;
};

class IPlugAU : public IPlugAPIBase, public IPlugProcessor
{
public:
  // The private property through which the view factory fetches this object.
  static constexpr AudioUnitPropertyID kPlugObjectProperty = static_cast<AudioUnitPropertyID>(-101);
  // The largest slice a host may ask for; the scratch buffers are sized for it up front.
  static constexpr UInt32 kMaxFramesPerSlice = 1 << 16;

  struct BusChannels
  {
    bool mConnected = false;
    int mNHostChannels = -1;  // -1: the host has not set it
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  enum ConnectionType : int32_t { kNotConnected = 0, kDirectFastProc, kDirectNoFastProc, kRenderCallback };

  struct InputConnection
  {
    void* mUpstreamObj = nullptr;
    AudioUnit mUpstreamUnit = nullptr;
    UInt32 mUpstreamBusIdx = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallback mCallbackProc = nullptr;
    void* mCallbackRefCon = nullptr;
    ConnectionType mConnectionType = kNotConnected;
  };

  // What Render reads of an input bus. The control thread hands Render a whole new set when a
  // connection or format changes, so that no change meets a render half done.
  struct RenderInput
  {
    InputConnection mConnection;
    bool mConnected = false;
    int mNHostChannels = 0;
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  struct PropertyListener
  {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  struct RenderNotifyEntry
  {
    AURenderCallback mProc;
    void* mRefCon;
  };

  IPlugAU(const InstanceInfo& info, const IPluginConfig& config);
  ~IPlugAU() override;

  // The older component road: one routine receives every selector with its arguments.
  static ComponentResult ComponentEntry(ComponentParameters* params, IPlugAU* plug, IPlugAU* (*create)(void* storage));
  static const char* InputConnectionName(ConnectionType type);

  // ---- the host's calls
  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset(AudioUnitScope scope, AudioUnitElement element);
  // The two host calls: size and writability only, or the value too. Null out pointers are allowed.
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                           Boolean* writable);
  OSStatus GetPropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                            UInt32* size);
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                       Boolean* writable, void* data);
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                       UInt32 size);
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData);
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* value);
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 offset);
  OSStatus ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 count);
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus Render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 outputBus, UInt32 frames,
                  AudioBufferList* buffers);
  OSStatus MidiEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offset);
  OSStatus SysEx(const UInt8* data, UInt32 length);

  // Whether the host may set a stream format of that many channels on that bus now.
  bool CheckChannelCount(AudioUnitScope scope, AudioUnitElement element, int proposed) const;
  // Without tags: how many layout tags the bus offers; with tags: writes them and returns 1.
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* tags) const;

  // ---- the class-info state dictionary
  OSStatus GetState(CFPropertyListRef* dictionary);
  OSStatus SetState(CFPropertyListRef dictionary);

  // ---- plug-in to host
  void NotifyHostGestureBegin(int paramIdx) override;
  void NotifyHostGestureEnd(int paramIdx) override;
  void NotifyHostValueChange(int paramIdx, double normalised) override;
  void NotifyHostParameterInfoChanged() override;
  void NotifyHostPresetChanged() override;
  bool SendMidi(const IMidiMsg& msg) override;
  bool SendMidiList(std::span<const IMidiMsg> msgs) override;
  bool SendSysExData(const SysExView& msg) override;
  void StoreLatency(int samples) override;
  // Tells the latency listeners of a latency stored on the audio thread, then the idle work.
  void IdleTimerFired() override;

  void SetComponentInstance(AudioComponentInstance instance) { mCI = instance; }
  AudioComponentInstance GetComponentInstance() const { return mCI; }
  bool IsInitialized() const { return mActive; }
  const BusChannels* GetBus(BusDirection direction, int idx) const;
  int NBuses(BusDirection direction) const { return int(mBusChannels[direction].size()); }

private:
  // Marks, for as long as they run, the calls a host makes on its audio thread (render and
  // scheduled parameters), nested ones included. A latency stored on another thread meanwhile is
  // told a tick late, which is harmless; one stored on the audio thread is never told there.
  class OnAudioThread
  {
  public:
    explicit OnAudioThread(IPlugAU& plug) : mCalls(plug.mAudioThreadCalls)
    {
      mCalls.fetch_add(1, std::memory_order_acq_rel);
    }
    ~OnAudioThread() { mCalls.fetch_sub(1, std::memory_order_acq_rel); }
    OnAudioThread(const OnAudioThread&) = delete;
    OnAudioThread& operator=(const OnAudioThread&) = delete;

  private:
    std::atomic<int>& mCalls;
  };

  void SendAUEvent(AudioUnitEventType type, int paramIdx);
  // Hands a packet list to the host's MIDI output; true when it took it.
  bool SendPacketList(const MIDIPacketList* list);
  void CallListeners(AudioUnitPropertyID id, AudioUnitScope scope);
  // Sum of the set host channel counts of a direction's buses (except one), or -1 when none is set.
  int HostChannelTotal(BusDirection direction, int exceptBus = -1) const;
  BusChannels* StreamFormatBus(AudioUnitScope scope, AudioUnitElement element);
  void RefreshInputConnections();
  // Puts the input set last handed over to use: the connections Render pulls from, and the input
  // channels marked and cleared. On the audio thread, or while no render can run.
  void TakeInputConnections();
  // The host's parameter record; the names are new strings the host releases.
  void FillParameterInfo(int paramIdx, AudioUnitParameterInfo& info);
  OSStatus MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection);
  void ResizeAdapterScratch(int blockSize);
  void FillTimeInfo();
  OSStatus PullInputs(const AudioTimeStamp* timeStamp, UInt32 frames);
  void BindOutputs(UInt32 outputBus, UInt32 frames, AudioBufferList* buffers);
  // The bus before the first unconnected output bus; -1 without output buses.
  int LastConnectedOutputBus() const;

  bool mActive = false;
  // The sample time whose input was last pulled; none after Initialize and Reset, so that the
  // first render after them pulls its input whatever its time.
  static constexpr double kNoRenderYet = -1.0;
  double mLastRenderSampleTime = kNoRenderYet;
  std::string mCocoaViewFactoryClassName;
  AudioComponentInstance mCI = nullptr;
  HostCallbackInfo mHostCallbacks{};
  std::vector<BusChannels> mBusChannels[2];
  std::vector<InputConnection> mInputConnections;
  // The handover of the input set: the control thread writes mNextInputs while it holds the
  // state kWriting and leaves it kReady; Render takes it (kTaking) into mRenderInputs, which only
  // it reads, and leaves it kIdle. Only the control thread ever waits.
  enum InputsState : int { kInputsIdle, kInputsWriting, kInputsReady, kInputsTaking };
  std::atomic<int> mInputsState{kInputsIdle};
  std::vector<RenderInput> mNextInputs;
  std::vector<RenderInput> mRenderInputs;
  std::vector<PropertyListener> mPropertyListeners;
  // A latency stored on the audio thread, whose listeners the idle timer has still to call.
  std::atomic<bool> mLatencyUntold{false};
  std::atomic<int> mAudioThreadCalls{0};
  std::vector<float> mInScratch;
  std::vector<float> mOutScratch;
  std::vector<RenderNotifyEntry> mRenderNotify;
  AUMIDIOutputCallbackStruct mMidiCallback{};
  AudioTimeStamp mLastRenderTimeStamp{};
  // Allocated once, never on the audio thread: the packet list for MIDI output.
  std::vector<uint8_t> mMidiPacketList;
};

}  // namespace iplug
