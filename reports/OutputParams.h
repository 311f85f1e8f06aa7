#pragma once
// The measurement as the "OUT:" parameters show it: dB and LU rounded to a tenth, percent and
// on/off, relative to the reference offset where the value is a loudness.

#include "meter-plugin/MeterSettings.h"

#include <array>
#include <cstdint>

class LoudnessEngine;

// The engine's results that the output parameters show, read at one moment.
struct MeasurementReading
{
  int32_t gateMode = 0;                // of the engine; above Dial nothing is measured
  double integratedLoudness = -144.0;  // as the engine keeps it, 0.691 below the value shown
  double speechMeanPower = 0.0;
  double slPower = 0.0, slMaxPower = 0.0;
  double mlPower = 0.0, mlMaxPower = 0.0;
  double lra = 0.0, lraLow = -144.0, lraHigh = -144.0;  // of the histogram the gate mode uses
  double plr = 0.0, psr = 0.0;
  uint32_t blockCount = 0, speechBlockCount = 0;
  int32_t speechPresent = 0;
  double samplePeak = 0.0, samplePeakMax = 0.0;  // linear
  double truePeak = 0.0, truePeakMax = 0.0;      // linear, the largest of the ten channels
};

// Takes the reading; the caller keeps the audio thread out meanwhile.
MeasurementReading ReadMeasurement(const LoudnessEngine& engine);

// Loudness of a mean-square power, -143.309 for (near) silence.
double LoudnessOfPower(double power);
// Level in dB of a linear amplitude, -144.0 for (near) silence.
double LevelOfAmplitude(double amplitude);
double RoundToTenth(double value);

struct OutputValue
{
  int paramIdx;
  double value;
};

// The values to write, in writing order. Rows that the settings leave out are absent: the
// dialogue outputs outside Dial mode, the peak outputs for an unknown peak mode.
struct OutputValues
{
  std::array<OutputValue, 18> items{};
  int count = 0;
  void Add(int paramIdx, double value) { items[count++] = {paramIdx, value}; }
};
OutputValues ComputeOutputValues(const MeasurementReading& reading, const MeterSettings& settings);
