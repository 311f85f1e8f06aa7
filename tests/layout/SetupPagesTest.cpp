#include "tests/layout/EditorFixture.h"

#include "controls/IVTabSwitchControl.h"
#include "meter-ui/IVButtonControlZv.h"
#include "meter-ui/IVClickButtonControlZv.h"
#include "meter-ui/IVToggleControlZv.h"
#include "meter-ui/IVColorPickerZv.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/IVParameterControlZv.h"
#include "meter-ui/IVPopupMenuZv.h"
#include "meter-ui/IVTextControlZv.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

using namespace layout_test;

namespace {

constexpr const char* kPageNames[kSetupPageCount] = {"Main 1", "Main 2", "Alerts 1", "Alerts 2",
                                                     "GUI 1",  "GUI 2",  "Misc"};

// The parameter a control shows: the linked one, or the colour a swatch edits.
int ShownParam(const IControl& control)
{
  if (const auto* swatch = dynamic_cast<const IVColorPickerZv*>(&control))
    return swatch->mColorParamIdx;
  return control.GetParamIdx();
}

struct KindCounts
{
  int texts = 0, boxes = 0, rangeBoxes = 0, popups = 0, swatches = 0, toggles = 0, buttons = 0, selectors = 0;
  bool operator==(const KindCounts&) const = default;
};

std::ostream& operator<<(std::ostream& os, const KindCounts& k)
{
  return os << "texts " << k.texts << " boxes " << k.boxes << " ranges " << k.rangeBoxes << " popups " << k.popups
            << " swatches " << k.swatches << " toggles " << k.toggles << " buttons " << k.buttons << " selectors "
            << k.selectors;
}

void Count(const IControl* c, KindCounts& k)
{
  if (dynamic_cast<const IVTextControlZv*>(c))
    ++k.texts;
  else if (dynamic_cast<const IVParameterControlRangeZv*>(c))
    ++k.rangeBoxes;
  else if (dynamic_cast<const IVParameterControlZv*>(c))
    ++k.boxes;
  else if (dynamic_cast<const IVPopupMenuZv*>(c))
    ++k.popups;
  else if (dynamic_cast<const IVColorPickerZv*>(c))
    ++k.swatches;
  else if (dynamic_cast<const IVToggleControlZv*>(c))
    ++k.toggles;
  else if (dynamic_cast<const IVClickButtonControlZv*>(c))
    ++k.buttons;
  else if (dynamic_cast<const IVFileSelectorControlHiddenZv*>(c))
    ++k.selectors;
  else
    ADD_FAILURE() << "unexpected control on a setup page";
}

// Shows the setup view at a page the way a click on the selector does.
void ChoosePage(MeterEditor& plug, int page)
{
  plug.GetParam(kSetup)->Set(1);
  plug.ParameterChanged(kSetup, iplug::kHost, -1);
  IControl* selector = plug.At(plug.LayoutRecords().setupBackground);
  selector->SetValue(static_cast<double>(page) / (kSetupPageCount - 1));
  selector->SetDirty(true);
}

}  // namespace

