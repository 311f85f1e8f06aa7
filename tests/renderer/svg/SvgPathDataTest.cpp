#include "tests/renderer/svg/SvgTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The paths of the one shape a path element makes, in list order (newest first).
std::vector<const SVGPath*> pathsOfData(const std::string& d, SvgImagePtr& keep)
{
  keep = parseInView("<path d=\"" + d + "\"/>");
  if (!keep->shapes)
    return {};
  EXPECT_EQ(keep->shapes->next, nullptr);
  return pathsOf(*keep->shapes);
}

std::vector<float> pointsOf(const SVGPath& path)
{
  return std::vector<float>(path.pts, path.pts + 2 * path.npts);
}

void expectPoint(const SVGPath& path, int i, Point expected, const std::string& what)
{
  const Point p = pointOf(path, i);
  EXPECT_NEAR(p.x, expected.x, 1e-3) << what << " point " << i;
  EXPECT_NEAR(p.y, expected.y, 1e-3) << what << " point " << i;
}

TEST(SvgPathData, CommandFormsEndWhereExpected)
{
  const struct
  {
    const char* d;
    int npts;
    Point end;
  } cases[] = {
    {"M 1 2 L 3 4", 4, {3, 4}},
    {"M1,2 3,4 5,6", 7, {5, 6}},  // pairs after a move draw lines
    {"m1 2 l3 4", 4, {4, 6}},
    {"M1 2 H 5 V 7", 7, {5, 7}},
    {"M1 2 h 5 v 7", 7, {6, 9}},
    {"M0 0 C 1 1 2 1 3 0", 4, {3, 0}},
    {"M0 0 c 1 1 2 1 3 0 s 2 -1 3 0", 7, {6, 0}},
    {"M0 0 Q 1 1 2 0 T 4 0", 7, {4, 0}},
    {"M0 0 q 1 1 2 0 t 2 0", 7, {4, 0}},
    {"M0-5L.5.5", 4, {0.5f, 0.5f}},  // numbers need no separators
    {"M 0 0 L 1e1 2", 4, {10, 2}},
    {"M0 0 L 1 1 2", 4, {1, 1}},       // a lone number waits for its pair
    {"L 5 5 M 1 1 L 2 2", 4, {2, 2}},  // lines before any move add nothing
    {"C 1 1 2 2 3 3", 4, {3, 3}},      // a curve before any move starts at the origin
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image;
    const auto paths = pathsOfData(c.d, image);
    ASSERT_EQ(paths.size(), 1u) << c.d;
    EXPECT_EQ(paths[0]->npts, c.npts) << c.d;
    EXPECT_EQ(paths[0]->closed, 0) << c.d;
    expectPoint(*paths[0], paths[0]->npts - 1, c.end, c.d);
  }
  SvgImagePtr image;
  EXPECT_TRUE(pathsOfData("C 1 1 2 2 3 3", image).size() == 1);
  expectPoint(*image->shapes->paths, 0, {0, 0}, "curve before a move");
}

TEST(SvgPathData, SmoothCurvesReflectTheLastControlPoint)
{
  SvgImagePtr image;
  const SVGPath& cubic = *pathsOfData("M0 0 C 1 2 3 2 4 0 S 7 -2 8 0", image)[0];
  expectPoint(cubic, 4, {5, -2}, "S");
  const SVGPath& quad = *pathsOfData("M0 0 Q 3 3 6 0 T 12 0", image)[0];
  expectPoint(quad, 1, {2, 2}, "Q first control");
  expectPoint(quad, 2, {4, 2}, "Q second control");
  expectPoint(quad, 4, {8, -2}, "T reflected control");
}

TEST(SvgPathData, NothingDrawnWithoutASegment)
{
  for (const char* d : {"", "M 1 1", "M 1 1 Z", "Z", "M1 1 M2 2", "X 1 2 3"})
  {
    SvgImagePtr image;
    EXPECT_TRUE(pathsOfData(d, image).empty()) << d;
  }
  EXPECT_EQ(parseInView("<path fill=\"red\"/>")->shapes, nullptr);
}

