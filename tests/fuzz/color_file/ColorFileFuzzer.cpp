// libFuzzer target: bytes loaded as a colour-scheme file into each colour set. Whatever is
// loaded saves and loads again to the same colours.

#include "meter-plugin/Vantorelix.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

Vantorelix& Plug()
{
  static Vantorelix plug;
  return plug;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    Plug().SaveMeterColorsA(WDL_String((fuzz::SeedFolder() + "/meter.mcls").c_str()));
    Plug().SaveReadoutColors(WDL_String((fuzz::SeedFolder() + "/readout.gcls").c_str()));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const WDL_String input(fuzz::ScratchPath("input.colors").c_str());
  static const WDL_String saved(fuzz::ScratchPath("saved.colors").c_str());
  fuzz::Require(fuzz::WriteFile(input.Get(), data, size));
  Vantorelix& plug = Plug();
  plug.LoadMeterColorsA(input);
  plug.LoadReadoutColors(input);
  const MeterSettings loaded = plug.Settings();
  plug.SaveMeterColorsA(saved);
  plug.LoadMeterColorsB(saved);
  fuzz::Require(plug.Settings().meterColorsB.packed == loaded.meterColorsA.packed);
  plug.SaveReadoutColors(saved);
  plug.LoadReadoutColors(saved);
  fuzz::Require(plug.Settings().readoutColors.groups == loaded.readoutColors.groups &&
                plug.Settings().readoutColors.base == loaded.readoutColors.base);
  return 0;
}
