// Cost of the parameter writers and readers that run on the audio and host threads.
#include "framework/IPlugParameter.h"

#include <benchmark/benchmark.h>

using iplug::IParam;

namespace {

void Define(IParam& p, bool exponential)
{
  if (exponential)
    p.DefineFrequency("Freq", 1000.0, 20.0, 20000.0, 0.01);
  else
    p.DefineGain("Gain", 0.0, -60.0, 12.0, 0.1);
}

void BM_Set(benchmark::State& state)
{
  IParam p;
  Define(p, state.range(0));
  double v = p.GetMin();
  const double dv = (p.GetMax() - p.GetMin()) / 1024.0;
  for (auto _ : state)
  {
    p.Set(v);
    v = v + dv > p.GetMax() ? p.GetMin() : v + dv;
  }
  benchmark::DoNotOptimize(p.Value());
}

void BM_SetNormalised(benchmark::State& state)
{
  IParam p;
  Define(p, state.range(0));
  double n = 0.0;
  for (auto _ : state)
  {
    p.SetNormalised(n);
    n = n >= 1.0 ? 0.0 : n + 1.0 / 1024.0;
  }
  benchmark::DoNotOptimize(p.Value());
}

void BM_GetNormalised(benchmark::State& state)
{
  IParam p;
  Define(p, state.range(0));
  p.SetNormalised(0.3);
  for (auto _ : state)
    benchmark::DoNotOptimize(p.GetNormalised());
}

}  // namespace

// Argument 0: linear gain parameter; 1: exponential frequency parameter.
BENCHMARK(BM_Set)->ArgName("exp")->Arg(0)->Arg(1);
BENCHMARK(BM_SetNormalised)->ArgName("exp")->Arg(0)->Arg(1);
BENCHMARK(BM_GetNormalised)->ArgName("exp")->Arg(0)->Arg(1);
