#pragma once
// The audio half of a plug-in: its channel-I/O configurations, one record per input and output
// channel with the double-precision buffers the host's audio passes through, the sample rate,
// block size, latency and transport, and the block-processing entry. Nothing on the audio path
// allocates or locks.

#include "framework/IPlugStructs.h"
#include "framework/WDLHeapBuf.h"
#include "framework/WDLPtrList.h"
#include "framework/WDLString.h"

#include <atomic>
#include <cstdint>
#include <span>

namespace iplug {

enum BusDirection : int32_t { kInput = 0, kOutput = 1 };

struct IBusSpec
{
  static constexpr int kWildcard = -64;  // "*": any channel count
  BusDirection mDirection = kInput;
  int mNChans = 0;
};

// One configuration of the channel-I/O string: its input buses, then its output buses.
struct IChannelIOConfig
{
  IChannelIOConfig() = default;
  IChannelIOConfig(const IChannelIOConfig&) = delete;
  IChannelIOConfig& operator=(const IChannelIOConfig&) = delete;
  ~IChannelIOConfig();

  void AddBus(BusDirection direction, int nChans);
  int NBuses(BusDirection direction) const { return mBuses[direction].GetSize(); }
  // The bus's channel count, 0 for a bus the configuration does not have.
  int NChansOnBus(BusDirection direction, int busIdx) const;
  // Sum of the buses' channel counts; a wildcard bus counts -64.
  int TotalNChannels(BusDirection direction) const;

private:
  WDL_PtrList<IBusSpec> mBuses[2];
};

struct IChannelBuffer
{
  bool mConnected = false;
  double** mSlot = nullptr;      // this channel's entry in the processor's pointer array
  float* mHostBuffer = nullptr;  // outputs: where the result goes
  WDL_TypedBuf<double> mScratch{4096};
  WDL_String mLabel;
};

struct ITransportInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

class IPlugProcessor
{
public:
  explicit IPlugProcessor(const IPluginConfig& config);
  virtual ~IPlugProcessor();
  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // ---- hooks
  // Default: input i to output i where both exist, further outputs silent.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  // Default: MIDI through.
  virtual void HandleMidi(const IMidiMsg& msg) { SendMidi(msg); }
  virtual void ProcessSysEx(const SysExData& /*msg*/) {}
  virtual void ResetProcessing() {}
  virtual void SetActive(bool /*active*/) {}
  virtual bool SendMidi(const IMidiMsg& msg) = 0;
  // True when every message was sent (and for none).
  virtual bool SendMidiList(std::span<const IMidiMsg> msgs);
  virtual bool SendSysExData(const SysExView& /*msg*/) { return false; }
  // "Input"/"Output" for a single bus, "Main"/"Aux" for two input buses, else numbered names.
  virtual void BusDisplayName(BusDirection direction, int busIdx, int nBuses, WDL_String& out) const;
  // Stores the latency; bypass takes it up at its next block. Allocates nothing, so any thread
  // may call it while audio runs.
  virtual void StoreLatency(int samples);
  // Sizes the bypass delay line once for latencies up to maxSamples on every channel, before any
  // audio runs. Bypass passes a latency beyond it undelayed.
  void ReserveLatency(int maxSamples);

  // ---- channel-I/O configurations
  // Parses "in-out" tokens separated by blanks; a side is buses separated by "." and a bus a
  // channel count or "*". A token without "-" is skipped. Returns the number of configurations
  // and writes the largest totals and bus counts of each direction.
  static int ParseChannelLayouts(const char* text, WDL_PtrList<IChannelIOConfig>& configs, int& maxNIn, int& maxNOut,
                                 int& maxNInBuses, int& maxNOutBuses);
  int NChannelConfigs() const { return mIOConfigs.GetSize(); }
  const IChannelIOConfig* GetChannelConfig(int idx) const { return mIOConfigs.Get(idx); }
  // Ties go to the later configuration.
  int LargestBusCount(BusDirection direction, int* configIdx = nullptr) const;
  int BusChannelCount(BusDirection direction, int busIdx) const;
  int FindChannelConfig(std::span<const int> inBusChans, std::span<const int> outBusChans) const;
  // A negative count accepts any.
  bool AcceptsChannelCounts(int nIn, int nOut) const;

