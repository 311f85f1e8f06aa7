#include "framework/IPlugHostIdentification.h"

#include <cctype>
#include <cstring>
#include <string>

namespace iplug {

namespace {

struct HostPattern
{
  const char* pattern;
  HostId id;
};

// Order matters: "vst live" before "live", "wavelab elements" before "wavelab", "kv_elementfx"
// before "element", and the generic "standalone" and "www" last.
constexpr HostPattern kHostPatterns[] = {
  {"vst live", 58},
  {"reaper", 1},
  {"protools", 2},
  {"cubase", 3},
  {"nuendo", 4},
  {"cakewalk", 5},
  {"vegas", 6},
  {"fruity", 7},
  {"samplitude", 8},
  {"live", 9},
  {"tracktion", 10},
  {"ntracks", 11},
  {"melodyne", 12},
  {"vstmanlib", 13},
  {"aulab", 14},
  {"forte", 15},
  {"chainer", 16},
  {"audition", 17},
  {"orion", 18},
  {"bias", 19},
  {"sawstudio", 20},
  {"logic", 21},
  {"garageband", 22},
  {"digital", 23},
  {"audiomulch", 25},
  {"presonus", 26},
  {"vst3plugintesthost", 27},
  {"ardour", 28},
  {"renoise", 29},
  {"openmpt", 30},
  {"wavelab elements", 32},
  {"wavelab", 31},
  {"twistedwave", 33},
  {"bitwig studio", 34},
  {"reason", 36},
  {"gwvst", 37},
  {"waveform", 38},
  {"audacity", 39},
  {"acoustica", 40},
  {"plugindoctor", 41},
  {"izotope rx", 42},
  {"savihost", 43},
  {"blue cat's vst host", 44},
  {"blue cat's vst3 host", 45},
  {"sadie", 46},
  {"spectralayers", 47},
  {"vsthost", 48},
  {"vst plugin analyser", 49},
  {"wavosaur", 50},
  {"mixbus32c", 51},
  {"kv_elementfx", 52},
  {"element", 52},
  {"juce vst host", 53},
  {"komplete kontrol", 54},
  {"vst3shell", 55},
  {"com.uaudio.luna", 56},  // this host is known by its bundle identifier
  {"audiogridderserver", 57},
  {"equalizer apo", 59},
  {"architect", 60},
  {"izotope vst3 host", 61},
  {"cantabile 3", 62},
  {"plugin buddy", 63},
  {"finalcut", 64},
  {"dream ii", 65},
  {"ua vst3 host", 66},
  {"metaplugin", 67},
  {"standalone", 24},
  {"www", 35},
};

}  // namespace

HostId LookUpHost(const char* name)
{
  if (!name)
    return kHostUnknown;
  std::string lower(name, strnlen(name, 255));
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const HostPattern& host : kHostPatterns)
  {
    if (lower.find(host.pattern) != std::string::npos)
      return host.id;
  }
  return kHostUnknown;
}

}  // namespace iplug
