#pragma once
// au-host measure: renders an audio file through the plug-in, block by block, as a host playing
// it offline would, and reports the plug-in's output parameters.

#include "host/HostedUnit.h"

#include <string>
#include <vector>

namespace host {

struct MeasureOptions
{
  std::string file;
  std::string preset;
  std::vector<std::string> sets;
  UInt32 block = 512;
  bool json = false;
  std::string out;
  std::string stateIn;
  std::string stateOut;
};

// Prints the report on stdout; returns an empty string, or what went wrong.
std::string Measure(AudioUnit unit, const MeasureOptions& options);

} // namespace host
