#include "meter-plugin/PluginPaths.h"

#include "au-adapter/IPlugAU.h"
#include "framework/IPlugPaths.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

// The folder is made readable and writable by everyone, whatever the process's creation mask.
// A missing Application Support folder (a fresh home) is made on the way.
void MakeFolderIfMissing(const std::string& path)
{
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) == 0)
    return;
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0)
    MakeFolderIfMissing(path.substr(0, slash));
  const mode_t previous = umask(0);
  mkdir(path.c_str(), 0777);
  umask(previous);
}

} // namespace

void IMPlugPaths::CreateDataFolder()
{
  iplug::AppSupportPath(mDataFolder);
  mDataFolder.Append("/Vantorelix");
  MakeFolderIfMissing(mDataFolder.Get());
  mAUFolder.Set(mDataFolder.Get());
  mAUFolder.Append("/AU");
  MakeFolderIfMissing(mAUFolder.Get());
}

int IMPlugPaths::ReadIniInt(const char* /*section*/, const char* key, int defaultValue) const
{
  WDL_String path(mDataFolder.Get());
  path.Append("/plugin.ini");
  FILE* file = std::fopen(path.Get(), "rb");
  if (!file)
    return defaultValue;
  // The key is matched as text, so a key holding "%" must not become a conversion.
  WDL_String format;
  for (const char* c = key; *c; ++c)
    format.Append(*c == '%' ? "%%" : c, *c == '%' ? 0 : 1);
  format.Append("=%d");
  int result = defaultValue;
  char line[2048];
  while (std::fgets(line, sizeof line, file))
  {
    int value = 0;
    if (std::sscanf(line, format.Get(), &value) == 1)
      result = value;
  }
  std::fclose(file);
  return result;
}

void IExtPDCHandler::NotifyLatency(iplug::IPlugAU& plug, int latency) const
{
  if (plug.GetHost() != iplug::kHostUninit)
    plug.StoreLatency(latency);
}
