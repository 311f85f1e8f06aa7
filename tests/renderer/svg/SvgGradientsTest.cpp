#include "renderer/svg/SvgParser.h"
#include "tests/renderer/svg/SvgTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Where an output point lies in the gradient's unit space.
Point unitPoint(const SVGGradient& g, Point p)
{
  Point out;
  svgTransformPoint(&out.x, &out.y, p.x, p.y, g.xform);
  return out;
}

std::vector<std::pair<uint32_t, float>> stopsOf(const SVGGradient& g)
{
  std::vector<std::pair<uint32_t, float>> out;
  for (int i = 0; i < g.nstops; ++i)
    out.emplace_back(g.stops[i].color, g.stops[i].offset);
  return out;
}

TEST(SvgGradients, StopsAreSortedAndEqualOffsetsKeepDocumentOrder)
{
  SvgImagePtr image = parseInView(
    "<stop offset=\"0.5\" stop-color=\"white\"/>"  // before any gradient: ignored
    "<defs><linearGradient id=\"g\">"
    "<stop offset=\"1\" stop-color=\"blue\"/>"
    "<stop offset=\"50%\" stop-color=\"red\" stop-opacity=\"0.5\"/>"
    "<stop offset=\"0.5\" style=\"stop-color: #0f0\"/>"
    "<stop offset=\"0\"/>"
    "</linearGradient></defs>"
    "<rect width=\"10\" height=\"10\" fill=\"url(#g)\"/>");
  const SVGShape& shape = *image->shapes;
  ASSERT_EQ(shape.fill.type, kSVGPaintLinearGradient);
  const std::vector<std::pair<uint32_t, float>> expected = {
    {0xFF000000, 0}, {0x7F0000FF, 0.5f}, {0xFF00FF00, 0.5f}, {0xFFFF0000, 1}};
  EXPECT_EQ(stopsOf(*shape.fill.gradient), expected);
}

TEST(SvgGradients, LinearGeometryInTheObjectBox)
{
  const struct
  {
    const char* attributes;
    Point start, end;  // output points at gradient positions 0 and 1
  } cases[] = {
    {"", {10, 20}, {50, 20}},         // the box's left and right edges
    {"x2=\"1\"", {10, 20}, {1, 20}},  // plain numbers are user units
    {"x1=\"0%\" y1=\"0%\" x2=\"0%\" y2=\"100%\"", {10, 20}, {10, 40}},
    {"gradientUnits=\"userSpaceOnUse\" x1=\"0\" x2=\"100%\"", {0, 0}, {100, 0}},
    {"gradientTransform=\"translate(5 0)\"", {15, 20}, {55, 20}},
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image = parseInView(std::string("<linearGradient id=\"g\" ") + c.attributes +
                                    "><stop offset=\"0\"/></linearGradient>"
                                    "<rect x=\"10\" y=\"20\" width=\"40\" height=\"20\" fill=\"url(g)\"/>");
    const SVGGradient& g = *image->shapes->fill.gradient;
    EXPECT_NEAR(unitPoint(g, c.start).y, 0, 1e-4) << c.attributes;
    EXPECT_NEAR(unitPoint(g, c.end).y, 1, 1e-4) << c.attributes;
  }
}

TEST(SvgGradients, RadialGeometryAndSpread)
{
  SvgImagePtr image = parseInView(
    "<radialGradient id=\"r\" spreadMethod=\"reflect\" fx=\"2\"><stop offset=\"0\"/></radialGradient>"
    "<g transform=\"translate(100 0)\"><rect width=\"20\" height=\"20\" stroke=\"url(#r)\"/></g>");
  const SVGShape& shape = *image->shapes;
  ASSERT_EQ(shape.stroke.type, kSVGPaintRadialGradient);
  const SVGGradient& g = *shape.stroke.gradient;
  EXPECT_EQ(g.spread, kSVGSpreadReflect);
  const Point centre = unitPoint(g, {110, 10});
  EXPECT_NEAR(centre.x, 0, 1e-4);
  EXPECT_NEAR(centre.y, 0, 1e-4);
  EXPECT_NEAR(unitPoint(g, {120, 10}).x, 1, 1e-4);  // radius 50% of the box
  EXPECT_NEAR(g.fx, 0.2f, 1e-6);
}

