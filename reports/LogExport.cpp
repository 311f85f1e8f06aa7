// The text log of a measurement, and the automatic export of a log and a CSV file.

#include "reports/ReportFiles.h"

#include "meter-plugin/Vantorelix.h"

#include <cstring>
#include <ctime>
#include <iterator>

namespace {

constexpr int kTenthsPerDay = 24 * 36000;

const char* GateModeName(int gateMode)
{
  // By GateMode, and one value past it that the report still names.
  static constexpr const char* kNames[] = {"Off", "Program G8", "Program G10", "Dialog", "Leq(m)"};
  return gateMode >= 0 && gateMode < static_cast<int>(std::size(kNames)) ? kNames[gateMode] : kNames[0];
}

const char* MeasurementModeName(int mode)
{
  return mode == 0 ? "SUM" : mode == 1 ? "AES17" : "AVG";
}

// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t TenthsOfDay(uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t tenths)
{
  return int64_t(hours) * 36000 + int64_t(minutes) * 600 + int64_t(seconds) * 10 + int64_t(tenths);
}

// The wall-clock time from the first to the last point, counted across midnight by their dates.
int64_t WallDuration(const LoudnessHistoryPoint& first, const LoudnessHistoryPoint& last)
{
  const int64_t days = DaysFromCivil(last.wallYear, last.wallMonth, last.wallDay) -
                       DaysFromCivil(first.wallYear, first.wallMonth, first.wallDay);
  return days * kTenthsPerDay + TenthsOfDay(last.wallHour, last.wallMinute, last.wallSecond, last.wallTenths) -
         TenthsOfDay(first.wallHour, first.wallMinute, first.wallSecond, first.wallTenths);
}

// The measurement time from the first to the last point. A time-code clock starts again at
// midnight; a later point that reads earlier is on the next day.
int64_t MeasuredLength(const LoudnessHistoryPoint& first, const LoudnessHistoryPoint& last)
{
  const int64_t length = TenthsOfDay(last.timerHours, last.timerMinutes, last.timerSeconds, last.timerTenths) -
                         TenthsOfDay(first.timerHours, first.timerMinutes, first.timerSeconds, first.timerTenths);
  return length < 0 ? length + kTenthsPerDay : length;
}

void WriteDuration(ReportFile& file, const char* label, int64_t tenths)
{
  if (tenths < 0)  // dates out of order; nothing sensible to show
    tenths = 0;
  const int64_t hours = tenths / 36000;
  const int64_t minutes = tenths % 36000 / 600;
  const int64_t seconds = tenths % 600 / 10;
  file.Printf("%s%02lld:%02lld:%02lld.%1lld\r\n", label, static_cast<long long>(hours), static_cast<long long>(minutes),
              static_cast<long long>(seconds), static_cast<long long>(tenths % 10));
}

class LogWriter
{
public:
  LogWriter(ReportFile& file, const MeterSettings& settings)
  : mFile(file),
    mSettings(settings),
    mPrefix(LoudnessUnitPrefix(settings.unitMode)),
    mSuffix(LoudnessUnitSuffix(settings.refOffset))
  {
  }

  void Write(const LoudnessHistoryPoint& first, const LoudnessHistoryPoint& last)
  {
    WriteHeading();
    WriteSettings();
    WriteStatistics(first, last);
    WriteAlerts();
  }

private:
  // The log keeps the decimal point whatever the CSV's decimal format says.
  const char* Number(double value, int precision) { return (mNumber = DecimalText(value, precision, false)).Get(); }
  double Shown(double loudness) const { return loudness - mSettings.refOffset; }

  void WriteHeading()
  {
    mFile.Printf("--- %s LogFile ----------------\r\n\r\n", "Vantorelix");
    mFile.Printf("Zorvalinde %s\r\n", "Vantorelix");
    mFile.Printf("Version %s\r\n\r\n", "V3.1.3 Build: May 29 2025");
  }

  void WriteSettings()
  {
    const MeterSettings& s = mSettings;
    mFile.Write("--- Settings ------------------------\r\n\r\n");
    mFile.Printf("Gating mode                      : %s\r\n", GateModeName(s.gateMode));
    mFile.Printf("Peak mode                        : %s\r\n", s.peakMode != 0 ? "TruePeak" : "Peak");
    mFile.Printf("Measurement mode                 : %s\r\n", MeasurementModeName(s.measurementMode));
    mFile.Printf("Target Integrated Loudness (IL)  : %s %s\r\n", Number(s.loudnessTarget, 1), "dBFS");
    mFile.Printf("Target Peak Max                  : %s %s%s\r\n\r\n", Number(s.maxPeakTarget, 1), "dB", "TP");
  }

  void WriteStatistics(const LoudnessHistoryPoint& first, const LoudnessHistoryPoint& last)
  {
    const int gate = mSettings.gateMode;
    mFile.Write("--- Statistics ------------------------\r\n\r\n");
    WriteDate("Start time:     ", first);
    WriteDate("End time:       ", last);
    WriteDuration(mFile, "Duration:                       ", WallDuration(first, last));
    WriteDuration(mFile, "Length:                         ", MeasuredLength(first, last));
    mFile.Write("\r\n");
    const auto loudness = [this](const char* label, double value) { Loudness(label, value); };
    const auto range = [this](const char* label, double value) { Range(label, value); };
    GatedPair(gate, "Integrated Loudness (IL Dial)    : ", "Integrated Loudness (IL)         : ", last.ilShown,
              last.integratedLoudness, loudness);
    Loudness("Max Short Term Loudness (Max SL) : ", last.slMax);
    Loudness("Max Momentary Loudness (Max ML)  : ", last.mlMax);
    GatedPair(gate, "Loudness Range (LRA Dial)        : ", "Loudness Range (LRA)             : ", last.rangeShown,
              last.mainRange, range);
    Range("PLR                              : ", last.plr);
    Range("PSR Min                          : ", last.psrMin);
    mFile.Printf("True-Peak Max                    : %s %s%s\r\n", Number(last.truePeakMax, 1), "dB", "TP");
    mFile.Printf("Peak Max                         : %s %s%s\r\n", Number(last.samplePeakMax, 1), "dB", "FS");
    if (gate == kDialGate)
      mFile.Printf("Dialog Percentage                : %s %%\r\n", Number(last.dialoguePercentage, 0));
    mFile.Write("\r\n");
  }

