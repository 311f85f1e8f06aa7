// The "About" text: who made the plug-in, which version and build, in which host, and how the
// host runs it (channels, delay, sample rate, block size).

#include "au-adapter/IPlugAU.h"
#include "graphics/IGraphics.h"
#include "meter-plugin/PluginPaths.h"

#include <array>

namespace {

// Display names of the identified hosts, by host id from 1 on.
// clang-format off
constexpr std::array<const char*, 67> kHostNames = {
  "Reaper", "Protools", "Cubase", "Nuendo", "Cakewalk", "Vegas", "FL Studio", "Samplitude",
  "Ableton Live", "Tracktion", "n-Track Studio", "Melodyne", "Vst-Scanner", "Aulab", "Forte",
  "Chainer", "Audition", "Orion", "Bias", "Sawstudio", "Logic Pro", "Garageband",
  "Digital Performer", "Standalone", "Audiomulch", "Studio One", "Vst3 Test Host", "Ardour",
  "Renoise", "OpenMPT", "Wavelab", "Wavelab Elements", "TwistedWave", "Bitwig Studio", "WWW",
  "Reason", "GoldWave", "Waveform", "Audacity", "Acoustica", "Plugindoctor", "Izotope RX",
  "Savihost", "Blue Cat's Vst Host", "Blue Cat's Vst3 Host", "Sadie", "SpectraLayers", "VSTHost",
  "VST Plugin Analyser", "Wavosaur", "Mixbus32C", "Kushview Element", "Juce VST Host",
  "NI Komplete Kontrol", "VST3Shell", "UAD Luna Mac", "AudioGridderServer", "VST Live",
  "Equalizer APO", "Architect", "Izotope VST3 Host", "Cantabile 3", "Plugin Buddy", "FinalCut",
  "DaVinci Resolve", "UAD Luna Win", "DDMF MetaPlugin"};
// clang-format on

// Hosts not identified yet (-1), not recognised (0) or beyond the table are "Unknown".
const char* HostDisplayName(iplug::HostId host)
{
  return host >= 1 && host <= static_cast<int>(kHostNames.size()) ? kHostNames[static_cast<size_t>(host - 1)]
                                                                  : "Unknown";
}

}  // namespace

void IMPlugPaths::BuildInfoText(const iplug::IPlugAU& plug) const
{
  const int version = plug.PackedVersion();
  const int latency = plug.GetLatency();
  const double sampleRate = plug.GetSampleRate();
  // A host that has not given a sample rate yet (0) leaves the delay unknown in time: 0.0 ms.
  const double latencyMs = sampleRate > 0.0 ? latency * 1000.0 / sampleRate : 0.0;

  WDL_String text;
  text.AppendFormatted(256, "Manufacturer: %s\n", plug.GetMfrName());
  text.AppendFormatted(256, "Plugin name: %s\n", plug.GetPluginName());
  text.AppendFormatted(64, "Version: %d.%d.%d\n", version >> 16, (version >> 8) & 0xff, version & 0xff);
  text.AppendFormatted(64, "Build date: %s\n", __DATE__);
  text.AppendFormatted(64, "Build time: %s\n", __TIME__);
  text.Append("\n");
  text.AppendFormatted(128, "Format: %s %s (INTEL, NANOVG, METAL)\n", plug.ApiName(), plug.ArchitectureName());
  text.AppendFormatted(128, "Host: %s\n", HostDisplayName(plug.GetHost()));
  text.AppendFormatted(128, "Channels: %d-%d (%d-%d)\n", plug.ConnectedChannelCount(iplug::kInput),
                       plug.ConnectedChannelCount(iplug::kOutput), plug.NChannels(iplug::kInput),
                       plug.NChannels(iplug::kOutput));
  text.AppendFormatted(128, "Plugin delay: %d smp (%.1lf ms)\n", latency, latencyMs);
  text.AppendFormatted(512, "Sample Rate: %.2lf Hz\n", sampleRate);
  text.AppendFormatted(64, "Block Size: %d smp\n", plug.GetBlockSize());
  text.Append("\n");
  text.Append(
    "Trademarks:\n"
    "VST/VST3: Steinberg Media Technologies GmbH\n"
    "AAX: Avid Technology Inc.\n"
    "AU: Apple Inc.\n");

  if (iplug::igraphics::IGraphics* ui = plug.GetUI())
    ui->ShowAlert(text.Get(), "About", 0, nullptr);
}