TEST(SetupPages, EveryPageHoldsItsControlsInItsGroupInCreationOrder)
{
  MeterEditor plug;
  IGraphics& ui = plug.Open();
  const EditorLayoutRecords& records = plug.LayoutRecords();
  ASSERT_NE(plug.As<IVRadioButtonControl>(records.setupBackground), nullptr);
  ExpectRect(plug.At(records.setupBackground)->GetRECT(), 328, 372, 776, 396);
  EXPECT_EQ(plug.At(records.setupBackground)->GetParamIdx(), kSetupPage);

  const KindCounts expected[kSetupPageCount] = {
    {.texts = 16, .boxes = 5, .popups = 8},
    {.texts = 4, .popups = 3},
    {.texts = 15, .boxes = 20, .popups = 10},
    {.texts = 14, .boxes = 10, .popups = 5},
    {.texts = 22, .rangeBoxes = 12, .popups = 2, .swatches = 12, .buttons = 6, .selectors = 4},
    {.texts = 12, .swatches = 25, .buttons = 3, .selectors = 2},
    {.texts = 23, .popups = 3, .toggles = 19},
  };
  // The pages follow the selector, one after the other, and end the control list.
  int next = records.setupBackground + 1;
  std::map<int, int> controlOfParam;
  for (int p = 0; p < kSetupPageCount; ++p)
  {
    const std::vector<int>& group = records.setupPages[static_cast<size_t>(p)];
    ASSERT_FALSE(group.empty()) << kPageNames[p];
    const auto* panel = plug.As<IVPanelControlZv>(group.front());
    ASSERT_NE(panel, nullptr) << kPageNames[p];
    ExpectRect(panel->GetRECT(), 320, 56, 812, 372);
    KindCounts counts;
    for (size_t i = 0; i < group.size(); ++i)
    {
      EXPECT_EQ(group[i], next++) << kPageNames[p] << " " << i;
      if (i == 0)
        continue;
      Count(plug.At(group[i]), counts);
      if (const int param = ShownParam(*plug.At(group[i])); param >= 0)
      {
        EXPECT_TRUE(controlOfParam.emplace(param, group[i]).second)
          << plug.GetParam(param)->GetName() << " shown twice";
      }
    }
    EXPECT_EQ(counts, expected[p]) << kPageNames[p];
  }
  EXPECT_EQ(next, ui.NControls());
  EXPECT_EQ(ui.NControls() - records.setupBackground, 263);

  // The swatches edit both meter colour sets and the read-out colours but "RVC11" and "RVC13",
  // which colour nothing.
  std::set<int> swatches;
  for (const auto& [param, index] : controlOfParam)
    if (plug.As<IVColorPickerZv>(index))
      swatches.insert(param);
  std::set<int> colours{kColor_BG_Readoutc};
  for (int i = 0; i < kMeterColorCount; ++i)
    colours.insert({kColor_MeterPeakLED_lmc + i, kColor_MeterPeakLED_pkc + i});
  for (int i = 0; i < kReadoutGroupCount * kReadoutGroupSize; ++i)
    colours.insert(kColor_BG_ILc + i);
  EXPECT_EQ(swatches, colours);
}

// Each row: a parameter by its name, the page that shows it and where.
struct Placement
{
  const char* param;
  int page;
  IRECT at;
};

TEST(SetupPages, EachSettingSitsOnItsPageAtItsPlace)
{
  const Placement table[] = {
    {"Gating mode", 0, IRECT(348, 120, 412, 144)},
    {"SL Integration Time", 0, IRECT(428, 120, 492, 144)},
    {"Reference Offset", 0, IRECT(588, 208, 652, 232)},
    {"Custom WFilter HC Slope", 0, IRECT(668, 296, 732, 320)},
    {"Timer Mode", 1, IRECT(508, 120, 572, 144)},
    {"IL Min Mode", 2, IRECT(352, 120, 416, 144)},
    {"IL Dial Max Period", 2, IRECT(740, 156, 804, 180)},
    {"Peak Max Level", 2, IRECT(666, 300, 730, 324)},
    {"PSR Min Mode", 3, IRECT(352, 228, 416, 252)},
    {"Dialog Min Level", 3, IRECT(426, 300, 490, 324)},
    {"LM Max Level", 4, IRECT(384, 162, 448, 186)},
    {"Peak Min Level", 4, IRECT(610, 322, 674, 346)},
    {"Peak Scale", 4, IRECT(690, 338, 754, 362)},
    {"LMC1", 4, IRECT(464, 130, 528, 154)},
    {"PKC6", 4, IRECT(690, 306, 754, 330)},
    {"RVC24", 5, IRECT(384, 114, 448, 138)},
    {"RVC71", 5, IRECT(600, 274, 664, 298)},
    {"RVC12", 5, IRECT(384, 306, 448, 330)},
    {"Export CSV Data Separator", 6, IRECT(428, 120, 492, 144)},
    {"CSV Export PK", 6, IRECT(618, 170, 650, 194)},
    {"CSV Export DIALPRESENT", 6, IRECT(573, 270, 605, 294)},
  };
  MeterEditor plug;
  plug.Open();
  for (const Placement& row : table)
  {
    const IControl* found = nullptr;
    int page = -1;
    for (int p = 0; p < kSetupPageCount; ++p)
      for (int index : plug.LayoutRecords().setupPages[static_cast<size_t>(p)])
        if (const int param = ShownParam(*plug.At(index));
            param >= 0 && plug.GetParam(param)->GetName() == std::string(row.param))
        {
          found = plug.At(index);
          page = p;
        }
    ASSERT_NE(found, nullptr) << row.param;
    EXPECT_EQ(page, row.page) << row.param;
    ExpectRect(found->GetRECT(), row.at.L, row.at.T, row.at.R, row.at.B);
  }
}

