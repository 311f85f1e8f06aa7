// The measurement history as a table for spreadsheets: a header line naming the columns the
// "CSV Export" switches choose, then one row per history point.

#include "reports/ReportFiles.h"

#include "meter-plugin/Vantorelix.h"

#include <algorithm>
#include <cstdio>

namespace {

// Which alert byte of a history point holds which flag.
enum HistoryAlert {
  kIlMinFlag,
  kIlMaxFlag,
  kIlProgrammeMinFlag,
  kIlProgrammeMaxFlag,
  kSlMinFlag,
  kSlMaxFlag,
  kMlMinFlag,
  kMlMaxFlag,
  kTpOverFlag,
  kPeakOverFlag,
  kLraMinFlag,
  kLraProgrammeMinFlag,
  kPlrMinFlag,
  kPsrMinFlag
};

// The column switches, parameters "CSV Export IL" to "CSV Export DIALPRESENT" in order.
enum CsvColumn {
  kColIL,
  kColSL,
  kColML,
  kColLRA,
  kColPxR,
  kColTP,
  kColPK,
  kColSLMax,
  kColMLMax,
  kColLRALow,
  kColLRAHigh,
  kColTPMax,
  kColPKMax,
  kColAlertLM,
  kColAlertLRA,
  kColTPOver,
  kColPKOver,
  kColMarked,
  kColDialog
};

// Writes the header and the rows column by column in one order, so that the two cannot disagree.
// A column is a measured value (name with its unit) or a flag (name only).
class CsvTable
{
public:
  CsvTable(ReportFile& file, const MeterSettings& settings)
  : mFile(file),
    mSettings(settings),
    mSeparator(settings.exportCsvSeparator == 1 ? ";" : ","),
    mComma(settings.exportDecimalFormat == 1),
    mPrefix(LoudnessUnitPrefix(settings.unitMode)),
    mSuffix(LoudnessUnitSuffix(settings.refOffset))
  {
  }

  void WriteHeader()
  {
    mFile.Printf("Time%s", mSeparator);
    mPoint = nullptr;
    WriteColumns();
    mFile.Write("\n");
  }

  void WriteRow(const LoudnessHistoryPoint& point)
  {
    char time[64];
    const int length = std::snprintf(time, sizeof time, "%02d:%02d:%02d.%1d", static_cast<int>(point.timerHours),
                                     static_cast<int>(point.timerMinutes), static_cast<int>(point.timerSeconds),
                                     static_cast<int>(point.timerTenths));
    if (mComma)
      std::replace(time, time + length, '.', ',');
    mFile.Write(time);
    mFile.Write(mSeparator);
    mPoint = &point;
    WriteColumns();
    mFile.Write("\n");
  }

private:
  bool On(CsvColumn column) const { return mSettings.csvExport[column] != 0; }

  // A loudness level, shown against the reference offset.
  void Loudness(const char* name, double value) { Measured(name, mPrefix, mSuffix, value - mSettings.refOffset); }
  void Range(const char* name, double value) { Measured(name, mPrefix, "", value); }
  void Measured(const char* name, const char* prefix, const char* suffix, double value)
  {
    if (!mPoint)
    {
      mFile.Printf("%s (%s%s)%s", name, prefix, suffix, mSeparator);
      return;
    }
    mFile.Write(DecimalText(value, 1, mComma).View());
    mFile.Write(mSeparator);
  }
  void Flag(const char* name, int value)
  {
    if (!mPoint)
      mFile.Printf("%s%s", name, mSeparator);
    else
      mFile.Printf("%d%s", value, mSeparator);
  }
  void AlertFlag(const char* name, HistoryAlert flag) { Flag(name, mPoint ? mPoint->alertActive[flag] : 0); }

