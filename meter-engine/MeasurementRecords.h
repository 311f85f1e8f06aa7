#pragma once
// Plain records shared by the measurement, the state chunk, the display feed and the editor:
// channel tables and weights, frame counters, alerts and the loudness history.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

inline constexpr int kMeterChannels = 10;

// One row of the "Channel Config" list: which of the ten channels are measured.
struct ChannelConfig
{
  const char* name;
  uint32_t count;
  uint8_t enabled[kMeterChannels];
};
extern const std::array<ChannelConfig, 12> ChannelConfigTable;

// One row of the "Channel Routing" list: a label per channel (a blank label is one space).
struct ChannelLayout
{
  const char* name;
  const char* labels[kMeterChannels];
};
extern const std::array<ChannelLayout, 44> ChannelLayoutTable;

using ChannelWeightTable = std::array<std::array<double, kMeterChannels>, 44>;

// Weight of a channel by its label: LFE, front (1.0) or surround.
double ChannelWeightForLabel(const char* label, double lfeWeight, double surroundWeight);
void FillChannelWeightTable(ChannelWeightTable& table, double lfeWeight, double surroundWeight);

// Counts sample frames towards a period, e.g. the 50 ms display refresh.
struct FrameCounter
{
  double periodMs = 0.0;
  int32_t period = 0;
  int32_t count = 0;
  double sampleRate = 0.0;
  double samplesPerMs = 0.0;

  void Prepare(double ms, double rate);
  // Adds the frames; true when the period was reached (the count then wraps).
  bool Advance(int32_t frames);
};

// Elapsed or time-code clock.
struct MeterClock
{
  double seconds = 0.0, minutes = 0.0, hours = 0.0;
};

enum class AlertMode : uint32_t { Off = 0, On = 1, Auto = 2 };

struct AlertState
{
  uint32_t count = 0;
  double seconds = 0.0;  // in violation
  uint8_t active = 0;
  uint8_t latched = 0;  // the lamp of an alert in mode On holds its alert until cleared
  uint32_t kind = 0;    // 0 minimum, 1 maximum
  AlertMode mode = AlertMode::Off;
  double level = 0.0;
  double period = 0.0;  // seconds; 0 is "Instant"

  // Forgets the violations so far; mode, level, period and kind stay.
  void ClearRunState()
  {
    count = 0;
    seconds = 0.0;
    active = 0;
    latched = 0;
  }

  // One evaluation against a value, ms after the previous one. A violation held for the period
  // makes the alert active and counts each further violating evaluation; On keeps the flag after
  // the value recovers, Auto clears it.
  void Update(double value, double ms);
};

// The fifteen alerts, in member order.
enum AlertIndex {
  kAlertIlMin,
  kAlertIlMax,
  kAlertIlDialMin,
  kAlertIlDialMax,
  kAlertSlMin,
  kAlertSlMax,
  kAlertMlMin,
  kAlertMlMax,
  kAlertTpMax,
  kAlertPeakMax,
  kAlertLraMin,
  kAlertLraDialMin,
  kAlertPlrMin,
  kAlertPsrMin,
  kAlertDialogMin,
  kAlertCount
};

// One point of the loudness history, every 100 ms. Stored byte for byte in the state chunk, so
// its layout is fixed: 224 bytes, little-endian, natural alignment.
struct LoudnessHistoryPoint
{
  uint32_t gateMode;
  uint32_t peakMode;
  double ilShown;
  double integratedLoudness;  // + 0.691
  double slLevel;
  double slMax;
  double mlLevel;
  double mlMax;
  double rangeShown;
  double mainRange;
  double rangeLow;
  double rangeHigh;
  double plr;
  double psr;
  double psrMin;
  double samplePeakMax;
  double truePeakMax;
  double samplePeakPeriodMax;
  double truePeakPeriodMax;
  uint32_t timerHours, timerMinutes, timerSeconds, timerTenths;
  uint32_t wallHour, wallMinute, wallSecond, wallTenths, wallYear, wallMonth, wallDay;
  uint8_t marked;
  uint8_t padding1[3];
  double dialoguePercentage;
  uint32_t dialoguePresent;
  uint8_t alertActive[16];
  uint8_t padding2[4];
};

