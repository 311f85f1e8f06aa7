#pragma once
// A product instance with a history and settings made for the exports; the file helpers are the
// product-class suites' own.

#include "meter-plugin/Vantorelix.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <filesystem>
#include <string>

namespace reports_test {

using plugin_test::ReadFile;
using plugin_test::SourcePath;
using plugin_test::TempFolder;
using plugin_test::WriteFile;

inline std::string Fixture(const std::string& name)
{
  return ReadFile(SourcePath(("tests/reports/fixtures/" + name).c_str()));
}

// A history point whose values differ field by field, so that a column taking the wrong field
// shows in the file. n shifts the values and the time by n tenths.
inline LoudnessHistoryPoint MakePoint(int n)
{
  LoudnessHistoryPoint p{};
  const double d = n * 0.1;
  p.ilShown = -23.04 + d;
  p.integratedLoudness = -22.5 + d;
  p.slLevel = -20.26 + d;
  p.slMax = -18.1 + d;
  p.mlLevel = -19.35 + d;
  p.mlMax = -16.7 + d;
  p.rangeShown = 6.45 + d;
  p.mainRange = 7.2 + d;
  p.rangeLow = -30.3 + d;
  p.rangeHigh = -21.9 + d;
  p.plr = 11.8 + d;
  p.psr = 9.4 + d;
  p.psrMin = 5.25 + d;
  p.samplePeakMax = -2.2 + d;
  p.truePeakMax = -1.6 + d;
  p.samplePeakPeriodMax = -8.8 + d;
  p.truePeakPeriodMax = -8.1 + d;
  const int tenths = 15 + n;
  p.timerHours = 0;
  p.timerMinutes = 0;
  p.timerSeconds = tenths / 10;
  p.timerTenths = tenths % 10;
  p.wallYear = 2026;
  p.wallMonth = 12;
  p.wallDay = 9;
  p.wallHour = 14;
  p.wallMinute = 30;
  p.wallSecond = 5 + tenths / 10;
  p.wallTenths = tenths % 10;
  p.marked = n % 2;
  p.dialoguePercentage = 62.5 + n;
  p.dialoguePresent = (n + 1) % 2;
  for (int i = 0; i < 14; ++i)
    p.alertActive[i] = (i + n) % 3 == 0;
  return p;
}

class ReportsTest : public ::testing::Test
{
protected:
  void AddPoints(int count)
  {
    for (int n = 0; n < count; ++n)
      plug.History().AppendCopy(MakePoint(n));
  }
  void AllColumns(bool on) { plug.Settings().csvExport.fill(on ? 1 : 0); }
  std::string Path(const char* name) const { return folder + "/" + name; }

  Vantorelix plug;
  std::string folder = TempFolder();
};

}  // namespace reports_test
