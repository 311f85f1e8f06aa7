#include "reports/ReportFiles.h"

#include "framework/WDLMutex.h"
#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"

#include <algorithm>
#include <cstdarg>
#include <charconv>

ReportSnapshot TakeReportSnapshot(const Vantorelix& plug, HistoryPart part)
{
  ReportSnapshot snapshot;
  // Reserved outside the lock, so that the audio thread never waits for an allocation. The size
  // is only read under the lock; the list may grow before the copy, which then grows too.
  const LoudnessHistory& history = plug.History();
  size_t expected = 2;
  if (part == HistoryPart::All)
  {
    WDL_MutexLock lock(plug.PluginMutex());
    expected = history.Size() + 64;
  }
  snapshot.points.reserve(expected);
  WDL_MutexLock lock(plug.PluginMutex());
  snapshot.settings = plug.Settings();
  const size_t size = history.Size();
  if (part == HistoryPart::All)
    snapshot.points.assign(history.Data(), history.Data() + size);
  else if (size > 0)
  {
    snapshot.points.push_back(history.At(0));
    snapshot.points.push_back(history.At(size - 1));
  }
  return snapshot;
}

DecimalText::DecimalText(double value, int precision, bool decimalComma)
{
  const auto result = std::to_chars(mText, mText + sizeof(mText) - 1, value, std::chars_format::fixed, precision);
  mLength = result.ec == std::errc() ? static_cast<size_t>(result.ptr - mText) : 0;
  mText[mLength] = 0;
  if (decimalComma)
    std::replace(mText, mText + mLength, '.', ',');
}

ReportFile::ReportFile(const char* path)
  : mFile(path && *path ? std::fopen(path, "wb") : nullptr)
{
}

ReportFile::~ReportFile()
{
  if (mFile)
    std::fclose(mFile);
}

void ReportFile::Printf(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  std::vfprintf(mFile, format, args);
  va_end(args);
}

bool BeginReport(ReportFile& file, const ReportSnapshot& snapshot)
{
  if (!file.IsOpen())
    return false;
  if (snapshot.points.empty())
  {
    file.Write("No Data\r\n");
    return false;
  }
  return true;
}

const char* LoudnessUnitPrefix(int unitMode)
{
  return unitMode >= 0 && unitMode < static_cast<int>(kUnitLabels.size()) ? kUnitLabels[unitMode] : kUnitLabels[0];
}

const char* LoudnessUnitSuffix(double refOffset)
{
  return refOffset == 0.0 ? kOffsetSuffixes[0] : kOffsetSuffixes[1];
}
