#include "meter-plugin/PluginPaths.h"

#include "au-adapter/IPlugAU.h"
#include "framework/IPlugPaths.h"
#include "framework/RegularFile.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
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

// The integer a text begins with, after blanks and with an optional sign, as "%d" reads it; none
// when there is no digit or the number does not fit an int.
std::optional<int> LeadingInteger(std::string_view text)
{
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
    ++at;
  if (at < text.size() && text[at] == '+' && at + 1 < text.size() && text[at + 1] != '-')
    ++at;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (error != std::errc())
    return std::nullopt;
  return value;
}

}  // namespace

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
  std::string text;
  if (!iplug::ReadRegularFile(path.Get(), kMaxIniFile, text))
    return defaultValue;
  const std::string prefix = std::string(key) + "=";
  int result = defaultValue;
  for (const std::string_view line : iplug::SplitLines(text))
    if (line.starts_with(prefix))
      if (const std::optional<int> value = LeadingInteger(line.substr(prefix.size())))
        result = *value;
  return result;
}

void IExtPDCHandler::NotifyLatency(iplug::IPlugAU& plug, int latency) const
{
  if (plug.GetHost() != iplug::kHostUninit)
    plug.StoreLatency(latency);
}
