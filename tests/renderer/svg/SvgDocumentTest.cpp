#include "renderer/svg/SvgParser.h"
#include "tests/renderer/svg/SvgTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

// Every callback of the tokenizer as one line of text.
struct TokenLog
{
  std::vector<std::string> lines;
  static void start(void* user, const char* name, const char** attributes)
  {
    std::string line = std::string("start ") + name;
    for (int i = 0; attributes[i]; i += 2)
      line += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
    static_cast<TokenLog*>(user)->lines.push_back(line);
  }
  static void end(void* user, const char* name)
  {
    static_cast<TokenLog*>(user)->lines.push_back(std::string("end ") + name);
  }
  static void content(void* user, const char* text)
  {
    static_cast<TokenLog*>(user)->lines.push_back(std::string("content ") + text);
  }
};

std::vector<std::string> tokenize(std::string text)
{
  TokenLog log;
  EXPECT_EQ(svgTokenizeXml(text.data(), TokenLog::start, TokenLog::end, TokenLog::content, &log), 1);
  return log.lines;
}

using Lines = std::vector<std::string>;

TEST(SvgTokenizer, ReportsTagsAsTheyStand)
{
  const struct
  {
    const char* text;
    Lines expected;
  } cases[] = {
    {"", {}},
    {"<a x='1' y=\"2\">  text </a>", {"start a x=1 y=2", "content text ", "end a"}},
    {"<rect />", {"start rect", "end rect"}},
    {"<rect/>", {"start rect/"}},  // no blank: the slash is part of the name
    {"<!-- note --><?xml version=\"1.0\"?><!DOCTYPE svg>", {}},
    {"<a y=\"2\" x=1>", {"start a y=2"}},  // no quoted value: the list ends
    {"<a v=\"1>2\">", {"start a v=1"}},    // quotes are not tracked while looking for the end
    {"<a v=\"open>", {"start a v=open"}},
    {"<a><b", {"start a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tokenize(c.text), c.expected) << c.text;
}

TEST(SvgTokenizer, PassesAtMost127Attributes)
{
  std::string tag = "<a";
  for (int i = 0; i < 130; ++i)
    tag += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  const Lines lines = tokenize(tag + "/>");
  ASSERT_EQ(lines.size(), 1u);  // the rest of the tag, its slash included, is ignored
  EXPECT_NE(lines[0].find(" a126=126"), std::string::npos);
  EXPECT_EQ(lines[0].find(" a127="), std::string::npos);
}

TEST(SvgDocument, EmptyOrShapelessTextGivesAnEmptyImage)
{
  for (const char* text : {"", "<svg></svg>", "<?xml?><svg><g><text>hello</text></g></svg>", "<path d=\"M 1 1\"/>"})
  {
    SvgImagePtr image = parseSvg(text);
    ASSERT_TRUE(image) << text;
    EXPECT_EQ(image->width, 0.0f);
    EXPECT_EQ(image->height, 0.0f);
    EXPECT_EQ(image->shapes, nullptr);
  }
}

TEST(SvgDocument, ShapesKeepDocumentOrderAndDefinitionsAreNotDrawn)
{
  SvgImagePtr image = parseInView(
    "<rect id=\"first\" width=\"1\" height=\"1\"/>"
    "<defs><rect id=\"hidden\" width=\"1\" height=\"1\"/><defs></defs><circle id=\"nested\" r=\"1\"/></defs>"
    "<circle id=\"second\" r=\"1\"/><g display=\"none\"><line id=\"third\" x2=\"1\"/></g>");
  const auto shapes = shapesOf(*image);
  ASSERT_EQ(shapes.size(), 3u);
  EXPECT_STREQ(shapes[0]->id, "first");
  EXPECT_STREQ(shapes[1]->id, "second");
  EXPECT_STREQ(shapes[2]->id, "third");
  EXPECT_EQ(shapes[1]->flags & kSVGFlagsVisible, kSVGFlagsVisible);
  EXPECT_EQ(shapes[2]->flags & kSVGFlagsVisible, 0);
}

TEST(SvgDocument, GroupEndInsideDefinitionsKeepsTheEnclosingStyle)
{
  SvgImagePtr image = parseInView(
    "<g fill=\"red\"><defs><g></g><g/></defs><rect width=\"1\" height=\"1\"/></g>"
    "<rect width=\"1\" height=\"1\"/>");
  const auto shapes = shapesOf(*image);
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0]->fill.color & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shapes[1]->fill.color & 0xFFFFFF, 0u);
}

TEST(SvgDocument, DeepNestingKeepsPushesAndPopsMatched)
{
  const int depth = 200;
  std::string text = "<svg width=\"100\" height=\"100\"><g fill=\"blue\">";
  for (int i = 1; i < depth; ++i)
    text += i == 150 ? "<g stroke=\"red\">" : "<g>";
  text += "<rect id=\"deep\" width=\"1\" height=\"1\"/>";
  for (int i = 1; i < depth; ++i)
    text += "</g>";
  text += "<rect id=\"outer\" width=\"1\" height=\"1\"/></g><rect id=\"root\" width=\"1\" height=\"1\"/></svg>";
  SvgImagePtr image = parseSvg(text);
  const auto shapes = shapesOf(*image);
  ASSERT_EQ(shapes.size(), 3u);
  EXPECT_EQ(shapes[0]->fill.color & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shapes[0]->stroke.type, kSVGPaintColor);
  EXPECT_EQ(shapes[1]->fill.color & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shapes[2]->fill.color & 0xFFFFFF, 0u);
  EXPECT_EQ(shapes[2]->stroke.type, kSVGPaintNone);
}

TEST(SvgDocument, ScalesTheViewBoxIntoTheOutput)
{
  const struct
  {
    const char* svg;  // attributes of the svg element
    const char* units;
    float dpi;
    Point expected;       // where the user point (10, 20) lands
    float width, height;  // of the image
    // clang-format off
  } cases[] = {
    {"width=\"100\" height=\"50\"", "px", 96, {10, 20}, 100, 50},
    {"width=\"100\" height=\"100\" viewBox=\"0 0 50 50\"", "px", 96, {20, 40}, 100, 100},
    {"width=\"100\" height=\"50\" viewBox=\"0,0,50,50\" preserveAspectRatio=\"xMidYMid\"", "px", 96, {35, 20}, 100, 50},
    {"width=\"100\" height=\"50\" viewBox=\"0 0 50 50\" preserveAspectRatio=\"xMaxYMax meet\"", "px", 96, {60, 20}, 100, 50},
    {"width=\"100\" height=\"50\" viewBox=\"0 0 50 50\" preserveAspectRatio=\"xMidYMid slice\"", "px", 96, {20, 15}, 100, 50},
    {"width=\"50\" height=\"100\" viewBox=\"0 0 50 50\" preserveAspectRatio=\"xMinYMax\"", "px", 96, {10, 70}, 50, 100},
    {"width=\"100\" height=\"50\" viewBox=\"0 0 50 50\" preserveAspectRatio=\"none\"", "px", 96, {20, 20}, 100, 50},
    {"width=\"100\" height=\"100\" viewBox=\"5 10 100 100\"", "px", 96, {5, 10}, 100, 100},
    {"width=\"100\" height=\"100\"", "mm", 72, {10 / 2.8346457f, 20 / 2.8346457f}, 100, 100},
    {"width=\"100\" height=\"100\"", "in", 96, {10 / 96.0f, 20 / 96.0f}, 100, 100},
    {"width=\"100\" height=\"100\"", "pt", 72, {10, 20}, 100, 100},
    {"width=\"100\" height=\"100\"", "em", 96, {10, 20}, 100, 100},  // no font size: user units
    {"width=\"100\" height=\"100\" font-size=\"4\"", "em", 96, {2.5f, 5}, 100, 100},
    {"", "px", 96, {0, 0}, 5, 5},  // no size at all: the shapes' bounds become the view box
  };
  // clang-format on
  for (const auto& c : cases)
  {
    SvgImagePtr image = parseSvg(
      std::string("<svg ") + c.svg + "><rect x=\"10\" y=\"20\" width=\"5\" height=\"5\"/></svg>", c.units, c.dpi);
    ASSERT_TRUE(image && image->shapes) << c.svg;
    const Point p = pointOf(*image->shapes->paths, 0);
    EXPECT_NEAR(p.x, c.expected.x, 1e-3) << c.svg << " " << c.units;
    EXPECT_NEAR(p.y, c.expected.y, 1e-3) << c.svg << " " << c.units;
    EXPECT_FLOAT_EQ(image->width, c.width) << c.svg;
    EXPECT_FLOAT_EQ(image->height, c.height) << c.svg;
  }
}

TEST(SvgDocument, ViewBoxWithoutHeightStaysFinite)
{
  SvgImagePtr image = parseSvg(
    "<svg width=\"10\" height=\"10\" viewBox=\"0 0 10 -5\" preserveAspectRatio=\"xMidYMid meet\">"
    "<rect width=\"5\" height=\"5\"/></svg>");
  const SVGPath& path = *image->shapes->paths;
  for (int i = 0; i < path.npts; ++i)
  {
    EXPECT_TRUE(std::isfinite(pointOf(path, i).x) && std::isfinite(pointOf(path, i).y));
  }
}

TEST(SvgDocument, ShortViewBoxEndsTheSvgAttributes)
{
  EXPECT_FLOAT_EQ(parseSvg("<svg width=\"80\" viewBox=\"0 0 50\"></svg>")->width, 80.0f);
  EXPECT_FLOAT_EQ(parseSvg("<svg viewBox=\"0 0 50\" width=\"80\"></svg>")->width, 50.0f);
}

TEST(SvgDocument, StrokeScalesByTheAverageOfTheAxes)
{
  SvgImagePtr image = parseSvg(
    "<svg width=\"200\" height=\"100\" viewBox=\"0 0 100 100\" preserveAspectRatio=\"none\">"
    "<g transform=\"scale(2)\"><line x2=\"1\" stroke=\"red\" stroke-width=\"2\" stroke-dasharray=\"1 3\"/></g></svg>");
  const SVGShape& shape = *image->shapes;
  EXPECT_FLOAT_EQ(shape.strokeWidth, 2 * 2 * 1.5f);
  ASSERT_EQ(shape.strokeDashCount, 2);
  EXPECT_FLOAT_EQ(shape.strokeDashArray[1], 3 * 2 * 1.5f);
}

TEST(SvgDocument, CopiesPathsAndLoadsFiles)
{
  SvgImagePtr image = parseInView("<path d=\"M1 2 L3 4\"/>");
  SVGPath* copy = svgCopyPath(image->shapes->paths);
  ASSERT_TRUE(copy);
  EXPECT_NE(copy->pts, image->shapes->paths->pts);
  EXPECT_EQ(copy->npts, 4);
  EXPECT_FLOAT_EQ(pointOf(*copy, 3).y, 4.0f);
  EXPECT_EQ(copy->next, nullptr);
  svgDeletePaths(copy);
  EXPECT_EQ(svgCopyPath(nullptr), nullptr);
  svgDeleteImage(nullptr);

  const auto file = std::filesystem::temp_directory_path() / ("svg-parser-test-" + std::to_string(getpid()) + ".svg");
  std::ofstream(file) << "<svg width=\"7\" height=\"9\"><circle r=\"2\"/></svg>";
  SvgImagePtr loaded(svgLoadFile(file.c_str(), "px", 96));
  std::filesystem::remove(file);
  ASSERT_TRUE(loaded);
  EXPECT_FLOAT_EQ(loaded->width, 7.0f);
  EXPECT_NE(loaded->shapes, nullptr);
  EXPECT_EQ(svgLoadFile(file.c_str(), "px", 96), nullptr);
}

}  // namespace
