#pragma once
// The plug-in's data folder with its "AU" sub-folder, the settings file "plugin.ini" in it, and
// the latency report to the host.

#include "framework/WDLString.h"

#include <cstdint>

namespace iplug {
class IPlugAU;
}

class IMPlugPaths
{
public:
  // Computes both folder paths and creates the folders that are missing; a folder that cannot be
  // made is left out silently (later reads find no file and fall back to their defaults).
  void CreateDataFolder();
  // The last "key=<integer>" line of "plugin.ini" that starts at the line's first character, or
  // the default when there is none or no file. The section is accepted for the file's readers;
  // section headers are lines like any other.
  int ReadIniInt(const char* section, const char* key, int defaultValue) const;

  const char* DataFolder() const { return mDataFolder.Get(); }
  const char* AUFolder() const { return mAUFolder.Get(); }

protected:
  WDL_String mDataFolder;
  WDL_String mAUFolder;
};

class IExtPDCHandler
{
public:
  // Hands a latency to the host once it is identified; before that nothing is reported, and a
  // later rebuild reports it.
  void NotifyLatency(iplug::IPlugAU& plug, int latency) const;

  int32_t mPDCLatency = 0;  // what the signal chain needs, as last reported to be needed
};
