#include "meter-engine/MeasurementRecords.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>

#include "meter-engine/SampleCount.h"

namespace {

// Layouts with fewer than ten labels are filled up with blank labels.
constexpr ChannelLayout Layout(const char* name, std::initializer_list<const char*> labels)
{
  ChannelLayout layout{name, {}};
  int i = 0;
  for (const char* label : labels)
    layout.labels[i++] = label;
  for (; i < kMeterChannels; ++i)
    layout.labels[i] = " ";
  return layout;
}

// A configuration that measures the first count channels.
constexpr ChannelConfig FirstChannels(const char* name, uint32_t count)
{
  ChannelConfig config{name, count, {}};
  for (uint32_t ch = 0; ch < count; ++ch)
    config.enabled[ch] = 1;
  return config;
}

}  // namespace

const std::array<ChannelConfig, 12> ChannelConfigTable = {
  FirstChannels("Stereo", 2),     ChannelConfig{"Left", 1, {1}},  ChannelConfig{"Right", 1, {0, 1}},
  FirstChannels("2.0 Ch", 2),     FirstChannels("2.1/3.0 Ch", 3), FirstChannels("3.1/4.0 Ch", 4),
  FirstChannels("4.1/5.0 Ch", 5), FirstChannels("5.1/6.0 Ch", 6), FirstChannels("6.1/7.0 Ch", 7),
  FirstChannels("7.1/8.0 Ch", 8), FirstChannels("8.1/9.0 Ch", 9), FirstChannels("9.1/10.0 Ch", 10),
};

