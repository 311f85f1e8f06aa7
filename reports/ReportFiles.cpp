#include "reports/ReportFiles.h"

#include "framework/WDLMutex.h"
#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"

#include <algorithm>
#include <cstdarg>
#include <charconv>

HistoryReader::HistoryReader(Vantorelix& plug) : mPlug(plug), mHistory(plug.History())
{
  WDL_MutexLock lock(plug.PluginMutex());
  mSettings = plug.Settings();
  mHistory.FinishPendingClear();  // a clear the graph left pending empties the list first
  mInitialSize = mHistory.Size();
  mWasInUse = mHistory.inUse;
  mHistory.inUse = 1;
}

HistoryReader::~HistoryReader()
{
  WDL_MutexLock lock(mPlug.PluginMutex());
  mHistory.inUse = mWasInUse;
  mHistory.FinishPendingClear();
}

size_t HistoryReader::CurrentSize() const
{
  WDL_MutexLock lock(mPlug.PluginMutex());
  // After a reset the points appended belong to the next measurement.
  return mHistory.clearPending ? mInitialSize : mHistory.Size();
}

DecimalText::DecimalText(double value, int precision, bool decimalComma)
{
  const auto result = std::to_chars(mText, mText + sizeof(mText) - 1, value, std::chars_format::fixed, precision);
  mLength = result.ec == std::errc() ? static_cast<size_t>(result.ptr - mText) : 0;
  mText[mLength] = 0;
  if (decimalComma)
    std::replace(mText, mText + mLength, '.', ',');
}

ReportFile::ReportFile(const char* path) : mFile(path && *path ? std::fopen(path, "wb") : nullptr) {}

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

bool BeginReport(ReportFile& file, size_t points)
{
  if (!file.IsOpen())
    return false;
  if (points == 0)
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
