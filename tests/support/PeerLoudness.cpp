#include "tests/support/PeerLoudness.h"

#include <ebur128.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace testsignals {

namespace {

struct StateDeleter
{
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

int ChannelOf(Speaker speaker)
{
  switch (speaker)
  {
    case Speaker::Left: return EBUR128_LEFT;
    case Speaker::Right: return EBUR128_RIGHT;
    case Speaker::Centre: return EBUR128_CENTER;
    case Speaker::LeftSurround: return EBUR128_LEFT_SURROUND;
    case Speaker::RightSurround: return EBUR128_RIGHT_SURROUND;
    case Speaker::Unused: break;
  }
  return EBUR128_UNUSED;
}

}  // namespace

bool MeasureWithEbur128(const Audio& audio, std::span<const Speaker> speakers, bool truePeak, PeerReading& out)
{
  const unsigned channels = audio.Channels();
  if (channels == 0 || (!speakers.empty() && speakers.size() != channels))
    return false;
  const int mode = EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_I | EBUR128_MODE_LRA |
                   (truePeak ? EBUR128_MODE_TRUE_PEAK : 0);
  std::unique_ptr<ebur128_state, StateDeleter> state(ebur128_init(channels, audio.SampleRate(), mode));
  if (!state)
    return false;
  for (unsigned c = 0; c < speakers.size(); ++c)
    if (ebur128_set_channel(state.get(), c, ChannelOf(speakers[c])) != EBUR128_SUCCESS)
      return false;

  // Fed in 100 ms slices, interleaved as the meter expects, reading the windows after each.
  const uint32_t slice = std::max<uint32_t>(1, audio.SampleRate() / 10);
  std::vector<float> interleaved(size_t(slice) * channels);
  PeerReading reading;
  double momentaryMax = -HUGE_VAL, shortTermMax = -HUGE_VAL;
  for (uint32_t at = 0; at < audio.Frames(); at += slice)
  {
    const uint32_t frames = std::min(slice, audio.Frames() - at);
    for (unsigned c = 0; c < channels; ++c)
    {
      const float* source = audio.Channel(uint16_t(c)) + at;
      for (uint32_t n = 0; n < frames; ++n)
        interleaved[size_t(n) * channels + c] = source[n];
    }
    if (ebur128_add_frames_float(state.get(), interleaved.data(), frames) != EBUR128_SUCCESS ||
        ebur128_loudness_momentary(state.get(), &reading.last.momentary) != EBUR128_SUCCESS ||
        ebur128_loudness_shortterm(state.get(), &reading.last.shortTerm) != EBUR128_SUCCESS)
      return false;
    momentaryMax = std::max(momentaryMax, reading.last.momentary);
    shortTermMax = std::max(shortTermMax, reading.last.shortTerm);
  }
  reading.momentaryMax = momentaryMax;
  reading.shortTermMax = shortTermMax;
  if (ebur128_loudness_global(state.get(), &reading.last.integrated) != EBUR128_SUCCESS ||
      ebur128_loudness_range(state.get(), &reading.last.range) != EBUR128_SUCCESS)
    return false;
  if (truePeak)
  {
    double largest = 0.0;
    for (unsigned c = 0; c < channels; ++c)
    {
      double peak = 0.0;
      if (ebur128_true_peak(state.get(), c, &peak) != EBUR128_SUCCESS)
        return false;
      largest = std::max(largest, peak);
    }
    reading.last.truePeak = 20.0 * std::log10(largest);
  }
  out = reading;
  return true;
}

}  // namespace testsignals
