#include "ReportsFixture.h"

#include "framework/WDLMutex.h"
#include "reports/ReportFiles.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
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
  struct Case
  {
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
  struct Case
  {
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

// The log's numbers keep their decimal point; the decimal comma is the CSV's alone.
TEST_F(ExportTest, LogIgnoresTheDecimalFormat)
{
  AddPoints(3);
  EnableAlerts();
  const std::string withPoint = Log();
  plug.Settings().exportDecimalFormat = 1;
  EXPECT_EQ(Log(), withPoint);
  EXPECT_NE(withPoint.find("Target Integrated Loudness (IL)  : -18.0 dBFS\r\n"), std::string::npos);
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
  struct Case
  {
    const char* name;
    int firstWall[7], lastWall[7];  // year, month, day, hour, minute, second, tenths
    int firstTimer[4], lastTimer[4];
    const char* duration;
    const char* length;
  };
  // clang-format off
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
  // clang-format on
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

// The audio thread takes the plug-in mutex for every block (10.7 ms at 512 frames and 48 kHz);
// no export of an hour's history may keep it waiting for more than a fraction of that.
TEST_F(ExportTest, ExportsNeverKeepTheAudioThreadWaiting)
{
  AllColumns(true);
  for (int n = 0; n < 36000; ++n)
    plug.History().AppendCopy(MakePoint(n % 50));
  const std::pair<const char*, std::function<void()>> exports[] = {
    {"csv", [&] { plug.ExportCsv(WDL_String(Path("out.csv").c_str())); }},
    {"log", [&] { plug.ExportLog(WDL_String(Path("out.log").c_str())); }},
    {"automatic",
     [&] {
       plug.Requests().autoExport = 1;
       plug.IdleTick();
     }},
  };
  using Clock = std::chrono::steady_clock;
  for (const auto& [name, run] : exports)
  {
    SCOPED_TRACE(name);
    // A busy machine may also stop the waiting thread itself for a while; one clean run of three
    // shows that the export does not hold the mutex, which held it for each whole run.
    Clock::duration best = Clock::duration::max();
    for (int attempt = 0; attempt < 3 && best > std::chrono::milliseconds(2); ++attempt)
    {
      std::atomic<bool> stop{false};
      Clock::duration longest{};
      std::thread audio([&] {
        while (!stop)
        {
          std::this_thread::sleep_for(std::chrono::microseconds(500));
          const auto asked = Clock::now();
          WDL_MutexLock lock(plug.PluginMutex());
          longest = std::max(longest, Clock::now() - asked);
        }
      });
      run();
      stop = true;
      audio.join();
      best = std::min(best, longest);
    }
    EXPECT_LE(best, std::chrono::milliseconds(2));
  }
  EXPECT_EQ(plug.History().Size(), 36000u);
  const std::string csv = ReadFile(Path("out.csv"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 36001);
  std::filesystem::remove_all(plug.DataFolder());
}

// A reset while the history is read waits until the reader is done, and the points of the next
// measurement appended meanwhile are not read as this one's.
TEST_F(ExportTest, ResetWhileReadingTakesEffectAfterwards)
{
  AddPoints(3);
  {
    const HistoryReader reader(plug);
    plug.History().Clear();
    plug.History().AppendCopy(MakePoint(7));
    EXPECT_EQ(reader.InitialSize(), 3u);
    EXPECT_EQ(reader.CurrentSize(), 3u);
    EXPECT_EQ(reader.At(2).timerTenths, MakePoint(2).timerTenths);
  }
  ASSERT_EQ(plug.History().Size(), 1u);
  EXPECT_EQ(plug.History().At(0).timerTenths, MakePoint(7).timerTenths);
  EXPECT_EQ(plug.History().inUse, 0);
}

}  // namespace