  // ---- channels and buffers
  int NChannels(BusDirection direction) const { return Channels(direction).GetSize(); }
  int ConnectedChannelCount(BusDirection direction) const;
  void MarkChannelsConnected(BusDirection direction, int first, int count, bool connected);
  // Inputs: the host's floats are converted into the channels' buffers. Outputs: the host's
  // buffers are remembered. Unconnected channels consume no host buffer. Refused (false) for a
  // block longer than the block size.
  bool BindHostBuffers(BusDirection direction, int first, int count, float** hostBuffers, int nFrames);
  void BindHostDoubleBuffers(BusDirection direction, int first, int count, double** hostBuffers);
  // Sizes every channel buffer to blockSize samples of silence. Not for the audio thread.
  void ResizeScratchBuffers(int blockSize);
  void ZeroScratchBuffers();
  // Run ProcessBlock (or the bypass copy) and write the connected outputs to the host; refused
  // (false, nothing written) for a block longer than the block size.
  bool RunBlockProcessing(int nFrames) { return Run(nFrames, false, false); }
  bool RunBlockProcessingAccumulating(int nFrames) { return Run(nFrames, true, false); }
  bool BypassBuffers(int nFrames) { return Run(nFrames, false, true); }
  void RunBlockProcessingDouble(int nFrames);
  // Inputs from the third on become unconnected, outputs from the third on connected; returns the
  // number of outputs.
  int DisconnectExtraInputs();
  void SetChannelLabel(BusDirection direction, int idx, const char* format, bool zeroBased);
  double SamplesPerBeat() const;
  // 'aufx' (or 'aumf' with MIDI input), 'aumu' or 'aumi'.
  uint32_t ComponentTypeForPlug() const;

  // ---- state the host adapter writes and reads
  int GetPlugType() const { return mPlugType; }
  bool DoesMidiIn() const { return mDoesMidiIn; }
  int GetLatency() const { return mLatency.load(std::memory_order_relaxed); }
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetTailSize() const { return mTailSize; }
  void SetTailSize(int samples) { mTailSize = samples; }
  bool GetBypassed() const { return mBypassed; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  bool GetProcessWhileBypassed() const { return mProcessWhileBypassed; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  ITransportInfo& Transport() { return mTransport; }
  const ITransportInfo& Transport() const { return mTransport; }
  const char* GetChannelLabel(BusDirection direction, int idx) const;

private:
  WDL_PtrList<IChannelBuffer>& Channels(BusDirection direction) { return mChannels[direction]; }
  const WDL_PtrList<IChannelBuffer>& Channels(BusDirection direction) const { return mChannels[direction]; }
  double** ChannelArray(BusDirection direction) const;
  bool Run(int nFrames, bool accumulate, bool bypass);
  void DelayedCopy(double** inputs, double** outputs, int nFrames);

  int mPlugType = 0;
  bool mDoesMidiIn = false;
  std::atomic<int> mLatency{0};
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mTailSize = 0;
  bool mBypassed = false;
  bool mProcessWhileBypassed = false;  // the adapter processes instead of bypassing when set
  bool mRenderingOffline = false;
  WDL_PtrList<IChannelIOConfig> mIOConfigs;
  WDL_TypedBuf<double*> mChannelData[2];
  WDL_PtrList<IChannelBuffer> mChannels[2];
  ITransportInfo mTransport;
  // Bypass delays the audio by the latency, channel after channel, so that bypassing keeps time.
  // Each channel's line holds mLatencyDelayCapacity samples, of which the first
  // mLatencyDelayLength are in use; length and position belong to the audio thread.
  WDL_TypedBuf<double> mLatencyDelay;
  int mLatencyDelayCapacity = 0;
  int mLatencyDelayChannels = 0;
  int mLatencyDelayLength = 0;
  int mLatencyDelayPos = 0;
};

}  // namespace iplug
