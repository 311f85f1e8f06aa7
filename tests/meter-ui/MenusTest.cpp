// The preset menu, the plug-in menu and the hidden click area, driven as a person would: a click
// opens the menu, and the choice comes back through the graphics object's menu completion, the
// road both the in-window menu and a native menu take.

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "meter-plugin/MeterParamId.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBInfoMenuZv.h"
#include "meter-ui/IBPresetMenuZv.h"
#include "meter-ui/IVClickControlHiddenMenuZv.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {
namespace {

using Item = IPopupMenu::Item;
constexpr int kAfterLoad = 240;  // an id of its own, so that the tests see when it fires
constexpr int kReset = 241;

// The plug-in with an editor whose menus answer later, as the in-window menu does; it records the
// editor actions it receives and what the load sequence does, in order.
class MenuPlug : public Vantorelix
{
public:
  MenuPlug()
  {
    mMakeGraphicsFunc = [this] { return new DrawLog(*this, 832, 446, 0, 1.f); };
    OpenWindow(nullptr);
    ui = static_cast<DrawLog*>(GetUI());
    ui->nativeMenuAsync = true;
  }
  void ParameterChanged(int paramIdx, iplug::ParamChangeSource source, int offset) override
  {
    if (source == iplug::kEditor)  // not the recall of every parameter a load makes
      events.push_back("id " + std::to_string(paramIdx) + (watched->loading ? " loading" : ""));
    Vantorelix::ParameterChanged(paramIdx, source, offset);
  }
  int ReadState(const ByteChunk& chunk, int startPos) override
  {
    events.push_back(std::string("read") + (watched->loading ? " loading" : ""));
    return Vantorelix::ReadState(chunk, startPos);
  }
  void NotifyHostPresetChanged() override
  {
    events.push_back("notify");
    Vantorelix::NotifyHostPresetChanged();
  }
  // Picks an item of the open menu (or of one of its sub-menus) as the person would.
  void Choose(IPopupMenu* menu, int index)
  {
    events.clear();
    if (menu)
      menu->SetChosenItemIdx(index);
    ui->ApplyPopupMenuResult(menu);
  }

  DrawLog* ui = nullptr;
  PresetMenuStore* watched = &PresetStore();  // whose loading flag the events show
  std::vector<std::string> events;
};

std::vector<std::string> Texts(const IPopupMenu& menu)
{
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    const Item* item = menu.GetItem(i);
    texts.push_back(item->GetIsSeparator() ? "--" : item->GetText());
  }
  return texts;
}

iplug::IPreset Record(const char* name)
{
  iplug::IPreset record;
  record.mInitialized = true;
  record.SetName(name);
  return record;
}

struct PresetMenu : ::testing::Test
{
  IBPresetMenuZv* Make(PresetMenuStore& store, bool fromFiles = false, bool arrows = false,
                       int tag = IBPresetMenuZv::kTag)
  {
    plug.watched = &store;
    auto* menu = new IBPresetMenuZv(
      &plug, IRECT(552, 13, 811, 36), IRECT(552, 13, 811, 36), 520, 13, IText(15.f, IColor(255, 159, 160, 161)), arrow,
      815, 13, arrow, kActionLoadPresetFile, kActionSavePresetFile, kActionSaveDefaultPreset, kActionRebuildUserPresets,
      kReset, kAfterLoad, &store, &folder, "zvp", 28, arrows, fromFiles, IRECT(556, 13, 784, 36));
    EXPECT_EQ(plug.ui->AddControl(menu, tag), menu);
    return menu;
  }
  void Open()
  {
    plug.ui->OnMouseDown(Mouse(600, 20));
    plug.ui->OnMouseUp(Mouse(600, 20));
  }

  MenuPlug plug;
  WDL_String folder{"/presets"};
  // Two frames side by side, 20 x 20 each.
  std::unique_ptr<APIBitmap> arrowPixels = std::make_unique<RecordingGraphics::Bitmap>(40, 20, 1.f, 1.f);
  IBitmap arrow{arrowPixels.get(), 2, true};
};

