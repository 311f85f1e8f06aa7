#include "platform/CoreFoundation/CoreFoundation.h"
#include "platform/Foundation/NSPathUtilities.h"
#include "tests/platform/LiveObjects.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <tinyxml.h>

namespace {

namespace fs = std::filesystem;

const char* kInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>CFBundleIdentifier</key><string>com.example.gain</string>
  <key>CFBundleExecutable</key><string>Gain</string>
  <key>CFBundleVersion</key><string>1.2.0</string>
  <key>AudioComponents</key>
  <array>
    <dict>
      <key>type</key><string>aufx</string>
      <key>version</key><integer>65792</integer>
      <key>sandboxSafe</key><true/>
      <key>gain</key><real>-6.5</real>
    </dict>
  </array>
</dict>
</plist>)";

class BundleTest : public LiveObjects
{
protected:
  void SetUp() override
  {
    mRoot = fs::temp_directory_path() / ("platform-bundle-" + std::to_string(::getpid()));
    fs::create_directories(mRoot / "Gain.component" / "Contents" / "Resources" / "fonts");
    Write("Gain.component/Contents/Info.plist", kInfo);
    Write("Gain.component/Contents/Resources/fonts/Roboto.ttf", "font");
  }
  void TearDown() override
  {
    fs::remove_all(mRoot);
    LiveObjects::TearDown();
  }
  void Write(const std::string& relative, const std::string& text) { std::ofstream(mRoot / relative) << text; }
  CFURLRef Url(const std::string& relative)
  {
    const std::string path = (mRoot / relative).string();
    return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.c_str()),
                                                   static_cast<CFIndex>(path.size()), true);
  }
  std::string PathOf(CFURLRef url)
  {
    UInt8 buffer[4096];
    const bool ok = CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer);
    CFRelease(url);
    return ok ? std::string(reinterpret_cast<char*>(buffer)) : std::string("(none)");
  }

  fs::path mRoot;
};

TEST_F(BundleTest, ReadsInfoPlistAndIsFoundByIdentifierWhileAlive)
{
  CFURLRef url = Url("Gain.component");
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.gain")), bundle);
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleVersionKey), CFSTR("1.2.0")));
  auto components = static_cast<CFArrayRef>(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("AudioComponents")));
  ASSERT_EQ(CFArrayGetCount(components), 1);
  auto component = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(components, 0));
  int version = 0;
  double gain = 0;
  EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(component, CFSTR("version"))),
                               kCFNumberIntType, &version));
  EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(component, CFSTR("gain"))),
                               kCFNumberDoubleType, &gain));
  EXPECT_EQ(version, 65792);
  EXPECT_EQ(gain, -6.5);
  EXPECT_EQ(CFDictionaryGetValue(component, CFSTR("sandboxSafe")), kCFBooleanTrue);

  const std::string folder = (mRoot / "Gain.component").string();
  EXPECT_EQ(PathOf(CFBundleCopyBundleURL(bundle)), folder);
  EXPECT_EQ(PathOf(CFBundleCopyExecutableURL(bundle)), folder + "/Contents/MacOS/Gain");
  EXPECT_EQ(PathOf(CFBundleCopyResourcesDirectoryURL(bundle)), folder + "/Contents/Resources");
  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("Roboto"), CFSTR("ttf"), CFSTR("fonts"))),
            folder + "/Contents/Resources/fonts/Roboto.ttf");
  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("fonts/Roboto"), CFSTR("ttf"), nullptr)),
            folder + "/Contents/Resources/fonts/Roboto.ttf");
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("Roboto"), CFSTR("ttf"), nullptr), nullptr);

  CFRelease(bundle);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.gain")), nullptr);
}