TEST(SetupPages, OnlyTheChosenPageIsShownAndOnlyInTheSetupView)
{
  MeterEditor plug;
  plug.Open();
  const EditorLayoutRecords& records = plug.LayoutRecords();
  auto shown = [&](int page) {
    int visible = 0;
    for (int index : records.setupPages[static_cast<size_t>(page)])
      visible += plug.At(index)->IsHidden() ? 0 : 1;
    return visible;
  };
  for (int chosen = 0; chosen < kSetupPageCount; ++chosen)
  {
    ChoosePage(plug, chosen);
    EXPECT_EQ(plug.Settings().setupPage, chosen);
    EXPECT_FALSE(plug.At(records.setupBackground)->IsHidden());
    for (int p = 0; p < kSetupPageCount; ++p)
      EXPECT_EQ(shown(p), p == chosen ? static_cast<int>(records.setupPages[static_cast<size_t>(p)].size()) : 0)
        << "chosen " << kPageNames[chosen] << ", page " << kPageNames[p];
  }
  plug.GetParam(kSetup)->Set(0);
  plug.ParameterChanged(kSetup, iplug::kHost, -1);
  EXPECT_TRUE(plug.At(records.setupBackground)->IsHidden());
  for (int p = 0; p < kSetupPageCount; ++p)
    EXPECT_EQ(shown(p), 0) << kPageNames[p];
}

namespace {

// Answers every file dialog with one path and notes where the dialog started.
class FileDialogGraphics : public vtest::HeadlessGraphics
{
public:
  using HeadlessGraphics::HeadlessGraphics;
  void AskForFile(std::string& fileName, std::string& path, bool save, const char* extensions) override
  {
    startFolder = path;
    asked.push_back({save, extensions ? extensions : ""});
    fileName = answer;
  }
  std::string answer;
  std::string startFolder;
  std::vector<std::pair<bool, std::string>> asked;
};

class EditorWithDialogs : public MeterEditor
{
public:
  EditorWithDialogs()
  {
    mMakeGraphicsFunc = [this] {
      dialogs = new FileDialogGraphics(*this, EditorWidth(), Settings().guiHeight);
      ui = dialogs;
      return ui;
    };
  }
  FileDialogGraphics* dialogs = nullptr;
};

void Click(IGraphics& ui, float x, float y)
{
  ui.OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, IMouseMod()}});
  ui.OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, IMouseMod()}});
}

// A colour-file road: the page, the centres of its drawn "Load" and "Save" buttons, the file's
// extension and one colour of the set it saves.
struct ColourFile
{
  int page;
  float loadX, loadY, saveX, saveY;
  const char* extension;
  uint32_t& (*colour)(MeterSettings&);
};

}  // namespace

