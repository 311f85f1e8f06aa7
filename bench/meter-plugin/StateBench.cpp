// Cost of saving and restoring the plug-in state: with both loudness histories full (the largest
// state a host can be handed) and in the preset form that preset records carry.
#include "meter-plugin/Vantorelix.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

// Forgets the peak resident size so the next reading covers only what follows.
void ResetPeakMemory()
{
  std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMemoryMB()
{
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stod(line.substr(6)) / 1024.0;
  return 0.0;
}

void Fill(LoudnessHistory& history)
{
  LoudnessHistoryPoint point{};
  for (uint32_t i = 0; i < LoudnessHistory::kCapacity; ++i)
  {
    point.timerTenths = i;
    history.AppendCopy(point);
  }
}

std::unique_ptr<Vantorelix> FullPlugin()
{
  auto plug = std::make_unique<Vantorelix>();
  Fill(plug->History());
  Fill(plug->Memory());
  return plug;
}

void BM_WriteStateFullHistories(benchmark::State& state)
{
  const auto plug = FullPlugin();
  ResetPeakMemory();
  int64_t bytes = 0;
  for (auto _ : state)
  {
    ByteChunk chunk;
    plug->WriteState(chunk);
    bytes += chunk.Size();
    benchmark::DoNotOptimize(chunk.GetData());
  }
  state.SetBytesProcessed(bytes);
  state.counters["peak_MB"] = PeakMemoryMB();
}

void BM_ReadStateFullHistories(benchmark::State& state)
{
  ByteChunk chunk;
  FullPlugin()->WriteState(chunk);
  Vantorelix plug;
  ResetPeakMemory();
  for (auto _ : state)
    benchmark::DoNotOptimize(plug.ReadState(chunk, 0));
  state.SetBytesProcessed(int64_t{chunk.Size()} * state.iterations());
  state.counters["peak_MB"] = PeakMemoryMB();
}

void BM_WritePresetForm(benchmark::State& state)
{
  Vantorelix plug;
  for (auto _ : state)
  {
    iplug::IPreset record;
    plug.MakePresetFromValues(record, "Preset", {{kLoudness_Target, -23.0}});
    benchmark::DoNotOptimize(record.mChunk.GetData());
  }
}

void BM_ReadPresetForm(benchmark::State& state)
{
  Vantorelix plug;
  iplug::IPreset record;
  plug.MakePresetFromValues(record, "Preset", {{kLoudness_Target, -23.0}});
  for (auto _ : state)
    benchmark::DoNotOptimize(plug.ReadState(record.mChunk, 0));
}

}  // namespace

BENCHMARK(BM_WriteStateFullHistories)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStateFullHistories)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePresetForm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadPresetForm)->Unit(benchmark::kMicrosecond);
