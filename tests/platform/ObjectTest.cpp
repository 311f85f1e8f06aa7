#include "platform/CoreFoundation/CFString.h"
#include "tests/platform/LiveObjects.h"

#include <cstring>

namespace {

using ObjectTest = LiveObjects;

TEST_F(ObjectTest, RetainReleaseAndLiveCount)
{
  const long before = platform::LiveObjectCount();
  CFStringRef text = CFStringCreateWithCString(nullptr, "gain", kCFStringEncodingUTF8);
  EXPECT_EQ(platform::LiveObjectCount(), before + 1);
  EXPECT_EQ(CFRetain(text), text);
  EXPECT_EQ(CFGetRetainCount(text), 2);
  CFRelease(text);
  EXPECT_EQ(platform::LiveObjectCount(), before + 1);
  CFRelease(text);
  EXPECT_EQ(platform::LiveObjectCount(), before);
  CFRelease(nullptr);  // tolerated
  CFRetain(nullptr);
}

TEST_F(ObjectTest, ConstantStringsAreInternedAndNeverFreed)
{
  CFStringRef a = CFSTR("mode");
  EXPECT_EQ(a, CFSTR("mode"));
  const long before = platform::LiveObjectCount();
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFStringGetCStringPtr(a, kCFStringEncodingUTF8), std::string("mode"));
  EXPECT_EQ(platform::LiveObjectCount(), before);
}

TEST_F(ObjectTest, StringTextLengthAndEncodings)
{
  CFStringRef text = CFStringCreateWithCString(nullptr, "Lautst\xC3\xA4rke \xF0\x9D\x84\x9E", kCFStringEncodingUTF8);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(CFStringGetLength(text), 13);  // the clef is two UTF-16 units
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(CFStringGetCString(text, buffer, 16, kCFStringEncodingUTF8));  // 16 bytes + zero needed
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_FALSE(CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingASCII));
  EXPECT_TRUE(CFStringGetCString(text, buffer, 17, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "Lautst\xC3\xA4rke \xF0\x9D\x84\x9E");
  CFRelease(text);

  for (const char* invalid : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "a\xFF"})
    EXPECT_EQ(CFStringCreateWithCString(nullptr, invalid, kCFStringEncodingUTF8), nullptr) << invalid;
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC3\xA4", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
}

TEST_F(ObjectTest, FormatCopyAndCompare)
{
  CFStringRef name = CFStringCreateWithCString(nullptr, "EBU R128", kCFStringEncodingUTF8);
  CFStringRef copy = CFStringCreateCopy(nullptr, name);
  EXPECT_NE(copy, name);
  EXPECT_TRUE(CFEqual(copy, name));
  EXPECT_EQ(CFHash(copy), CFHash(name));
  CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("preset %d = %@ (%.1f%%, %s, %lld)"), 7, copy,
                                              -23.04, "lufs", 1LL << 40);
  EXPECT_STREQ(CFStringGetCStringPtr(text, kCFStringEncodingUTF8), "preset 7 = EBU R128 (-23.0%, lufs, 1099511627776)");

  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("b"), CFSTR("a"), 0), kCFCompareGreaterThan);
  for (CFTypeRef object : {CFTypeRef(name), CFTypeRef(copy), CFTypeRef(text)})
    CFRelease(object);
}

}  // namespace
