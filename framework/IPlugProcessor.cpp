#include "framework/IPlugProcessor.h"

#include "framework/SampleConversion.h"
#include "platform/shared/FourCC.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace iplug {

// ---- configurations

IChannelIOConfig::~IChannelIOConfig()
{
  mBuses[kInput].Empty(true);
  mBuses[kOutput].Empty(true);
}

void IChannelIOConfig::AddBus(BusDirection direction, int nChans)
{
  auto* bus = new IBusSpec{direction, nChans};
  if (!mBuses[direction].Add(bus))
    delete bus;
}

int IChannelIOConfig::NChansOnBus(BusDirection direction, int busIdx) const
{
  const IBusSpec* bus = mBuses[direction].Get(busIdx);
  return bus ? bus->mNChans : 0;
}

int IChannelIOConfig::TotalNChannels(BusDirection direction) const
{
  int total = 0;
  for (int i = 0; i < NBuses(direction); ++i)
    total += NChansOnBus(direction, i);
  return total;
}

namespace {

// "%d" of a bus: the leading integer, 0 when there is none.
int BusChannels(const std::string& text)
{
  if (text == "*")
    return IBusSpec::kWildcard;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// Adds the side's buses to the configuration and returns its channel total.
int ParseSide(const std::string& side, BusDirection direction, IChannelIOConfig& config)
{
  int total = 0;
  size_t start = 0;
  while (true)
  {
    const size_t dot = side.find('.', start);
    const int nChans = BusChannels(side.substr(start, dot - start));
    if (nChans != 0)
      config.AddBus(direction, nChans);
    total += nChans;
    if (dot == std::string::npos)
      return total;
    start = dot + 1;
  }
}

}  // namespace

int IPlugProcessor::ParseChannelLayouts(const char* text, WDL_PtrList<IChannelIOConfig>& configs, int& maxNIn,
                                        int& maxNOut, int& maxNInBuses, int& maxNOutBuses)
{
  maxNIn = maxNOut = maxNInBuses = maxNOutBuses = 0;
  const std::string all = text ? text : "";
  int count = 0;
  size_t start = 0;
  while (start < all.size())
  {
    const size_t blank = std::min(all.find(' ', start), all.size());
    const std::string token = all.substr(start, blank - start);
    start = blank + 1;
    const size_t dash = token.find('-');
    if (dash == std::string::npos)
      continue;  // not a configuration

    auto* config = new IChannelIOConfig;
    const int nIn = ParseSide(token.substr(0, dash), kInput, *config);
    const int nOut = ParseSide(token.substr(dash + 1), kOutput, *config);
    maxNIn = std::max(maxNIn, nIn);
    maxNOut = std::max(maxNOut, nOut);
    maxNInBuses = std::max(maxNInBuses, config->NBuses(kInput));
    maxNOutBuses = std::max(maxNOutBuses, config->NBuses(kOutput));
    if (!configs.Add(config))
      delete config;
    ++count;
  }
  return count;
}

// ---- construction

IPlugProcessor::IPlugProcessor(const IPluginConfig& config)
: mPlugType(config.plugType), mDoesMidiIn(config.plugDoesMidiIn), mLatency(std::max(config.latency, 0))
{
  int maxNIn = 0, maxNOut = 0, maxNInBuses = 0, maxNOutBuses = 0;
  ParseChannelLayouts(config.channelIOStr, mIOConfigs, maxNIn, maxNOut, maxNInBuses, maxNOutBuses);
  const int counts[2] = {maxNIn, maxNOut};
  for (BusDirection direction : {kInput, kOutput})
  {
    double** slots = mChannelData[direction].Resize(counts[direction]);
    if (!slots)
      continue;
    std::fill_n(slots, counts[direction], nullptr);
    for (int i = 0; i < counts[direction]; ++i)
    {
      auto* channel = new IChannelBuffer;
      channel->mSlot = slots + i;
      if (!mChannels[direction].Add(channel))
        delete channel;
    }
  }
  ReserveLatency(config.latency);
}

IPlugProcessor::~IPlugProcessor()
{
  mChannels[kInput].Empty(true);
  mChannels[kOutput].Empty(true);
  mIOConfigs.Empty(true);
}

// ---- hooks

void IPlugProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  const int nIn = NChannels(kInput), nOut = NChannels(kOutput);
  for (int i = 0; i < nOut; ++i)
  {
    if (i < nIn)
      std::copy_n(inputs[i], nFrames, outputs[i]);
    else
      std::fill_n(outputs[i], nFrames, 0.0);
  }
}

