// A full parameter recall: a preset-form state read that applies all 189 parameters, switching
// between two presets so that the engine, the filters and the limiter are set up again each time.
// Besides the wall time it reports the longest time a thread standing in for the audio thread
// waited for the plug-in mutex while the recalls ran: the worst stall a block would see.
#include "meter-plugin/Vantorelix.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

ByteChunk PresetChunk(Vantorelix& plug, const Vantorelix::PresetPairs& pairs)
{
  iplug::IPreset record;
  plug.MakePresetFromValues(record, "Recall", pairs);
  return record.mChunk;
}

// Runs the step once per iteration while a thread standing in for the audio thread takes the
// plug-in mutex over and over, and reports the longest it had to wait.
template <class Step>
void RunWhileWatchingMutex(benchmark::State& state, Vantorelix& plug, Step step)
{
  std::atomic<bool> running{true};
  std::atomic<int64_t> longestWaitNs{0};
  std::thread audio([&] {
    while (running)
    {
      const auto start = Clock::now();
      {
        WDL_MutexLock lock(plug.PluginMutex());
      }
      const int64_t waited = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
      longestWaitNs = std::max<int64_t>(longestWaitNs, waited);
      std::this_thread::yield();
    }
  });
  for (auto _ : state)
    step();
  running = false;
  audio.join();
  state.counters["longest_mutex_wait_ms"] = static_cast<double>(longestWaitNs) / 1e6;
}

void BM_Recall(benchmark::State& state, double sampleRate, double slMs, double mlMs)
{
  auto plug = std::make_unique<Vantorelix>();
  plug->SetSampleRate(sampleRate);
  plug->ResetProcessing();
  const ByteChunk presets[] = {
    PresetChunk(*plug, {{kSL_IntWindow, slMs}, {kML_IntWindow, mlMs}}),
    PresetChunk(*plug, {{kSL_IntWindow, slMs},
                        {kML_IntWindow, mlMs - 1.0},
                        {kGate_mode, 2},
                        {kWFilterMode, 1},
                        {kPeak_Limit, -2.0},
                        {kChannelConfig, 7},
                        {kTimerMode, 1}}),
  };

  size_t n = 0;
  RunWhileWatchingMutex(state, *plug, [&] { benchmark::DoNotOptimize(plug->ReadState(presets[n++ % 2], 0)); });
}

// The memory store copies a full day of history while the audio thread keeps appending.
void BM_StoreFullHistory(benchmark::State& state)
{
  auto plug = std::make_unique<Vantorelix>();
  LoudnessHistoryPoint point{};
  for (uint32_t i = 0; i < LoudnessHistory::kCapacity; ++i)
    plug->History().AppendCopy(point);
  RunWhileWatchingMutex(state, *plug, [&] { plug->ParameterChanged(kActionStoreMemory, iplug::kEditor, -1); });
}

BENCHMARK_CAPTURE(BM_Recall, defaults_48k, 48000.0, 3000.0, 600.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Recall, windows_60s_192k, 192000.0, 60000.0, 60000.0)
  ->Unit(benchmark::kMillisecond)
  ->UseRealTime();

}  // namespace
BENCHMARK(BM_StoreFullHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
