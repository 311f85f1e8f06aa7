#include "PluginFixture.h"

#include <cmath>
#include <map>

using namespace plugin_test;

namespace {

// Applies a factory preset the way the preset menu does: through slot 0.
std::vector<double> Decoded(const char* name)
{
  Vantorelix plug;
  for (int i = 0; i < plug.FactoryPresets().GetSize(); ++i)
  {
    const iplug::IPreset& record = *plug.FactoryPresets().Get(i);
    if (std::string(record.mName) != name)
      continue;
    plug.ClearPresetChunk(record, 0);
    EXPECT_TRUE(plug.LoadPresetSlot(0)) << name;
    return Values(plug);
  }
  ADD_FAILURE() << "no factory preset " << name;
  return {};
}

std::string PresetText(const Vantorelix& plug, const char* name)
{
  for (int i = 0; i < plug.FactoryPresets().GetSize(); ++i)
    if (std::string(plug.FactoryPresets().Get(i)->mName) == name)
      return Bytes(plug.FactoryPresets().Get(i)->mChunk);
  return {};
}

std::vector<int> Differences(const std::vector<double>& a, const std::vector<double>& b)
{
  std::vector<int> indices;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i])
      indices.push_back(static_cast<int>(i));
  return indices;
}

// clang-format off
const char* const kNames[] = {
  "Init", "EBU R128 LUFS +27", "EBU R128 LU +27", "EBU R128 LUFS +18", "EBU R128 LU +18", "EBU R128 LUFS +9",
  "EBU R128 LU +9", "ATSC A 85 LKFS", "ATSC A 85 LK", "AGCOM 219 9 CSP LUFS", "AGCOM 219 9 CSP LU",
  "TASA Leq(M) 85dB", "TASA Leq(M) 82dB", "ITU-R BS1864 LK", "ITU-R BS1770 LKFS", "ITU-R BS1770-2 LKFS",
  "ITU-R BS1770-3 LKFS", "ITU-R BS1770-4 LKFS", "ARIB TR-B32 LKFS", "ARIB TR-B32 LK", "OP-59 LKFS", "OP-59 LK",
  "NBC 30s (SL)", "K-12 (dBFS)", "K-12 (dB)", "K-14 (dBFS)", "K-14 (dB)", "K-20 (dBFS)", "K-20 (dB)",
  "K-Meter Mastering", "Console Game", "Handheld Game", "Podcast", "YouTube", "iTunes", "Spotify", "Spotify Loud",
  "Tidal", "Replay Gain", "Pandora", "Netflix 2017 LKFS", "Netflix 2017 LK", "Netflix 2019 LKFS", "Netflix 2019 LK",
  "AES Streaming", "EBU R128 S1 LUFS", "EBU R128 S1 LU", "Dialog LKFS 3s", "Dialog LK 3s", "Dialog LKFS 10s",
  "Dialog LK 10s"};
// clang-format on

}  // namespace

TEST(FactoryPresets, FiftyOneRecordsInOrderAndOneFrameworkSlot)
{
  Vantorelix plug;
  ASSERT_EQ(plug.FactoryPresets().GetSize(), 51);
  for (int i = 0; i < 51; ++i)
  {
    EXPECT_STREQ(plug.FactoryPresets().Get(i)->mName, kNames[i]);
    EXPECT_TRUE(plug.FactoryPresets().Get(i)->mInitialized);
  }
  ASSERT_EQ(plug.NPresets(), 1);
  EXPECT_STREQ(plug.PresetSlotName(0), "Init");
  EXPECT_EQ(Bytes(plug.GetPreset(0)->mChunk), Bytes(plug.FactoryPresets().Get(0)->mChunk));
  EXPECT_TRUE(plug.UserPresets().GetSize() == 0);
}

// "Init" carries every default, whatever the parameters held when it is applied.
TEST(FactoryPresets, InitRestoresEveryDefault)
{
  Vantorelix plug;
  const std::vector<double> defaults = Values(plug);
  for (int i = 0; i < plug.NParams(); ++i)
    plug.GetParam(i)->Set(plug.GetParam(i)->GetMax());
  plug.ClearPresetChunk(*plug.FactoryPresets().Get(0), 0);
  ASSERT_TRUE(plug.LoadPresetSlot(0));
  EXPECT_EQ(Values(plug), defaults);
}

