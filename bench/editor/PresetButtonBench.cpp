// A click on the preset button until its menu is open, with 0 and 300 user presets in the
// product's data folder (the temporary home's): the click refreshes the user preset list before
// the menu lists it. Argument: the number of user presets.

#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBPresetMenuZv.h"
#include "tests/support/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

class PresetEditor : public Vantorelix
{
public:
  explicit PresetEditor(int nPresets)
  {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& entry : fs::directory_iterator(DataFolder()))
      if (entry.path().extension() == ".zvp")
        fs::remove(entry.path());
    for (int i = 0; i < nPresets; ++i)
    {
      const std::string name = "User " + std::to_string(i);
      SavePresetFile((std::string(DataFolder()) + "/" + name + ".zvp").c_str(), name.c_str());
    }
    mMakeGraphicsFunc = [this] { return new vtest::HeadlessGraphics(*this, 832, 446, 1.f); };
    OpenWindow(nullptr);
    EditorOpened();
  }
  ~PresetEditor() override { CloseWindow(); }

  IBPresetMenuZv& Button() { return *dynamic_cast<IBPresetMenuZv*>(GetUI()->FindControlByTag(IBPresetMenuZv::kTag)); }
};

void PresetButtonClick(benchmark::State& state)
{
  PresetEditor editor(static_cast<int>(state.range(0)));
  IBPresetMenuZv& button = editor.Button();
  const iplug::igraphics::IRECT& area = button.GetRECT();
  for (auto _ : state)
    button.OnMouseDown(area.MW(), area.MH(), iplug::igraphics::IMouseMod());
  state.counters["user presets"] = static_cast<double>(button.UserMenu() ? button.UserMenu()->NItems() : 0);
}

}  // namespace

BENCHMARK(PresetButtonClick)->Arg(0)->Arg(300)->Unit(benchmark::kMillisecond);
