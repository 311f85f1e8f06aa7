// The bundle as a host finds it, and au-host rendering a file through it.

#include "ShellRun.h"

#include "reports/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
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

} // namespace