bool IPlugProcessor::SendMidiList(std::span<const IMidiMsg> msgs)
{
  bool sent = true;
  for (const IMidiMsg& msg : msgs)
    sent = SendMidi(msg) && sent;
  return sent;
}

void IPlugProcessor::BusDisplayName(BusDirection direction, int busIdx, int nBuses, WDL_String& out) const
{
  if (direction == kInput)
  {
    if (nBuses == 1)
      out.Set("Input");
    else if (nBuses == 2)
      out.Set(busIdx == 0 ? "Main" : "Aux");
    else
      out.SetFormatted(32, "Input %i", busIdx);
  }
  else
  {
    if (nBuses == 1)
      out.Set("Output");
    else
      out.SetFormatted(32, "Output %i", busIdx);
  }
}

void IPlugProcessor::StoreLatency(int samples)
{
  mLatency.store(std::max(samples, 0), std::memory_order_relaxed);
}

void IPlugProcessor::ReserveLatency(int maxSamples)
{
  const int nChans = std::min(NChannels(kInput), NChannels(kOutput));
  const int64_t size = int64_t{std::max(maxSamples, 0)} * nChans;
  double* line = size <= INT32_MAX ? mLatencyDelay.Resize(static_cast<int>(size)) : nullptr;
  const bool held = line && mLatencyDelay.GetSize() == size;
  mLatencyDelayCapacity = held ? std::max(maxSamples, 0) : 0;
  mLatencyDelayChannels = held ? nChans : 0;
  mLatencyDelayLength = 0;
  mLatencyDelayPos = 0;
  if (held)
    std::fill_n(line, size, 0.0);
}

// ---- configurations

int IPlugProcessor::LargestBusCount(BusDirection direction, int* configIdx) const
{
  int largest = 0, index = 0;
  for (int c = 0; c < NChannelConfigs(); ++c)
  {
    const int n = mIOConfigs.Get(c)->NBuses(direction);
    if (c == 0 || n >= largest)
    {
      largest = n;
      index = c;
    }
  }
  if (configIdx)
    *configIdx = index;
  return largest;
}

int IPlugProcessor::BusChannelCount(BusDirection direction, int busIdx) const
{
  if (NChannelConfigs() == 0 || busIdx < 0 || busIdx >= LargestBusCount(direction))
    return 0;
  const IChannelIOConfig* first = mIOConfigs.Get(0);
  for (int b = 0; b < first->NBuses(direction); ++b)
  {
    if (first->NChansOnBus(direction, b) == IBusSpec::kWildcard)
      return -1;
  }
  int largest = 0;
  for (int c = 0; c < NChannelConfigs(); ++c)
    largest = std::max(largest, mIOConfigs.Get(c)->NChansOnBus(direction, busIdx));
  return largest;
}

int IPlugProcessor::FindChannelConfig(std::span<const int> inBusChans, std::span<const int> outBusChans) const
{
  const auto matches = [](const IChannelIOConfig& config, BusDirection direction, std::span<const int> chans) {
    if (config.NBuses(direction) != static_cast<int>(chans.size()))
      return false;
    for (size_t b = 0; b < chans.size(); ++b)
    {
      if (config.NChansOnBus(direction, static_cast<int>(b)) != chans[b])
        return false;
    }
    return true;
  };
  for (int c = 0; c < NChannelConfigs(); ++c)
  {
    const IChannelIOConfig& config = *mIOConfigs.Get(c);
    if (matches(config, kInput, inBusChans) && matches(config, kOutput, outBusChans))
      return c;
  }
  return -1;
}

