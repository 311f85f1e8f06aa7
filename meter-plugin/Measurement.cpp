#include "meter-plugin/Vantorelix.h"

#include "meter-engine/LevelScales.h"
#include "meter-plugin/MeasurableSamples.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

using levels::RoundToTenth;

// The row of a table that a setting picks; a setting out of range picks the nearest row.
template <typename Table>
const typename Table::value_type& ClampedRow(const Table& table, int32_t index)
{
  return table[static_cast<size_t>(std::clamp(index, 0, static_cast<int32_t>(table.size()) - 1))];
}

// Power level of a mean-square power as the history and the alerts show it: the loudness plus
// its 0.691 offset, so silence reads -143.309.
double ShownPowerLevel(double power)
{
  return std::fabs(power) > levels::kPowerFloor ? levels::PowerLevel(power)
                                                : levels::kSilenceLevel + levels::kLoudnessOffset;
}

// Everything the 100 ms work reads from the engine, rounded as it is shown.
struct PeriodReadings
{
  explicit PeriodReadings(const LoudnessEngine& e)
  : gateMode(static_cast<int32_t>(e.gateMode)),
    hasProgramme(e.integratedGate.HasBlocks()),
    hasDialogue(e.dialogueGate.HasSpeech()),
    il(RoundToTenth(e.integratedGate.integrated + levels::kLoudnessOffset)),
    ilDialogue(RoundToTenth(ShownPowerLevel(e.dialogueGate.MeanSpeechPower()))),
    sl(RoundToTenth(ShownPowerLevel(e.shortTerm.mean))),
    slMax(RoundToTenth(ShownPowerLevel(e.shortTerm.maximum))),
    ml(RoundToTenth(ShownPowerLevel(e.momentary.mean))),
    mlMax(RoundToTenth(ShownPowerLevel(e.momentary.maximum))),
    plr(RoundToTenth(e.plr - levels::kLoudnessOffset)),
    psr(RoundToTenth(e.psr)),
    psrMin(RoundToTenth(e.psrMin)),
    samplePeakMax(RoundToTenth(levels::AmplitudeLevel(e.samplePeakMax))),
    truePeakMax(RoundToTenth(levels::AmplitudeLevel(e.TruePeakMax()))),
    samplePeakPeriod(RoundToTenth(levels::AmplitudeLevel(e.samplePeakPeriodMax))),
    truePeakPeriod(RoundToTenth(levels::AmplitudeLevel(e.TruePeakPeriodMax()))),
    dialoguePercentage(
      e.dialogueGate.BlockCount() > 0 ? 100.0 * e.dialogueGate.SpeechBlockCount() / e.dialogueGate.BlockCount() : 0.0),
    main(e.mainHistogram),
    speech(e.speechHistogram)
  {
  }

  bool Programme() const
  {
    return gateMode >= static_cast<int32_t>(GateMode::Off) && gateMode < static_cast<int32_t>(GateMode::Dial);
  }
  bool Dial() const { return gateMode == static_cast<int32_t>(GateMode::Dial); }
  // PLR and the dialogue share exist once the gate that drives them holds a block.
  bool RatiosAvailable() const { return Programme() ? hasProgramme : Dial() && hasDialogue; }
  // The histogram whose range is shown: the speech one in "Dial", else the main one.
  const LoudnessHistogram& Shown() const { return Dial() ? speech : main; }

  int32_t gateMode;
  bool hasProgramme, hasDialogue;
  double il, ilDialogue, sl, slMax, ml, mlMax, plr, psr, psrMin;
  double samplePeakMax, truePeakMax, samplePeakPeriod, truePeakPeriod;
  double dialoguePercentage;
  const LoudnessHistogram& main;
  const LoudnessHistogram& speech;
};

void UpdateAlerts(std::array<AlertState, kAlertCount>& alerts, const PeriodReadings& r)
{
  constexpr double ms = 100.0;
  if (r.Dial())
  {
    if (r.hasDialogue)
      alerts[kAlertIlDialMin].Update(r.ilDialogue, ms);
    alerts[kAlertIlDialMax].Update(r.ilDialogue, ms);
  }
  if (r.Programme() || r.Dial())
  {
    if (r.hasProgramme)
      alerts[kAlertIlMin].Update(r.il, ms);
    alerts[kAlertIlMax].Update(r.il, ms);
  }
  alerts[kAlertSlMin].Update(r.sl, ms);
  alerts[kAlertSlMax].Update(r.sl, ms);
  alerts[kAlertMlMin].Update(r.ml, ms);
  alerts[kAlertMlMax].Update(r.ml, ms);
  alerts[kAlertPeakMax].Update(r.samplePeakPeriod, ms);
  alerts[kAlertTpMax].Update(r.truePeakPeriod, ms);
  if (r.Dial() && r.speech.HasEntries())
    alerts[kAlertLraDialMin].Update(r.speech.range, ms);
  if ((r.Programme() || r.Dial()) && r.main.HasEntries())
    alerts[kAlertLraMin].Update(r.main.range, ms);
  if (r.RatiosAvailable())
    alerts[kAlertPlrMin].Update(r.plr, ms);
  alerts[kAlertPsrMin].Update(r.psr, ms);
  if (r.RatiosAvailable())
    alerts[kAlertDialogMin].Update(r.dialoguePercentage, ms);
}

