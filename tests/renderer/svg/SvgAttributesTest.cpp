#include "renderer/svg/SvgParser.h"
#include "tests/renderer/svg/SvgTestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

TEST(SvgAttributes, ReadsColours)
{
  const struct
  {
    const char* text;
    uint32_t expected;  // red in the low byte
  } cases[] = {
    {"#f00", 0x0000FF},
    {"#ff0000", 0x0000FF},
    {"#0080ff ", 0xFF8000},
    {"#ff00", 0},
    {"#", 0},
    {"rgb(100%, 50%, 0%)", 0x007FFF},
    {"rgb(1,2,3)", 0x030201},
    {"rgb(300, -20, 10)", 0x0A00FF},  // components are clamped, never spill into the next byte
    {"rgb(200%, 0%, 0%)", 0x0000FF},
    {"rgb(10, 20)", 0x00140A},  // a missing component is 0, the alpha byte stays 0
    {"rgb()", 0},
    {" red", 0x0000FF},
    {"red ", 0x808080},
    {"Red", 0x808080},
    {"purple", 0x808080},
    {"", 0x808080},
    {"gray", 0x808080},
    {"white", 0xFFFFFF},
  };
  for (const auto& c : cases)
    EXPECT_EQ(svgReadColor(c.text), c.expected) << '"' << c.text << '"';
}

