#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GraphicsFixture.h"
#include "platform/CoreFoundation/CFBundle.h"

using namespace vtest;
namespace fs = std::filesystem;

namespace {
// A plug-in bundle in a temporary folder; each test names the resource files it holds.
class ResourceTest : public testing::Test
{
protected:
  void SetUp() override
  {
    char pattern[] = "/tmp/vantorelix-graphics-XXXXXX";
    root = mkdtemp(pattern);
    resources = root / "Test.component" / "Contents" / "Resources";
    fs::create_directories(resources);
    std::ofstream(root / "Test.component" / "Contents" / "Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>com.vantorelix.graphics-test</string></dict>"
         "</plist>\n";
    const std::string path = (root / "Test.component").string();
    CFStringRef text = CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, true);
    bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    CFRelease(text);
    ASSERT_NE(bundle, nullptr);
    editor = std::make_unique<Editor>();
    editor->g->bundleID = "com.vantorelix.graphics-test";
    editor->g->log.clear();
  }
  void TearDown() override
  {
    editor.reset();
    CFRelease(bundle);
    fs::remove_all(root);
  }

  void Put(const char* name, const char* content = "x") { std::ofstream(resources / name) << content; }

  // The file loads the back end was asked for, in order.
  std::vector<std::string> Loads() const
  {
    std::vector<std::string> loads;
    for (const std::string& entry : editor->g->log)
    {
      if (entry.rfind("load ", 0) == 0)
      {
        loads.push_back(fs::path(entry.substr(5)).filename().string());
      }
    }
    return loads;
  }

  fs::path root, resources;
  CFBundleRef bundle = nullptr;
  std::unique_ptr<Editor> editor;
};
}  // namespace

TEST_F(ResourceTest, ScaledVariantsAreSearchedTargetFirstThenFourDown)
{
  struct Case
  {
    std::vector<const char*> files;
    int target;
    const char* found;
    int scale;
  };
  for (const Case& c : {Case{{"knob@4x.png", "knob@3x.png", "knob.png"}, 2, "knob@4x.png", 4},
                        Case{{"knob@3x.png", "knob@2x.png"}, 1, "knob@3x.png", 3},
                        Case{{"knob@2x.png", "knob.png"}, 4, "knob@2x.png", 2}, Case{{"knob.png"}, 3, "knob.png", 1}})
  {
    for (const char* f : c.files)
    {
      Put(f);
    }
    WDL_String path;
    int scale = 0;
    EXPECT_GT(editor->g->SearchScaledImageResource("knob.png", "png", path, c.target, scale), 0);
    EXPECT_EQ(fs::path(path.Get()).filename(), c.found) << "target " << c.target;
    EXPECT_EQ(scale, c.scale);
    for (const char* f : c.files)
    {
      fs::remove(resources / f);
    }
  }
  WDL_String path;
  int scale = 7;
  EXPECT_EQ(editor->g->SearchScaledImageResource("knob.png", "png", path, 2, scale), 0);
  EXPECT_EQ(editor->g->SearchScaledImageResource("knob.png", "png", path, 0, scale), 0);
}

TEST_F(ResourceTest, PlainFileAskedAtScaleTwoIsRedrawnOnceAndCachedOnce)
{
  Put("knob.png");
  const IBitmap first = editor->g->LoadBitmap("knob.png", 3, true, 2);
  ASSERT_TRUE(first.IsValid());
  EXPECT_EQ(Loads(), std::vector<std::string>{"knob.png @1"});
  EXPECT_FLOAT_EQ(first.GetScale(), 2.f);
  EXPECT_EQ(first.N(), 3);
  EXPECT_STREQ(first.GetResourceName(), "knob.png");
  {
    StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
    EXPECT_EQ(cache.NEntries(), 1);
    EXPECT_EQ(cache.Find("knob.png", 1.0), nullptr);
    EXPECT_EQ(cache.Find("knob.png", 2.0), first.GetAPIBitmap());
  }
  editor->g->log.clear();
  const IBitmap second = editor->g->LoadBitmap("knob.png", 3, true, 2);
  EXPECT_EQ(second.GetAPIBitmap(), first.GetAPIBitmap());
  EXPECT_TRUE(Loads().empty());
}

