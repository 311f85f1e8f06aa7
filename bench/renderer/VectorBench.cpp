// The vector context on the recording back end: one editor-like frame of shapes and text.
#include "renderer/vector/VectorContext.h"
#include "tests/renderer/vector/RecordingBackend.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>

// Heap allocations are counted by interposing the C allocator, which operator new also uses.
// The sanitizers interpose it themselves, so their builds count nothing.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
namespace
{
std::atomic<long long> gAllocations{0};
}
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* malloc(size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, n);
}
long long allocationCount() { return gAllocations.load(); }
#else
long long allocationCount() { return 0; }
#endif

namespace
{
constexpr float kWidth = 832, kHeight = 446;

void drawScene(NVGcontext* vg, float ratio)
{
  vgBeginFrame(vg, kWidth, kHeight, ratio);
  for (int i = 0; i < 500; i++)
  {
    const float x = static_cast<float>((i % 25) * 33), y = static_cast<float>((i / 25) * 22);
    vgBeginPath(vg);
    vgRoundedRect(vg, x + 1, y + 1, 30, 19, 4);
    vgSetFillColor(vg, vgColorRGBA(40, 40, 40, 255));
    vgFill(vg);
    vgSetStrokeColor(vg, vgColorRGBA(200, 200, 200, 255));
    vgSetStrokeWidth(vg, 1.5f);
    vgStroke(vg);
  }
  for (int i = 0; i < 100; i++)
  {
    vgBeginPath(vg);
    vgArc(vg, 20.0f + (i % 20) * 40, 30.0f + (i / 20) * 80, 15, 0.3f, 2.5f + i * 0.03f, NVG_CW);
    vgSetStrokeWidth(vg, 3);
    vgStroke(vg);
  }
  vgEndFrame(vg);
}

void BM_VectorFrame(benchmark::State& state)
{
  const float ratio = static_cast<float>(state.range(0));
  RecordingBackend backend;
  backend.recordGeometry = false;
  NVGbackend table = backend.table();
  const long long atStart = allocationCount();
  NVGcontext* vg = vgCreateContext(&table);
  state.counters["allocs_setup"] = static_cast<double>(allocationCount() - atStart);
  drawScene(vg, ratio);  // warm-up: buffers grow to their steady size
  const long long before = allocationCount();
  long long frames = 0;
  for (auto _ : state)
  {
    drawScene(vg, ratio);
    frames++;
  }
  state.counters["allocs_per_frame"] =
      frames ? static_cast<double>(allocationCount() - before) / frames : 0.0;
  vgDeleteContext(vg);
}
BENCHMARK(BM_VectorFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
}  // namespace
