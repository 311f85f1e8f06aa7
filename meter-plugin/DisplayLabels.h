#pragma once
// The unit and caption texts that the read-outs and meters print, indexed by parameter values.

#include "framework/WDLString.h"

#include <array>

inline constexpr std::array<const char*, 3> kUnitLabels{"dB", "LU", "LK"};  // "LM Unit Mode"
inline constexpr std::array<const char*, 2> kOffsetSuffixes{"FS", ""};      // offset 0.0, else
inline constexpr const char* kTruePeakSuffix = "TP";
inline constexpr std::array<const char*, 2> kPeakCaptions{"Peak Max", "TruePeak Max"};  // "Peak Mode"
inline constexpr std::array<const char*, 3> kRangeCaptions{"LRA", "PLR", "PSR"};        // "Loudness Range Mode"
inline constexpr std::array<const char*, 3> kDialogueRangeCaptions{"LRA DIAL", "PLR DIAL", "PSR DIAL"};

// The unit of a loudness value: "LUFS" when no reference offset applies, "LU" when one does.
// A unit mode outside the table gives the first unit.
void LoudnessUnitText(int unitMode, double refOffset, WDL_String& out);
