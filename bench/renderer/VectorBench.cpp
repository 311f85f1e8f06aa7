// The vector context on the recording back end: one editor-like frame of shapes and text.
#include "renderer/atlas/GlyphAtlasFont.h"
#include "renderer/vector/VectorState.h"
#include "bench/renderer/BenchScene.h"
#include "tests/renderer/vector/RecordingBackend.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>

// Heap allocations are counted by interposing the C allocator, which operator new also uses.
// The sanitizers interpose it themselves, so their builds count nothing.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
namespace {
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
long long allocationCount()
{
  return gAllocations.load();
}
#else
long long allocationCount()
{
  return 0;
}
#endif

namespace {

// A context on a recording back end that keeps no geometry, with the font loaded.
struct Bench
{
  RecordingBackend backend;
  NVGcontext* vg = nullptr;
  Bench()
  {
    backend.recordGeometry = false;
    NVGbackend table = backend.table();
    vg = vgCreateContext(&table);
    vgAddFontFromFile(vg, "sans", kBenchFont);
  }
  ~Bench() { vgDeleteContext(vg); }
  int uploads() const
  {
    int n = 0;
    for (const auto& t : backend.textures)
      n += t.second.uploads;
    return n;
  }
  int glyphsCached() const { return vg->fs->fonts[0]->glyphCount; }
};

void BM_VectorFrame(benchmark::State& state)
{
  const float ratio = static_cast<float>(state.range(0));
  const long long atStart = allocationCount();
  Bench b;
  state.counters["allocs_setup"] = static_cast<double>(allocationCount() - atStart);
  drawBenchScene(b.vg, ratio);  // warm-up: buffers grow to their steady size, glyphs are cached
  const long long before = allocationCount();
  long long frames = 0;
  for (auto _ : state)
  {
    drawBenchScene(b.vg, ratio);
    frames++;
  }
  state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocationCount() - before) / frames : 0.0;
}
BENCHMARK(BM_VectorFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// 100 strings of 20 glyphs that are already in the atlas: no rasterising, no upload.
void BM_CachedText(benchmark::State& state)
{
  Bench b;
  auto frame = [&] {
    vgBeginFrame(b.vg, kBenchWidth, kBenchHeight, 1);
    vgSetFontSize(b.vg, 13);
    for (int i = 0; i < 100; i++)
      vgDrawText(b.vg, 5.0f + (i % 4) * 200, 12.0f + (i / 4) * 17, "Integrated -23.4 LU", nullptr);
    vgEndFrame(b.vg);
  };
  frame();
  const int uploads = b.uploads(), glyphs = b.glyphsCached();
  for (auto _ : state)
    frame();
  state.counters["uploads"] = b.uploads() - uploads;
  state.counters["glyphs_rasterised"] = b.glyphsCached() - glyphs;
}
BENCHMARK(BM_CachedText)->Unit(benchmark::kMicrosecond);
}  // namespace
