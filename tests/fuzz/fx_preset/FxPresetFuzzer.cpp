// libFuzzer target: loads arbitrary bytes as an FXP preset and as an FXB bank file. When a file
// is taken, the file saved afterwards must load, and save to the same bytes again.

#include "meter-plugin/Vantorelix.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

Vantorelix& Plug()
{
  static Vantorelix plug;
  return plug;
}

using Load = bool (iplug::IPluginBase::*)(const char* path);
using Save = bool (iplug::IPluginBase::*)(const char* path) const;

void RoundTrip(const std::string& input, Load load, Save save)
{
  static const std::string saved = fuzz::ScratchPath("saved.fx"), resaved = fuzz::ScratchPath("resaved.fx");
  Vantorelix& plug = Plug();
  if (!(plug.*load)(input.c_str()))
    return;
  fuzz::Require((plug.*save)(saved.c_str()));
  fuzz::Require((plug.*load)(saved.c_str()));
  fuzz::Require((plug.*save)(resaved.c_str()));
  fuzz::Require(fuzz::ReadFile(saved) == fuzz::ReadFile(resaved));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    const std::string path = fuzz::ScratchPath("seed.fx");
    fuzz::Require(Plug().SavePresetAsFxp(path.c_str()));
    fuzz::AddSeedFile(path, "state.fxp");
    fuzz::Require(Plug().SaveBankAsFxb(path.c_str()));
    fuzz::AddSeedFile(path, "state.fxb");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string input = fuzz::ScratchPath("input.fx");
  fuzz::Require(fuzz::WriteFile(input, data, size));
  RoundTrip(input, &iplug::IPluginBase::LoadPresetFromFxp, &iplug::IPluginBase::SavePresetAsFxp);
  RoundTrip(input, &iplug::IPluginBase::LoadBankFromFxb, &iplug::IPluginBase::SaveBankAsFxb);
  return 0;
}
