// The in-window prompts through the real drawing back end: a long menu from the call that opens
// it to its first drawn frame, and one key typed into a full text entry.

#include <benchmark/benchmark.h>

#include <string>

#include "graphics/IGraphicsConstants.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "tests/controls/Clocked.h"
#include "tests/support/HeadlessGraphics.h"

using namespace vtest;
using namespace iplug::igraphics;

namespace {
// A menu whose fades run on a clock the benchmark moves, so that closing takes no real time.
using BenchPopup = Clocked<IPopupMenuControl>;

class Owner : public IControl
{
public:
  explicit Owner(const IRECT& r) : IControl(r) {}
  void Draw(IGraphics&) override {}
};

struct BenchEditor
{
  BenchEditor()
  {
    delegate.mMakeGraphicsFunc = [this] { return new HeadlessGraphics(delegate, 832, 446); };
    delegate.OpenWindow(nullptr);
    g = static_cast<HeadlessGraphics*>(delegate.GetUI());
    g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
    g->AddPanelBackground(IPattern(kColorGray));
    owner = new Owner(IRECT(100, 100, 180, 120));
    g->AddControl(owner);
    g->DrawFullFrame();
  }
  ~BenchEditor() { delegate.CloseWindow(); }

  HeadlessDelegate delegate{1};
  HeadlessGraphics* g = nullptr;
  Owner* owner = nullptr;
};
}  // namespace

// Opens a 100-item menu, with or without drawing its first frame, and closes it untimed.
static void OpenHundredItemMenu(benchmark::State& state, bool draw)
{
  BenchEditor e;
  auto* popup = new BenchPopup(-1, IText(14.f, kColorBlack, "Roboto-Regular"));
  e.g->AddPopupMenuControl(popup);
  IPopupMenu menu;
  for (int i = 0; i < 100; ++i)
  {
    menu.AddItem(("Preset number " + std::to_string(i)).c_str());
  }
  for (auto _ : state)
  {
    e.g->OpenMenu(e.owner, menu, e.owner->GetRECT(), 0);
    if (draw)
    {
      e.g->DrawFrame();
    }
    state.PauseTiming();
    popup->CloseMenu();
    while (popup->GetState() != IPopupMenuControl::kCollapsed)
    {
      popup->now += 101.0;
      e.g->DrawFrame();
    }
    state.ResumeTiming();
  }
}

static void BM_OpenHundredItemMenuToFirstFrame(benchmark::State& state)
{
  OpenHundredItemMenu(state, true);
}
BENCHMARK(BM_OpenHundredItemMenuToFirstFrame)->Unit(benchmark::kMicrosecond);

// The menu's own share: placement, measuring the items and building the panel.
static void BM_OpenHundredItemMenuWithoutDrawing(benchmark::State& state)
{
  OpenHundredItemMenu(state, false);
}
BENCHMARK(BM_OpenHundredItemMenuWithoutDrawing)->Unit(benchmark::kMicrosecond);

static void BM_KeyTypedInto64CharacterEntry(benchmark::State& state)
{
  BenchEditor e;
  e.g->AddTextEntryControl();
  ITextEntryControl& entry = *e.g->GetTextEntryControl();
  const std::string text(64, '7');
  e.g->OpenTextEntry(e.owner, IText(14.f, kColorBlack, "Roboto-Regular"), IRECT(100, 100, 700, 120), text.c_str(), -1);
  entry.OnKeyDown(0, 0, iplug::IKeyPress("", 35));  // to the end
  const iplug::IKeyPress digit("5", '5'), backspace("", 8);
  for (auto _ : state)
  {
    benchmark::DoNotOptimize(entry.OnKeyDown(0, 0, digit));
    state.PauseTiming();
    entry.OnKeyDown(0, 0, backspace);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_KeyTypedInto64CharacterEntry)->Unit(benchmark::kMicrosecond);
