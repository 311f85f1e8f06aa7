#include <benchmark/benchmark.h>

#include <random>

#include "tests/graphics/GraphicsFixture.h"

using namespace vtest;

namespace {
class QuietControl : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGraphics& g) override { g.FillRect(IColor(), GetRECT()); }
};

struct QuietEditor
{
  QuietEditor()
  {
    dlg.mMakeGraphicsFunc = [this] { return new RecordingGraphics(dlg, 1664, 892); };
    dlg.OpenWindow(nullptr);
    g = static_cast<RecordingGraphics*>(dlg.GetUI());
    g->record = false;
  }
  TestDelegate dlg{16};
  RecordingGraphics* g = nullptr;
};

IRECT RandomRect(std::mt19937& rng, float w, float h)
{
  std::uniform_real_distribution<float> x(0.f, w - 60.f), y(0.f, h - 40.f), size(8.f, 60.f);
  const float l = x(rng), t = y(rng);
  return IRECT(l, t, l + size(rng), t + size(rng) * 0.6f);
}
}  // namespace

static void BM_Attach600Controls(benchmark::State& state)
{
  for (auto _ : state)
  {
    QuietEditor e;
    for (int i = 0; i < 600; ++i)
    {
      e.g->AddControl(new QuietControl(IRECT(0, 0, 10, 10), i % 16), i);
    }
    benchmark::DoNotOptimize(e.g->NControls());
  }
}
BENCHMARK(BM_Attach600Controls)->Unit(benchmark::kMicrosecond);

static void BM_FindControlByTag(benchmark::State& state)
{
  QuietEditor e;
  for (int i = 0; i < 600; ++i)
  {
    e.g->AddControl(new QuietControl(IRECT(0, 0, 10, 10)), i);
  }
  int tag = 0;
  for (auto _ : state)
  {
    benchmark::DoNotOptimize(e.g->FindControlByTag(tag));
    tag = (tag + 97) % 600;
  }
}
BENCHMARK(BM_FindControlByTag);

static void BM_SetDirtyWithTenPeers(benchmark::State& state)
{
  QuietEditor e;
  e.dlg.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.0);
  IControl* source = nullptr;
  for (int i = 0; i < 11; ++i)
  {
    source = e.g->AddControl(new QuietControl(IRECT(0, 0, 10, 10), 0));
  }
  for (int i = 0; i < 289; ++i)
  {
    e.g->AddControl(new QuietControl(IRECT(0, 0, 10, 10), 1 + i % 15));
  }
  double value = 0.0;
  for (auto _ : state)
  {
    value = value > 0.9 ? 0.0 : value + 0.01;
    source->SetValue(value);
    source->SetDirty(true);
  }
}
BENCHMARK(BM_SetDirtyWithTenPeers);

static void BM_FrameWith100DirtyOf300(benchmark::State& state)
{
  QuietEditor e;
  std::mt19937 rng(7);
  std::vector<IControl*> controls;
  for (int i = 0; i < 300; ++i)
  {
    controls.push_back(e.g->AddControl(new QuietControl(RandomRect(rng, 1664.f, 892.f))));
  }
  std::uniform_int_distribution<int> pick(0, 299);
  IRECTList rects;
  e.g->MarkAllControlsClean();
  for (auto _ : state)
  {
    state.PauseTiming();
    for (int i = 0; i < 100; ++i)
    {
      controls[static_cast<size_t>(pick(rng))]->SetDirty(false);
    }
    rects.Clear();
    state.ResumeTiming();
    if (e.g->IsDirty(rects))
    {
      e.g->MarkAllControlsClean();
      e.g->DrawDirtyRects(rects);
    }
  }
}
BENCHMARK(BM_FrameWith100DirtyOf300)->Unit(benchmark::kMicrosecond);

static void BM_MergeDirtyRects(benchmark::State& state)
{
  std::mt19937 rng(11);
  std::vector<IRECT> input;
  for (int i = 0; i < state.range(0); ++i)
  {
    input.push_back(RandomRect(rng, 1664.f, 892.f).GetPixelAligned(1.f));
  }
  for (auto _ : state)
  {
    IRECTList rects;
    for (const IRECT& r : input)
    {
      rects.Add(r);
    }
    IGraphics::MergeDirtyRects(rects);
    benchmark::DoNotOptimize(rects.Size());
  }
}
BENCHMARK(BM_MergeDirtyRects)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

static void BM_DropShadowBlur1664x892(benchmark::State& state)
{
  QuietEditor e;
  e.g->BeginLayer(nullptr, IRECT(0, 0, 1664, 892));
  ILayerPtr layer = e.g->FinishLayer();
  std::mt19937 rng(3);
  e.g->layerPixels.resize(1664u * 892u * 4u);
  for (size_t i = 0; i < e.g->layerPixels.size(); i += 4)
  {
    e.g->layerPixels[i + 3] = (i / 4) % 1664 < 800 ? 255 : static_cast<uint8_t>(rng());
  }
  IShadow shadow;
  shadow.mBlurSize = 10.f;
  for (auto _ : state)
  {
    e.g->ApplyLayerDropShadow(layer, shadow);
  }
}
BENCHMARK(BM_DropShadowBlur1664x892)->Unit(benchmark::kMillisecond);