TEST(SvgPathData, ClosingAndSubpathOrder)
{
  SvgImagePtr image;
  const auto paths = pathsOfData("M 0 0 L 10 0 L 10 10 Z L 5 5", image);
  ASSERT_EQ(paths.size(), 2u);
  const SVGPath& closed = *paths[1];  // the first sub-path finished comes last
  EXPECT_EQ(closed.closed, 1);
  ASSERT_EQ(closed.npts, 10);
  expectPoint(closed, 9, {0, 0}, "closing segment");
  const SVGPath& next = *paths[0];
  EXPECT_EQ(next.closed, 0);
  ASSERT_EQ(next.npts, 4);
  expectPoint(next, 0, {0, 0}, "after close");

  const auto relative = pathsOfData("M 10 10 l 5 0 z m 2 3 l 1 0", image);
  ASSERT_EQ(relative.size(), 2u);
  expectPoint(*relative[0], 0, {12, 13}, "relative move after close");
}

TEST(SvgPathData, ArcsBecomeQuarterTurnCubics)
{
  const float r45 = 10 * std::cos(3.14159265f / 4);
  const struct
  {
    std::string d;
    int npts;
    Point end;
  } cases[] = {
    {"M 10 0 A 10 10 0 0 1 " + std::to_string(r45) + " " + std::to_string(r45), 4, {r45, r45}},
    {"M 10 0 A 10 10 0 0 1 " + std::to_string(-r45) + " " + std::to_string(r45), 7, {-r45, r45}},
    {"M 10 0 a 10 10 0 1 1 -20 0", 7, {-10, 0}},  // half turn, relative end
    {"M 0 0 A 1 1 0 0 1 100 0", 7, {100, 0}},     // radii too small are enlarged
  };
  for (const auto& c : cases)
  {
    SvgImagePtr image;
    const auto paths = pathsOfData(c.d, image);
    ASSERT_EQ(paths.size(), 1u) << c.d;
    ASSERT_EQ(paths[0]->npts, c.npts) << c.d;
    expectPoint(*paths[0], c.npts - 1, c.end, c.d);
  }
  // Every segment end of a circular arc lies on the circle.
  SvgImagePtr image;
  const SVGPath& arc = *pathsOfData(cases[1].d, image)[0];
  const Point mid = pointOf(arc, 3);
  EXPECT_NEAR(std::hypot(mid.x, mid.y), 10, 1e-3);
  EXPECT_NEAR(arc.bounds[3], 10, 1e-2);  // the curve reaches the top of the circle
}

TEST(SvgPathData, DegenerateArcsAreStraightLines)
{
  for (const char* d : {"M 0 0 A 0 5 0 0 1 9 3", "M 0 0 A 5 0 0 0 1 9 3"})
  {
    SvgImagePtr image;
    const SVGPath& path = *pathsOfData(d, image)[0];
    EXPECT_EQ(pointsOf(path), (std::vector<float>{0, 0, 3, 1, 6, 2, 9, 3})) << d;
  }
  SvgImagePtr image;
  const SVGPath& same = *pathsOfData("M 4 4 A 5 5 0 1 1 4 4", image)[0];
  EXPECT_EQ(pointsOf(same), (std::vector<float>(8, 4.0f)));  // no full ellipse
}

TEST(SvgPathData, BoundsFollowTheCurveNotItsControls)
{
  SvgImagePtr image;
  const SVGPath& path = *pathsOfData("M0 0 C 0 10 10 10 10 0", image)[0];
  EXPECT_FLOAT_EQ(path.bounds[0], 0);
  EXPECT_FLOAT_EQ(path.bounds[1], 0);
  EXPECT_FLOAT_EQ(path.bounds[2], 10);
  EXPECT_FLOAT_EQ(path.bounds[3], 7.5f);
  EXPECT_EQ(std::vector<float>(image->shapes->bounds, image->shapes->bounds + 4),
            std::vector<float>(path.bounds, path.bounds + 4));
}

}  // namespace
