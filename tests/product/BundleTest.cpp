// The bundle as a host finds it, and au-host rendering a file through it.

#include "Picture.h"
#include "ShellRun.h"

#include "reports/AudioFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

using product_test::Shell;
using product_test::ShellRun;

TEST(Bundle, ExportsExactlyTheTwoEntryPoints)
{
  const ShellRun nm = Shell("nm -D --defined-only '" PRODUCT_BUNDLE "/Contents/MacOS/Vantorelix'");
  ASSERT_EQ(nm.status, 0);
  std::set<std::string> names;
  size_t at = 0;
  while (at < nm.out.size())
  {
    const size_t end = nm.out.find('\n', at);
    const std::string line = nm.out.substr(at, end - at);
    names.insert(line.substr(line.find_last_of(' ') + 1));
    at = end == std::string::npos ? nm.out.size() : end + 1;
  }
  EXPECT_EQ(names, (std::set<std::string>{"Vantorelix_Entry", "Vantorelix_Factory"}));
  EXPECT_TRUE(fs::is_directory(PRODUCT_BUNDLE "/Contents/Resources"));
}

// The three match buttons read as one kind: their letters stand equally tall and wide in the
// resting face, at every scale the bundle holds.
TEST(Bundle, MatchButtonLettersAreOneSize)
{
  for (const char* variant : {"", "@2x", "@3x"})
  {
    std::vector<std::array<int, 2>> sizes;
    for (const char* name : {"button_setil", "button_setsl", "button_setml"})
    {
      const std::string path = std::string(PRODUCT_BUNDLE "/Contents/Resources/") + name + variant + ".png";
      const product_test::Picture face = product_test::Read(path);
      ASSERT_GT(face.width, 0) << path;
      // The letters are the light pixels of the first of two frames stacked one above the other.
      int top = face.height, bottom = -1, left = face.width, right = -1;
      for (int y = 0; y < face.height / 2; ++y)
        for (int x = 0; x < face.width; ++x)
          if (face.At(x, y)[0] > 150)
          {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            left = std::min(left, x);
            right = std::max(right, x);
          }
      sizes.push_back({bottom - top, right - left});
    }
    EXPECT_EQ(sizes[2][0], sizes[0][0]) << "ML and IL letters' height" << variant;
    EXPECT_EQ(sizes[2], sizes[1]) << "ML and SL letters" << variant;
  }
}

// The default plug-in of au-host is the product: both entry roads open it.
TEST(Bundle, AuHostOpensTheProductByDefault)
{
  const std::string home = "HOME='" + testing::TempDir() + "' ";
  for (const char* road : {"", " --entry"})
  {
    const ShellRun info = Shell(home + "'" AU_HOST "'" + road + " info");
    ASSERT_EQ(info.status, 0) << road;
    EXPECT_NE(info.out.find("Vantorelix"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Version: 3.1.3"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Parameters: 189"), std::string::npos) << info.out;
  }
}

TEST(Bundle, AuHostMeasuresAFileThroughTheProduct)
{
  const std::string folder = testing::TempDir();
  const std::string wav = folder + "/product-tone.wav";
  const std::string out = folder + "/product-tone-out.wav";
  constexpr uint32_t kRate = 48000, kFrames = 3 * kRate;
  AudioFileBuffer tone;
  audioFileInit(&tone);
  ASSERT_EQ(audioFileAllocate(&tone, kFrames, 2, 32, kRate, 3), 0);
  for (uint32_t n = 0; n < kFrames; ++n)
    tone.samples[n] = tone.samples[kFrames + n] = float(0.1 * std::sin(2.0 * M_PI * 997.0 * n / kRate));
  ASSERT_EQ(audioFileWriteWav(&tone, wav.c_str()), 0);

  const ShellRun measure = Shell("HOME='" + folder + "' '" AU_HOST "' measure '" + wav + "' --out '" + out + "'");
  ASSERT_EQ(measure.status, 0) << measure.out;
  EXPECT_NE(measure.out.find("OUT:IL:"), std::string::npos) << measure.out;
  // Default settings change nothing in the audio.
  AudioFileBuffer result;
  audioFileInit(&result);
  ASSERT_EQ(audioFileRead(&result, out.c_str(), 0, 0, false), 0);
  ASSERT_EQ(result.frames, kFrames);
  ASSERT_EQ(result.channels, 2);
  for (uint32_t n = 0; n < 2 * kFrames; ++n)
    ASSERT_EQ(result.samples[n], tone.samples[n]) << n;
  audioFileFree(&result);
  audioFileFree(&tone);
}

// A default preset saved in Latin-1 names the state; the state au-host saves after it must read
// back, as a host's session restore reads it.
TEST(Bundle, StateAfterALatin1PresetReadsBack)
{
  const fs::path home = fs::path(testing::TempDir()) / "latin1-home";
  fs::remove_all(home);
  fs::create_directories(home / ".local/share/Vantorelix/AU");
  std::ofstream(home / ".local/share/Vantorelix/AU/default.zvp", std::ios::binary)
    << "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\"><PluginVendor>Zorvalinde</PluginVendor>"
       "<PluginName>Vantorelix</PluginName><PluginVersion>v3.1.3</PluginVersion><Preset name=\"Caf\xE9\">"
       "<Parameter><Param name=\"PreGain\" val=\"-6\" /></Parameter></Preset></PresetXMLTree>\n";
  const std::string wav = (home / "tone.wav").string(), state = (home / "state.plist").string();
  AudioFileBuffer tone;
  audioFileInit(&tone);
  ASSERT_EQ(audioFileAllocate(&tone, 4800, 1, 16, 48000, 0), 0);
  ASSERT_EQ(audioFileWriteWav(&tone, wav.c_str()), 0);
  audioFileFree(&tone);

  const std::string host = "HOME='" + home.string() + "' '" AU_HOST "' measure '" + wav + "' ";
  const ShellRun save = Shell(host + "--set PreGain=-3 --state-out '" + state + "' 2>&1");
  ASSERT_EQ(save.status, 0) << save.out;
  std::ifstream in(state, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(text.find("<string>Caf\xC3\xA9</string>"), std::string::npos) << text;
  const ShellRun restore = Shell(host + "--state-in '" + state + "' 2>&1");
  EXPECT_EQ(restore.status, 0) << restore.out;
  fs::remove_all(home);
}

}  // namespace
