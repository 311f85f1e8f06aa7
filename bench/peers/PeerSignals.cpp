// peer-signals FOLDER SPEECH.wav MINUTES [CASE...]: writes the material the peer comparison
// measures into FOLDER: mixed-MINUTESmin.wav, 16-bit stereo programme material at the rate of
// the speech recording (speech, tones, noise, silence), and each named conformance case at
// 48 kHz as CASE.wav (32-bit float).

#include "tests/support/TestSignals.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace testsignals;

namespace {

bool Written(const Audio& audio, const std::string& path)
{
  if (const int result = audio.Write(path); result != 0)
  {
    std::fprintf(stderr, "peer-signals: cannot write %s (audio file error %d)\n", path.c_str(), result);
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

const ConformanceCase* FindCase(const std::string& name)
{
  for (const ConformanceCase& testCase : ConformanceCases())
    if (testCase.name == name)
      return &testCase;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
  char* end = nullptr;
  const double minutes = argc >= 4 ? std::strtod(argv[3], &end) : 0.0;
  if (argc < 4 || *end != '\0' || !(minutes > 0.0 && minutes <= 60.0))
  {
    std::fprintf(stderr, "usage: peer-signals FOLDER SPEECH.wav MINUTES(0-60] [CASE...]\n");
    return 2;
  }
  for (int a = 4; a < argc; ++a)
    if (!FindCase(argv[a]))
    {
      std::fprintf(stderr, "peer-signals: no case named %s\n", argv[a]);
      return 2;
    }
  const std::string folder = argv[1];
  Audio speech;
  if (const int result = speech.Read(argv[2]); result != 0)
  {
    std::fprintf(stderr, "peer-signals: cannot read %s (audio file error %d)\n", argv[2], result);
    return 1;
  }
  Audio mixed;
  if (!RenderMixedProgramme(speech, minutes * 60.0, 16, mixed))
  {
    std::fprintf(stderr, "peer-signals: cannot make %g minutes of material\n", minutes);
    return 1;
  }
  if (!Written(mixed, folder + "/mixed-" + argv[3] + "min.wav"))
    return 1;
  for (int a = 4; a < argc; ++a)
  {
    const ConformanceCase& testCase = *FindCase(argv[a]);
    Audio audio;
    if (!RenderCase(testCase, 48000, audio) || !Written(audio, folder + "/" + testCase.name + ".wav"))
      return 1;
  }
  return 0;
}
