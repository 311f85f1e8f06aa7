#include "ReportsFixture.h"

#include "reports/OutputParams.h"

#include <cmath>
#include <optional>

using namespace reports_test;

namespace {

std::optional<double> Find(const OutputValues& values, int paramIdx)
{
  for (int i = 0; i < values.count; ++i)
    if (values.items[i].paramIdx == paramIdx)
      return values.items[i].value;
  return std::nullopt;
}

MeasurementReading Reading(int gateMode)
{
  MeasurementReading r;
  r.gateMode = gateMode;
  r.integratedLoudness = -18.0;
  r.speechMeanPower = std::pow(10.0, -2.0);  // -20 LUFS
  r.slPower = 0.0;                           // silence
  r.slMaxPower = std::pow(10.0, -1.5);       // -15 LUFS
  r.mlPower = std::pow(10.0, -2.5);
  r.mlMaxPower = std::pow(10.0, -1.0);
  r.lra = 7.26;
  r.lraLow = -30.04;
  r.lraHigh = -22.76;
  r.plr = 12.0;
  r.psr = 8.04;
  r.blockCount = 8;
  r.speechBlockCount = 3;
  r.speechPresent = 1;
  r.samplePeak = 0.5;     // -6.02 dB
  r.samplePeakMax = 1.0;  // 0 dB
  r.truePeak = 0.25;      // -12.04 dB
  r.truePeakMax = 2.0;    // +6.02 dB
  return r;
}

TEST(OutputValues, FollowTheMeasurementAndTheSettings)
{
  struct Case
  {
    const char* name;
    int engineGate, gateParam, peakMode;
    double refOffset;
    std::vector<std::pair<int, double>> expected;
    std::vector<int> absent;
  };
  // clang-format off
  const Case cases[] = {
    {"programme gate, no offset", 1, 1, 0, 0.0,
     {{kOutIL, -17.3}, {kOutSL, -143.3}, {kOutML, -25.0}, {kOutLRA, 7.3}, {kOutPLR, 11.3}, {kOutPSR, 8.0},
      {kOutPeak, -6.0}, {kOutSLMax, -15.0}, {kOutMLMax, -10.0}, {kOutLRALow, -30.0}, {kOutLRAHigh, -22.8},
      {kOutPeakMax, 0.0}},
     {kOutDialogPercentage, kOutDialogPresence}},
    {"reference offset moves loudness only", 2, 2, 1, -23.0,
     {{kOutIL, 5.7}, {kOutSL, -120.3}, {kOutLRA, 7.3}, {kOutPLR, 11.3}, {kOutPeak, -12.0}, {kOutLRALow, -7.0},
      {kOutPeakMax, 6.0}},
     {kOutDialogPercentage}},
    {"dial gate takes the speech measurement", 3, 3, 1, 0.0,
     {{kOutIL, -20.0}, {kOutDialogPercentage, 37.5}, {kOutDialogPresence, 1.0}},
     {}},
    {"no measurement above dial", 4, 1, 0, -23.0,
     {{kOutIL, -121.0}, {kOutLRA, 0.0}, {kOutLRALow, -121.0}, {kOutLRAHigh, -121.0}},
     {}},
    {"unknown peak mode writes no peak rows", 1, 1, 2, 0.0,
     {{kOutIL, -17.3}},
     {kOutPeak, kOutPeakMax, kOutPeakMaxAlert}},
  };
  // clang-format on
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MeterSettings settings;
    settings.gateMode = c.gateParam;
    settings.peakMode = c.peakMode;
    settings.refOffset = c.refOffset;
    const OutputValues values = ComputeOutputValues(Reading(c.engineGate), settings);
    for (const auto& [paramIdx, value] : c.expected)
    {
      ASSERT_TRUE(Find(values, paramIdx)) << paramIdx;
      EXPECT_NEAR(*Find(values, paramIdx), value, 1e-9) << paramIdx;
    }
    for (int paramIdx : c.absent)
      EXPECT_FALSE(Find(values, paramIdx)) << paramIdx;
  }
}

TEST(OutputValues, DialogPercentageWithoutBlocksAndAlertFlags)
{
  MeterSettings settings;
  settings.gateMode = 3;
  settings.peakMode = 1;
  settings.alerts[kAlertSlMax].active = 1;
  settings.alerts[kAlertTpMax].active = 1;
  MeasurementReading reading = Reading(3);
  reading.blockCount = 0;
  OutputValues values = ComputeOutputValues(reading, settings);
  EXPECT_EQ(Find(values, kOutDialogPercentage), 0.0);
  EXPECT_EQ(Find(values, kOutILMaxAlert), 0.0);
  EXPECT_EQ(Find(values, kOutSLMaxAlert), 1.0);
  EXPECT_EQ(Find(values, kOutPeakMaxAlert), 1.0);
  settings.peakMode = 0;  // the sample-peak alert now
  values = ComputeOutputValues(reading, settings);
  EXPECT_EQ(Find(values, kOutPeakMaxAlert), 0.0);
}

TEST(OutputValues, LevelConversionsAtTheirFloors)
{
  EXPECT_DOUBLE_EQ(LoudnessOfPower(4.667e-15), -143.309);
  EXPECT_DOUBLE_EQ(LoudnessOfPower(0.0), -143.309);
  EXPECT_NEAR(LoudnessOfPower(1.0), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(LevelOfAmplitude(6.309e-08), -144.0);
  EXPECT_NEAR(LevelOfAmplitude(-0.5), -6.0206, 1e-4);
  EXPECT_DOUBLE_EQ(RoundToTenth(-17.35), -17.3);
  EXPECT_DOUBLE_EQ(RoundToTenth(-17.36), -17.4);
}

// Counts the gesture notifications the host would receive.
class CountingPlug : public Vantorelix
{
public:
  void NotifyHostGestureBegin(int) override { ++begins; }
  void NotifyHostGestureEnd(int) override { ++ends; }
  int begins = 0, ends = 0;
};

TEST(OutputParams, PushedValuesAreClampedToTheirRange)
{
  CountingPlug plug;
  plug.PushOutputValue(kOutPeak, 160.2);  // a true peak above +144 dB
  EXPECT_DOUBLE_EQ(plug.GetParam(kOutPeak)->Value(), 144.0);
  plug.PushOutputValue(kOutIL, -150.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kOutIL)->Value(), -144.0);
  plug.PushOutputValue(kOutDialogPercentage, 120.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kOutDialogPercentage)->Value(), 100.0);
  plug.PushOutputValueInt(kOutDialogPresence, 1);
  EXPECT_DOUBLE_EQ(plug.GetParam(kOutDialogPresence)->Value(), 1.0);
  plug.PushOutputValue(kOutSL, NAN);
  EXPECT_DOUBLE_EQ(plug.GetParam(kOutSL)->Value(), -144.0);
}

TEST(OutputParams, GesturesOnlyForTheHostsThatNeedThem)
{
  const struct
  {
    const char* host;  // null: not identified
    int gestures;
  } cases[] = {{"Cakewalk", 1}, {"Logic", 1},     {"GarageBand", 1}, {"Bitwig Studio", 1},
               {"Reaper", 0},   {"Some Host", 0}, {nullptr, 0}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.host ? c.host : "unidentified");
    CountingPlug plug;
    if (c.host)
      plug.IdentifyHost(c.host, 0);
    plug.PushOutputValue(kOutSL, -20.0);
    EXPECT_EQ(plug.begins, c.gestures);
    EXPECT_EQ(plug.ends, c.gestures);
    EXPECT_DOUBLE_EQ(plug.GetParam(kOutSL)->Value(), -20.0);
  }
}

}  // namespace