TEST_F(ResourceTest, MissingBitmapsAndUnsupportedTypesGiveTheEmptyBitmap)
{
  EXPECT_FALSE(editor->g->LoadBitmap("absent.png").IsValid());
  Put("noext");
  EXPECT_FALSE(editor->g->LoadBitmap("noext").IsValid());
  Put("photo.jpg");
  EXPECT_FALSE(editor->g->LoadBitmap("photo.jpg").IsValid());
  EXPECT_TRUE(Loads().empty());
}

TEST_F(ResourceTest, FractionalScreenScaleSurvivesARedraw)
{
  Put("knob.png");
  editor->g->SetBackingScale(1.5f);
  editor->g->LoadBitmap("knob.png", 1, false, 2);
  EXPECT_FLOAT_EQ(editor->g->GetScreenScale(), 1.5f);
}

TEST_F(ResourceTest, MemoryFormNeverDeletesACachedBitmap)
{
  Put("knob.png");
  const IBitmap cached = editor->g->LoadBitmap("knob.png", 1, false, 1);
  // Asked at scale 2, the scale-1 cache entry is redrawn; it must stay alive in the cache.
  const IBitmap scaled = editor->g->LoadBitmap("knob.png", "bytes", 5, 1, false, 2);
  ASSERT_TRUE(scaled.IsValid());
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  EXPECT_EQ(cache.Find("knob.png", 1.0), cached.GetAPIBitmap());
  EXPECT_EQ(cache.NEntries(), 2);
  EXPECT_FLOAT_EQ(cached.GetAPIBitmap()->GetScale(), 1.f);  // still readable under ASan
}

TEST_F(ResourceTest, FirstParseOfAnSvgWinsAndFailuresAreNotCached)
{
  Put("logo.svg", "<svg width=\"100\" height=\"50\"><rect width=\"10\" height=\"10\"/></svg>");
  const ISVG first = editor->g->LoadSVG("logo.svg", "px", 72.f);
  ASSERT_TRUE(first.IsValid());
  EXPECT_FLOAT_EQ(first.W(), 100.f);
  const ISVG again = editor->g->LoadSVG("logo.svg", "mm", 300.f);
  EXPECT_EQ(again.mImage, first.mImage);
  EXPECT_FALSE(editor->g->LoadSVG("absent.svg").IsValid());
  EXPECT_FALSE(editor->g->LoadSVGFromMemory("null", nullptr, 0).IsValid());
  const char text[] = "<svg width=\"20\" height=\"20\"></svg>\0garbage";
  EXPECT_FLOAT_EQ(editor->g->LoadSVGFromMemory("text", text, 0).W(), 20.f);
}

TEST_F(ResourceTest, ResourceBytesAreReadWhole)
{
  Put("data.bin", "0123456789");
  const WDL_TypedBuf<uint8_t> bytes = editor->g->LoadResource("data.bin", "bin");
  ASSERT_EQ(bytes.GetSize(), 10);
  EXPECT_EQ(bytes.Get()[9], '9');
  EXPECT_EQ(editor->g->LoadResource("absent.bin", "bin").GetSize(), 0);
}

TEST_F(ResourceTest, PlatformFontsAreDeletedAfterLoading)
{
  RecordingGraphics& g = *editor->g;
  EXPECT_TRUE(g.LoadFont("Roboto", "Roboto-Regular.ttf"));
  g.acceptFonts = false;
  EXPECT_FALSE(g.LoadFont("Verdana", "Verdana", 0));
  EXPECT_EQ(g.liveFonts, 0);
  g.nativeFontsExist = false;
  char bytes[4] = {};
  EXPECT_FALSE(g.LoadFont("None", static_cast<void*>(bytes), 4));
  std::vector<std::string> cached;
  for (const std::string& entry : g.log)
  {
    if (entry.rfind("cache font", 0) == 0)
    {
      cached.push_back(entry);
    }
  }
  EXPECT_EQ(cached, std::vector<std::string>{"cache font Roboto"});
}
