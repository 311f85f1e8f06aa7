#include "meter-plugin/Vantorelix.h"

namespace {

constexpr int FourCC(const char (&code)[5])
{
  return code[0] << 24 | code[1] << 16 | code[2] << 8 | code[3];
}

iplug::IPluginConfig MakeConfig()
{
  iplug::IPluginConfig config;
  config.nParams = kNumHostParams;
  config.nPresets = 1;
  config.channelIOStr = "1-1 2-2 3-3 4-4 5-5 6-6 7-7 8-8 9-9 10-10";
  config.pluginName = "Vantorelix";
  config.productName = "Vantorelix";
  config.mfrName = "Zorvalinde";
  config.vendorVersion = 3 << 16 | 1 << 8 | 3;
  config.uniqueID = FourCC("ZV65");
  config.mfrID = FourCC("ZVRQ");
  config.plugDoesChunks = true;
  config.plugHasUI = true;
  config.plugWidth = 832;
  config.plugHeight = 446;
  config.plugMinWidth = 304;
  config.plugMaxWidth = 2496;
  config.plugMinHeight = 446;
  config.plugMaxHeight = 1338;
  config.bundleID = "com.zorvalinde.audiounit.Vantorelix";
  return config;
}

} // namespace

Vantorelix::Vantorelix()
  : IPlugAPIBase(MakeConfig(), iplug::kAPIAU)
  , IPlugProcessor(MakeConfig())
{
  InitDisplayDefaults();
  DeclareParameters();
}

Vantorelix::~Vantorelix()
{
  mExtraParams.Empty(true);
}
