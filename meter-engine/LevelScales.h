#pragma once
// The three level scales of the meter. They are easy to confuse, so every conversion goes
// through one of these functions and nowhere else.
#include <cmath>

namespace levels {

inline constexpr double kSilenceLevel = -144.0;
inline constexpr double kPowerFloor = 4.667e-15;      // power of -144 dB
inline constexpr double kAmplitudeFloor = 6.309e-08;  // amplitude of -144 dB
inline constexpr double kLoudnessOffset = 0.691;      // loudness = power level - 0.691

// Every scale reads -144 unless the value is above its floor; a value that is not a number
// (an empty mean, 0/0) is not above it either.

// Power level in dB: 10*log10(P).
inline double PowerLevel(double power)
{
  return std::fabs(power) > kPowerFloor ? 4.342944819 * std::log(power) : kSilenceLevel;
}

// Loudness in LUFS of a mean-square power.
inline double Loudness(double power)
{
  return std::fabs(power) > kPowerFloor ? 4.342944819 * std::log(power) - kLoudnessOffset : kSilenceLevel;
}

// Amplitude level in dB: 20*log10|a|.
inline double AmplitudeLevel(double amplitude)
{
  const double a = std::fabs(amplitude);
  return a > kAmplitudeFloor ? 8.685889638065037 * std::log(a) : kSilenceLevel;
}

// Power of a power level; 0 at and below -144 dB.
inline double PowerOfLevel(double level)
{
  return level <= kSilenceLevel ? 0.0 : std::exp(level / 4.342944819);
}

// Linear amplitude of a level in dB.
inline double DbToAmplitude(double db)
{
  return std::exp(0.11512925464970228 * db);
}

// Values shown and stored are rounded to 0.1 dB.
inline double RoundToTenth(double v)
{
  return std::floor(v * 10.0 + 0.5) / 10.0;
}

}  // namespace levels
