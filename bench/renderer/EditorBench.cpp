// Editor frames through the drawing back end on the CPU imitation of Metal: a whole 832 x 446
// editor of about 300 controls (rounded panels, 150 texts in two fonts, bitmaps, a cached layer)
// drawn and composited onto the drawable, and a frame where only the 12 meters changed.
#include "graphics/IControl.h"
#include "tests/support/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
using namespace iplug::igraphics;
using vtest::HeadlessDelegate;
using vtest::HeadlessGraphics;

constexpr int kWidth = 832, kHeight = 446;

class Panel : public IControl
{
public:
  Panel(const IRECT& r, const char* label, const char* font) : IControl(r), mLabel(label)
  {
    mText = IText(11.f, IColor(255, 230, 230, 230));
    std::strcpy(mText.mFont, font);
  }
  void Draw(IGraphics& g) override
  {
    g.FillRoundRect(IColor(255, 50, 56, 66), mRECT, 3.f);
    g.DrawRoundRect(IColor(255, 90, 100, 120), mRECT, 3.f);
    if (!mLabel.empty())
      g.DrawText(mText, mLabel.c_str(), mRECT);
  }

private:
  std::string mLabel;
  IText mText;
};

class Meter : public IControl
{
public:
  explicit Meter(const IRECT& r) : IControl(r) {}
  void Draw(IGraphics& g) override
  {
    mLevel = mLevel > 0.95f ? 0.1f : mLevel + 0.07f;
    g.FillRect(IColor(255, 20, 20, 20), mRECT);
    g.FillRect(IColor(255, 60, 200, 90), IRECT(mRECT.L, mRECT.B - mRECT.H() * mLevel, mRECT.R, mRECT.B));
  }

private:
  float mLevel = 0.3f;
};

class Picture : public IControl
{
public:
  Picture(const IRECT& r, const IBitmap& bitmap) : IControl(r), mBitmap(bitmap) {}
  void Draw(IGraphics& g) override { g.DrawBitmap(mBitmap, mRECT, 0, 0); }

private:
  IBitmap mBitmap;
};

// A graph kept in a layer, drawn into it once.
class Graph : public IControl
{
public:
  explicit Graph(const IRECT& r) : IControl(r) {}
  void Draw(IGraphics& g) override
  {
    if (!g.LayerIsValid(mLayer))
    {
      g.BeginLayer(this, mRECT, true);
      g.FillRect(IColor(255, 30, 34, 40), mRECT);
      for (int i = 0; i < 40; i++)
        g.DrawLine(IColor(255, 200, 160, 60), mRECT.L + i * mRECT.W() / 40.f, mRECT.B - (i % 7) * 8.f,
                   mRECT.L + (i + 1) * mRECT.W() / 40.f, mRECT.B - ((i + 1) % 7) * 8.f, nullptr, 1.5f);
      mLayer = g.FinishLayer();
    }
    g.PaintLayer(mLayer);
  }

private:
  ILayerPtr mLayer;
};

struct Editor
{
  HeadlessDelegate delegate;
  std::unique_ptr<HeadlessGraphics> g;
  std::vector<Meter*> meters;

  explicit Editor(float scale)
  {
    g = std::make_unique<HeadlessGraphics>(delegate, kWidth, kHeight, 1.f, scale);
    g->OpenWindow(nullptr);
    g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
    g->LoadFont("Verdana", "verdana.ttf");
    g->AddControl(new Panel(g->GetBounds(), "", "Roboto-Regular"));
    // 286 panels in 22 columns and 13 rows, every other one labelled.
    int n = 0;
    for (int row = 0; row < 13; row++)
      for (int col = 0; col < 22; col++, n++)
      {
        const IRECT r(4.f + col * 37.f, 4.f + row * 26.f, 38.f + col * 37.f, 27.f + row * 26.f);
        const bool labelled = n % 2 == 0 && n / 2 < 143;
        g->AddControl(new Panel(r, labelled ? "-23.4" : "", n % 4 == 0 ? "Roboto-Regular" : "Verdana"));
      }
    for (int i = 0; i < 7; i++)
      g->AddControl(new Panel(IRECT(4.f + i * 70.f, 344.f, 70.f + i * 70.f, 362.f), "Integrated",
                              i % 2 ? "Verdana" : "Roboto-Regular"));
    const std::string path = vtest::PicturePath("bench-picture.png");
    std::vector<uint8_t> pixels(48 * 48 * 4, 180);
    vtest::WritePicture(path, 48, 48, pixels.data());
    const IBitmap bitmap = g->LoadBitmap(path.c_str());
    for (int i = 0; i < 4; i++)
      g->AddControl(new Picture(IRECT(520.f + i * 52.f, 370.f, 568.f + i * 52.f, 418.f), bitmap));
    g->AddControl(new Graph(IRECT(4.f, 370.f, 500.f, 440.f)));
    for (int i = 0; i < 12; i++)
    {
      meters.push_back(new Meter(IRECT(730.f + i * 8.f, 370.f, 736.f + i * 8.f, 440.f)));
      g->AddControl(meters.back());
    }
    g->DrawFullFrame();  // glyphs cached, layer made, buffers grown
  }
};

void BM_EditorFullFrame(benchmark::State& state)
{
  Editor editor(static_cast<float>(state.range(0)));
  for (auto _ : state)
    editor.g->DrawFullFrame();
  state.counters["controls"] = editor.g->NControls();
}
BENCHMARK(BM_EditorFullFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_EditorMeterFrame(benchmark::State& state)
{
  Editor editor(static_cast<float>(state.range(0)));
  for (auto _ : state)
  {
    for (Meter* meter : editor.meters)
      meter->SetDirty(false);
    editor.g->DrawFrame();
  }
}
BENCHMARK(BM_EditorMeterFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
}  // namespace