bool IPlugProcessor::AcceptsChannelCounts(int nIn, int nOut) const
{
  for (int c = 0; c < NChannelConfigs(); ++c)
  {
    const IChannelIOConfig& config = *mIOConfigs.Get(c);
    const bool inOk = nIn < 0 || config.TotalNChannels(kInput) == nIn;
    const bool outOk = nOut < 0 || config.TotalNChannels(kOutput) == nOut;
    if (inOk && outOk)
      return true;
  }
  return false;
}

// ---- channels and buffers

int IPlugProcessor::ConnectedChannelCount(BusDirection direction) const
{
  int count = 0;
  for (int i = 0; i < NChannels(direction); ++i)
    count += Channels(direction).Get(i)->mConnected ? 1 : 0;
  return count;
}

void IPlugProcessor::MarkChannelsConnected(BusDirection direction, int first, int count, bool connected)
{
  const int end = static_cast<int>(std::min<int64_t>(int64_t{first} + count, NChannels(direction)));
  for (int i = std::max(first, 0); i < end; ++i)
  {
    IChannelBuffer* channel = Channels(direction).Get(i);
    channel->mConnected = connected;
    if (!connected)
      *channel->mSlot = channel->mScratch.Get();
  }
}

bool IPlugProcessor::BindHostBuffers(BusDirection direction, int first, int count, float** hostBuffers, int nFrames)
{
  if (nFrames < 0 || nFrames > mBlockSize)
    return false;
  const int end = static_cast<int>(std::min<int64_t>(int64_t{first} + count, NChannels(direction)));
  int next = 0;
  for (int i = std::max(first, 0); i < end; ++i)
  {
    IChannelBuffer* channel = Channels(direction).Get(i);
    if (!channel->mConnected)
      continue;
    double* scratch = channel->mScratch.Get();
    *channel->mSlot = scratch;
    float* host = hostBuffers[next++];
    if (direction == kInput)
      FloatsToDoubles(host, scratch, nFrames);
    else
      channel->mHostBuffer = host;
  }
  return true;
}

void IPlugProcessor::BindHostDoubleBuffers(BusDirection direction, int first, int count, double** hostBuffers)
{
  const int end = static_cast<int>(std::min<int64_t>(int64_t{first} + count, NChannels(direction)));
  int next = 0;
  for (int i = std::max(first, 0); i < end; ++i)
  {
    IChannelBuffer* channel = Channels(direction).Get(i);
    if (channel->mConnected)
      *channel->mSlot = hostBuffers[next++];
  }
}

void IPlugProcessor::ResizeScratchBuffers(int blockSize)
{
  blockSize = std::max(blockSize, 0);
  if (blockSize == mBlockSize)
    return;
  int size = blockSize;
  for (BusDirection direction : {kInput, kOutput})
  {
    for (int i = 0; i < NChannels(direction); ++i)
    {
      IChannelBuffer* channel = Channels(direction).Get(i);
      channel->mScratch.Resize(blockSize);
      // A buffer that could not grow limits the block size, so no block ever runs past it.
      size = std::min(size, channel->mScratch.GetSize());
      *channel->mSlot = channel->mScratch.Get();
    }
  }
  mBlockSize = size;
  ZeroScratchBuffers();
}

void IPlugProcessor::ZeroScratchBuffers()
{
  for (BusDirection direction : {kInput, kOutput})
  {
    for (int i = 0; i < NChannels(direction); ++i)
    {
      WDL_TypedBuf<double>& scratch = Channels(direction).Get(i)->mScratch;
      if (scratch.GetSize() > 0)
        std::fill_n(scratch.Get(), std::min(mBlockSize, scratch.GetSize()), 0.0);
    }
  }
}

