#pragma once
// What the exports share: a copy of the settings and history taken under the plug-in mutex, so
// that the files are written without holding it while the audio thread appends or a reset clears,
// and the text output with locale-independent numbers.

#include "meter-engine/MeasurementRecords.h"
#include "meter-plugin/MeterSettings.h"

#include <cstdio>
#include <string_view>
#include <vector>

class Vantorelix;

struct ReportSnapshot {
  MeterSettings settings;
  std::vector<LoudnessHistoryPoint> points;
};

// The settings with every point of the history, or only its first and last, as they stand now.
enum class HistoryPart { All, FirstAndLast };
ReportSnapshot TakeReportSnapshot(const Vantorelix& plug, HistoryPart part);

// "%.*f" of a value as the "C" locale prints it, with a decimal comma when asked.
class DecimalText
{
public:
  DecimalText(double value, int precision, bool decimalComma);
  const char* Get() const { return mText; }
  std::string_view View() const { return {mText, mLength}; }

private:
  char mText[400];  // the longest double in fixed notation with one decimal fits
  size_t mLength = 0;
};

// A report file opened for writing in binary mode; closed when it goes.
class ReportFile
{
public:
  explicit ReportFile(const char* path);
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  bool IsOpen() const { return mFile != nullptr; }
  void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), mFile); }
  // Texts and integers only: numbers with a decimal point go through DecimalText.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
  FILE* mFile = nullptr;
};

// Given the opened file, answers whether the report body is to follow. A
// file that did not open gets nothing; an empty history gets "No Data".
bool BeginReport(ReportFile& file, const ReportSnapshot& snapshot);

inline constexpr int kDialGate = 3;

// A value measured with the current gate. Below Dial it goes out under its plain name; in Dial
// mode the speech-gated value goes out under the Dial name, then the programme value under the
// plain name; any other mode measures neither.
template <class Value, class Out>
void GatedPair(int gateMode, const char* dialName, const char* name, Value shown, Value programme, Out&& out)
{
  if (gateMode == kDialGate)
  {
    out(dialName, shown);
    out(name, programme);
  }
  else if (gateMode < kDialGate)
    out(name, shown);
}

// The loudness unit: "dB", "LU" or "LK" by "LM Unit Mode", and the range unit without "FS".
const char* LoudnessUnitPrefix(int unitMode);
const char* LoudnessUnitSuffix(double refOffset);
