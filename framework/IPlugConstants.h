#pragma once
// Codes shared by the plug-in layers.

#include <cstdint>

namespace iplug {

// Where a parameter change came from; passed with every change notification.
enum ParamChangeSource : int32_t {
  kReset = 0,  // reset or initialisation
  kHost = 1,
  kPresetRecall = 2,  // a preset or a state restore
  kEditor = 3,
  kDelegate = 4,  // relayed to the editor by the editor delegate
};

// The plug-in interface that drives the object.
enum PluginApi : int32_t { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIAUv3, kAPIAAX, kAPIAPP, kAPIWAM, kAPIWEB };

// The host application, as host identification found it.
using HostId = int32_t;
inline constexpr HostId kHostUninit = -1;  // not identified yet
inline constexpr HostId kHostUnknown = 0;  // identified, but no known host
inline constexpr HostId kHostProTools = 2;
inline constexpr HostId kHostLogic = 21;
inline constexpr HostId kHostWaveLab = 31;

}  // namespace iplug
