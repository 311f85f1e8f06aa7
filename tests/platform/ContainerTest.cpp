#include "platform/CoreFoundation/CoreFoundation.h"
#include "tests/platform/LiveObjects.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using ContainerTest = LiveObjects;

TEST_F(ContainerTest, NumbersConvertAndReportLoss)
{
  struct Case
  {
    double stored;
    bool storedAsFloat;
    CFNumberType asked;
    bool exact;
    double got;
  };
  const Case cases[] = {
    {7, false, kCFNumberFloat64Type, true, 7.0},
    {3.75, true, kCFNumberSInt32Type, false, 3.0},  // truncated
    {-3.75, true, kCFNumberSInt32Type, false, -3.0},
    {5e9, false, kCFNumberSInt32Type, false, 705032704},  // wrapped, reported
    {0.1, true, kCFNumberFloat32Type, false, 0.1f},
    {0.5, true, kCFNumberFloat32Type, true, 0.5},
    {1e300, true, kCFNumberSInt64Type, false, 9.2233720368547758e18},
    {300, false, kCFNumberSInt8Type, false, 44},
  };
  for (const Case& c : cases)
  {
    CFNumberRef number;
    if (c.storedAsFloat)
    {
      number = CFNumberCreate(nullptr, kCFNumberDoubleType, &c.stored);
    }
    else
    {
      const long long integer = static_cast<long long>(c.stored);
      number = CFNumberCreate(nullptr, kCFNumberLongLongType, &integer);
    }
    double got = 0;
    switch (c.asked)
    {
      case kCFNumberFloat64Type: EXPECT_EQ(CFNumberGetValue(number, c.asked, &got), c.exact); break;
      case kCFNumberFloat32Type:
      {
        float f;
        EXPECT_EQ(CFNumberGetValue(number, c.asked, &f), c.exact);
        got = f;
        break;
      }
      case kCFNumberSInt64Type:
      {
        int64_t v;
        EXPECT_EQ(CFNumberGetValue(number, c.asked, &v), c.exact);
        got = double(v);
        break;
      }
      case kCFNumberSInt8Type:
      {
        int8_t v;
        EXPECT_EQ(CFNumberGetValue(number, c.asked, &v), c.exact);
        got = v;
        break;
      }
      default:
      {
        int32_t v;
        EXPECT_EQ(CFNumberGetValue(number, c.asked, &v), c.exact);
        got = v;
        break;
      }
    }
    EXPECT_EQ(got, c.got) << c.stored;
    CFRelease(number);
  }
  EXPECT_EQ(CFNumberCreate(nullptr, 99, "x"), nullptr);
  const int one = 1;
  const double oneReal = 1.0;
  CFNumberRef a = CFNumberCreate(nullptr, kCFNumberIntType, &one);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberDoubleType, &oneReal);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFGetTypeID(a), CFNumberGetTypeID());
  CFRelease(a);
  CFRelease(b);
}

TEST_F(ContainerTest, DataCopiesAndAppends)
{
  const UInt8 bytes[] = {1, 2, 3};
  CFDataRef data = CFDataCreate(nullptr, bytes, 3);
  EXPECT_EQ(CFDataGetLength(data), 3);
  EXPECT_NE(CFDataGetBytePtr(data), bytes);
  EXPECT_EQ(std::memcmp(CFDataGetBytePtr(data), bytes, 3), 0);
  EXPECT_EQ(CFDataCreate(nullptr, bytes, -1), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 4), nullptr);
  CFDataAppendBytes(reinterpret_cast<CFMutableDataRef>(const_cast<__CFData*>(data)), bytes, 3);  // immutable: ignored
  EXPECT_EQ(CFDataGetLength(data), 3);
  CFMutableDataRef growing = CFDataCreateMutable(nullptr, 0);
  CFDataAppendBytes(growing, bytes, 3);
  CFDataAppendBytes(growing, bytes, 2);
  EXPECT_EQ(CFDataGetLength(growing), 5);
  EXPECT_EQ(CFDataGetBytePtr(growing)[4], 2);
  // Bytes taken over are the data's own, equal to a copy, and freed with it (the leak checker
  // sees a block that is not).
  auto* block = static_cast<UInt8*>(std::malloc(3));
  std::memcpy(block, bytes, 3);
  CFDataRef adopted = CFDataCreateWithBytesNoCopy(nullptr, block, 3, kCFAllocatorMalloc);
  EXPECT_EQ(CFDataGetBytePtr(adopted), block);
  EXPECT_EQ(CFDataGetLength(adopted), 3);
  EXPECT_TRUE(CFEqual(adopted, data));
  EXPECT_EQ(CFDataCreateWithBytesNoCopy(nullptr, nullptr, 4, kCFAllocatorMalloc), nullptr);
  for (CFTypeRef object : {CFTypeRef(data), CFTypeRef(growing), CFTypeRef(adopted)})
    CFRelease(object);
}

