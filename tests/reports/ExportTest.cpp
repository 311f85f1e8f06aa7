#include "ReportsFixture.h"

#include "framework/WDLMutex.h"

#include <atomic>
#include <thread>

using namespace reports_test;

namespace {

class ExportTest : public ReportsTest
{
protected:
  std::string Csv()
  {
    plug.ExportCsv(WDL_String(Path("out.csv").c_str()));
    return ReadFile(Path("out.csv"));
  }
  std::string Log()
  {
    plug.ExportLog(WDL_String(Path("out.log").c_str()));
    return ReadFile(Path("out.log"));
  }
  void EnableAlerts()
  {
    for (int i = 0; i < kAlertCount; ++i)
    {
      AlertState& alert = plug.Settings().alerts[i];
      alert.mode = static_cast<AlertMode>(1 + i % 2);
      alert.count = 3 * i;
      alert.level = -25.05 + i;
    }
  }
};

TEST_F(ExportTest, EmptyHistoryWritesNoDataWhateverTheSettings)
{
  AllColumns(true);
  plug.Settings().gateMode = 3;
  EnableAlerts();
  EXPECT_EQ(Csv(), "No Data\r\n");
  EXPECT_EQ(Log(), "No Data\r\n");
}

TEST_F(ExportTest, PathThatCannotBeOpenedWritesNothing)
{
  AddPoints(2);
  plug.ExportCsv(WDL_String(""));
  plug.ExportLog(WDL_String((folder + "/missing/out.log").c_str()));
  EXPECT_FALSE(std::filesystem::exists(folder + "/missing"));
}

TEST_F(ExportTest, CsvWithEveryColumnMatchesGoldenFiles)
{
  struct Case {
    const char* golden;
    int gateMode, unitMode, decimalFormat, separator;
    double refOffset;
  };
  const Case cases[] = {
    {"csv-g8-lufs.csv", 1, 1, 0, 0, 0.0},
    // Two IL, LRA and alert columns each, a reference offset, a decimal comma and ";".
    {"csv-dial-offset-comma.csv", 3, 1, 1, 1, -23.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.golden);
    plug.History().Clear();
    AddPoints(3);
    AllColumns(true);
    MeterSettings& s = plug.Settings();
    s.gateMode = c.gateMode;
    s.unitMode = c.unitMode;
    s.exportDecimalFormat = c.decimalFormat;
    s.exportCsvSeparator = c.separator;
    s.refOffset = c.refOffset;
    EXPECT_EQ(Csv(), Fixture(c.golden));
  }
}

TEST_F(ExportTest, CsvFieldsAndHeaderFollowTheSettings)
{
  AddPoints(2);
  MeterSettings& s = plug.Settings();
  AllColumns(false);
  EXPECT_EQ(Csv(), "Time,\n00:00:01.5,\n00:00:01.6,\n");

  // A decimal comma beside the "," separator: nothing is quoted.
  s.csvExport[0] = 1;
  s.exportDecimalFormat = 1;
  EXPECT_EQ(Csv(), "Time,IL (dBFS),\n00:00:01,5,-23,0,\n00:00:01,6,-22,9,\n");

  // An offset shifts the loudness and takes "FS" off its unit; the range keeps its unit prefix.
  s.exportDecimalFormat = 0;
  s.unitMode = 2;
  s.refOffset = -23.0;
  s.csvExport[3] = 1;
  EXPECT_EQ(Csv(), "Time,IL (LK),LRA (LK),\n00:00:01.5,-0.0,6.5,\n00:00:01.6,0.1,6.5,\n");
}

TEST_F(ExportTest, LogMatchesGoldenFiles)
{
  struct Case {
    const char* golden;
    int gateMode, peakMode, measurementMode;
    double refOffset;
  };
  const Case cases[] = {
    {"log-g10.log", 2, 1, 1, 0.0},
    {"log-dial-offset.log", 3, 0, 2, -23.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.golden);
    plug.History().Clear();
    AddPoints(12);
    EnableAlerts();
    MeterSettings& s = plug.Settings();
    s.gateMode = c.gateMode;
    s.peakMode = c.peakMode;
    s.measurementMode = c.measurementMode;
    s.refOffset = c.refOffset;
    s.unitMode = 1;
    s.loudnessTarget = -23.0;
    s.maxPeakTarget = -1.0;
    EXPECT_EQ(Log(), Fixture(c.golden));
  }
}

TEST_F(ExportTest, LogWithoutEnabledAlertsEndsWithTheirHeading)
{
  AddPoints(1);
  for (AlertState& alert : plug.Settings().alerts)
    alert.mode = AlertMode::Off;
  const std::string log = Log();
  const std::string tail = "--- Alerts ----------------------\r\n\r\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_F(ExportTest, LogDurationsCountAcrossMidnight)
{
  struct Case {
    const char* name;
    int firstWall[7], lastWall[7];  // year, month, day, hour, minute, second, tenths
    int firstTimer[4], lastTimer[4];
    const char* duration;
    const char* length;
  };
  const Case cases[] = {
    {"one instant", {2026, 12, 9, 14, 30, 5, 5}, {2026, 12, 9, 14, 30, 5, 5}, {0, 0, 1, 5}, {0, 0, 1, 5},
     "00:00:00.0", "00:00:00.0"},
    {"same day", {2026, 12, 9, 14, 30, 5, 5}, {2026, 12, 9, 16, 1, 2, 3}, {0, 0, 1, 5}, {1, 30, 58, 3},
     "01:30:56.8", "01:30:56.8"},
    {"past midnight", {2026, 12, 31, 23, 59, 58, 0}, {2027, 1, 1, 0, 0, 1, 5}, {23, 59, 58, 0}, {0, 0, 1, 5},
     "00:00:03.5", "00:00:03.5"},
    {"two days", {2026, 2, 28, 12, 0, 0, 0}, {2026, 3, 2, 12, 0, 0, 0}, {0, 0, 0, 0}, {48, 0, 0, 0},
     "48:00:00.0", "48:00:00.0"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    plug.History().Clear();
    for (const auto* wall : {c.firstWall, c.lastWall})
    {
      LoudnessHistoryPoint p = MakePoint(0);
      const int* timer = wall == c.firstWall ? c.firstTimer : c.lastTimer;
      p.wallYear = wall[0], p.wallMonth = wall[1], p.wallDay = wall[2];
      p.wallHour = wall[3], p.wallMinute = wall[4], p.wallSecond = wall[5], p.wallTenths = wall[6];
      p.timerHours = timer[0], p.timerMinutes = timer[1], p.timerSeconds = timer[2], p.timerTenths = timer[3];
      plug.History().AppendCopy(p);
    }
    const std::string log = Log();
    EXPECT_NE(log.find(std::string("Duration:                       ") + c.duration + "\r\n"), std::string::npos);
    EXPECT_NE(log.find(std::string("Length:                         ") + c.length + "\r\n"), std::string::npos);
  }
}

// The audio side appends and resets under the plug-in mutex while the exports run; every file
// must be whole: a header and complete rows of the same width.
TEST_F(ExportTest, ExportsWhileTheAudioSideAppendsAndResets)
{
  AllColumns(true);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    for (int n = 0; !stop; ++n)
    {
      WDL_MutexLock lock(plug.PluginMutex());
      if (n % 500 == 499)
        plug.History().Clear();
      else
        plug.History().AppendCopy(MakePoint(n % 50));
    }
  });
  for (int i = 0; i < 20; ++i)
  {
    const std::string csv = Csv();
    if (csv == "No Data\r\n")
      continue;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    const auto fields = std::count(line.begin(), line.end(), ',');
    while (std::getline(lines, line))
      ASSERT_EQ(std::count(line.begin(), line.end(), ','), fields) << line;
    const std::string log = Log();
    EXPECT_TRUE(log == "No Data\r\n" || log.find("--- Alerts") != std::string::npos);
  }
  stop = true;
  audio.join();
}

} // namespace