TEST_F(BundleTest, RefusesMissingOrMalformedInfo)
{
  const char* malformed[] = {
    "",
    "<plist><dict><key>a</key>",                                         // not well-formed
    "<dict><key>a</key><string>b</string></dict>",                       // no plist root
    "<plist><array/></plist>",                                           // root is not a dictionary
    "<plist><dict><key>a</key></dict></plist>",                          // key without value
    "<plist><dict><string>a</string><string>b</string></dict></plist>",  // value where a key belongs
    "<plist><dict><key>a</key><date>2020</date></dict></plist>",         // unknown element
    "<plist><dict><key>a</key><integer>12x</integer></dict></plist>",
    "<plist><dict><key>a</key><real></real></dict></plist>",
    "<plist><dict/><dict/></plist>",
  };
  for (const char* text : malformed)
  {
    Write("Gain.component/Contents/Info.plist", text);
    CFURLRef url = Url("Gain.component");
    EXPECT_EQ(CFBundleCreate(nullptr, url), nullptr) << text;
    CFRelease(url);
  }
  std::string deep = "<plist>";
  for (int i = 0; i < 200; ++i)
    deep += "<array>";
  for (int i = 0; i < 200; ++i)
    deep += "</array>";
  EXPECT_EQ(platform::CreatePropertyListFromXML((deep + "</plist>").c_str()), nullptr);
  // Deep enough to exhaust the stack of a parser that recursed into it, as any bundle may ship.
  std::string deeper = "<plist><dict><key>a</key>";
  for (int i = 0; i < 40000; ++i)
    deeper += "<array>";
  Write("Gain.component/Contents/Info.plist", deeper);
  CFURLRef deepUrl = Url("Gain.component");
  EXPECT_EQ(CFBundleCreate(nullptr, deepUrl), nullptr);
  CFRelease(deepUrl);

  CFURLRef missing = Url("Missing.component");
  EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
  CFRelease(missing);
}

TEST_F(BundleTest, HostSetsTheMainBundle)
{
  CFBundleRef fallback = CFBundleGetMainBundle();
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(fallback), nullptr);

  const void* keys[] = {kCFBundleIdentifierKey, CFSTR("CFBundleShortVersionString")};
  const void* values[] = {CFSTR("com.example.host"), CFSTR("12.5")};
  CFDictionaryRef info = CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
  CFURLRef url = Url("");
  CFBundleRef host = platform::CreateBundle(url, info);
  platform::SetMainBundle(host);
  CFRelease(host);
  CFRelease(info);
  CFRelease(url);
  EXPECT_EQ(CFBundleGetMainBundle(), host);
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(CFBundleGetMainBundle()), CFSTR("com.example.host")));
  platform::SetMainBundle(nullptr);
  EXPECT_EQ(CFBundleGetMainBundle(), fallback);
}

TEST(StandardFolders, FollowHomeAndXdg)
{
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* savedData = std::getenv("XDG_DATA_HOME");
  const std::string savedDataText = savedData ? savedData : "";
  setenv("HOME", "/tmp/someone/", 1);
  unsetenv("XDG_DATA_HOME");
  using Paths = std::vector<std::string>;
  EXPECT_EQ(NSHomeDirectory(), "/tmp/someone");
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSUserDomainMask, true),
            Paths{"/tmp/someone/.local/share"});
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSMusicDirectory, NSUserDomainMask, true), Paths{"/tmp/someone/Music"});
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSAllDomainsMask, true),
            Paths{"/tmp/someone/Documents"});
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, true),
            Paths{"/tmp/someone/Desktop"});
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSLibraryDirectory, NSLocalDomainMask, true),
            Paths{"/usr/local/share"});
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSSystemDomainMask, true),
            Paths{"/usr/share"});
  setenv("XDG_DATA_HOME", "relative/data", 1);  // only an absolute path counts
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSUserDomainMask, true),
            Paths{"/tmp/someone/.local/share"});
  setenv("XDG_DATA_HOME", "/data/me", 1);
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSUserDomainMask, true),
            Paths{"/data/me"});
  setenv("HOME", savedHome.c_str(), 1);
  if (savedData)
    setenv("XDG_DATA_HOME", savedDataText.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

}  // namespace