TEST_F(PresetMenu, ItemsSeparatorsAndSubMenus)
{
  PresetMenuStore& store = plug.PresetStore();
  IBPresetMenuZv* menu = Make(store);
  Open();
  const std::vector<std::string> fixed = {
    ">> Preset menu <<", "--", "Load preset ...", "Reset to default", "--", "Save preset ...", "Save as default"};
  auto withFactory = fixed;
  withFactory.insert(withFactory.end(), {"--", "Factory"});
  EXPECT_EQ(Texts(menu->Menu()), withFactory);  // no user presets in the data folder
  ASSERT_NE(menu->FactoryMenu(), nullptr);
  EXPECT_EQ(menu->FactoryMenu()->NItems(), Vantorelix::kFactoryPresetCount);
  EXPECT_STREQ(menu->FactoryMenu()->GetItemText(0), "Init");
  EXPECT_EQ(menu->UserMenu(), nullptr);

  PresetMenuStore own;
  IBPresetMenuZv* empty = Make(own, false, false, -1);
  empty->BuildMenu();
  EXPECT_EQ(Texts(empty->Menu()), fixed);
  EXPECT_EQ(empty->FactoryMenu(), nullptr);
  own.user.Add(new iplug::IPreset(Record("Mine")));
  empty->BuildMenu();
  auto withUser = fixed;
  withUser.insert(withUser.end(), {"--", "User"});
  EXPECT_EQ(Texts(empty->Menu()), withUser);
  EXPECT_STREQ(empty->UserMenu()->GetItemText(0), "Mine");
}

TEST_F(PresetMenu, FactoryPickLoadsThroughTheLoadSequence)
{
  IBPresetMenuZv* menu = Make(plug.PresetStore());
  Open();
  const int pick = 5;
  const std::string name = plug.FactoryPresets().Get(pick)->mName;
  plug.Choose(menu->FactoryMenu(), pick);
  EXPECT_EQ(plug.events, (std::vector<std::string>{"read loading", "notify", "id 240"}));
  EXPECT_EQ(plug.PresetSlotName(0), name);
  EXPECT_EQ(menu->CurrentFactoryIndex(), pick);
  EXPECT_FALSE(plug.PresetStore().loading);

  // A choice is matched against the last build: a rebuilt menu's sub-menu is a new one.
  Open();
  plug.Choose(menu->FactoryMenu(), 0);
  EXPECT_EQ(plug.PresetSlotName(0), std::string("Init"));

  // Reset: the default record, the reset id before the after-load id, without the flag.
  Open();
  plug.Choose(const_cast<IPopupMenu*>(&menu->Menu()), 3);
  EXPECT_EQ(plug.events, (std::vector<std::string>{"read", "notify", "id 241", "id 240"}));
}

// A preset picked from the menu sets what presets set and leaves the rest (here the graph's time
// scale) as the user has it; the same record restored by the host sets everything it holds.
TEST_F(PresetMenu, MenuLoadChangesOnlyWhatPresetsSet)
{
  IBPresetMenuZv* menu = Make(plug.PresetStore());
  const int pick = 5;
  const iplug::IPreset& record = *plug.FactoryPresets().Get(pick);
  const double defaultTimescale = plug.GetParam(kGraphTimescale)->GetDefault();
  plug.GetParam(kGraphTimescale)->Set(defaultTimescale + 3);
  plug.GetParam(kLoudness_Target)->Set(-5.0);
  Open();
  plug.Choose(menu->FactoryMenu(), pick);
  EXPECT_EQ(plug.GetParam(kGraphTimescale)->Value(), defaultTimescale + 3);
  const double presetTarget = plug.GetParam(kLoudness_Target)->Value();
  EXPECT_NE(presetTarget, -5.0);

  plug.GetParam(kLoudness_Target)->Set(-5.0);
  ASSERT_GT(plug.ReadState(record.mChunk, 0), 0);
  EXPECT_EQ(plug.GetParam(kGraphTimescale)->Value(), defaultTimescale);
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), presetTarget);
}

