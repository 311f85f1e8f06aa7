// The idle tick's work on the main thread: with the editor closed and output parameters due (at
// most every 50 ms of audio while "WriteAutomationData" is on), and with an editor open whose
// read-outs, meters and graph are due, as they are every 50 ms of audio. Nothing is drawn.

#include "meter-plugin/Vantorelix.h"
#include "tests/support/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// A plug-in that has measured two seconds of a stereo tone.
class MeasuredPlug : public Vantorelix
{
public:
  MeasuredPlug()
  {
    Settings().updateCheck = 0;
    SetSampleRate(48000.0);
    ResizeScratchBuffers(512);
    MarkChannelsConnected(iplug::kInput, 0, 2, true);
    MarkChannelsConnected(iplug::kOutput, 0, 2, true);
    ResetProcessing();
    std::vector<double> left(512), right(512), outLeft(512), outRight(512);
    double* in[] = {left.data(), right.data()};
    double* out[] = {outLeft.data(), outRight.data()};
    for (int n = 0; n < 200; ++n)
    {
      for (int i = 0; i < 512; ++i)
        left[i] = right[i] = 0.1 * std::sin(2.0 * M_PI * 997.0 * (n * 512 + i) / 48000.0);
      ProcessBlock(in, out, 512);
    }
  }
  ~MeasuredPlug() override { CloseWindow(); }

  void OpenHeadlessEditor()
  {
    mMakeGraphicsFunc = [this] {
      return new vtest::HeadlessGraphics(*this, EditorWidth(), Settings().guiHeight,
                                         static_cast<float>(Settings().guiScale));
    };
    OpenWindow(nullptr);
    EditorOpened();
  }
};

void IdleTickWritingOutputs(benchmark::State& state)
{
  MeasuredPlug plug;
  plug.Settings().writeAutomationData = 1;
  for (auto _ : state)
  {
    plug.Requests().outputParamWrite = 1;
    plug.IdleTick();
  }
}
BENCHMARK(IdleTickWritingOutputs)->Unit(benchmark::kMicrosecond);

void IdleTickRefreshingTheEditor(benchmark::State& state)
{
  MeasuredPlug plug;
  plug.OpenHeadlessEditor();
  if (!plug.EditorReady())
    state.SkipWithError("the editor was not laid out");
  for (auto _ : state)
  {
    plug.Requests().readoutRefresh = 1;
    plug.Requests().meterRefresh = 1;
    plug.IdleTick();
  }
}
BENCHMARK(IdleTickRefreshingTheEditor)->Unit(benchmark::kMicrosecond);

}  // namespace