namespace {

TEST(PropertyLists, RoundTripThroughXml)
{
  const long baseline = platform::LiveObjectCount();
  const UInt8 bytes[] = {0, 1, 2, 0xFF, 0x80};
  const double real = -23.05;
  const int integer = -7;
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (CFIndex length = 0; length <= 5; ++length)
  {  // every base64 tail
    CFDataRef data = CFDataCreate(nullptr, bytes, length);
    CFArrayAppendValue(array, data);
    CFRelease(data);
  }
  CFNumberRef realNumber = CFNumberCreate(nullptr, kCFNumberDoubleType, &real);
  CFNumberRef intNumber = CFNumberCreate(nullptr, kCFNumberIntType, &integer);
  CFDictionarySetValue(dictionary, CFSTR("name"), CFSTR("Quiet <&> \"one\""));
  CFDictionarySetValue(dictionary, CFSTR("real"), realNumber);
  CFDictionarySetValue(dictionary, CFSTR("integer"), intNumber);
  CFDictionarySetValue(dictionary, CFSTR("flag"), kCFBooleanFalse);
  // Data larger than a piece of the writer's base64, and a text that reads like its placeholder.
  std::vector<UInt8> large(200001);
  for (size_t i = 0; i < large.size(); ++i)
    large[i] = UInt8(i * 31 + i / 256);
  CFDataRef largeData = CFDataCreate(nullptr, large.data(), CFIndex(large.size()));
  CFArrayAppendValue(array, largeData);
  CFRelease(largeData);
  CFDictionarySetValue(dictionary, CFSTR("mark"), CFSTR("PropertyListData0Placeholder"));
  CFDictionarySetValue(dictionary, CFSTR("chunks"), array);

  std::string xml;
  ASSERT_TRUE(platform::WritePropertyListAsXML(dictionary, xml));
  CFTypeRef back = platform::CreatePropertyListFromXML(xml.c_str());
  EXPECT_TRUE(CFEqual(back, dictionary)) << xml.substr(0, 2000);
  // Written a piece at a time, the text is the same.
  std::vector<std::string> pieces;
  ASSERT_TRUE(platform::WritePropertyListAsXML(dictionary, [&pieces](std::string_view piece) {
    pieces.emplace_back(piece);
    return true;
  }));
  EXPECT_GT(pieces.size(), 3u);
  std::string joined;
  for (const std::string& piece : pieces)
    joined += piece;
  EXPECT_EQ(joined, xml);
  EXPECT_FALSE(platform::WritePropertyListAsXML(dictionary, [](std::string_view) { return false; }));
  for (CFTypeRef object : {back, CFTypeRef(dictionary), CFTypeRef(array), CFTypeRef(realNumber), CFTypeRef(intNumber)})
    CFRelease(object);
  EXPECT_EQ(platform::CreatePropertyListFromXML("<plist><data>AB$C</data></plist>"), nullptr);
  EXPECT_EQ(platform::CreatePropertyListFromXML("<plist><data>A</data></plist>"), nullptr);
  EXPECT_FALSE(platform::WritePropertyListAsXML(CFRunLoopGetMain(), xml));
  EXPECT_EQ(platform::LiveObjectCount(), baseline);
}

// A dictionary of one entry that holds the string as its key or as its value.
CFMutableDictionaryRef OneEntry(CFStringRef string, bool asKey)
{
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dictionary, asKey ? string : CFSTR("name"), asKey ? CFSTR("value") : string);
  return dictionary;
}

// The XML written for the dictionary reads back as a property list equal to it.
void ExpectReadsBack(CFDictionaryRef dictionary, const std::string& xml)
{
  CFTypeRef back = platform::CreatePropertyListFromXML(xml.c_str());
  EXPECT_TRUE(back && CFEqual(back, dictionary)) << xml;
  if (back)
    CFRelease(back);
}

