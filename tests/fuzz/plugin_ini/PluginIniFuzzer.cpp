// libFuzzer target: bytes read as the settings file "plugin.ini" of the data folder. A setting
// is the value of its last line, and a value always fits an int.

#include "meter-plugin/PluginPaths.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

IMPlugPaths& Paths()
{
  static IMPlugPaths paths = [] {
    IMPlugPaths made;
    made.CreateDataFolder();
    return made;
  }();
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    const std::string seed = "[GUI]\nHasUI=0\n# a comment\nHasUI=+12\n";
    fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/plugin.ini", seed.data(), seed.size()));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string ini = std::string(Paths().DataFolder()) + "/plugin.ini";
  fuzz::Require(fuzz::WriteFile(ini, data, size));
  for (const char* key : {"HasUI", "Other", ""})
  {
    // Whatever the file holds, a key with no line of its own reads as its default.
    const int first = Paths().ReadIniInt("GUI", key, 7);
    fuzz::Require(Paths().ReadIniInt("GUI", key, 7) == first);
  }
  return 0;
}
