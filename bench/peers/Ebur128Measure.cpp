// ebur128-measure [--film-five] FILE: measures a WAV or AIFF file with libebur128, feeding it in
// 100 ms slices and reading the momentary and short-term windows after each, as a meter does,
// and prints the last and largest momentary and short-term loudness, the integrated loudness,
// the loudness range and the true peak, one "name: value" a line. --film-five reads five
// channels in the order L C R Ls Rs.

#include "tests/support/PeerLoudness.h"

#include <cstdio>
#include <cstring>
#include <span>

using namespace testsignals;

int main(int argc, char** argv)
{
  const bool filmFive = argc == 3 && std::strcmp(argv[1], "--film-five") == 0;
  if (argc != 2 && !filmFive)
  {
    std::fprintf(stderr, "usage: ebur128-measure [--film-five] FILE\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  Audio audio;
  if (const int result = audio.Read(path); result != 0)
  {
    std::fprintf(stderr, "ebur128-measure: cannot read %s (audio file error %d)\n", path, result);
    return 1;
  }
  if (filmFive && audio.Channels() != 5)
  {
    std::fprintf(stderr, "ebur128-measure: --film-five needs five channels, %s has %u\n", path, audio.Channels());
    return 1;
  }
  PeerReading reading;
  const std::span<const Speaker> speakers = filmFive ? std::span<const Speaker>(kFilmFive) : std::span<const Speaker>();
  if (!MeasureWithEbur128(audio, speakers, true, reading))
  {
    std::fprintf(stderr, "ebur128-measure: libebur128 refused %u channels at %u Hz\n", audio.Channels(),
                 audio.SampleRate());
    return 1;
  }
  std::printf("M: %.2f\nM Max: %.2f\nS: %.2f\nS Max: %.2f\nI: %.2f\nLRA: %.2f\nTP: %.2f\n", reading.last.momentary,
              reading.momentaryMax, reading.last.shortTerm, reading.shortTermMax, reading.last.integrated,
              reading.last.range, reading.last.truePeak);
  return 0;
}
