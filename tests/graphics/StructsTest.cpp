#include <gtest/gtest.h>

#include "graphics/IGraphicsConstants.h"
#include "graphics/IGraphicsStructs.h"

using namespace iplug::igraphics;

TEST(IRECTTest, ContainsIsHalfOpenAndEmptyContainsNothing)
{
  const IRECT r(10.f, 20.f, 30.f, 40.f);
  struct Case
  {
    float x, y;
    bool inside;
  };
  for (const Case& c : {Case{10.f, 20.f, true}, Case{29.9f, 39.9f, true}, Case{30.f, 25.f, false},
                        Case{15.f, 40.f, false}, Case{9.9f, 25.f, false}})
  {
    EXPECT_EQ(r.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
  }
  EXPECT_FALSE(IRECT().Contains(0.f, 0.f));
}

TEST(IRECTTest, CentredInsideUsesAtLeastOneAndSquaresWithoutHeight)
{
  const IRECT outer(0.f, 0.f, 100.f, 50.f);
  EXPECT_EQ(outer.GetCentredInside(40.f, 16.f), IRECT(30.f, 17.f, 70.f, 33.f));
  EXPECT_EQ(outer.GetCentredInside(20.f), IRECT(40.f, 15.f, 60.f, 35.f));
  EXPECT_EQ(outer.GetCentredInside(0.f, 0.f), IRECT(49.5f, 24.5f, 50.5f, 25.5f));
}

TEST(IRECTTest, UnionAndIntersectionIgnoreTheEmptyRectangle)
{
  const IRECT a(0.f, 0.f, 10.f, 10.f), b(5.f, 5.f, 20.f, 15.f);
  EXPECT_EQ(a.Union(b), IRECT(0.f, 0.f, 20.f, 15.f));
  EXPECT_EQ(IRECT().Union(b), b);
  EXPECT_EQ(a.Union(IRECT()), a);
  EXPECT_EQ(a.Intersect(b), IRECT(5.f, 5.f, 10.f, 10.f));
  EXPECT_TRUE(a.Intersect(IRECT(30.f, 30.f, 40.f, 40.f)).Empty());
  EXPECT_TRUE(a.Intersect(IRECT()).Empty());
}

TEST(IRECTTest, PixelAlignmentSnapsOutward)
{
  const IRECT r = IRECT(10.2f, 10.2f, 20.1f, 20.1f).GetPixelAligned(3.f);
  EXPECT_FLOAT_EQ(r.L, 10.f);
  EXPECT_FLOAT_EQ(r.T, 10.f);
  EXPECT_NEAR(r.R, 61.f / 3.f, 1e-5);
  EXPECT_NEAR(r.B, 61.f / 3.f, 1e-5);
  EXPECT_EQ(IRECT(1.f, 2.f, 3.f, 4.f).GetPadded(1.f), IRECT(0.f, 1.f, 4.f, 5.f));
}

TEST(ITextTest, FontNameKeepsSixtyThreeCharacters)
{
  const std::string longName(100, 'x');
  IText text(12.f, kColorBlack, longName.c_str());
  EXPECT_EQ(std::string(text.mFont), std::string(63, 'x'));
  EXPECT_STREQ(kTextDefault.mFont, "Roboto-Regular");
  EXPECT_EQ(kTextLabel.mVAlign, EVAlign::Top);
  EXPECT_EQ(kTextValue.mVAlign, EVAlign::Bottom);
  EXPECT_FLOAT_EQ(kTextLabel.mSize, 19.f);
}

TEST(IVStyleTest, ColourListFillsFromTheFrontAndKeepsDefaults)
{
  const IVStyleColors colors({kColorRed, kColorBlue});
  EXPECT_EQ(colors.GetColor(kBG), kColorRed);
  EXPECT_EQ(colors.GetColor(kFG), kColorBlue);
  EXPECT_EQ(colors.GetColor(kPR), kColorLightGray);
  EXPECT_EQ(colors.GetColor(kX3), kColorBlue);
  EXPECT_TRUE(kStyleDefault.drawShadows);
  EXPECT_FALSE(kStyleDefault.emboss);
  EXPECT_EQ(kStyleDefault.colorSpec.GetColor(kSH), kColorShadow);
}
