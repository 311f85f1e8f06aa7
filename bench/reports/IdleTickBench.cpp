// One idle tick with the editor closed, output parameters due: the work the main thread does at
// most every 50 ms of audio while "WriteAutomationData" is on.

#include "meter-plugin/Vantorelix.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void IdleTickWritingOutputs(benchmark::State& state)
{
  Vantorelix plug;
  plug.SetSampleRate(48000.0);
  plug.ResizeScratchBuffers(512);
  plug.MarkChannelsConnected(iplug::kInput, 0, 2, true);
  plug.MarkChannelsConnected(iplug::kOutput, 0, 2, true);
  plug.ResetProcessing();
  std::vector<double> left(512, 0.1), right(512, -0.1), outLeft(512), outRight(512);
  double* in[] = {left.data(), right.data()};
  double* out[] = {outLeft.data(), outRight.data()};
  for (int n = 0; n < 100; ++n)
    plug.ProcessBlock(in, out, 512);
  plug.Settings().writeAutomationData = 1;
  for (auto _ : state)
  {
    plug.Requests().outputParamWrite = 1;
    plug.IdleTick();
  }
}
BENCHMARK(IdleTickWritingOutputs)->Unit(benchmark::kMicrosecond);

} // namespace
