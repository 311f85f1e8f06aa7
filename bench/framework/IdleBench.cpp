// The idle tick's worst case, and the queues' throughput between two threads.
#include "tests/framework/TestPlugin.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

using testing_support::StubGraphics;

namespace {

class LinkedControl : public iplug::igraphics::IControl
{
public:
  using IControl::IControl;
  void Draw(iplug::igraphics::IGraphics&) override {}
};

// One tick that hands a full parameter queue (512 values) to an editor of 600 linked controls.
void BM_IdleTickFullQueue(benchmark::State& state)
{
  constexpr int kParams = 189;
  iplug::IPlugAPIBase plugin(testing_support::TestConfig(kParams), iplug::kAPIAU);
  for (int i = 0; i < kParams; ++i)
    plugin.GetParam(i)->DefineDouble("p", 0.0, -100.0, 100.0, 0.1);
  plugin.mMakeGraphicsFunc = [&plugin] { return new StubGraphics(plugin, 832, 446, 60, 1.f); };
  plugin.mLayoutFunc = [](iplug::igraphics::IGraphics* g) {
    for (int c = 0; c < 600; ++c)
      g->AddControl(new LinkedControl(iplug::igraphics::IRECT(0, 0, 10, 10), c % kParams));
  };
  plugin.OpenWindow(nullptr);

  for (auto _ : state)
  {
    state.PauseTiming();
    for (int k = 0; k < 512; ++k)
      plugin.QueueValueForEditor((k * 7) % kParams, k * 0.1, false);
    state.ResumeTiming();
    plugin.IdleTimerFired();
  }
}

void BM_QueueTwoThreads(benchmark::State& state)
{
  IPlugQueue<iplug::ParamTuple> queue(512);
  std::atomic<bool> running{true};
  std::thread consumer([&] {
    iplug::ParamTuple tuple;
    while (running.load(std::memory_order_relaxed))
    {
      while (queue.Pop(tuple))
        benchmark::DoNotOptimize(tuple);
    }
  });
  int64_t pushed = 0;
  for (auto _ : state)
  {
    while (!queue.Push({1, 0.5}))
      ;
    ++pushed;
  }
  running = false;
  consumer.join();
  state.SetItemsProcessed(pushed);
}

}  // namespace

BENCHMARK(BM_IdleTickFullQueue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QueueTwoThreads);