// Values that each column of the tables puts into a preset, and what a preset leaves at its
// default.
TEST(FactoryPresets, DecodedValuesMatchTheTables)
{
  struct Case
  {
    const char* preset;
    int index;
    double value;
  };
  const Case cases[] = {
    // Layout A, EBU: every alert, default read-out palette, colour set C1.
    {"EBU R128 LUFS +27", kLoudness_Target, -23.0},
    {"EBU R128 LUFS +27", kGate_mode, 2},
    {"EBU R128 LUFS +27", kML_IntWindow, 400.0},
    {"EBU R128 LUFS +27", kUnitMode, 1},
    {"EBU R128 LUFS +27", kWFilterMode, 1},
    {"EBU R128 LUFS +27", kScaleLabelMode_lm, 1},
    {"EBU R128 LUFS +27", kMaxVal_lm, 4.0},
    {"EBU R128 LUFS +27", kMinVal_lm, -77.0},
    {"EBU R128 LUFS +27", kTruePeak_mode, 1},
    {"EBU R128 LUFS +27", 52, 2},      // IL Min Mode Auto
    {"EBU R128 LUFS +27", 56, -19.0},  // IL Dial Min Level
    {"EBU R128 LUFS +27", 83, 10.0},   // LRA Min Level
    {"EBU R128 LUFS +27", 85, 0},      // LRADial Min Mode Off
    {"EBU R128 LUFS +9", kMinVal_lm, -41.0},
    // Layout A, Netflix 2019 and Dialog: dark read-outs, sets C7 and C8.
    {"Netflix 2019 LKFS", kGate_mode, 3},
    {"Netflix 2019 LKFS", kColor_BG_Readoutc, 0x30353A},
    {"Netflix 2019 LKFS", kColor_BG_ILc + 1, 0xEFE8A7},
    {"Netflix 2019 LKFS", 149, 0x07DAF8},
    {"Netflix 2019 LKFS", kColor_MeterPeakLED_lmc, 0x80FFFF},
    {"Netflix 2019 LKFS", 94, 2},  // Dialog Min Mode Auto
    {"Dialog LK 10s", kSL_IntWindow, 10000.0},
    {"Dialog LK 10s", 86, 5.0},  // LRADial Min Level
    {"Dialog LK 10s", 95, 25.0},
    {"Dialog LK 10s", kColor_MeterPeakLED_lmc + 5, 0x006FBF},
    // Layout B: four alert levels, everything else of the alerts at the defaults.
    {"TASA Leq(M) 85dB", kRefOffset, -108.0},
    {"TASA Leq(M) 85dB", kWFilterMode, 5},
    {"TASA Leq(M) 85dB", kML_IntWindow, 200.0},
    {"TASA Leq(M) 85dB", 59, -25.0},
    {"TASA Leq(M) 85dB", kColor_MeterPeakLED_lmc + 2, 0xD87836},
    {"ATSC A 85 LKFS", 53, -25.0},
    {"ATSC A 85 LKFS", 65, -23.0},
    {"ATSC A 85 LKFS", 71, -21.0},
    {"ATSC A 85 LKFS", 76, 2},     // TP Max Mode keeps its default
    {"ATSC A 85 LKFS", 83, 15.0},  // LRA Min Level keeps its default
    {"ATSC A 85 LKFS", kColor_BG_Readoutc, 0x232323},
    {"AGCOM 219 9 CSP LUFS", kGate_mode, 1},
    {"ARIB TR-B32 LKFS", kColor_MeterPeakLED_lmc + 5, 0x2A4717},
    {"NBC 30s (SL)", kSL_IntWindow, 30000.0},
    {"K-20 (dBFS)", kScaleLabelMode_lm, 3},
    {"K-20 (dBFS)", kLRange_mode, 2},
    {"K-20 (dBFS)", kMeterSplit_lm_Val3, -43.8},
    {"K-20 (dBFS)", kMaxVal_pk, 6.0},
    {"K-Meter Mastering", kMeterSplit_pk_Val1, -0.2},
    {"K-Meter Mastering", kColor_MeterPeakLED_pkc + 2, 0xDDE1B6},  // its own set for the peak meter
    {"YouTube", kColor_MeterPeakLED_lmc + 3, 0x095623},
    {"Spotify Loud", kMeterSplit_pk_Val1, -2.0},
    {"Replay Gain", 71, -8.0},
    // Parameters no layout names keep their defaults.
    {"EBU R128 LUFS +27", kPreGain, 0.0},
    {"EBU R128 LUFS +27", kMeasurementMode, 0},
    {"EBU R128 LUFS +27", kColor_RVC11, 0},
    {"Netflix 2019 LKFS", kColor_RVC13, 0},
  };
  std::map<std::string, std::vector<double>> decoded;
  for (const Case& c : cases)
  {
    auto& values = decoded[c.preset];
    if (values.empty())
      values = Decoded(c.preset);
    ASSERT_EQ(values.size(), 189u);
    EXPECT_NEAR(values[c.index], c.value, 1e-9) << c.preset << " parameter " << c.index;
  }
}