TEST(SvgAttributes, ReadsNumbers)
{
  const struct
  {
    const char* text;
    double expected;
  } cases[] = {
    {"1e2", 100},
    {"-.5", -0.5},
    {"+3", 3},
    {"2.5E-1", 0.25},
    {".", 0},
    {"abc", 0},
    {"0.1234567890123456789012345", 0.12345678901234568},  // no overflow past 18 digits
    {"12345678901234567890123", 1.2345678901234568e22},
    {"0e99999999999", 0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(svgStringToDouble(c.text), c.expected) << c.text;
  EXPECT_EQ(svgStringToDouble("1e99999999999"), FLT_MAX);  // saturated to what a float holds
  EXPECT_EQ(svgStringToDouble("-1e39"), -FLT_MAX);
  // Attribute values reach the reader whole: a mantissa longer than a double can hold, brought
  // back by its exponent, is a number and not infinity times zero.
  const std::string longMantissa = "1" + std::string(400, '0');
  EXPECT_NEAR(svgStringToDouble((longMantissa + "e-395").c_str()), 1e5, 1e-6);
  EXPECT_EQ(svgStringToDouble((longMantissa + "e-999").c_str()), 0.0);
  EXPECT_EQ(svgStringToDouble(longMantissa.c_str()), FLT_MAX);

  char buffer[64];
  EXPECT_STREQ(svgScanNumber("2em", buffer), "em");  // a unit, not an exponent
  EXPECT_STREQ(buffer, "2");
  EXPECT_STREQ(svgScanNumber("-1.5e+3x", buffer), "x");
  EXPECT_STREQ(buffer, "-1.5e+3");
  const std::string longNumber(100, '7');
  EXPECT_EQ(*svgScanNumber(longNumber.c_str(), buffer), '\0');
  EXPECT_EQ(std::string(buffer), std::string(63, '7'));
}

// The stroke width of a line drawn with the given extra attributes, in a 100 x 100 view.
float strokeWidthOf(const std::string& attributes, float dpi)
{
  SvgImagePtr image = parseInView("<line x2=\"1\" stroke=\"red\" " + attributes + "/>", "px", dpi);
  return image->shapes->strokeWidth;
}

TEST(SvgAttributes, ConvertsLengthUnits)
{
  const struct
  {
    const char* attributes;
    float dpi;
    float expected;
  } cases[] = {
    {"stroke-width=\"10mm\"", 96, 37.795277f},
    {"stroke-width=\"10mm\"", 72, 28.346457f},
    {"stroke-width=\"10 mm\"", 96, 10},
    {"stroke-width=\"1in\"", 72, 72},
    {"stroke-width=\"72pt\"", 96, 96},
    {"stroke-width=\"6pc\"", 96, 96},
    {"stroke-width=\"2.54cm\"", 96, 96},
    {"stroke-width=\"3px\"", 96, 3},
    {"stroke-width=\"50%\"", 96, 50},
    {"style=\"font-size: 12; stroke-width: 2em\"", 96, 24},
    {"style=\"font-size: 12; stroke-width: 1ex\"", 96, 6.24f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(strokeWidthOf(c.attributes, c.dpi), c.expected, 1e-3) << c.attributes;
}

TEST(SvgAttributes, ClampsOpacities)
{
  const struct
  {
    const char* value;
    float expected;
  } cases[] = {{"1.5", 1}, {"-2", 0}, {"50%", 1}, {"0.25", 0.25f}};
  for (const auto& c : cases)
  {
    const std::string v = c.value;
    SvgImagePtr image = parseInView("<rect width=\"1\" height=\"1\" opacity=\"" + v + "\" fill-opacity=\"" + v +
                                    "\" stroke=\"#fff\" stroke-opacity=\"" + v + "\"/>");
    const SVGShape& shape = *image->shapes;
    EXPECT_FLOAT_EQ(shape.opacity, c.expected) << v;
    const auto alpha = static_cast<uint32_t>(c.expected * 255.0f);
    EXPECT_EQ(shape.fill.color >> 24, alpha) << v;
    EXPECT_EQ(shape.stroke.color, 0xFFFFFFu | alpha << 24) << v;
  }
}

TEST(SvgAttributes, ReadsDashLists)
{
  const struct
  {
    const char* value;
    std::vector<float> expected;
  } cases[] = {
    {"none", {}},  {"0,0", {}}, {"", {}}, {"5, -3", {5, 3}}, {"1 2 3 4 5 6 7 8 9 10", {1, 2, 3, 4, 5, 6, 7, 8}},
    {"10%", {10}},
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image = parseInView(std::string("<line x2=\"1\" stroke=\"red\" stroke-dasharray=\"") + c.value +
                                    "\"/>");
    const SVGShape& shape = *image->shapes;
    EXPECT_EQ(std::vector<float>(shape.strokeDashArray, shape.strokeDashArray + shape.strokeDashCount), c.expected)
      << c.value;
  }
}

TEST(SvgAttributes, AppliesStylesAndPresentationAttributes)
{
  SvgImagePtr image = parseInView(
    "<rect width=\"1\" height=\"1\" style=\" fill : #00f ; stroke:red;stroke-width: 3 ;; "
    "stroke-linecap:round; stroke-linejoin:bevel; fill-rule:evenodd; stroke-miterlimit:-2; "
    "style: fill:red\" id=\"a-very-long-identifier-that-runs-well-past-the-sixty-three-characters-it-may-keep\"/>");
  const SVGShape& shape = *image->shapes;
  EXPECT_EQ(shape.fill.color & 0xFFFFFF, 0xFF0000u);  // the nested style is not applied
  EXPECT_EQ(shape.stroke.color & 0xFFFFFF, 0x0000FFu);
  EXPECT_FLOAT_EQ(shape.strokeWidth, 3);
  EXPECT_EQ(shape.strokeLineCap, kSVGCapRound);
  EXPECT_EQ(shape.strokeLineJoin, kSVGJoinBevel);
  EXPECT_EQ(shape.fillRule, kSVGFillRuleEvenOdd);
  EXPECT_FLOAT_EQ(shape.miterLimit, 0);
  EXPECT_EQ(std::string(shape.id).size(), 63u);
}

Point mapped(const char* transform, Point p)
{
  float t[6];
  svgReadTransformList(t, transform);
  Point out;
  svgTransformPoint(&out.x, &out.y, p.x, p.y, t);
  return out;
}

TEST(SvgAttributes, ReadsTransformLists)
{
  const struct
  {
    const char* text;
    Point from, to;
  } cases[] = {
    {"translate(10) scale(2)", {1, 1}, {12, 2}},
    {"rotate(90 10 10)", {20, 10}, {10, 20}},
    {"rotate(90)", {1, 0}, {0, 1}},
    {"matrix(1,0,0,1,5,6)", {0, 0}, {5, 6}},
    {"scale(2, 3)", {1, 1}, {2, 3}},
    {"skewX(45)", {1, 1}, {2, 1}},
    {"skewY(45)", {1, 1}, {1, 2}},
    // Functions with too few or too many arguments, or none, are skipped whole.
    {"rotate(90 10)", {1, 1}, {1, 1}},
    {"translate()", {1, 1}, {1, 1}},
    {"scale(2,3,4)", {1, 1}, {1, 1}},
    {"matrix(1 0 0 1 5)", {1, 1}, {1, 1}},
    {"translate(5) rotate(10 1) scale", {1, 1}, {6, 1}},
    {"rotate scale(2)", {1, 1}, {2, 2}},  // a name without its own parentheses takes no others
    {"translate(5", {1, 1}, {1, 1}},
  };
  for (const auto& c : cases)
  {
    const Point p = mapped(c.text, c.from);
    EXPECT_NEAR(p.x, c.to.x, 1e-4) << c.text;
    EXPECT_NEAR(p.y, c.to.y, 1e-4) << c.text;
  }
}

TEST(SvgAttributes, InvertsTransforms)
{
  float inverse[6];
  const float singular[6] = {1, 2, 2, 4, 5, 6};
  svgTransformInvert(inverse, singular);
  EXPECT_EQ(std::vector<float>(inverse, inverse + 6), (std::vector<float>{1, 0, 0, 1, 0, 0}));

  float t[6];
  svgReadTransformList(t, "translate(3 4) rotate(30) scale(2)");
  svgTransformInvert(inverse, t);
  Point p, back;
  svgTransformPoint(&p.x, &p.y, 7, -2, t);
  svgTransformPoint(&back.x, &back.y, p.x, p.y, inverse);
  EXPECT_NEAR(back.x, 7, 1e-4);
  EXPECT_NEAR(back.y, -2, 1e-4);
}

TEST(SvgAttributes, TransformAttributesComposeWithTheirGroups)
{
  SvgImagePtr image = parseInView(
    "<g transform=\"translate(10 0)\"><path transform=\"scale(2)\" d=\"M1 1 L2 2\"/></g>");
  const Point p = pointOf(*image->shapes->paths, 0);
  EXPECT_FLOAT_EQ(p.x, 12);
  EXPECT_FLOAT_EQ(p.y, 2);
}

}  // namespace