void FillLevels(LoudnessHistoryPoint& p, const PeriodReadings& r)
{
  const bool known = r.Programme() || r.Dial();
  p.ilShown = r.Dial() ? r.ilDialogue : r.Programme() ? r.il : levels::kSilenceLevel;
  p.integratedLoudness = r.il;
  p.slLevel = r.sl;
  p.slMax = r.slMax;
  p.mlLevel = r.ml;
  p.mlMax = r.mlMax;
  p.rangeShown = known ? r.Shown().range : 0.0;
  p.mainRange = r.Programme() ? RoundToTenth(r.main.low) : r.main.range;
  p.rangeLow = known ? RoundToTenth(r.Shown().low) : levels::kSilenceLevel;
  p.rangeHigh = known ? RoundToTenth(r.Shown().high) : levels::kSilenceLevel;
  p.plr = r.plr;
  p.psr = r.psr;
  p.psrMin = r.psrMin;
  p.samplePeakMax = r.samplePeakMax;
  p.truePeakMax = r.truePeakMax;
  p.samplePeakPeriodMax = r.samplePeakPeriod;
  p.truePeakPeriodMax = r.truePeakPeriod;
  p.dialoguePercentage = r.dialoguePercentage;
}

void FillAlertFlags(LoudnessHistoryPoint& p, const std::array<AlertState, kAlertCount>& a, const PeriodReadings& r)
{
  const bool dial = r.Dial();
  // clang-format off
  const uint8_t flags[16] = {
    a[dial ? kAlertIlDialMin : kAlertIlMin].active, a[dial ? kAlertIlDialMax : kAlertIlMax].active,
    a[kAlertIlMin].active, a[kAlertIlMax].active, a[kAlertSlMin].active, a[kAlertSlMax].active,
    a[kAlertMlMin].active, a[kAlertMlMax].active, a[kAlertTpMax].active, a[kAlertPeakMax].active,
    a[dial ? kAlertLraDialMin : kAlertLraMin].active, a[kAlertLraMin].active, a[kAlertPlrMin].active,
    a[kAlertPsrMin].active, a[kAlertDialogMin].active,
    static_cast<uint8_t>(r.Shown().HasEntries() ? 1 : 0),
  };
  // clang-format on
  std::copy(std::begin(flags), std::end(flags), p.alertActive);
}

}  // namespace

void Vantorelix::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  WDL_MutexLock lock(mMutex);
  if (GetHost() == iplug::kHostProTools && mPDCLatency != GetLatency())
    mRequests.latencyReport = 1;
  MeasureBlock(inputs, outputs, nFrames, ConnectedChannelCount(iplug::kInput), ConnectedChannelCount(iplug::kOutput));
  if (mReadoutCounter.Advance(nFrames))
    mRequests.readoutRefresh = 1;
  if (mMeterCounter.Advance(nFrames))
    mRequests.meterRefresh = 1;
  if (mOutputCounter.Advance(nFrames) && mSettings.writeAutomationData == 1)
    mRequests.outputParamWrite = 1;
}

