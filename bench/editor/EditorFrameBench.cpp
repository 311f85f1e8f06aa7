// The whole editor, with its real layout, drawn on the headless graphics at the stored sizes and
// scales a user picks, in the meter view and in the graph view:
//   FullFrame        every control drawn, as after opening or resizing;
//   RefreshFrame     the frame after a normal refresh, when the idle tick has marked the meters,
//                    read-outs and graph dirty (only the drawing is timed);
//   IdleTickAndFrame the idle tick that serves the refresh, and the frame it causes.
// Between refreshes 50 ms of a stereo signal whose level wanders are measured, untimed, so that
// the values really change from frame to frame as they do while audio plays.
// Arguments: width, height, scale in percent, view (0 meters, 1 graph).

#include "meter-plugin/Vantorelix.h"
#include "tests/support/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlock = 480;
constexpr int kBlocksPerRefresh = 5;  // 50 ms of audio, the pace of the display requests

// The update check is on by default: it must fail at once on a closed local port, not reach out
// to the network while an editor is being measured.
const bool gNoUpdateServer = setenv("VANTORELIX_UPDATE_SERVER", "http://127.0.0.1:9", 1) == 0;

class MeasuredEditor : public Vantorelix
{
public:
  explicit MeasuredEditor(const benchmark::State& state)
  {
    SetSampleRate(kSampleRate);
    ResizeScratchBuffers(kBlock);
    MarkChannelsConnected(iplug::kInput, 0, 2, true);
    MarkChannelsConnected(iplug::kOutput, 0, 2, true);
    ResetProcessing();
    Settings().guiWidth = static_cast<int32_t>(state.range(0));
    Settings().guiHeight = static_cast<int32_t>(state.range(1));
    Settings().guiScale = static_cast<double>(state.range(2)) / 100.0;
    Settings().displayMode = static_cast<int32_t>(state.range(3));
    mMakeGraphicsFunc = [this] {
      mUI = new vtest::HeadlessGraphics(*this, EditorWidth(), Settings().guiHeight,
                                        static_cast<float>(Settings().guiScale));
      return mUI;
    };
    // Twenty seconds measured before the editor opens, so the graph has a history to draw.
    Feed(400);
    OpenWindow(nullptr);
    EditorOpened();
  }
  ~MeasuredEditor() override { CloseWindow(); }

  vtest::HeadlessGraphics& UI() { return *mUI; }

  void Feed(int blocks)
  {
    for (int n = 0; n < blocks; ++n, ++mBlocks)
    {
      // A 997 Hz tone whose level swings over 12 dB every four seconds.
      const double gain = 0.1 * std::pow(10.0, 0.3 * std::sin(2.0 * M_PI * mBlocks * kBlock / (4.0 * kSampleRate)));
      for (int i = 0; i < kBlock; ++i)
        mLeft[static_cast<size_t>(i)] = mRight[static_cast<size_t>(i)] =
          gain * std::sin(2.0 * M_PI * 997.0 * (static_cast<double>(mBlocks) * kBlock + i) / kSampleRate);
      double* in[] = {mLeft.data(), mRight.data()};
      double* out[] = {mOutLeft.data(), mOutRight.data()};
      ProcessBlock(in, out, kBlock);
    }
  }

  // The audio of one refresh interval and the requests it raises.
  void NextRefresh()
  {
    Feed(kBlocksPerRefresh);
    Requests().readoutRefresh = 1;
    Requests().meterRefresh = 1;
  }

private:
  vtest::HeadlessGraphics* mUI = nullptr;
  long mBlocks = 0;
  std::vector<double> mLeft = std::vector<double>(kBlock), mRight = std::vector<double>(kBlock);
  std::vector<double> mOutLeft = std::vector<double>(kBlock), mOutRight = std::vector<double>(kBlock);
};

bool Ready(MeasuredEditor& editor, benchmark::State& state)
{
  if (!gNoUpdateServer)
    state.SkipWithError("the update server address could not be set");
  else if (!editor.EditorReady())
    state.SkipWithError("the editor was not laid out");
  else
    return true;
  return false;
}

void FullFrame(benchmark::State& state)
{
  MeasuredEditor editor(state);
  if (!Ready(editor, state))
    return;
  for (auto _ : state)
    editor.UI().DrawFullFrame();
}

// Each iteration measures more audio and lets the idle tick mark what changed; the tick is timed
// with the frame or not.
template <bool kTimeTick>
void Refresh(benchmark::State& state)
{
  MeasuredEditor editor(state);
  if (!Ready(editor, state))
    return;
  editor.UI().DrawFullFrame();
  long empty = 0;
  for (auto _ : state)
  {
    state.PauseTiming();
    editor.NextRefresh();
    if (kTimeTick)
      state.ResumeTiming();
    editor.IdleTick();
    if (!kTimeTick)
      state.ResumeTiming();
    empty += !editor.UI().DrawFrame();
  }
  if (empty > 0)
    state.SkipWithError("a refresh left nothing to draw");
}

void RefreshFrame(benchmark::State& state)
{
  Refresh<false>(state);
}
void IdleTickAndFrame(benchmark::State& state)
{
  Refresh<true>(state);
}

void Sizes(benchmark::internal::Benchmark* b)
{
  b->ArgNames({"w", "h", "scale%", "graph"});
  for (int view : {0, 1})
    for (int scale : {100, 200})
    {
      b->Args({832, 446, scale, view});
      b->Args({1000, 600, scale, view});
    }
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(FullFrame)->Apply(Sizes);
BENCHMARK(RefreshFrame)->Apply(Sizes);
BENCHMARK(IdleTickAndFrame)->Apply(Sizes);

}  // namespace
