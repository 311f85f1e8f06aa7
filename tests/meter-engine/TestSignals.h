#pragma once
#include <cmath>
#include <numbers>

// amplitude * sin(2 pi f n / fs + phase), phase in degrees.
inline double SineSample(double amplitude, double frequency, double sampleRate, long n, double phaseDegrees = 0.0)
{
  return amplitude *
         std::sin(2.0 * std::numbers::pi * frequency * n / sampleRate + phaseDegrees * std::numbers::pi / 180.0);
}

inline double DbToLinear(double db)
{
  return std::pow(10.0, db / 20.0);
}
inline double LinearToDb(double a)
{
  return 20.0 * std::log10(a);
}
