#pragma once
// au-host measure: renders an audio file through the plug-in, block by block, as a host playing
// it offline would, and reports the plug-in's output parameters.

#include "host/Exports.h"
#include "host/HostedUnit.h"

#include <functional>
#include <string>
#include <vector>

namespace host {

// How a headerless PCM file is laid out: "CHANNELS:BITS:RATE", then optionally ":float" (32-bit
// floats) or ":unsigned" (8-bit), and ":be" for big-endian samples.
struct RawFormat
{
  uint16_t channels = 0;
  uint16_t bits = 0;
  uint32_t sampleRate = 0;
  bool altEncoding = false;
  bool bigEndian = false;
};
// False when the text is not such a description.
bool ParseRawFormat(const std::string& text, RawFormat& format);

struct MeasureOptions
{
  std::string file;
  bool raw = false;  // the file is headerless PCM of rawFormat
  RawFormat rawFormat;
  std::string preset;
  std::vector<std::string> sets;
  UInt32 block = 512;
  bool json = false;
  std::string out;
  std::string stateIn;
  std::string stateOut;
  // The transport's position at the file's first frame: 0, as a host plays a file from its start;
  // tests set it near the end of 32-bit frame counts.
  uint64_t firstFrame = 0;
  ExportFiles exports;  // made through the editor's export buttons after the last block
};

// What a command built on measure does around the render; each returns an empty string, or what
// went wrong.
struct MeasureStages
{
  std::function<std::string()> beforeFirstBlock;  // the settings are made, nothing is rendered
  // After each block, with the seconds of audio rendered so far; false stops the render there, and
  // the report, the processed audio and the state cover what was rendered.
  std::function<bool(double)> afterBlock;
  std::function<std::string()> afterLastBlock;  // before the files and the report are written
  // The editor the command keeps open, whose buttons make the exports; while none is open, one
  // is opened for them.
  EditorHost* editor = nullptr;
};

// Prints the report on stdout; returns an empty string, or what went wrong.
std::string Measure(AudioUnit unit, const MeasureOptions& options, const MeasureStages& stages = {});

}  // namespace host
