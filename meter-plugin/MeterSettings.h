#pragma once
// The plug-in's copies of its parameter values and its display settings. The measurement, the
// display, the exports and the state code read these, never the parameter objects; before the
// parameters exist, the values here are the defaults the parameters are declared with.

#include "graphics/IGraphicsStructs.h"
#include "meter-engine/MeasurementRecords.h"
#include "meter-plugin/MeterParamId.h"

#include <array>
#include <cstdint>

// Six zone colours of a bar meter, and their packed 0xRRGGBB words that the colour parameters
// carry.
struct MeterColorSet
{
  std::array<iplug::igraphics::IColor, kMeterColorCount> colors{};
  std::array<uint32_t, kMeterColorCount> packed{};
};

// The read-out palette: a base word, then per read-out box (IL, SL, ML, Time, Range, Peak) the
// first background, label, second background and value colours, packed 0xRRGGBB.
struct ReadoutColorSet
{
  uint32_t base = 0;
  std::array<std::array<uint32_t, kReadoutGroupSize>, kReadoutGroupCount> groups{};
};

// "Timer Mode": the clock that the history's time stamps and the timer read-out follow.
enum class TimerMode : int32_t { Elapsed = 0, TimeCode = 1, System = 2 };

struct MeterSettings
{
  // Editor geometry and options.
  double guiScale = 1.0;
  int32_t guiWidth = 832;
  int32_t guiHeight = 446;
  int32_t layout = 1;  // 1 = full
  int32_t tooltips = 1;
  int32_t updateCheck = 1;
  int32_t displayMode = 0;
  int32_t setup = 0;
  int32_t setupPage = 0;

  // Transport-like switches and processing.
  int32_t sync = 0;
  int32_t reset = 0;
  int32_t play = 1;  // measuring runs from the start
  int32_t writeAutomationData = 0;
  double preGain = 0.0;
  std::array<int32_t, 3> match{};  // IL, SL, ML
  double loudnessTarget = 0.0;
  double maxPeakTarget = 0.0;
  int32_t enableLimiter = 0;

  // Measurement.
  int32_t gateMode = 0;
  double slWindowMs = 0.0;
  double mlWindowMs = 0.0;
  int32_t channelConfig = 0;
  int32_t channelRouting = 0;
  int32_t unitMode = 0;
  double refOffset = 0.0;
  int32_t weightingMode = 0;
  double lowCutFreq = 0.0;
  int32_t lowCutSlope = 0;
  double highCutFreq = 0.0;
  int32_t highCutSlope = 0;
  int32_t rangeMode = 0;
  int32_t peakMode = 0;
  int32_t timerMode = 0;
  int32_t measurementMode = 0;

  // Alerts, in AlertIndex order.
  std::array<AlertState, kAlertCount> alerts{};

  // Meter scales: maximum, four split levels, minimum.
  std::array<double, 6> lmLevels{};
  int32_t lmScale = 0;
  std::array<double, 6> peakLevels{};
  int32_t peakScale = 0;

  MeterColorSet meterColorsA;  // SL/ML meters and graph
  MeterColorSet meterColorsB;  // peak meter
  ReadoutColorSet readoutColors;

  // Exports.
  int32_t exportDecimalFormat = 0;
  int32_t exportCsvSeparator = 0;
  int32_t autoExportLogCSV = 0;
  std::array<int32_t, kCsvExportCount> csvExport{};

  // Graph settings of parameters 172 to 186, in parameter order.
  std::array<int32_t, kGraphSettingCount> graph{};
};