TEST(SvgGradients, HrefLendsOnlyTheStops)
{
  SvgImagePtr image = parseInView(
    "<linearGradient id=\"base\" spreadMethod=\"repeat\"><stop offset=\"0.25\" stop-color=\"red\"/></linearGradient>"
    "<radialGradient id=\"ring\" xlink:href=\"#base\"/>"
    "<linearGradient id=\"chain\" xlink:href=\"#ring\"/>"
    "<rect width=\"10\" height=\"10\" fill=\"url(#ring)\" stroke=\"url(#chain)\"/>");
  const SVGShape& shape = *image->shapes;
  ASSERT_EQ(shape.fill.type, kSVGPaintRadialGradient);
  EXPECT_EQ(shape.fill.gradient->spread, kSVGSpreadPad);
  EXPECT_EQ(stopsOf(*shape.fill.gradient), (std::vector<std::pair<uint32_t, float>>{{0xFF0000FF, 0.25f}}));
  ASSERT_EQ(shape.stroke.type, kSVGPaintLinearGradient);
  EXPECT_EQ(shape.stroke.gradient->nstops, 1);
}

TEST(SvgGradients, UnresolvedReferencesPaintNothingButKeepTheShape)
{
  for (const char* fill : {"url(#missing)", "url(#a)", "url(#empty)", "url(#self)", "url()"})
  {
    SvgImagePtr image = parseInView(
      std::string("<linearGradient id=\"a\" xlink:href=\"#b\"/><linearGradient id=\"b\" xlink:href=\"#a\"/>"
                  "<linearGradient id=\"empty\" xlink:href=\"\"/><linearGradient id=\"self\" xlink:href=\"#self\"/>"
                  "<linearGradient><stop offset=\"0\"/></linearGradient>"
                  "<rect width=\"10\" height=\"10\" fill=\"") +
      fill + "\"/>");
    ASSERT_NE(image->shapes, nullptr) << fill;
    EXPECT_EQ(image->shapes->fill.type, kSVGPaintNone) << fill;
  }
  // Chains far longer than documents use are cut as well.
  std::string chain = "<linearGradient id=\"g100\"><stop offset=\"0\"/></linearGradient>";
  for (int i = 0; i < 100; ++i)
  {
    chain += "<linearGradient id=\"g" + std::to_string(i) + "\" xlink:href=\"#g" + std::to_string(i + 1) + "\"/>";
  }
  EXPECT_EQ(parseInView(chain + "<rect width=\"1\" height=\"1\" fill=\"url(#g0)\"/>")->shapes->fill.type,
            kSVGPaintNone);
  EXPECT_EQ(parseInView(chain + "<rect width=\"1\" height=\"1\" fill=\"url(#g90)\"/>")->shapes->fill.type,
            kSVGPaintLinearGradient);
}

TEST(SvgGradients, GradientAttributesDoNotStyleTheShapes)
{
  SvgImagePtr image = parseInView(
    "<linearGradient id=\"g\" opacity=\"0.5\" transform=\"scale(3)\">"
    "<stop offset=\"0\" style=\"stop-color:red; fill:blue\" stroke=\"red\"/></linearGradient>"
    "<rect width=\"10\" height=\"10\"/>");
  const SVGShape& shape = *image->shapes;
  EXPECT_FLOAT_EQ(shape.opacity, 1);
  EXPECT_EQ(shape.fill.color, 0xFF000000u);
  EXPECT_EQ(shape.stroke.type, kSVGPaintNone);
  EXPECT_FLOAT_EQ(shape.bounds[2], 10);
}

}  // namespace