  void WriteColumns()
  {
    static const LoudnessHistoryPoint kNone{};
    const LoudnessHistoryPoint& p = mPoint ? *mPoint : kNone;
    const int gate = mSettings.gateMode;
    const auto loudness = [this](const char* name, double value) { Loudness(name, value); };
    const auto range = [this](const char* name, double value) { Range(name, value); };
    const auto alert = [this](const char* name, HistoryAlert flag) { AlertFlag(name, flag); };
    if (On(kColIL))
      GatedPair(gate, "IL Dial", "IL", p.ilShown, p.integratedLoudness, loudness);
    if (On(kColSL))
      Loudness("SL", p.slLevel);
    if (On(kColML))
      Loudness("ML", p.mlLevel);
    if (On(kColLRA))
      GatedPair(gate, "LRA Dial", "LRA", p.rangeShown, p.mainRange, range);
    if (On(kColPxR))
    {
      Range("PLR", p.plr);
      Range("PSR", p.psr);
    }
    if (On(kColTP))
      Measured("TP", "dB", "TP", p.truePeakPeriodMax);
    if (On(kColPK))
      Measured("Peak", "dB", "FS", p.samplePeakPeriodMax);
    if (On(kColSLMax))
      Loudness("SL Max", p.slMax);
    if (On(kColMLMax))
      Loudness("ML Max", p.mlMax);
    if (On(kColLRALow))
      Loudness("LRA Low", p.rangeLow);
    if (On(kColLRAHigh))
      Loudness("LRA High", p.rangeHigh);
    if (On(kColTPMax))
      Measured("TP Max", "dB", "TP", p.truePeakMax);
    if (On(kColPKMax))
      Measured("Peak Max", "dB", "FS", p.samplePeakMax);
    if (On(kColAlertLM))
    {
      if (gate == kDialGate)
      {
        AlertFlag("IL Dial Min", kIlMinFlag);
        AlertFlag("IL Dial Max", kIlMaxFlag);
        AlertFlag("IL Min", kIlProgrammeMinFlag);
        AlertFlag("IL Max", kIlProgrammeMaxFlag);
      }
      else if (gate < kDialGate)
      {
        AlertFlag("IL Min", kIlMinFlag);
        AlertFlag("IL Max", kIlMaxFlag);
      }
      AlertFlag("SL Min", kSlMinFlag);
      AlertFlag("SL Max", kSlMaxFlag);
      AlertFlag("ML Min", kMlMinFlag);
      AlertFlag("ML Max", kMlMaxFlag);
    }
    if (On(kColAlertLRA))
    {
      GatedPair(gate, "LRA Dial Min", "LRA Min", kLraMinFlag, kLraProgrammeMinFlag, alert);
      AlertFlag("PLR Min", kPlrMinFlag);
      AlertFlag("PSR Min", kPsrMinFlag);
    }
    if (On(kColTPOver))
      AlertFlag("TP Over", kTpOverFlag);
    if (On(kColPKOver))
      AlertFlag("Peak Over", kPeakOverFlag);
    if (On(kColMarked))
      Flag("Marked", p.marked);
    if (On(kColDialog))
      Flag("Dialog", static_cast<int>(p.dialoguePresent));
  }

  ReportFile& mFile;
  const MeterSettings& mSettings;
  const char* mSeparator;
  bool mComma;
  const char* mPrefix;
  const char* mSuffix;
  const LoudnessHistoryPoint* mPoint = nullptr;  // null while the header is written
};

}  // namespace

void Vantorelix::ExportCsv(const WDL_String& path)
{
  const HistoryReader history(*this);
  ReportFile file(path.Get());
  if (!BeginReport(file, history.InitialSize()))
    return;
  CsvTable table(file, history.Settings());
  table.WriteHeader();
  const auto writeRows = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      table.WriteRow(history.At(i));
  };
  writeRows(0, history.InitialSize());
  // The points appended while the others were written go out too; at ten points a second one
  // look for them is enough.
  writeRows(history.InitialSize(), history.CurrentSize());
}
