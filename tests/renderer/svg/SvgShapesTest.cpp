#include "tests/renderer/svg/SvgTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SvgShapes, OutlinesFollowTheElementRules)
{
  const struct
  {
    const char* element;
    int npts;  // 0: no shape at all
    bool closed;
    float bounds[4];
  } cases[] = {
    {"<rect x=\"1\" y=\"2\" width=\"10\" height=\"20\"/>", 13, true, {1, 2, 11, 22}},
    {"<rect x=\"1\" y=\"2\" width=\"10\" height=\"20\" rx=\"3\"/>", 28, true, {1, 2, 11, 22}},
    {"<rect width=\"0\" height=\"20\"/>", 0, false, {}},
    {"<rect width=\"-10\" height=\"20\"/>", 0, false, {}},
    {"<circle cx=\"5\" cy=\"5\" r=\"-5\"/>", 16, true, {0, 0, 10, 10}},
    {"<circle cx=\"5\" cy=\"5\" r=\"0\"/>", 0, false, {}},
    {"<ellipse cx=\"5\" cy=\"5\" rx=\"4\" ry=\"2\"/>", 16, true, {1, 3, 9, 7}},
    {"<ellipse cx=\"5\" cy=\"5\" rx=\"4\"/>", 0, false, {}},
    {"<line x1=\"1\" y1=\"2\" x2=\"3\" y2=\"4\"/>", 4, false, {1, 2, 3, 4}},
    {"<line x1=\"10%\" x2=\"50%\" y2=\"1\"/>", 4, false, {10, 0, 50, 1}},
    {"<polyline points=\"10,20 30 \"/>", 4, false, {10, 0, 30, 20}},
    {"<polyline points=\"10,20 30\"/>", 0, false, {}},
    {"<polygon points=\"0,0 4,0 4,4\"/>", 10, true, {0, 0, 4, 4}},
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image = parseInView(c.element);
    if (c.npts == 0)
    {
      EXPECT_EQ(image->shapes, nullptr) << c.element;
      continue;
    }
    ASSERT_NE(image->shapes, nullptr) << c.element;
    const SVGPath& path = *image->shapes->paths;
    EXPECT_EQ(path.npts, c.npts) << c.element;
    EXPECT_EQ(path.closed, c.closed ? 1 : 0) << c.element;
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(path.bounds[i], c.bounds[i], 1e-4) << c.element << " bound " << i;
  }
}

TEST(SvgShapes, RoundedRectangleRadii)
{
  const struct
  {
    const char* radii;
    Point start, afterFirstCorner;  // points 0 and 6 of the outline
  } cases[] = {
    {"rx=\"5\"", {5, 0}, {40, 5}},
    {"ry=\"5\"", {5, 0}, {40, 5}},
    {"rx=\"100\" ry=\"2\"", {20, 0}, {40, 2}},  // limited to half the width
    {"rx=\"-4\" ry=\"3\"", {4, 0}, {40, 3}},    // radii are magnitudes
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image = parseInView(std::string("<rect width=\"40\" height=\"30\" ") + c.radii + "/>");
    const SVGPath& path = *image->shapes->paths;
    EXPECT_NEAR(pointOf(path, 0).x, c.start.x, 1e-4) << c.radii;
    EXPECT_NEAR(pointOf(path, 0).y, c.start.y, 1e-4) << c.radii;
    EXPECT_NEAR(pointOf(path, 6).x, c.afterFirstCorner.x, 1e-4) << c.radii;
    EXPECT_NEAR(pointOf(path, 6).y, c.afterFirstCorner.y, 1e-4) << c.radii;
  }
}

TEST(SvgShapes, ElementsDoNotShareLeftoverPoints)
{
  SvgImagePtr image = parseInView("<path d=\"M 50 50 L 60 60 M 70 70\"/><line x1=\"1\" y1=\"1\" x2=\"2\" y2=\"2\"/>");
  const auto shapes = shapesOf(*image);
  ASSERT_EQ(shapes.size(), 2u);
  const SVGPath& line = *shapes[1]->paths;
  EXPECT_EQ(line.npts, 4);
  EXPECT_FLOAT_EQ(pointOf(line, 0).x, 1);
}

}  // namespace
