// The editor view's hot paths: pointer moves from the window through the view, the hit test and
// the control under the pointer, and one redraw tick with one dirty control.

#include <benchmark/benchmark.h>

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IControl.h"
#include "platform-mac/IGraphicsMac.h"
#include "platform-mac/IGraphicsView.h"

using namespace iplug;
using namespace iplug::igraphics;

namespace {

class Tile final : public IControl
{
public:
  explicit Tile(const IRECT& bounds) : IControl(bounds) {}
  void OnMouseOver(float x, float y, const IMouseMod& mod) override
  {
    IControl::OnMouseOver(x, y, mod);
    ++mOvers;
  }
  void Draw(IGraphics& g) override { g.FillRoundRect(IColor(255, 60, 120, 200), mRECT, 3.f); }
  long mOvers = 0;
};

// An 832 by 446 editor of 300 tiles (20 columns, 15 rows) in a window.
class Editor : public IGEditorDelegate
{
public:
  Editor() : IGEditorDelegate(0)
  {
    mMakeGraphicsFunc = [this] { return new IGraphicsMac(*this, 832, 446, 60, 1.f); };
    mLayoutFunc = [this](IGraphics* g) {
      g->AddPanelBackground(IPattern(IColor(255, 30, 30, 34)));
      g->EnableMouseOver(true);
      for (int i = 0; i < 300; ++i)
      {
        const float l = 4.f + 41.f * static_cast<float>(i % 20), t = 4.f + 29.f * static_cast<float>(i / 20);
        tiles.push_back(new Tile(IRECT(l, t, l + 38.f, t + 26.f)));
        g->AddControl(tiles.back());
      }
    };
    window = std::make_shared<NSWindow>(NSMakeRect(0, 0, 832, 446));
    window->setContentView(std::make_shared<NSView>());
    view = static_cast<IGraphicsView_vVantorelix_au*>(OpenWindow(window->contentView()));
  }
  ~Editor() override { CloseWindow(); }
  void GestureBeginFromEditor(int) override {}
  void GestureEndFromEditor(int) override {}

  std::vector<Tile*> tiles;
  std::shared_ptr<NSWindow> window;
  IGraphicsView_vVantorelix_au* view = nullptr;
};

void Tick()
{
  platform::AdvanceClock(1.0 / 60.0);
  platform::RunMainLoop();
}

void BM_MouseMovesOver300Controls(benchmark::State& state)
{
  Editor editor;
  constexpr int kMoves = 10000;
  std::vector<NSEvent> moves;
  for (int i = 0; i < kMoves; ++i)
  {
    const NSPoint at{static_cast<CGFloat>((i * 37) % 832), static_cast<CGFloat>((i * 53) % 446)};
    moves.push_back(
      NSEvent::mouseEventWithType(NSEventTypeMouseMoved, at, NSEventModifierFlags(0), editor.window.get()));
  }
  for (auto _ : state)
  {
    for (const NSEvent& move : moves)
      editor.window->sendEvent(move);
  }
  benchmark::DoNotOptimize(editor.tiles[0]->mOvers);
  state.counters["per_event"] = benchmark::Counter(
    static_cast<double>(kMoves), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MouseMovesOver300Controls)->Unit(benchmark::kMillisecond);

void BM_RedrawTickWithOneDirtyControl(benchmark::State& state)
{
  Editor editor;
  Tick();  // the first frame draws everything
  for (auto _ : state)
  {
    editor.tiles[150]->SetDirty(false);
    Tick();
  }
  benchmark::DoNotOptimize(editor.view->layer()->presentedCount());
}
BENCHMARK(BM_RedrawTickWithOneDirtyControl)->Unit(benchmark::kMicrosecond);

void BM_RedrawTickWithNothingDirty(benchmark::State& state)
{
  Editor editor;
  Tick();
  for (auto _ : state)
    Tick();
  benchmark::DoNotOptimize(editor.view->layer()->presentedCount());
}
BENCHMARK(BM_RedrawTickWithNothingDirty)->Unit(benchmark::kMicrosecond);

}  // namespace