const std::array<ChannelLayout, 44> ChannelLayoutTable = {
  Layout("(1:1)", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
  Layout("2.0 Stereo", {"L", "R"}),
  Layout("2.1 Stereo", {"L", "R", "LFE"}),
  Layout("3.0 Cine", {"L", "C", "R"}),
  Layout("3.0 Music", {"L", "R", "S"}),
  Layout("3.1 Cine", {"L", "C", "R", "LFE"}),
  Layout("3.1 Music", {"L", "R", "LFE", "S"}),
  Layout("4.0 Cine", {"L", "C", "R", "S"}),
  Layout("4.0 Music", {"L", "R", "Ls", "Rs"}),
  Layout("4.1 Cine", {"L", "C", "R", "LFE", "S"}),
  Layout("4.1 Music", {"L", "R", "LFE", "Ls", "Rs"}),
  Layout("4.1 ITU", {"L", "R", "Ls", "Rs", "LFE"}),
  Layout("5.0 Cine", {"L", "C", "R", "Ls", "Rs"}),
  Layout("5.0 Music", {"L", "R", "Ls", "Rs", "S"}),
  Layout("5.1 Film", {"L", "C", "R", "Ls", "Rs", "LFE"}),
  Layout("5.1 ITU", {"L", "R", "C", "LFE", "Ls", "Rs"}),
  Layout("5.1 DTS", {"L", "R", "Ls", "Rs", "C", "LFE"}),
  Layout("6.0 Cine", {"L", "C", "R", "Ls", "Rs", "Cs"}),
  Layout("6.0 Music", {"L", "R", "Ls", "Rs", "Sl", "Sr"}),
  Layout("6.1 Cine", {"L", "C", "R", "LFE", "Ls", "Rs", "Cs"}),
  Layout("6.1 Music", {"L", "R", "LFE", "Ls", "Rs", "Sl", "Sr"}),
  Layout("7.0 Cine", {"L", "C", "R", "Ls", "Rs", "Lc", "Rc"}),
  Layout("7.0 Music", {"L", "R", "C", "Ls", "Rs", "Sl", "Sr"}),
  Layout("7.1 DTS1", {"L", "C", "R", "Ls", "Rs", "Lr", "Rr", "LFE"}),
  Layout("7.1 DTS2", {"L", "R", "C", "LFE", "Ls", "Rs", "Lr", "Rr"}),
  Layout("7.1 Dolby1", {"L", "C", "R", "Ls", "Rs", "Lb", "Rb", "LFE"}),
  Layout("7.1 Dolby2", {"L", "R", "C", "LFE", "Ls", "Rs", "Lb", "Rb"}),
  Layout("7.1 SDDS1", {"L", "Lc", "C", "Rc", "R", "Ls", "Rs", "LFE"}),
  Layout("7.1 SDDS2", {"L", "R", "C", "LFE", "Ls", "Rs", "Lc", "Rc"}),
  Layout("8.0 Cine", {"L", "C", "R", "Ls", "Rs", "Lc", "Rc", "Cs"}),
  Layout("8.0 Music", {"L", "R", "C", "Ls", "Rs", "Cs", "Sl", "Sr"}),
  Layout("8.1 Cine", {"L", "C", "R", "LFE", "Ls", "Rs", "Lc", "Rc", "Cs"}),
  Layout("8.1 Music", {"L", "R", "C", "LFE", "Ls", "Rs", "Cs", "Sl", "Sr"}),
  Layout("9.0 Cine", {"L", "C", "R", "Ls", "Rs", "Lr", "Rr", "Lh", "Rh"}),
  Layout("9.1 DTS1", {"L", "C", "R", "Ls", "Rs", "Lr", "Rr", "Lh", "Rh", "LFE"}),
  Layout("9.1 DTS2", {"L", "R", "C", "LFE", "Ls", "Rs", "Lr", "Rr", "Lh", "Rh"}),
  Layout("10.0 Cine", {"L", "C", "R", "Ls", "Rs", "Ch", "Lr", "Rr", "Lh", "Rh"}),
  Layout("Custom 1", {"L1", "L2", "R1", "R2"}),
  Layout("Custom 2", {"L1", "L2", "L3", "R1", "R2", "R3"}),
  Layout("Custom 3", {"L1", "L2", "L3", "L4", "R1", "R2", "R3", "R4"}),
  Layout("Custom 4", {"L1", "L2", "L3", "L4", "L5", "R1", "R2", "R3", "R4", "R5"}),
  Layout("7.1.2", {"L", "R", "C", "LFE", "Ls", "Rs", "Lr", "Rr", "Lt", "Rt"}),
  Layout("unused", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
  Layout("unused", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
};

double ChannelWeightForLabel(const char* label, double lfeWeight, double surroundWeight)
{
  if (std::strcmp(label, "LFE") == 0)
    return lfeWeight;
  if (label[0] >= '0' && label[0] <= '9')
    return 1.0;
  static constexpr const char* kFront[] = {" ", "L",  "L1", "L2", "L3", "L4", "L5", "Lt",
                                           "R", "R1", "R2", "R3", "R4", "R5", "Rt", "C"};
  for (const char* front : kFront)
    if (std::strcmp(label, front) == 0)
      return 1.0;
  return surroundWeight;
}

void FillChannelWeightTable(ChannelWeightTable& table, double lfeWeight, double surroundWeight)
{
  for (size_t layout = 0; layout < ChannelLayoutTable.size(); ++layout)
    for (int ch = 0; ch < kMeterChannels; ++ch)
      table[layout][ch] = ChannelWeightForLabel(ChannelLayoutTable[layout].labels[ch], lfeWeight, surroundWeight);
}

void FrameCounter::Prepare(double ms, double rate)
{
  periodMs = ms;
  period = SampleCount(ms, rate);
  count = 0;
  sampleRate = rate;
  samplesPerMs = rate / 1000.0;
}

bool FrameCounter::Advance(int32_t frames)
{
  count += frames;
  if (period <= 0 || count < period)
    return false;
  count %= period;
  return true;
}

void AlertState::Update(double value, double ms)
{
  if (kind > 1)
  {
    if (mode == AlertMode::On || mode == AlertMode::Auto)
      seconds = 0.0;
    if (mode == AlertMode::Off || mode == AlertMode::Auto)
      active = 0;
    return;
  }
  if (mode == AlertMode::Off)
  {
    active = 0;
    return;
  }
  if (mode != AlertMode::On && mode != AlertMode::Auto)
    return;
  const bool violation = kind == 0 ? level > value : value > level;
  if (!violation)
  {
    seconds = 0.0;
    if (mode == AlertMode::Auto)
      active = 0;
    return;
  }
  // Ten steps of 0.1 s add up to just below 1 s; the tolerance lets a period be reached on the
  // evaluation that completes it.
  constexpr double kTolerance = 1e-9;
  if (period != 0.0 && seconds < period - kTolerance)
  {
    seconds += ms / 1000.0;
    if (seconds < period - kTolerance)
      return;
  }
  active = 1;
  ++count;
}

LoudnessHistory::LoudnessHistory()
: points_(new (std::nothrow) LoudnessHistoryPoint[kCapacity])  // pages are committed as points arrive
{
  if (!points_)
    capacity = 0;  // nothing can be stored, but measurement goes on
}

// The clear is announced before the reader's flag is looked at, and a reader sets its flag before
// it looks at the announcement: of a clear and a reader beginning at once, one always sees the
// other, so no reader reads slots that a clear has handed back to the writer.
void LoudnessHistory::Clear()
{
  clearPending.store(1, std::memory_order_seq_cst);
  if (inUse.load(std::memory_order_seq_cst))
  {
    pendingClearCount_ = Size();
    return;
  }
  size_.store(0, std::memory_order_release);
  pendingClearCount_ = 0;
  NoteEdited();
  clearPending.store(0, std::memory_order_seq_cst);
}

void LoudnessHistory::FinishPendingClear()
{
  if (!clearPending.load(std::memory_order_seq_cst) || inUse.load(std::memory_order_seq_cst))
    return;
  const size_t n = Size();
  const size_t gone = std::min(pendingClearCount_, n);
  std::memmove(points_.get(), points_.get() + gone, (n - gone) * sizeof(LoudnessHistoryPoint));
  size_.store(n - gone, std::memory_order_release);
  pendingClearCount_ = 0;
  NoteEdited();
  clearPending.store(0, std::memory_order_seq_cst);
}

bool LoudnessHistory::AppendCopy(const LoudnessHistoryPoint& point)
{
  const size_t n = size_.load(std::memory_order_relaxed);
  if (n >= capacity)
    return false;
  points_[n] = point;
  size_.store(n + 1, std::memory_order_release);
  return true;
}

size_t LoudnessHistory::BeginRead()
{
  inUse.store(1, std::memory_order_seq_cst);
  return clearPending.load(std::memory_order_seq_cst) ? 0 : Size();
}
