#pragma once
// A reference measurement by an independent meter, libebur128, for comparisons with ours.

#include "tests/support/TestSignals.h"

#include <span>

namespace testsignals {

// The speaker position of a channel, as the reference meter weights it.
enum class Speaker { Left, Right, Centre, LeftSurround, RightSurround, Unused };

// The film order of five channels, as "5.0 Cine" routes them.
inline constexpr Speaker kFilmFive[] = {Speaker::Left, Speaker::Centre, Speaker::Right, Speaker::LeftSurround,
                                        Speaker::RightSurround};

struct PeerReading
{
  Reading last;                  // momentary and short-term of the last windows, I, LRA, true peak
  double momentaryMax = kUnset;  // LUFS, largest reading taken every 100 ms
  double shortTermMax = kUnset;
};

// Measures a whole buffer: momentary and short-term every 100 ms with their maxima, integrated
// loudness, loudness range and, when asked, the true peak. speakers gives each channel's
// position; empty means left and right for two channels and the meter's own order otherwise.
// False when the meter refuses the format.
bool MeasureWithEbur128(const Audio& audio, std::span<const Speaker> speakers, bool truePeak, PeerReading& out);

}  // namespace testsignals