void Vantorelix::MeasureBlock(double** inputs, double** outputs, int nFrames, int nIn, int nOut)
{
  const MeterSettings& s = mSettings;
  const ChannelConfig& config = ClampedRow(ChannelConfigTable, s.channelConfig);
  nIn = std::min(nIn, kMeterChannels);
  nOut = std::min(nOut, kMeterChannels);

  const iplug::ITransportInfo& transport = Transport();
  mSamplePosition = transport.mSamplePos;
  if (transport.mTempo != -1.0)
  {
    const bool started = transport.mTransportIsRunning && !mRunning;
    const bool stopped = !transport.mTransportIsRunning && mRunning;
    mRunning = transport.mTransportIsRunning;
    if (s.sync && started)
    {
      // The host and the editor hear of the reset from the idle hook, not from this thread.
      ClearMeasurement();
      mRequests.graphScrollRestore = 1;
    }
    // A take ends when the transport stops; the idle hook then exports it whole, before the
    // next start clears it.
    if (s.sync && stopped && s.autoExportLogCSV)
      mRequests.autoExport = 1;
  }
  else
    mRunning = 1;
  const bool active = s.sync ? mRunning != 0 : s.play != 0;
  // Kept raised until the idle hook reads it, so that the read-outs after the last measured
  // block still show the time the measurement stopped at.
  if (active)
    mActive = 1;

  const bool play = s.play != 0;
  const bool limit = s.enableLimiter != 0;
  const bool dial = s.gateMode == static_cast<int32_t>(GateMode::Dial);
  const bool truePeak = s.peakMode != 0;
  const auto mode = static_cast<WeightingMode>(s.weightingMode);
  const ChannelWeightTable* weightTable = mode >= WeightingMode::LeqK && mode <= WeightingMode::LeqC
                                            ? &mBroadcastWeights
                                          : mode == WeightingMode::LeqM ? &mCinemaWeights
                                                                        : nullptr;
  const double* weights = weightTable ? ClampedRow(*weightTable, s.channelRouting).data() : nullptr;
  const double gain = levels::DbToAmplitude(s.preGain);
  LoudnessEngine* engine = mEngine.get();
  // The measured channels in ascending order, so that every per-frame sum over them adds in the
  // same order as a walk over all slots would.
  const ChannelList channels(config);
  const int* measured = channels.index;
  const int nEnabled = channels.count;
  // The measured channels from measured[nPresent] on have no input: they are silence.
  int nPresent = 0;
  while (nPresent < nEnabled && measured[nPresent] < nIn)
    ++nPresent;

  // The block goes in passes of a few frames: the gain and the limiter frame by frame, then the
  // weighting channel by channel (channels side by side), then the engine in runs that end at a
  // hop's end at the latest. Each stage sees the same samples in the same order as a
  // frame-by-frame walk through all of them.
  constexpr int kPassFrames = 64;
  // The limiter works on whole frames and changes what goes out; without it each output channel
  // is its input, with the gain where it is measured, and is written straight from the input.
  const bool limiting = play && limit;
  // Frame-major, so that a frame's channels are at hand for the limiter and the engine. Only the
  // measured channels are filled, and with the limiter every channel: those beyond the inputs
  // are silent, and only the measured ones among them change in a pass.
  double x[kPassFrames][kMeterChannels];
  if (limiting)
    for (int k = nIn; k < kMeterChannels; ++k)
      for (int i = 0; i < kPassFrames; ++i)
        x[i][k] = 0.0;
  // A pass also ends at the next 100 ms boundary, where the period work reads the measurement
  // as it stands after exactly the frames before it, wherever the host's blocks end.
  for (int start = 0; start < nFrames;)
  {
    const int n = std::min({kPassFrames, nFrames - start, FramesToPeriodWork(play, active)});
    // A channel's input is read before its output is written, so an output may share its own
    // input's buffer.
    for (int k = 0; k < nIn; ++k)
    {
      const double* in = inputs[k] + start;
      double* out = k < nOut ? outputs[k] + start : nullptr;
      if (play && config.enabled[k])
      {
        // Where nothing follows the gain, the output takes the gained samples at once.
        double unused[kPassFrames];
        GainMeasurableSamples(in, n, gain, out && !limiting ? out : unused, &x[0][k], kMeterChannels);
      }
      else if (limiting)
        for (int i = 0; i < n; ++i)
          x[i][k] = in[i];
      else if (out && out != in)
        std::copy_n(in, n, out);
    }
    for (int j = nPresent; j < nEnabled; ++j)
      for (int i = 0; i < n; ++i)
        x[i][measured[j]] = 0.0;
    if (limiting)
    {
      for (int i = 0; i < n; ++i)
      {
        double* frame = x[i];
        mLimiter.Process(config.enabled, frame);
        for (int j = 0; j < nEnabled; ++j)
          frame[measured[j]] = mLimiter.output[measured[j]];
      }
      for (int k = 0; k < nOut; ++k)
        for (int i = 0; i < n; ++i)
          outputs[k][start + i] = x[i][k];
    }
    else
      for (int k = nIn; k < nOut; ++k)
        std::fill_n(outputs[k] + start, n, 0.0);
    if (play && engine)
    {
      // Only the measured channels of y are written; the engine reads no others.
      double y[kPassFrames][kMeterChannels];
      WeightingFilter::ProcessChannels(mFilters, measured, nEnabled, &x[0][0], &y[0][0], n, kMeterChannels, weights);

      // The speech detector hears the mean of the measured channels; only "Dial" feeds it.
      double speech[kPassFrames] = {};
      if (dial && nEnabled > 0)
        for (int i = 0; i < n; ++i)
        {
          double sum = 0.0;
          for (int jj = 0; jj < nEnabled; ++jj)
            sum += x[i][measured[jj]];
          speech[i] = sum / nEnabled;
        }
      // The engine takes the frames up to each hop's end at once, after their peaks.
      for (int i = 0; i < n;)
      {
        const int run = std::min(n - i, engine->FramesToHop());
        engine->ProcessPeaks(config.enabled, s.peakMode, x + i, run);
        engine->Process(channels, truePeak, active, mode == WeightingMode::LeqM, y + i, speech + i, run);
        i += run;
      }
    }
    start += n;
    if (engine)
      FinishPass(n, play, active, start);
  }
}

