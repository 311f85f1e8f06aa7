// The benchmark scene through the GPU back end on the CPU imitation of Metal: whole frames, and
// the fragments shaded per second.
#include "bench/renderer/BenchScene.h"
#include "renderer/metal/MetalRenderer.h"
#include "renderer/metal/MetalShaders.h"

#include <benchmark/benchmark.h>

namespace {
// Counts the fragments of the anti-aliasing fragment function by standing in for it, draw by draw
// with the body the function chooses for the draw. Frames run on the committing thread here, so
// plain variables do.
long long gFragments = 0;
std::shared_ptr<MTLFunction> gFunction;
MTLFragmentSpanBody gShade = nullptr;  // the body for the draw being drawn

void countingSpan(const MTLFragmentSpan& span, const MTLShaderResources& resources, MTLFragmentColours& out)
{
  gFragments += span.count;
  gShade(span, resources, out);
}

MTLFragmentSpanBody specialiseCounting(const MTLShaderResources& resources)
{
  gShade = gFunction->specialiser(resources);
  return countingSpan;
}

void countFragments()
{
  if (gFunction)
    return;
  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
  gFunction = device->newLibraryWithData(mnvgShaderLibrary(), mnvgShaderLibrarySize(), nullptr)
                ->newFunctionWithName("fragmentShaderAA");
  MTLRegisterFragmentFunction("fragmentShaderAA", gFunction->fragment, specialiseCounting);
}

void BM_MetalFrame(benchmark::State& state)
{
  countFragments();
  const float ratio = static_cast<float>(state.range(0));
  CAMetalLayer layer;
  layer.setDrawableSize(
    {static_cast<NSUInteger>(kBenchWidth * ratio), static_cast<NSUInteger>(kBenchHeight * ratio), 1});
  NVGcontext* vg = mvgCreateContext(&layer, MNVG_ANTIALIAS | MNVG_TRIPLE_BUFFER);
  vgAddFontFromFile(vg, "sans", kBenchFont);
  drawBenchScene(vg, ratio);
  const long long before = gFragments;
  long long frames = 0;
  for (auto _ : state)
  {
    mvgSetClearColor(vg, vgColorRGBA(20, 20, 20, 255));
    drawBenchScene(vg, ratio);
    frames++;
  }
  const double fragments = static_cast<double>(gFragments - before);
  state.counters["fragments_per_frame"] = frames ? fragments / frames : 0.0;
  state.counters["fragments_per_second"] = benchmark::Counter(fragments, benchmark::Counter::kIsRate);
  mvgDeleteContext(vg);
}
BENCHMARK(BM_MetalFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
}  // namespace