TEST_F(PresetMenu, UserPickFromFileOrRecord)
{
  PresetMenuStore own;
  own.user.Add(new iplug::IPreset(Record("Talk")));
  for (bool fromFiles : {true, false})
  {
    IBPresetMenuZv* menu = Make(own, fromFiles);
    menu->BuildMenu();
    plug.Choose(menu->UserMenu(), 0);
    if (fromFiles)
    {
      EXPECT_STREQ(menu->mChosenFile.Get(), "/presets/Talk.zvp");
      EXPECT_EQ(plug.events.front(), "id 194 loading");
      EXPECT_EQ(plug.events.back(), "id 240");
    }
    else
      EXPECT_EQ(plug.events, (std::vector<std::string>{"read loading", "notify", "id 240"}));
    EXPECT_EQ(menu->CurrentFactoryIndex(), 0);
    plug.ui->RemoveControl(menu);
  }
}

TEST_F(PresetMenu, DialogsFireTheirIdsAlsoWhenCancelled)
{
  IBPresetMenuZv* menu = Make(plug.PresetStore());
  Open();
  IPopupMenu* top = const_cast<IPopupMenu*>(&menu->Menu());
  struct Case
  {
    int item;
    std::vector<std::string> answers;
    std::string chosen;
    std::vector<std::string> events;
  };
  const Case cases[] = {
    {2, {}, "", {"id 194", "id 240"}},  // load, cancelled
    {5, {}, "", {"id 195"}},            // save, cancelled
    {5, {"/tmp/none/x.zvp"}, "/tmp/none/x.zvp", {"id 195"}},
    {6, {}, "", {"id 196"}},  // save as default, no dialog
    {0, {}, "", {}},          // the title
    {1, {}, "", {}},          // a separator
  };
  for (const Case& c : cases)
  {
    menu->mChosenFile.Set("");
    Open();
    plug.ui->fileAnswers = c.answers;
    plug.ui->dialogFolders.clear();
    plug.Choose(top, c.item);
    EXPECT_EQ(plug.events, c.events) << c.item;
    EXPECT_EQ(menu->mChosenFile.Get(), c.chosen) << c.item;
    const bool dialog = c.item == 2 || c.item == 5;
    EXPECT_EQ(plug.ui->dialogFolders.size(), dialog ? 1u : 0u) << c.item;
  }
  // Dismissed: nothing happens, not even a redraw.
  Open();
  menu->SetClean();
  plug.Choose(nullptr, -1);
  EXPECT_TRUE(plug.events.empty());
  EXPECT_FALSE(menu->IsDirty());
}

TEST_F(PresetMenu, ArrowsStepThroughTheFactoryListAndStopAtItsEnds)
{
  PresetMenuStore own;
  for (const char* name : {"One", "Two", "Three"})
    own.factory.Add(new iplug::IPreset(Record(name)));
  IBPresetMenuZv* menu = Make(own, false, true);
  const IMouseMod mod;
  struct Step
  {
    float x;  // 530: the previous arrow, 825: the next one
    int index;
    const char* loaded;  // nullptr: nothing loaded
  };
  for (const Step& step :
       {Step{530, 0, nullptr}, Step{825, 1, "Two"}, Step{825, 2, "Three"}, Step{825, 2, nullptr}, Step{530, 1, "Two"}})
  {
    plug.events.clear();
    menu->OnMouseDown(step.x, 20, mod);
    EXPECT_EQ(menu->CurrentFactoryIndex(), step.index) << step.x;
    if (step.loaded)
    {
      EXPECT_EQ(plug.events.front(), "read loading");
      EXPECT_STREQ(plug.PresetSlotName(0), step.loaded);
    }
    else
      EXPECT_TRUE(plug.events.empty());
  }
  // Picking a user preset sets the arrows back to the first factory preset.
  own.user.Add(new iplug::IPreset(Record("Mine")));
  menu->BuildMenu();
  plug.Choose(menu->UserMenu(), 0);
  EXPECT_EQ(menu->CurrentFactoryIndex(), 0);
}

