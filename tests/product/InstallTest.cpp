// The installed tree: au-host, the platform library and the bundle, working wherever the tree is
// moved, with the build tree out of reach; and the libraries they load found only where they
// were built or installed.

#include "ShellRun.h"

#include "reports/AudioFile.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using product_test::Quoted;
using product_test::Shell;
using product_test::ShellRun;

TEST(Install, MovedTreeRunsWithoutTheBuildTree)
{
  const std::string folder = plugin_test::TempFolder();
  const std::string installed = folder + "/installed", moved = folder + "/moved";
  const ShellRun install = Shell(Quoted(CMAKE_COMMAND) + " --install " + Quoted(BUILD_DIR) + " --prefix " +
                                 Quoted(installed) + " 2>&1");
  ASSERT_EQ(install.status, 0) << install.out;
  fs::rename(installed, moved);
  for (const char* file :
       {"bin/au-host", "bin/au-host-window.so", "lib/libplatform.so", "Vantorelix.component/Contents/MacOS/Vantorelix",
        "Vantorelix.component/Contents/Info.plist"})
    EXPECT_TRUE(fs::exists(moved + "/" + file)) << file;

  const std::string wav = folder + "/tone.wav";
  AudioFileBuffer tone;
  audioFileInit(&tone);
  ASSERT_EQ(audioFileAllocate(&tone, 48000, 2, 16, 48000, 0), 0);
  for (uint32_t n = 0; n < 2 * 48000; ++n)
    tone.samples[n] = float(0.25 * std::sin(2.0 * M_PI * 997.0 * (n % 48000) / 48000));
  ASSERT_EQ(audioFileWriteWav(&tone, wav.c_str()), 0);
  audioFileFree(&tone);

  // The same commands from the build tree give what the moved tree must print.
  const std::string home = "HOME=" + Quoted(folder) + " ";
  const std::string commands[] = {" info", " measure " + Quoted(wav)};
  std::string expected;
  for (const std::string& command : commands)
    expected += Shell(home + Quoted(AU_HOST) + command).out;

  // In a mount namespace of its own an empty folder lies over the build tree, where a path into
  // it would still lead.
  const bool canHide = Shell("unshare -r -m true 2>/dev/null").status == 0;
  std::string script = "set -e\n";
  if (canHide)
    script += "mount -t tmpfs none " + Quoted(BUILD_DIR) + "\ntest ! -e " + Quoted(AU_HOST) + "\n";
  for (const std::string& command : commands)
    script += home + Quoted(moved + "/bin/au-host") + command + "\n";
  plugin_test::WriteFile(folder + "/run.sh", script);
  const ShellRun run = Shell(std::string(canHide ? "unshare -r -m " : "") + "sh " + Quoted(folder + "/run.sh") +
                             " 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, expected);
  EXPECT_NE(run.out.find("Parameters: 189\n"), std::string::npos) << run.out;
  if (!canHide)
    GTEST_SKIP() << "no mount namespace here: the build tree stayed in reach";
}

// Files named as the libraries au-host and the bundle load, in the folder au-host is started
// from, are not taken for them.
TEST(Install, LibrariesAreNotSoughtInTheCurrentFolder)
{
  const std::string folder = plugin_test::TempFolder();
  for (const char* name : {"libstdc++.so.6", "libtinyxml.so.2.6.2", "libplatform.so"})
    plugin_test::WriteFile(folder + "/" + name, "not a library");
  const ShellRun run = Shell("cd " + Quoted(folder) + " && HOME=" + Quoted(folder) + " " + Quoted(AU_HOST) +
                             " info 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Parameters: 189\n"), std::string::npos) << run.out;
}

}  // namespace