// A string goes into the XML only when it reads back the same; text that is not UTF-8 is refused
// rather than written in a form that changes on every save and load.
TEST(PropertyLists, WritesOnlyStringsThatReadBackTheSame)
{
  struct Case
  {
    const char* text;
    bool written;
  };
  const Case cases[] = {
    {"Caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8E\xB5", true},
    {"a & b < c", true},
    {"Caf\xE9", false},           // Latin-1
    {"cut \xF0\x9F\x8E", false},  // a character cut short
    {"\xC0\xAF", false},          // an overlong form
    {"\xED\xA0\x80", false},      // a surrogate
  };
  for (const Case& c : cases)
  {
    for (const bool asKey : {false, true})
    {
      SCOPED_TRACE(std::string(c.text) + (asKey ? " as key" : " as value"));
      // Formatting does not check the bytes, so it can make such a string, as a caller could.
      CFStringRef string = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s"), c.text);
      CFMutableDictionaryRef dictionary = OneEntry(string, asKey);
      std::string xml;
      ASSERT_EQ(platform::WritePropertyListAsXML(dictionary, xml), c.written);
      if (c.written)
        ExpectReadsBack(dictionary, xml);
      CFRelease(dictionary);
      CFRelease(string);
    }
  }
}

// Strings come back byte for byte, as keys and as values, whatever the XML library's process-wide
// white-space switch is set to by other code in the process.
TEST(PropertyLists, StringsComeBackByteForByte)
{
  const char* const texts[] = {"Mix  2 ", " lead",     "trail ",         "a\tb\nc\r\nd", "   ",     "\n",
                               "",        "one space", "&#x41; &amp; &", " ]]> end ]]>", "]]>]]>  "};
  for (const bool condense : {true, false})
  {
    TiXmlBase::SetCondenseWhiteSpace(condense);
    for (const char* text : texts)
    {
      for (const bool asKey : {false, true})
      {
        SCOPED_TRACE("\"" + std::string(text) + "\"" + (asKey ? " as key" : " as value") +
                     (condense ? ", condensing" : ""));
        CFStringRef string = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
        CFMutableDictionaryRef dictionary = OneEntry(string, asKey);
        std::string xml;
        ASSERT_TRUE(platform::WritePropertyListAsXML(dictionary, xml));
        ExpectReadsBack(dictionary, xml);
        CFRelease(dictionary);
        CFRelease(string);
      }
    }
  }
  TiXmlBase::SetCondenseWhiteSpace(true);  // the library's default
}

std::string Repeated(const std::string& part, int count)
{
  std::string text;
  for (int i = 0; i < count; ++i)
    text += part;
  return text;
}

// Each of these once crashed the reader or read past the end of the text.
TEST(PropertyLists, RefusesHostileTextUnparsed)
{
  const std::string cases[] = {
    "<plist>" + Repeated("<array>", 40000) + Repeated("</array>", 40000) + "</plist>",
    "<plist><!--" + Repeated("</array>", 40000) + "-->" + Repeated("<array>", 40000) + "</plist>",
    "<plist><array><string>x\xF0",
    "<plist><string>x</string></plist>\xE2\x82",
    "<plist><string>Caf\xE9</string></plist>",
  };
  for (const std::string& text : cases)
    EXPECT_EQ(platform::CreatePropertyListFromXML(text.c_str()), nullptr) << text.substr(0, 60);

  // What a well-made document may carry besides its elements still reads.
  CFTypeRef list = platform::CreatePropertyListFromXML(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist SYSTEM \"file://localhost/plist.dtd\">\n"
    "<plist version=\"1.0\"><!-- <array> --><array><string>Caf\xC3\xA9</string></array></plist>");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(CFArrayGetCount(static_cast<CFArrayRef>(list)), 1);
  CFRelease(list);
}

}  // namespace
