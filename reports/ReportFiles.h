#pragma once
// What the exports share: reading the history in place while the audio thread appends, and the
// text output with locale-independent numbers.

#include "meter-engine/LoudnessEngine.h"
#include "meter-engine/MeasurementRecords.h"
#include "meter-plugin/MeterSettings.h"

#include <cstdio>
#include <string_view>

class Vantorelix;

// The plug-in's history, read on the main thread without holding the plug-in mutex: the audio
// thread, which takes it for every block, waits only while the settings and the size are read.
// Marked in use, the list keeps its points through a reset (the clear is carried out when the
// reader is done), and its storage never moves, so the points below a size read under the mutex
// stay as they are while the audio thread appends behind them.
class HistoryReader
{
public:
  explicit HistoryReader(Vantorelix& plug);
  ~HistoryReader();
  HistoryReader(const HistoryReader&) = delete;
  HistoryReader& operator=(const HistoryReader&) = delete;

  // The settings as they stood when reading began.
  const MeterSettings& Settings() const { return mSettings; }
  // The number of points when reading began, and as it stands now (of the same measurement: a
  // reset meanwhile ends it).
  size_t InitialSize() const { return mInitialSize; }
  size_t CurrentSize() const;
  // Point i, below one of those sizes.
  const LoudnessHistoryPoint& At(size_t i) const { return mHistory.At(i); }

private:
  Vantorelix& mPlug;
  LoudnessHistory& mHistory;
  MeterSettings mSettings;
  size_t mInitialSize = 0;
  uint8_t mWasInUse = 0;
};

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

// Given the opened file and the number of history points, answers whether the report body is to
// follow. A file that did not open gets nothing; an empty history gets "No Data".
bool BeginReport(ReportFile& file, size_t points);

inline constexpr int kDialGate = static_cast<int>(GateMode::Dial);

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
