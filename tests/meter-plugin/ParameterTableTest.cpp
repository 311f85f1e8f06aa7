#include "PluginFixture.h"

#include "meter-plugin/DisplayLabels.h"

#include <cmath>
#include <cstring>
#include <set>

using iplug::IParam;
using iplug::ParamKind;

namespace {

std::string DisplayOf(const IParam& param, double value)
{
  WDL_String text;
  param.FormatDisplay(value, false, text);
  return text.Get();
}

}  // namespace

TEST(ParameterTable, EveryHostParameterIsWellFormed)
{
  Vantorelix plug;
  ASSERT_EQ(plug.NParams(), 189);
  const std::set<std::string> groups{"GUI", "Measurement", "Automation", "Processing", "Settings"};
  std::set<std::string> names;
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam& param = *plug.GetParam(i);
    SCOPED_TRACE(param.GetName());
    EXPECT_NE(param.GetKind(), ParamKind::None) << i;
    EXPECT_TRUE(names.insert(param.GetName()).second) << "duplicate name";
    EXPECT_TRUE(groups.count(param.GetGroup()));
    EXPECT_EQ(param.GetUnit(), iplug::ParamUnit::Custom);
    EXPECT_GE(param.GetDefault(), param.GetMin());
    EXPECT_LE(param.GetDefault(), param.GetMax());
    EXPECT_EQ(param.Value(), param.GetDefault());
    const int flags = param.GetFlags() & ~iplug::kFlagStepped;
    const bool cannotAutomate = i <= 3 || i == kOnlineUpdateCheck;
    EXPECT_EQ(flags, cannotAutomate ? iplug::kFlagCannotAutomate : i == kGraphScroll ? iplug::kFlagMeta : 0);
    EXPECT_EQ(param.IsStepped(), param.GetKind() != ParamKind::Double);
    if (param.GetKind() == ParamKind::Enum)
    {
      EXPECT_EQ(param.GetMin(), 0.0);
      EXPECT_EQ(param.DisplayTextCount(), static_cast<int>(param.GetMax()) + 1);
    }
    const bool output = i >= kOutIL && i <= kOutPeakMaxAlert;
    EXPECT_EQ(std::strncmp(param.GetName(), "OUT:", 4) == 0, output);
    if (output)
    {
      EXPECT_STREQ(param.GetGroup(), "Automation");
    }
  }
}

TEST(ParameterTable, DefaultsAndTextsOfTheNotableParameters)
{
  Vantorelix plug;
  struct Case
  {
    int idx;
    const char* name;
    double defaultValue;
    const char* defaultText;  // null: no display text expected
  };
  const Case cases[] = {
    {kGuiScale, "GUI Scale", 1.0, nullptr},
    {kToggleTooltips, "Toggle Tooltips", 1.0, "on"},
    {kPeak_Limit, "Max Peak Target Level", -1.0, nullptr},
    {80, "Peak Max Level", -1.0, nullptr},
    {76, "TP Max Mode", 2.0, "Auto"},
    {kMaxVal_lm, "LM Max Level", 0.0, nullptr},
    {kMeterSplit_lm_Val1, "LM Split1 Level", -9.0, nullptr},
    {kMaxVal_pk, "Peak MMax Level", 6.0, nullptr},
    {kMeterSplit_pk_Val1, "Peak Split1 Level", 0.0, nullptr},
    {kExportCsvSeparator, "Export CSV Data Separator", 0.0, "Comma (,)"},
    {kChannelRouting, "Channel Routing", 1.0, "2.0 Stereo"},
    {kColor_RVC11, "RVC11", 0.0, nullptr},
    {kColor_BG_Readoutc, "RVC12", 0x232323, nullptr},
    {kColor_RVC13, "RVC13", 0.0, nullptr},
    {kColor_BG_ILc, "RVC21", 0x434343, nullptr},
    {149, "RVC74", 0xD7D7D7, nullptr},
    {kColor_MeterPeakLED_lmc + 5, "LMC6", 0x205079, nullptr},
    {kColor_MeterPeakLED_pkc + 2, "PKC3", 0x919898, nullptr},
    {54, "IL Min Period", 0.0, "Instant"},
    {95, "Dialog Min Level", 15.0, nullptr},
    {kLRange_mode, "Loudness Range Mode", 2.0, "PSR"},
    {kGraphTimescale, "Graph Timescale", 2.0, "30 s"},
    {184, "Distribution Display Mode", 2.0, "SL"},
    {kPlay, "Play", 1.0, "On"},
    {kUnitMode, "LM Unit Mode", 0.0, "dB"},
  };
  for (const Case& c : cases)
  {
    const IParam& param = *plug.GetParam(c.idx);
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(param.GetName(), c.name);
    EXPECT_EQ(param.GetDefault(), c.defaultValue);
    if (c.defaultText)
    {
      EXPECT_EQ(DisplayOf(param, c.defaultValue), c.defaultText);
    }
  }
  EXPECT_EQ(DisplayOf(*plug.GetParam(kSync), 0.0), "Off");  // other switches are capitalised
  EXPECT_EQ(plug.GetParam(95)->GetMax(), 100.0);
  EXPECT_EQ(plug.GetParam(92)->GetMin(), -12.0);  // "PSR Min Level"
  EXPECT_EQ(plug.GetParam(kChannelRouting)->DisplayTextCount(), 44);
  EXPECT_STREQ(plug.GetParam(kChannelRouting)->DisplayTextAt(43), "unused");
  for (int unit = 0; unit < 3; ++unit)
    EXPECT_STREQ(plug.GetParam(kUnitMode)->DisplayTextAt(unit), kUnitLabels[unit]);
}

TEST(ParameterTable, FixedGuiScaleLivesOutsideTheHostList)
{
  Vantorelix plug;
  for (int i = 0; i < plug.NParams(); ++i)
    EXPECT_STRNE(plug.GetParam(i)->GetName(), "Fixed GUI Scale");
  const IParam* fixed = plug.GetExtraParam(kFixedGuiScale);
  ASSERT_NE(fixed, nullptr);
  EXPECT_STREQ(fixed->GetName(), "Fixed GUI Scale");
  EXPECT_EQ(fixed->Value(), 2.0);
  EXPECT_EQ(DisplayOf(*fixed, 2.0), "100%");
  EXPECT_EQ(DisplayOf(*fixed, 10.0), "300%");
  EXPECT_EQ(plug.GetExtraParam(kFixedGuiScale + 1), nullptr);

  const std::pair<int, double> scales[] = {{0, 0.5}, {1, 0.75}, {2, 1.0}, {9, 2.75}, {10, 3.0}, {11, 1.0}, {-1, 1.0}};
  for (const auto& [k, scale] : scales)
    EXPECT_EQ(plug.FixedGuiScaleValue(k), scale) << k;
}