int Vantorelix::FramesToPeriodWork(bool play, bool active) const
{
  // The first point of a measurement is made with its first frame, not 100 ms into it.
  if (active && mHistory.Size() == 0)
    return 1;
  const FrameCounter& c = mHistoryCounter;
  return play && c.period > 0 ? c.period - c.count : std::numeric_limits<int>::max();
}

void Vantorelix::FinishPass(int n, bool play, bool active, int blockOffset)
{
  if (active)
    mElapsedFrames += n;
  bool due = play && mHistoryCounter.Advance(n) && active;
  if (active && mHistory.Size() == 0)
  {
    due = true;
    mHistoryCounter.count = 0;
  }
  if (due)
    RunPeriodWork(blockOffset);
}

void Vantorelix::RunPeriodWork(int blockOffset)
{
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm wall{};
  localtime_r(&now.tv_sec, &wall);
  const int milliseconds = static_cast<int>(now.tv_nsec / 1000000);

  const PeriodReadings readings(*mEngine);
  UpdateAlerts(mSettings.alerts, readings);
  if (mHistory.Size() < mHistory.capacity)
  {
    LoudnessHistoryPoint point{};
    point.gateMode = static_cast<uint32_t>(mSettings.gateMode);
    point.peakMode = static_cast<uint32_t>(mSettings.peakMode);
    FillLevels(point, readings);
    uint32_t timer[4];
    // The host's time line at the boundary; a block without a position counts from 0.
    TimerTime(timer, wall, milliseconds, std::max(mSamplePosition, 0.0) + blockOffset);
    point.timerHours = timer[0];
    point.timerMinutes = timer[1];
    point.timerSeconds = timer[2];
    point.timerTenths = timer[3];
    point.wallHour = static_cast<uint32_t>(wall.tm_hour);
    point.wallMinute = static_cast<uint32_t>(wall.tm_min);
    point.wallSecond = static_cast<uint32_t>(wall.tm_sec);
    point.wallTenths = static_cast<uint32_t>(milliseconds / 100);
    point.wallYear = static_cast<uint32_t>(wall.tm_year + 1900);
    point.wallMonth = static_cast<uint32_t>(wall.tm_mon + 1);
    point.wallDay = static_cast<uint32_t>(wall.tm_mday);
    point.dialoguePresent = static_cast<uint32_t>(mEngine->dialoguePresent);
    FillAlertFlags(point, mSettings.alerts, readings);
    mHistory.AppendCopy(point);
  }
  mEngine->ClearPeriodMaxima();
}

void Vantorelix::TimerTime(uint32_t (&time)[4], const tm& wall, int milliseconds, double samplePosition)
{
  std::fill(std::begin(time), std::end(time), 0u);
  switch (static_cast<TimerMode>(mSettings.timerMode))
  {
    case TimerMode::System:
      time[0] = static_cast<uint32_t>(wall.tm_hour);
      time[1] = static_cast<uint32_t>(wall.tm_min);
      time[2] = static_cast<uint32_t>(wall.tm_sec);
      time[3] = static_cast<uint32_t>(milliseconds / 100);
      break;
    case TimerMode::TimeCode:  // the host's time line
    {
      const double position = samplePosition / mClockRate;
      double t = position > 0.0 ? position : 0.0;
      mTimeCode.hours = std::floor(t / 3600.0);
      t -= mTimeCode.hours * 3600.0;
      mTimeCode.minutes = std::floor(t / 60.0);
      t -= mTimeCode.minutes * 60.0;
      mTimeCode.seconds = t;
      time[0] = static_cast<uint32_t>(mTimeCode.hours);
      time[1] = static_cast<uint32_t>(mTimeCode.minutes);
      time[2] = static_cast<uint32_t>(std::floor(t));
      time[3] = static_cast<uint32_t>(std::floor((t - std::floor(t)) * 10.0));
      break;
    }
    case TimerMode::Elapsed:  // measuring time
    {
      // From the frames counted: block lengths summed in seconds fall short of a whole tenth at
      // the end of a whole number of tenths.
      const auto tenths = static_cast<int64_t>(std::floor(static_cast<double>(mElapsedFrames) * 10.0 / mClockRate));
      time[0] = static_cast<uint32_t>(tenths / 36000 % 24);
      time[1] = static_cast<uint32_t>(tenths / 600 % 60);
      time[2] = static_cast<uint32_t>(tenths / 10 % 60);
      time[3] = static_cast<uint32_t>(tenths % 10);
      break;
    }
    default: break;
  }
}