// Records kept alive by the caller's callbacks, as the factory preset array keeps its presets.
struct Counted
{
  int refs = 1;
};
int gReleases = 0;
const CFArrayCallBacks kCountedCallBacks{0,
                                         [](CFAllocatorRef, const void* v) {
                                           ++static_cast<Counted*>(const_cast<void*>(v))->refs;
                                           return v;
                                         },
                                         [](CFAllocatorRef, const void* v) {
                                           --static_cast<Counted*>(const_cast<void*>(v))->refs;
                                           ++gReleases;
                                         },
                                         nullptr, nullptr};

TEST_F(ContainerTest, ArraysKeepValuesThroughTheirCallbacks)
{
  std::vector<Counted> records(3);
  gReleases = 0;
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCountedCallBacks);
  for (Counted& record : records)
    CFArrayAppendValue(array, &record);
  EXPECT_EQ(CFArrayGetCount(array), 3);
  EXPECT_EQ(records[1].refs, 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), &records[2]);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 3), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, -1), nullptr);
  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(records[0].refs, 1);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), &records[1]);
  CFRelease(array);
  EXPECT_EQ(gReleases, 3);
  for (const Counted& record : records)
    EXPECT_EQ(record.refs, 1);

  // Without callbacks nothing is retained; with the object callbacks everything is.
  const void* plain[] = {&records[0], &records[1]};
  CFArrayRef pointers = CFArrayCreate(nullptr, plain, 2, nullptr);
  EXPECT_EQ(records[0].refs, 1);
  CFRelease(pointers);
  CFStringRef name = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
  const void* objects[] = {name, name};
  CFArrayRef strings = CFArrayCreate(nullptr, objects, 2, &kCFTypeArrayCallBacks);
  EXPECT_EQ(CFGetRetainCount(name), 3);
  CFRelease(strings);
  EXPECT_EQ(CFGetRetainCount(name), 1);
  CFRelease(name);
}

TEST_F(ContainerTest, DictionariesMatchKeysByContentAndReplaceValues)
{
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(nullptr, "version", kCFStringEncodingUTF8);
  const int one = 1, two = 2;
  CFNumberRef first = CFNumberCreate(nullptr, kCFNumberIntType, &one);
  CFNumberRef second = CFNumberCreate(nullptr, kCFNumberIntType, &two);
  CFDictionarySetValue(dictionary, key, first);
  CFDictionarySetValue(dictionary, CFSTR("type"), CFSTR("aufx"));
  CFDictionarySetValue(dictionary, CFSTR("version"), second);  // an equal key replaces
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 2);
  EXPECT_EQ(CFGetRetainCount(first), 1);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, CFSTR("version")), second);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, CFSTR("data")), nullptr);
  const void* found = &one;
  EXPECT_FALSE(CFDictionaryGetValueIfPresent(dictionary, CFSTR("data"), &found));
  EXPECT_EQ(found, &one);
  const void* keys[2];
  CFDictionaryGetKeysAndValues(dictionary, keys, nullptr);
  EXPECT_EQ(keys[0], key);
  EXPECT_TRUE(CFEqual(keys[1], CFSTR("type")));
  CFDictionaryRemoveValue(dictionary, CFSTR("version"));
  EXPECT_FALSE(CFDictionaryContainsKey(dictionary, key));
  EXPECT_EQ(CFGetRetainCount(second), 1);
  for (CFTypeRef object : {CFTypeRef(dictionary), CFTypeRef(key), CFTypeRef(first), CFTypeRef(second)})
    CFRelease(object);
}

TEST_F(ContainerTest, UrlPathComponents)
{
  CFURLRef folder = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/Gain.component/"), kCFURLPOSIXPathStyle, true);
  CFURLRef file = CFURLCreateCopyAppendingPathComponent(nullptr, folder, CFSTR("Contents"), true);
  CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, folder);
  CFStringRef last = CFURLCopyLastPathComponent(folder);
  CFStringRef path = CFURLCopyFileSystemPath(file, kCFURLPOSIXPathStyle);
  EXPECT_STREQ(CFStringGetCStringPtr(path, kCFStringEncodingUTF8), "/tmp/Gain.component/Contents");
  EXPECT_STREQ(CFStringGetCStringPtr(last, kCFStringEncodingUTF8), "Gain.component");
  UInt8 buffer[5];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(parent, true, buffer, 4));
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(parent, true, buffer, 5));
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "/tmp");
  EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR(""), kCFURLPOSIXPathStyle, false), nullptr);
  for (CFTypeRef object : {CFTypeRef(folder), CFTypeRef(file), CFTypeRef(parent), CFTypeRef(last), CFTypeRef(path)})
    CFRelease(object);
}

}  // namespace
