// libFuzzer target: loads arbitrary bytes as a preset file, as the preset menu and the default
// preset do. When the file is taken, the preset saved afterwards must load under the same name,
// and save to the same bytes again.

#include "meter-plugin/Vantorelix.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

Vantorelix& Plug()
{
  static Vantorelix plug;
  return plug;
}

bool Load(Vantorelix& plug, const std::string& path, WDL_String& name)
{
  WDL_String data;
  return plug.LoadPresetFile(path.c_str(), &name, false, false, true, &data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    const std::string path = fuzz::ScratchPath("seed.zvp");
    fuzz::Require(Plug().SavePresetFile(path.c_str(), "Mine"));
    fuzz::AddSeedFile(path, "default.zvp");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string input = fuzz::ScratchPath("input.zvp"), saved = fuzz::ScratchPath("saved.zvp"),
                           resaved = fuzz::ScratchPath("resaved.zvp");
  fuzz::Require(fuzz::WriteFile(input, data, size));
  Vantorelix& plug = Plug();
  WDL_String name, savedName;
  if (!Load(plug, input, name))
    return 0;
  fuzz::Require(plug.SavePresetFile(saved.c_str(), name.Get()));
  fuzz::Require(Load(plug, saved, savedName) && std::string(savedName.Get()) == name.Get());
  fuzz::Require(plug.SavePresetFile(resaved.c_str(), savedName.Get()));
  fuzz::Require(fuzz::ReadFile(saved) == fuzz::ReadFile(resaved));
  return 0;
}