TEST_F(PresetMenu, DrawsTheShortenedNameWhiteUnderThePointerWithTheFullNameAsTooltip)
{
  IBPresetMenuZv* menu = Make(plug.PresetStore());
  plug.GetPreset(0)->SetName("A preset name that is far too long");
  plug.ui->Reset();
  menu->Draw(*plug.ui);
  ASSERT_EQ(plug.ui->texts.size(), 1u);
  EXPECT_EQ(plug.ui->texts[0].str, "A preset nam ... ar too long");
  EXPECT_EQ(plug.ui->texts[0].color, IColor(255, 159, 160, 161));
  EXPECT_STREQ(menu->GetTooltip(), "Preset menu: A preset name that is far too long");
  menu->OnMouseOver(600, 20, IMouseMod());
  plug.ui->Reset();
  menu->Draw(*plug.ui);
  EXPECT_EQ(plug.ui->texts[0].color, IColor(255, 255, 255, 255));

  // Too wide for the text rectangle at the length limit (this graphics measures 8 points a byte,
  // the rectangle holds 28): shortened further until it fits, not clipped at both ends.
  std::string wide;
  for (int i = 0; i < 40; ++i)
    wide += "\xC3\x84";
  plug.GetPreset(0)->SetName(wide.c_str());
  plug.ui->Reset();
  menu->Draw(*plug.ui);
  ASSERT_EQ(plug.ui->texts.size(), 1u);
  EXPECT_EQ(plug.ui->texts[0].str, wide.substr(0, 12) + " ... " + wide.substr(0, 10));
}

TEST(PresetName, ShortenedAtCharacters)
{
  struct Case
  {
    std::string name;
    int max;
    std::string want;
  };
  const std::string ascii28 = "ABCDEFGHIJKLMNOPQRSTUVWXYZab";
  const Case cases[] = {
    {"", 28, ""},
    {ascii28.substr(0, 27), 28, ascii28.substr(0, 27)},
    {ascii28, 28, "ABCDEFGHIJKL ... RSTUVWXYZab"},
    {ascii28 + "cdef", 28, "ABCDEFGHIJKL ... VWXYZabcdef"},
    {ascii28, 6, ascii28},
    {"Lautheit für Sprache und Musik: Ö", 28, "Lautheit für ... nd Musik: Ö"},  // bytes would split the ü,
    {"\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84", 7, "\xC3\x84 ... \xC3\x84"},
  };
  for (const Case& c : cases)
  {
    WDL_String out;
    IBPresetMenuZv::ShortenName(out, c.name.c_str(), c.max);
    EXPECT_EQ(out.Get(), c.want) << c.name;
  }
}

// ---- the plug-in menu ------------------------------------------------------------------------

struct PluginMenu : ::testing::Test
{
  IBInfoMenuZv* Make(const char* changelog, const WDL_String* dataFolder)
  {
    std::vector<iplug::IParam*> uiOnly{plug.GetExtraParam(kFixedGuiScale)};
    auto* menu = new IBInfoMenuZv(&plug, 8, 13, IBitmap(), kActionInfoText, kActionUpdateCheck, dataFolder, changelog,
                                  kToggleTooltips, kOnlineUpdateCheck, -1, kActionDefaultEditorSize,
                                  kActionDefaultGuiScale, kActionMinimumGuiScale, {}, {}, {}, uiOnly, kFixedGuiScale);
    plug.ui->AddControl(menu, 1);
    return menu;
  }
  IPopupMenu* Top(IBInfoMenuZv& menu) { return const_cast<IPopupMenu*>(&menu.Menu()); }

  MenuPlug plug;
  WDL_String data{"/data/Vantorelix"};
};

TEST_F(PluginMenu, ItemsInTheirPositions)
{
  IBInfoMenuZv* menu = Make("https://example.com/products/vantoreli#Changelog", &data);
  menu->OnMouseDown(10, 15, IMouseMod());
  EXPECT_EQ(Texts(menu->Menu()),
            (std::vector<std::string>{">> Plugin menu <<", "--", "About ...", "--", "Open manual ...", "Changelog ...",
                                      "Check for update ...", "Check for updates automatically", "--",
                                      "Open data folder ...", "--", "Tooltips", "--", "Reset GUI size", "--",
                                      "Reset GUI scale", "Set min GUI scale", "--", "Fixed GUI Scale"}));
  EXPECT_TRUE(menu->Menu().GetItem(0)->GetIsTitle());
  const IPopupMenu* scale = menu->Menu().GetItem(18)->GetSubmenu();
  ASSERT_NE(scale, nullptr);
  ASSERT_EQ(scale->NItems(), Vantorelix::kFixedGuiScaleSteps);
  EXPECT_STREQ(scale->GetItemText(0), "50%");
  for (int i = 0; i < scale->NItems(); ++i)
    EXPECT_FALSE(scale->GetItem(i)->GetChecked()) << i;

  struct Case
  {
    int position;
    std::vector<std::string> events;
    std::vector<std::string> links;
  };
  const Case cases[] = {
    {2, {"id 190"}, {}},
    {4, {}, {IBInfoMenuZv::ManualPath()}},
    {5, {}, {"https://example.com/products/vantoreli#Changelog"}},
    {6, {"id 191"}, {}},
    {9, {}, {"/data/Vantorelix"}},
    {13, {"id 201"}, {}},
    {15, {"id 203"}, {}},
    {16, {"id 204"}, {}},
    {0, {}, {}},
    {17, {}, {}},
  };
  for (const Case& c : cases)
  {
    menu->OnMouseDown(10, 15, IMouseMod());
    plug.ui->links.clear();
    plug.Choose(Top(*menu), c.position);
    EXPECT_EQ(plug.events, c.events) << c.position;
    EXPECT_EQ(plug.ui->links, c.links) << c.position;
  }
}

