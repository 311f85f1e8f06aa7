#include <gtest/gtest.h>

#include <cmath>

#include "FontFixture.h"
#include "platform-mac/IGraphicsCoreText.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

using namespace vtest;
using namespace iplug::igraphics;

namespace {

IFontDataRecord Read(const Bytes& bytes, int face = 0)
{
  IFontDataRecord record;
  ReadFontDataRecord(record, bytes.data(), bytes.size(), face);
  return record;
}

TEST(FontData, RobotoNamesAndMetricsAreThoseOfItsTables)
{
  const Bytes roboto = BundleFont("Roboto-Regular.ttf");
  ASSERT_FALSE(roboto.empty());
  const IFontDataRecord record = Read(roboto);
  ASSERT_TRUE(record.IsValid());
  EXPECT_STREQ(record.mFamily.Get(), "Roboto");
  EXPECT_STREQ(record.mStyle.Get(), "Regular");
  EXPECT_EQ(record.mData, roboto.data());

  stbtt_fontinfo info;
  ASSERT_TRUE(stbtt_InitFont(&info, roboto.data(), 0));
  int ascent = 0, descent = 0, lineGap = 0;
  stbtt_GetFontVMetrics(&info, &ascent, &descent, &lineGap);
  EXPECT_EQ(record.mAscender, ascent);
  EXPECT_EQ(record.mDescender, descent);
  EXPECT_EQ(record.mLineGap, lineGap);
  EXPECT_FLOAT_EQ(1.f / record.mUnitsPerEm, stbtt_ScaleForMappingEmToPixels(&info, 1.f));
  EXPECT_EQ(record.mHeadLocation, uint32_t(info.head));
  EXPECT_EQ(record.mHheaLocation, uint32_t(info.hhea));
}

TEST(FontData, CollectionFacesAreFoundByStyle)
{
  FaceSpec bold = WindowsFace("Pair", "Bold");
  bold.unitsPerEm = 2048;
  const Bytes pair = BuildCollection({WindowsFace("Pair", "Regular"), bold});
  EXPECT_EQ(FindFaceByStyle(pair.data(), pair.size(), "Regular"), 0);
  EXPECT_EQ(FindFaceByStyle(pair.data(), pair.size(), "Bold"), 1);
  EXPECT_EQ(FindFaceByStyle(pair.data(), pair.size(), "Italic"), -1);
  const IFontDataRecord second = Read(pair, 1);
  ASSERT_TRUE(second.IsValid());
  EXPECT_STREQ(second.mStyle.Get(), "Bold");
  EXPECT_EQ(second.mUnitsPerEm, 2048);
  EXPECT_FALSE(Read(pair, 2).IsValid());
  EXPECT_FALSE(Read(pair, -1).IsValid());
  // A single font has only face 0.
  const Bytes single = BuildFont(WindowsFace("One", "Regular"));
  EXPECT_TRUE(Read(single, 0).IsValid());
  EXPECT_FALSE(Read(single, 1).IsValid());
}

TEST(FontData, NamesFallBackToMacintoshRecords)
{
  FaceSpec mac;
  mac.names = {{1, 0, 0, 1, "Old Family"}, {1, 0, 0, 2, "Oblique"}};
  const IFontDataRecord record = Read(BuildFont(mac));
  EXPECT_STREQ(record.mFamily.Get(), "Old Family");
  EXPECT_STREQ(record.mStyle.Get(), "Oblique");
  // An empty Windows name gives way to the Macintosh one as well.
  FaceSpec mixed = mac;
  mixed.names.insert(mixed.names.begin(), NameRecord{3, 1, 1033, 1, ""});
  EXPECT_STREQ(Read(BuildFont(mixed)).mFamily.Get(), "Old Family");
}

TEST(FontData, DamagedFontsReadNothingOutsideTheirBytes)
{
  const Bytes good = BuildFont(WindowsFace("Fine", "Regular"));
  const Bytes pair = BuildCollection({WindowsFace("A", "Regular"), WindowsFace("A", "Bold")});
  struct Case
  {
    const char* what;
    Bytes bytes;
    int face;
    bool valid;
  };
  std::vector<Case> cases;
  for (size_t length : {size_t(0), size_t(3), size_t(11), size_t(12), size_t(40), good.size() / 2, good.size() - 1})
  {
    cases.push_back({"truncated single font", Bytes(good.begin(), good.begin() + length), 0, false});
  }
  for (size_t length : {size_t(8), size_t(14), size_t(20)})
  {
    cases.push_back({"truncated collection", Bytes(pair.begin(), pair.begin() + length), 1, false});
  }
  Bytes manyTables = good;
  Put16(manyTables, 4, 0xFFFF);  // entries past the three real ones lie outside the data
  cases.push_back({"table count too large", manyTables, 0, true});
  Bytes farTable = good;
  Put32(farTable, 12 + 8, 0xFFFFFFF0);  // the first entry (head) points past the end
  cases.push_back({"table offset past the end", farTable, 0, false});
  Bytes longTable = good;
  Put32(longTable, 12 + 12, 0xFFFFFFFF);  // head runs past the end
  cases.push_back({"table length past the end", longTable, 0, false});
  Bytes farFace = pair;
  Put32(farFace, 16, 0x7FFFFFFF);
  cases.push_back({"collection offset past the end", farFace, 1, false});
  Bytes manyFaces = pair;
  Put32(manyFaces, 8, 0xFFFFFFFF);
  cases.push_back({"face count past the offsets", manyFaces, 1000, false});
  Bytes badVersion = pair;
  Put32(badVersion, 4, 0x00030000);
  cases.push_back({"unknown collection version", badVersion, 0, false});
  cases.push_back({"not a font", Bytes(64, 'x'), 0, false});

  for (const Case& c : cases)
  {
    // A copy of exactly the case's length, so that the sanitizer sees any read past it.
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[c.bytes.size() + 1]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    IFontDataRecord record;
    ReadFontDataRecord(record, exact.get(), c.bytes.size(), c.face);
    EXPECT_EQ(record.IsValid(), c.valid) << c.what << " (" << c.bytes.size() << " bytes)";
  }
}

TEST(FontData, NameStringsOutsideTheTableAreSkipped)
{
  Bytes font = BuildFont(WindowsFace("Family", "Style"));
  IFontDataRecord record = Read(font);
  ASSERT_TRUE(record.IsValid());
  // The family record's string offset points far past the table.
  Put16(font, record.mNameLocation + 6 + 10, 0xFFF0);
  record = Read(font);
  EXPECT_STREQ(record.mFamily.Get(), "");
  EXPECT_STREQ(record.mStyle.Get(), "Style");
}

}  // namespace