// Each "LU", "LK" or "(dB)" preset is its "LUFS", "LKFS" or "(dBFS)" twin with the target as
// reference offset.
TEST(FactoryPresets, TwinsDifferOnlyInTheReferenceOffset)
{
  struct Twin
  {
    const char* relative;
    const char* absolute;
    double offset;
  };
  const Twin twins[] = {
    {"EBU R128 LU +27", "EBU R128 LUFS +27", -23.0},
    {"EBU R128 LU +18", "EBU R128 LUFS +18", -23.0},
    {"EBU R128 LU +9", "EBU R128 LUFS +9", -23.0},
    {"ATSC A 85 LK", "ATSC A 85 LKFS", -24.0},
    {"AGCOM 219 9 CSP LU", "AGCOM 219 9 CSP LUFS", -24.0},
    {"ITU-R BS1864 LK", "ITU-R BS1770 LKFS", -24.0},
    {"ARIB TR-B32 LK", "ARIB TR-B32 LKFS", -24.0},
    {"OP-59 LK", "OP-59 LKFS", -24.0},
    {"K-12 (dB)", "K-12 (dBFS)", -12.0},
    {"K-14 (dB)", "K-14 (dBFS)", -14.0},
    {"K-20 (dB)", "K-20 (dBFS)", -20.0},
    {"Netflix 2017 LK", "Netflix 2017 LKFS", -20.0},
    {"Netflix 2019 LK", "Netflix 2019 LKFS", -27.0},
    {"EBU R128 S1 LU", "EBU R128 S1 LUFS", -23.0},
    {"Dialog LK 3s", "Dialog LKFS 3s", -24.0},
    {"Dialog LK 10s", "Dialog LKFS 10s", -24.0},
  };
  for (const Twin& twin : twins)
  {
    const std::vector<double> relative = Decoded(twin.relative);
    const std::vector<double> absolute = Decoded(twin.absolute);
    EXPECT_EQ(Differences(relative, absolute), std::vector<int>{kRefOffset}) << twin.relative;
    EXPECT_EQ(relative[kRefOffset], twin.offset) << twin.relative;
    EXPECT_EQ(absolute[kRefOffset], 0.0) << twin.absolute;
  }
  EXPECT_TRUE(Differences(Decoded("ITU-R BS1770-2 LKFS"), Decoded("ITU-R BS1770-4 LKFS")).empty());
  EXPECT_TRUE(Differences(Decoded("ITU-R BS1770-3 LKFS"), Decoded("ITU-R BS1770-4 LKFS")).empty());
  EXPECT_EQ(Differences(Decoded("Dialog LKFS 3s"), Decoded("Dialog LKFS 10s")), std::vector<int>{kSL_IntWindow});
}

TEST(FactoryPresets, KSystemPresetsStoreNegativeZeroPeakTarget)
{
  Vantorelix plug;
  for (const char* name : {"K-12 (dBFS)", "K-12 (dB)", "K-14 (dBFS)", "K-14 (dB)", "K-20 (dBFS)", "K-20 (dB)"})
  {
    EXPECT_NE(PresetText(plug, name).find("<Param name=\"Max Peak Target Level\" val=\"-0.000000\" />"),
              std::string::npos)
      << name;
    EXPECT_TRUE(std::signbit(Decoded(name)[kPeak_Limit])) << name;
  }
  EXPECT_NE(PresetText(plug, "K-Meter Mastering").find("name=\"Max Peak Target Level\" val=\"-0.200000\""),
            std::string::npos);
}

// Applying a preset neither rounds nor clamps anything: every stored value is one its parameter
// holds as it stands.
TEST(FactoryPresets, EveryStoredValueLiesOnItsParametersGrid)
{
  Vantorelix plug;
  for (int i = 0; i < plug.FactoryPresets().GetSize(); ++i)
  {
    const std::string text = Bytes(plug.FactoryPresets().Get(i)->mChunk);
    plug.ClearPresetChunk(*plug.FactoryPresets().Get(i), 0);
    ASSERT_TRUE(plug.LoadPresetSlot(0));
    for (int p = 0; p < plug.NParams(); ++p)
    {
      const std::string key = std::string("<Param name=\"") + plug.GetParam(p)->GetName() + "\" val=\"";
      const size_t at = text.find(key);
      ASSERT_NE(at, std::string::npos) << kNames[i] << " " << p;
      EXPECT_NEAR(std::strtod(text.c_str() + at + key.size(), nullptr), plug.GetParam(p)->Value(), 5e-7)
        << kNames[i] << " parameter " << p;
    }
  }
}