TEST_F(PluginMenu, LinksNeedTheirTexts)
{
  IBInfoMenuZv* menu = Make("", nullptr);
  for (int position : {4, 5, 9})
  {
    menu->OnMouseDown(10, 15, IMouseMod());
    plug.ui->links.clear();
    plug.Choose(Top(*menu), position);
    EXPECT_TRUE(plug.ui->links.empty()) << position;
  }
  EXPECT_EQ(IBInfoMenuZv::ManualPath(), "/Users/Shared/Documents/Vantorelix/Vantorelix manual.pdf");
}

TEST_F(PluginMenu, TooltipsCheckedOnlyAtOneAndToggled)
{
  IBInfoMenuZv* menu = Make("", &data);
  for (auto [value, checked, next] : {std::tuple{1.0, true, 0.0}, {0.0, false, 1.0}})
  {
    plug.GetParam(kToggleTooltips)->Set(value);
    menu->OnMouseDown(10, 15, IMouseMod());
    EXPECT_EQ(menu->Menu().GetItem(11)->GetChecked(), checked) << value;
    plug.Choose(Top(*menu), 11);
    EXPECT_EQ(plug.GetParam(kToggleTooltips)->Value(), next) << value;
    EXPECT_EQ(plug.events, std::vector<std::string>{"id " + std::to_string(kToggleTooltips)}) << value;
  }
}

TEST_F(PluginMenu, FixedScaleSubMenuSetsItsParameterAndFires229)
{
  IBInfoMenuZv* menu = Make("", &data);
  menu->OnMouseDown(10, 15, IMouseMod());
  plug.Choose(menu->Menu().GetItem(18)->GetSubmenu(), 4);
  EXPECT_EQ(plug.GetExtraParam(kFixedGuiScale)->Value(), 4.0);
  EXPECT_EQ(plug.events, std::vector<std::string>{"id 229"});

  // Dismissed: the button's value goes back to 0 and nothing else happens.
  menu->OnMouseDown(10, 15, IMouseMod());
  plug.Choose(nullptr, -1);
  EXPECT_TRUE(plug.events.empty());
  EXPECT_EQ(plug.GetExtraParam(kFixedGuiScale)->Value(), 4.0);
  EXPECT_EQ(menu->GetValue(), 0.0);
}

TEST(HiddenMenuArea, ClickFiresItsIdAndTheEmptyMenuNothing)
{
  MenuPlug plug;
  auto* area = new IVClickControlHiddenMenuZv(IRECT(40, 0, 120, 16), kActionDumpPresets, -1, -1, -1);
  plug.ui->AddControl(area, 0);
  area->OnMouseDown(50, 5, IMouseMod());
  EXPECT_EQ(plug.events, std::vector<std::string>{"id 193"});
  auto* silent = new IVClickControlHiddenMenuZv(IRECT(0, 0, 10, 10), -1, 224, 225, 226);
  plug.ui->AddControl(silent);
  plug.events.clear();
  silent->OnMouseDown(5, 5, IMouseMod());
  for (int chosen : {-1, 0, 1, 2})
  {
    silent->Menu().SetChosenItemIdx(chosen);
    silent->PopupMenuChosen(&silent->Menu(), 0);
  }
  EXPECT_TRUE(plug.events.empty());
}

}  // namespace
}  // namespace vtest