TEST(SetupPages, LoadAndSaveClicksGoToTheirSelectorsWhichStartInTheExportFolder)
{
  const ColourFile files[] = {
    {4, 435, 105, 480, 105, "mcls", [](MeterSettings& s) -> uint32_t& { return s.meterColorsA.packed[2]; }},
    {4, 661, 105, 706, 105, "mcls", [](MeterSettings& s) -> uint32_t& { return s.meterColorsB.packed[4]; }},
    {5, 712, 126, 712, 158, "gcls", [](MeterSettings& s) -> uint32_t& { return s.readoutColors.groups[3][1]; }},
  };
  EditorWithDialogs plug;
  IGraphics& ui = plug.Open();
  const std::string folder = plug.DataFolder();
  ASSERT_FALSE(folder.empty());
  int file = 0;
  for (const ColourFile& f : files)
  {
    const std::string path = folder + "/set" + std::to_string(file++) + "." + f.extension;
    ChoosePage(plug, f.page);
    plug.dialogs->answer = path;
    plug.dialogs->asked.clear();

    const uint32_t saved = f.colour(plug.Settings());
    Click(ui, f.saveX, f.saveY);
    EXPECT_EQ(plug.dialogs->startFolder, folder) << path;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;

    f.colour(plug.Settings()) = saved ^ 0x00FFFFu;
    Click(ui, f.loadX, f.loadY);
    EXPECT_EQ(f.colour(plug.Settings()), saved) << path;

    const std::vector<std::pair<bool, std::string>> asked{{true, f.extension}, {false, f.extension}};
    EXPECT_EQ(plug.dialogs->asked, asked) << "one save, then one open dialog: " << path;
  }
}

TEST(SetupPages, ScaleMarksKeepTheirOrderWithATenthBetweenThem)
{
  MeterEditor plug;
  plug.Open();
  for (int first : {kMaxVal_lm, kMaxVal_pk})
    for (int level = first; level < first + 6; ++level)
    {
      IVParameterControlRangeZv* box = nullptr;
      for (int index : plug.LayoutRecords().setupPages[4])
        if (auto* b = plug.As<IVParameterControlRangeZv>(index); b && b->GetParamIdx() == level)
          box = b;
      ASSERT_NE(box, nullptr) << level;
      const iplug::IParam& own = *plug.GetParam(level);
      const char* name = own.GetName();
      // Typed far above: the mark above less 0.1, or the top of the range for the top mark.
      box->ValueFromUserInput(1.0, 0);
      const double upper = level == first ? own.GetMax() : plug.GetParam(level - 1)->Value() - 0.1;
      EXPECT_NEAR(own.Value(), upper, 1e-9) << name;
      // Typed far below: the mark below plus 0.1, or the bottom of the range.
      box->ValueFromUserInput(0.0, 0);
      const double lower = level == first + 5 ? own.GetMin() : plug.GetParam(level + 1)->Value() + 0.1;
      EXPECT_NEAR(own.Value(), lower, 1e-9) << name;
    }
}

class SetupPagePicture : public ::testing::TestWithParam<int>
{
};

TEST_P(SetupPagePicture, DrawsThePageOnItsPanel)
{
  const int page = GetParam();
  MeterEditor plug;
  vtest::HeadlessGraphics& ui = plug.Open();
  ChoosePage(plug, page);
  ui.DrawFullFrame();
  std::string name = std::string("setup-") + kPageNames[page] + ".png";
  std::replace(name.begin(), name.end(), ' ', '-');
  ASSERT_TRUE(ui.WritePNG(vtest::PicturePath(name.c_str()))) << name;
  // The page's grey panel, where no page puts a control.
  const std::array<uint8_t, 4> panel = ui.Pixel(800, 360);
  EXPECT_EQ((std::array<int, 3>{panel[0], panel[1], panel[2]}), (std::array<int, 3>{0x94, 0x96, 0xA0}));
}

INSTANTIATE_TEST_SUITE_P(Pages, SetupPagePicture, ::testing::Range(0, kSetupPageCount),
                         [](const auto& info) { return std::to_string(info.param); });
