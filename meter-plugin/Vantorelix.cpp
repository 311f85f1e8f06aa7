#include "meter-plugin/Vantorelix.h"

#include "platform/shared/FourCC.h"

#include <ctime>
#include <cstdlib>

namespace {

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
  config.uniqueID = static_cast<int>(fourcc::Code("ZV65"));
  config.mfrID = static_cast<int>(fourcc::Code("ZVRQ"));
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

}  // namespace

// The order matters: the settings file decides whether an editor is offered, the display
// defaults are what the chain is prepared from and what the parameters are declared with, and the
// default preset replaces the declared values before the editor's geometry is taken from them.
Vantorelix::Vantorelix(const iplug::InstanceInfo& info) : IPlugAU(info, MakeConfig())
{
  CreateDataFolder();
  if (ReadIniInt("GUI", "HasUI", 1) == 0)
    SetHasUI(false);
  std::srand(static_cast<unsigned>(std::clock()));

  mChain.sampleRate = GetSampleRate();
  mChain.blockSize = GetBlockSize();
  mChain.latency = GetLatency();
  mChain.nInputs = NChannels(iplug::kInput);
  mChain.nOutputs = NChannels(iplug::kOutput);
  // The bypass line is never resized while audio may run.
  ReserveLatency(kMaxChainLatency);

  InitDisplayDefaults();
  {
    // No other thread knows the instance yet; the lock keeps the chain's one rule.
    WDL_MutexLock lock(mMutex);
    PrepareDsp();
  }
  DeclareParameters();
  LoadDefaultPreset(AUFolder());

  mSettings.guiScale = GetParam(kGuiScale)->Value();
  mSettings.guiWidth = static_cast<int32_t>(GetParam(kGuiWidth)->Value());
  mSettings.guiHeight = static_cast<int32_t>(GetParam(kGuiHeight)->Value());
  mSettings.layout = static_cast<int32_t>(GetParam(kGuiLayout)->Value());
  InitPlugControls();
}

// Members release themselves; the histories free every point whatever their flags say, so a
// clear still pending for the graph cannot leak them.
Vantorelix::~Vantorelix()
{
  mEngine.reset();
  mExtraParams.Empty(true);
}

void Vantorelix::ResetProcessing()
{
  WDL_MutexLock lock(mMutex);
  const double sampleRate = GetSampleRate();
  const bool changed = !(sampleRate == mChain.sampleRate) || GetBlockSize() != mChain.blockSize;
  // A chain that could not be built keeps the old record, so that the next reset tries again.
  if (changed && PrepareDsp())
  {
    mChain.sampleRate = sampleRate;
    mChain.blockSize = GetBlockSize();
    ResetMeasurement();
    mPDCLatency = mChain.latency;
    if (mPDCLatency != GetLatency())
      NotifyLatency(*this, mPDCLatency);
    ConfigureMeterScales();
  }
  mChain.nInputs = NChannels(iplug::kInput);
  mChain.nOutputs = NChannels(iplug::kOutput);
}

void Vantorelix::SetActive(bool active)
{
  WDL_MutexLock lock(mMutex);
  if (active && GetHost() == iplug::kHostWaveLab && mSettings.sync == 1)
    ResetMeasurement();
}

void Vantorelix::EditorOpened()
{
  IPlugAU::EditorOpened();
  mEditorOpen = 1;
  // The editor reopens at the size and scale it had when it closed. A state restored or a setting
  // changed meanwhile asked for others, which it takes now rather than at the next idle tick, so
  // that it never shows a geometry that its parameters do not hold.
  if (iplug::igraphics::IGraphics* ui = AvailableGraphics(); ui && mEditorReady)
    ServeResizeRequest(*ui);
}