double** IPlugProcessor::ChannelArray(BusDirection direction) const
{
  return NChannels(direction) > 0 ? mChannelData[direction].Get() : nullptr;
}

void IPlugProcessor::DelayedCopy(double** inputs, double** outputs, int nFrames)
{
  IPlugProcessor::ProcessBlock(inputs, outputs, nFrames);
  // The line takes up a new latency at the start of a block, from silence.
  const int latency = GetLatency();
  const int length = latency <= mLatencyDelayCapacity ? latency : 0;
  if (length != mLatencyDelayLength)
  {
    std::fill_n(mLatencyDelay.Get(),
                static_cast<size_t>(mLatencyDelayCapacity) * static_cast<size_t>(mLatencyDelayChannels), 0.0);
    mLatencyDelayLength = length;
    mLatencyDelayPos = 0;
  }
  if (length == 0)
    return;
  for (int i = 0; i < std::min(mLatencyDelayChannels, NChannels(kOutput)); ++i)
  {
    double* line = mLatencyDelay.Get() + static_cast<size_t>(i) * static_cast<size_t>(mLatencyDelayCapacity);
    double* out = outputs[i];
    int pos = mLatencyDelayPos;
    for (int s = 0; s < nFrames; ++s)
    {
      std::swap(out[s], line[pos]);
      pos = pos + 1 == length ? 0 : pos + 1;
    }
  }
  mLatencyDelayPos = static_cast<int>((int64_t{mLatencyDelayPos} + nFrames) % length);
}

bool IPlugProcessor::Run(int nFrames, bool accumulate, bool bypass)
{
  if (nFrames < 0 || nFrames > mBlockSize)
    return false;
  double** inputs = ChannelArray(kInput);
  double** outputs = ChannelArray(kOutput);
  if (bypass)
    DelayedCopy(inputs, outputs, nFrames);
  else
    ProcessBlock(inputs, outputs, nFrames);

  for (int i = 0; i < NChannels(kOutput); ++i)
  {
    const IChannelBuffer* channel = Channels(kOutput).Get(i);
    if (!channel->mConnected || !channel->mHostBuffer)
      continue;
    const double* result = *channel->mSlot;
    float* host = channel->mHostBuffer;
    if (!accumulate)
      DoublesToFloats(result, host, nFrames);
    else
      for (int s = 0; s < nFrames; ++s)
        host[s] += static_cast<float>(result[s]);
  }
  return true;
}

void IPlugProcessor::RunBlockProcessingDouble(int nFrames)
{
  ProcessBlock(ChannelArray(kInput), ChannelArray(kOutput), nFrames);
}

int IPlugProcessor::DisconnectExtraInputs()
{
  MarkChannelsConnected(kInput, 2, NChannels(kInput) - 2, false);
  MarkChannelsConnected(kOutput, 2, NChannels(kOutput) - 2, true);
  return NChannels(kOutput);
}

void IPlugProcessor::SetChannelLabel(BusDirection direction, int idx, const char* format, bool zeroBased)
{
  if (IChannelBuffer* channel = Channels(direction).Get(idx))
    channel->mLabel.SetFormatted(32, format, zeroBased ? idx : idx + 1);
}

const char* IPlugProcessor::GetChannelLabel(BusDirection direction, int idx) const
{
  const IChannelBuffer* channel = Channels(direction).Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

double IPlugProcessor::SamplesPerBeat() const
{
  return mTransport.mTempo > 0.0 ? mSampleRate * 60.0 / mTransport.mTempo : 0.0;
}

uint32_t IPlugProcessor::ComponentTypeForPlug() const
{
  using fourcc::Code;
  switch (mPlugType)
  {
    case 1: return Code("aumu");
    case 2: return Code("aumi");
    default: return Code(mPlugType == 0 && mDoesMidiIn ? "aumf" : "aufx");
  }
}

}  // namespace iplug
