#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "FontFixture.h"
#include "platform-mac/IGraphicsCoreText.h"

using namespace vtest;
using namespace iplug::igraphics;
namespace fs = std::filesystem;

namespace {

// The installed fonts are a folder of the test's own: Roboto Regular and DejaVu Sans Bold.
class InstalledFonts : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    // One folder per process: suites run side by side.
    folder = fs::temp_directory_path() / ("vantorelix-fonts-" + std::to_string(getpid()));
    fs::create_directories(folder / "cache");
    for (const char* name : {"Roboto-Regular.ttf", "verdanab.ttf"})
    {
      fs::copy_file(fs::path(VANTORELIX_BUNDLE_RESOURCES) / name, folder / name, fs::copy_options::overwrite_existing);
    }
    std::ofstream(folder / "fonts.conf") << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << folder.string()
                                         << "</dir><cachedir>" << (folder / "cache").string()
                                         << "</cachedir></fontconfig>\n";
    setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
  }

  static void TearDownTestSuite() { fs::remove_all(folder); }

  void SetUp() override { RetainCoreTextFontCache(); }
  void TearDown() override { ReleaseCoreTextFontCache(); }

  static inline fs::path folder;
};

TEST_F(InstalledFonts, FamilyAndStyleFindTheInstalledFile)
{
  struct Case
  {
    const char* family;
    int style;
    const char* expectedStyle;  // null: not installed
  } cases[] = {{"Roboto", 0, "Regular"},   {"Roboto", 3, "Regular"},    {"Roboto", 1, nullptr},
               {"DejaVu Sans", 1, "Bold"}, {"DejaVu Sans", 2, nullptr}, {"Verdana", 0, nullptr}};
  for (const Case& c : cases)
  {
    std::unique_ptr<CoreTextFont> font(LoadCoreTextFontByName("id", c.family, c.style));
    if (!c.expectedStyle)
    {
      EXPECT_EQ(font, nullptr) << c.family << " " << c.style;
      continue;
    }
    ASSERT_NE(font, nullptr) << c.family << " " << c.style;
    EXPECT_TRUE(font->IsSystem());
    const std::unique_ptr<IFontDataRecord> record(font->GetFontData());
    EXPECT_TRUE(record->IsUsable());
    EXPECT_STREQ(record->mFamily.Get(), c.family);
    EXPECT_STREQ(record->mStyle.Get(), c.expectedStyle);
  }
}

TEST_F(InstalledFonts, FileAndMemoryFontsGiveTheirBytes)
{
  const std::string path = (folder / "Roboto-Regular.ttf").string();
  std::unique_ptr<CoreTextFont> file(LoadCoreTextFontFromFile("id", path.c_str(), "", ""));
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->IsSystem());
  const std::unique_ptr<IFontDataRecord> fromFile(file->GetFontData());
  EXPECT_STREQ(fromFile->mFamily.Get(), "Roboto");
  EXPECT_EQ(fromFile->mBytes.GetSize(), int(fs::file_size(path)));

  const Bytes bytes = BundleFont("verdanab.ttf");
  std::unique_ptr<CoreTextFont> memory(LoadCoreTextFontFromMemory("id", bytes.data(), int(bytes.size())));
  ASSERT_NE(memory, nullptr);
  const std::unique_ptr<IFontDataRecord> fromMemory(memory->GetFontData());
  EXPECT_STREQ(fromMemory->mStyle.Get(), "Bold");
  // Its own copy: the record does not refer to the caller's bytes.
  EXPECT_NE(fromMemory->mData, bytes.data());

  EXPECT_EQ(LoadCoreTextFontFromFile("id", "missing.ttf", "", ""), nullptr);
  EXPECT_EQ(LoadCoreTextFontFromMemory("id", "not a font at all", 17), nullptr);
  EXPECT_EQ(LoadCoreTextFontFromMemory("id", nullptr, 0), nullptr);
}

TEST_F(InstalledFonts, DescriptorCacheKeepsTheFirstEntryUntilTheLastUserGoes)
{
  std::unique_ptr<CoreTextFont> roboto(LoadCoreTextFontByName("id", "Roboto", 0));
  std::unique_ptr<CoreTextFont> bold(LoadCoreTextFontByName("id", "DejaVu Sans", 1));
  ASSERT_TRUE(roboto && bold);
  CacheCoreTextFont("Text", roboto.get());
  CacheCoreTextFont("Text", bold.get());
  const CoreTextFontDescriptor* cached = GetCachedFontDescriptor("Text");
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(cached->mDescriptor, roboto->GetDescriptor());
  const std::unique_ptr<IFontDataRecord> record(roboto->GetFontData());
  EXPECT_DOUBLE_EQ(cached->mEMRatio, double(record->mUnitsPerEm) / (record->mAscender - record->mDescender));
  EXPECT_EQ(GetCachedFontDescriptor("Other"), nullptr);

  RetainCoreTextFontCache();
  ReleaseCoreTextFontCache();
  EXPECT_NE(GetCachedFontDescriptor("Text"), nullptr);
  ReleaseCoreTextFontCache();
  EXPECT_EQ(GetCachedFontDescriptor("Text"), nullptr);
  RetainCoreTextFontCache();  // for TearDown
}

TEST_F(InstalledFonts, FontWithoutMetricsIsCachedAtRatioOne)
{
  FaceSpec flat = WindowsFace("Flat", "Regular");
  flat.ascender = 0;
  flat.descender = 0;
  const Bytes bytes = BuildFont(flat);
  std::unique_ptr<CoreTextFont> font(LoadCoreTextFontFromMemory("id", bytes.data(), int(bytes.size())));
  ASSERT_NE(font, nullptr);
  CacheCoreTextFont("Flat", font.get());
  ASSERT_NE(GetCachedFontDescriptor("Flat"), nullptr);
  EXPECT_EQ(GetCachedFontDescriptor("Flat")->mEMRatio, 1.0);
}

}  // namespace