static_assert(std::is_trivially_copyable_v<LoudnessHistoryPoint> && std::is_standard_layout_v<LoudnessHistoryPoint>);
static_assert(sizeof(LoudnessHistoryPoint) == 224);
static_assert(offsetof(LoudnessHistoryPoint, gateMode) == 0);
static_assert(offsetof(LoudnessHistoryPoint, peakMode) == 4);
static_assert(offsetof(LoudnessHistoryPoint, ilShown) == 8);
static_assert(offsetof(LoudnessHistoryPoint, integratedLoudness) == 16);
static_assert(offsetof(LoudnessHistoryPoint, slLevel) == 24);
static_assert(offsetof(LoudnessHistoryPoint, slMax) == 32);
static_assert(offsetof(LoudnessHistoryPoint, mlLevel) == 40);
static_assert(offsetof(LoudnessHistoryPoint, mlMax) == 48);
static_assert(offsetof(LoudnessHistoryPoint, rangeShown) == 56);
static_assert(offsetof(LoudnessHistoryPoint, mainRange) == 64);
static_assert(offsetof(LoudnessHistoryPoint, rangeLow) == 72);
static_assert(offsetof(LoudnessHistoryPoint, rangeHigh) == 80);
static_assert(offsetof(LoudnessHistoryPoint, plr) == 88);
static_assert(offsetof(LoudnessHistoryPoint, psr) == 96);
static_assert(offsetof(LoudnessHistoryPoint, psrMin) == 104);
static_assert(offsetof(LoudnessHistoryPoint, samplePeakMax) == 112);
static_assert(offsetof(LoudnessHistoryPoint, truePeakMax) == 120);
static_assert(offsetof(LoudnessHistoryPoint, samplePeakPeriodMax) == 128);
static_assert(offsetof(LoudnessHistoryPoint, truePeakPeriodMax) == 136);
static_assert(offsetof(LoudnessHistoryPoint, timerHours) == 144);
static_assert(offsetof(LoudnessHistoryPoint, timerTenths) == 156);
static_assert(offsetof(LoudnessHistoryPoint, wallHour) == 160);
static_assert(offsetof(LoudnessHistoryPoint, wallDay) == 184);
static_assert(offsetof(LoudnessHistoryPoint, marked) == 188);
static_assert(offsetof(LoudnessHistoryPoint, dialoguePercentage) == 192);
static_assert(offsetof(LoudnessHistoryPoint, dialoguePresent) == 200);
static_assert(offsetof(LoudnessHistoryPoint, alertActive) == 204);
static_assert(offsetof(LoudnessHistoryPoint, padding2) == 220);

// A list of history points, oldest first. Only holders of the owner's lock change it (the audio
// thread appends, resets clear); the editor reads it without that lock. So that it can, the slots
// for the full capacity are allocated once and never move, the size is published with release
// and read with acquire (the points below a size read are complete), and a clear asked for while
// a reader has the list in use is only marked pending: the reader's points stay until the owner
// carries the clear out under its lock once the reader is done.
class LoudnessHistory
{
public:
  static constexpr uint32_t kCapacity = 864000;  // 24 hours at ten points a second

  LoudnessHistory();

  // Empties the list, or marks the clear as pending while the list is in use.
  void Clear();
  // Carries out a clear deferred while the list was in use: only the points the list held when
  // the clear was asked for go, so points appended since (or restored) stay.
  void FinishPendingClear();
  // Appends a copy of the point; returns false (nothing added) when the list is full.
  bool AppendCopy(const LoudnessHistoryPoint& point);

  size_t Size() const { return size_.load(std::memory_order_acquire); }
  const LoudnessHistoryPoint& At(size_t i) const { return points_[i]; }
  LoudnessHistoryPoint& At(size_t i) { return points_[i]; }
  // The points are contiguous, oldest first.
  const LoudnessHistoryPoint* Data() const { return points_.get(); }

  // The reader's side, without the owner's lock: marks the list in use and answers how many
  // points may be read until EndRead. A clear under way counts as an empty list.
  size_t BeginRead();
  void EndRead() { inUse.store(0, std::memory_order_seq_cst); }
  // Counts the changes other than appends (clears, edited points), so that a reader that keeps
  // what it read knows when to read again.
  uint32_t Revision() const { return revision_.load(std::memory_order_acquire); }
  void NoteEdited() { revision_.fetch_add(1, std::memory_order_acq_rel); }

  uint32_t capacity = kCapacity;
  std::atomic<uint8_t> inUse{0};
  std::atomic<uint8_t> clearPending{0};

private:
  std::unique_ptr<LoudnessHistoryPoint[]> points_;
  std::atomic<size_t> size_{0};
  std::atomic<uint32_t> revision_{0};
  size_t pendingClearCount_ = 0;
};