  void WriteDate(const char* label, const LoudnessHistoryPoint& p)
  {
    mFile.Printf("%s%04d-%02d-%02d      %02d:%02d:%02d.%1d\r\n", label, static_cast<int>(p.wallYear),
                 static_cast<int>(p.wallMonth), static_cast<int>(p.wallDay), static_cast<int>(p.wallHour),
                 static_cast<int>(p.wallMinute), static_cast<int>(p.wallSecond), static_cast<int>(p.wallTenths));
  }

  void Loudness(const char* label, double value)
  {
    mFile.Printf("%s%s %s%s\r\n", label, Number(Shown(value), 1), mPrefix, mSuffix);
  }
  void Range(const char* label, double value) { mFile.Printf("%s%s %s\r\n", label, Number(value, 1), mPrefix); }

  void WriteAlerts()
  {
    const int gate = mSettings.gateMode;
    mFile.Write("--- Alerts ----------------------\r\n\r\n");
    if (gate == kDialGate)
    {
      LoudnessAlert("IL Dial Min", kAlertIlDialMin);
      LoudnessAlert("IL Dial Max", kAlertIlDialMax);
    }
    if (gate <= kDialGate)
    {
      LoudnessAlert("IL Min", kAlertIlMin);
      LoudnessAlert("IL Max", kAlertIlMax);
    }
    LoudnessAlert("SL Min", kAlertSlMin);
    LoudnessAlert("SL Max", kAlertSlMax);
    LoudnessAlert("ML Min", kAlertMlMin);
    LoudnessAlert("ML Max", kAlertMlMax);
    if (gate == kDialGate)
      Alert("LRA Dial Min", kAlertLraDialMin, mPrefix, "");
    if (gate <= kDialGate)
      Alert("LRA Min", kAlertLraMin, mPrefix, "");
    Alert("PLR Min", kAlertPlrMin, mPrefix, "");
    Alert("PSR Min", kAlertPsrMin, mPrefix, "");
    Alert("True-Peak Max", kAlertTpMax, "dB", "TP");
    Alert("Peak Max", kAlertPeakMax, "dB", "FS");
    const AlertState& dialog = mSettings.alerts[kAlertDialogMin];
    if (Enabled(dialog))
      mFile.Printf("%-35s: %d (%s %%)\r\n", "Dialog Percentage", static_cast<int>(dialog.count),
                   Number(dialog.level, 0));
  }

  static bool Enabled(const AlertState& alert) { return alert.mode != AlertMode::Off; }

  void LoudnessAlert(const char* name, AlertIndex index)
  {
    const AlertState& alert = mSettings.alerts[index];
    if (Enabled(alert))
      AlertLine(name, alert, Shown(alert.level), mPrefix, mSuffix);
  }
  void Alert(const char* name, AlertIndex index, const char* prefix, const char* suffix)
  {
    const AlertState& alert = mSettings.alerts[index];
    if (Enabled(alert))
      AlertLine(name, alert, alert.level, prefix, suffix);
  }
  void AlertLine(const char* name, const AlertState& alert, double level, const char* prefix, const char* suffix)
  {
    mFile.Printf("%-35s: %d (%s %s%s)\r\n", name, static_cast<int>(alert.count), Number(level, 1), prefix, suffix);
  }

  ReportFile& mFile;
  const MeterSettings& mSettings;
  const char* mPrefix;
  const char* mSuffix;
  DecimalText mNumber{0.0, 0, false};  // the last number formatted; one per line is enough
};

// The data folder, "/" unless it ends with one, "Vantorelix-<kind>-YYYYmmdd-HHMMSS" and the
// extension, with the local time now.
WDL_String AutoExportPath(const char* folder, const char* kind, const char* extension)
{
  char stamp[81] = "";
  const time_t now = std::time(nullptr);
  struct tm local;
  if (localtime_r(&now, &local))
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  WDL_String path(folder);
  const size_t length = std::strlen(folder);
  if (length == 0 || folder[length - 1] != '/')
    path.Append("/");
  path.AppendFormatted(256, "%s-%s-%s", "Vantorelix", kind, stamp);
  path.Append(extension);
  return path;
}

}  // namespace

void Vantorelix::ExportLog(const WDL_String& path)
{
  const HistoryReader history(*this);
  const size_t size = history.InitialSize();
  ReportFile file(path.Get());
  if (!BeginReport(file, size))
    return;
  LogWriter(file, history.Settings()).Write(history.At(0), history.At(size - 1));
}

void Vantorelix::AutoExportFiles()
{
  // Without a data folder the names would land in the root folder; nothing is written then.
  const char* folder = mDataFolder.Get();
  if (!*folder)
    return;
  ExportLog(AutoExportPath(folder, "Log", ".log"));
  ExportCsv(AutoExportPath(folder, "LMData", ".csv"));
}
