#include "framework/IPlugPaths.h"
#include "framework/RegularFile.h"

#include "platform/CoreFoundation/CFBundle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A home folder with a plug-in bundle and a shared resources folder, both holding the font.
class PathsTest : public testing::Test
{
protected:
  void SetUp() override
  {
    std::string pattern = (fs::temp_directory_path() / "vantorelix-home-XXXXXX").string();
    home = mkdtemp(pattern.data());
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");

    const fs::path contents = home / "Plugins" / "Vantorelix.component" / "Contents";
    fs::create_directories(contents / "Resources");
    std::ofstream(contents / "Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>com.vantorelix.test</string>"
         "<key>CFBundleExecutable</key><string>Vantorelix</string></dict></plist>\n";
    std::ofstream(contents / "Resources" / "Roboto-Regular.ttf") << "bundle font";
    fs::create_directories(home / "Music" / "Shared" / "Resources");
    std::ofstream(home / "Music" / "Shared" / "Resources" / "Roboto-Regular.ttf") << "shared font";
    std::ofstream(home / "Music" / "Shared" / "Resources" / "Other.ttf") << "shared only";

    const std::string bundlePath = (home / "Plugins" / "Vantorelix.component").string();
    CFStringRef text = CFStringCreateWithCString(nullptr, bundlePath.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, true);
    bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    CFRelease(text);
    ASSERT_NE(bundle, nullptr);
  }
  void TearDown() override
  {
    CFRelease(bundle);
    fs::remove_all(home);
  }

  fs::path home;
  CFBundleRef bundle = nullptr;
};

TEST_F(PathsTest, ResourcesAreFoundInTheBundleFirst)
{
  WDL_String path;
  ASSERT_TRUE(iplug::LocateResource("Roboto-Regular.ttf", "ttf", path, "com.vantorelix.test", nullptr, "Shared"));
  EXPECT_EQ(fs::path(path.Get()), home / "Plugins/Vantorelix.component/Contents/Resources/Roboto-Regular.ttf");

  ASSERT_TRUE(iplug::LocateResource("fonts/Other.TTF", "ttf", path, "com.vantorelix.test", nullptr, "Shared"));
  EXPECT_EQ(fs::path(path.Get()), home / "Music/Shared/Resources/Other.ttf");

  const std::string absolute = (home / "Music/Shared/Resources/Other.ttf").string();
  EXPECT_TRUE(iplug::LocateResource(absolute.c_str(), "png", path, "com.vantorelix.test", nullptr, "Shared"));
  EXPECT_STREQ(path.Get(), absolute.c_str());

  EXPECT_FALSE(iplug::LocateResource("Roboto-Regular", "ttf", path, "com.vantorelix.test", nullptr, "Shared"));
  EXPECT_STREQ(path.Get(), "");
  EXPECT_FALSE(iplug::LocateResource("", "ttf", path, "com.vantorelix.test", nullptr, "Shared"));
  EXPECT_FALSE(iplug::FindBundleResource("Missing.ttf", "ttf", path, "com.vantorelix.test"));
  EXPECT_FALSE(iplug::FindBundleResource("Roboto-Regular.ttf", "ttf", path, "com.unknown"));
}

TEST_F(PathsTest, FoldersFollowTheHomeFolder)
{
  WDL_String path("unchanged");
  iplug::ExecutablePathForBundle(path, "com.unknown");
  EXPECT_STREQ(path.Get(), "unchanged");
  iplug::ExecutablePathForBundle(path, "com.vantorelix.test");
  EXPECT_EQ(fs::path(path.Get()), home / "Plugins/Vantorelix.component/Contents/MacOS/Vantorelix");
  iplug::BundleFolderPath(path, "com.vantorelix.test");
  EXPECT_EQ(std::string(path.Get()), (home / "Plugins").string() + "/");
  iplug::BundleResourcePath(path, "com.unknown");
  EXPECT_STREQ(path.Get(), "");

  iplug::AppSupportPath(path);
  EXPECT_EQ(fs::path(path.Get()), home / ".local/share");
  iplug::AppSupportSubPath(path, "Vantorelix");
  EXPECT_EQ(fs::path(path.Get()), home / ".local/share/Vantorelix");
  iplug::MusicPath(path);
  EXPECT_EQ(fs::path(path.Get()), home / "Music");
  iplug::AUPresetsPath(path, "Maker", "Vantorelix");
  EXPECT_EQ(std::string(path.Get()), (home / ".local/share").string() + "/Audio/Presets/Maker/Vantorelix/");
  EXPECT_FALSE(iplug::AppIsSandboxed());
}

}  // namespace

// Only a regular file is read, whole and up to the limit; a FIFO with no writer is refused at
// once instead of blocking.
TEST(RegularFile, ReadsOnlyRegularFilesUpToTheLimit)
{
  char pattern[] = "/tmp/vantorelix-file-XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  std::ofstream(folder / "ten") << "0123456789";
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  struct Case
  {
    const char* name;
    size_t limit;
    bool read;
  };
  for (const Case& c : {Case{"ten", 10, true}, Case{"ten", 9, false}, Case{"fifo", 100, false}, Case{"", 100, false},
                        Case{"missing", 100, false}})
  {
    SCOPED_TRACE(c.name);
    std::string bytes = "left over";
    EXPECT_EQ(iplug::ReadRegularFile((folder / c.name).c_str(), c.limit, bytes), c.read);
    EXPECT_EQ(bytes, c.read ? "0123456789" : "");
  }
  fs::remove_all(folder);
}
