#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "GraphicsFixture.h"

using namespace vtest;

namespace {
using Stream = std::vector<std::string>;

// The primitives one drawing call sends to the back end.
Stream Draw(RecordingGraphics& g, const std::function<void(RecordingGraphics&)>& op)
{
  g.log.clear();
  op(g);
  return g.log;
}

struct Strip : APIBitmap
{
  Strip(int w, int h) : APIBitmap(nullptr, w, h, 1.f, 1.f) {}
};
}  // namespace

TEST(DrawingTest, PrimitiveStreams)
{
  Editor e;
  RecordingGraphics& g = *e.g;
  const float ys[] = {0.5f, 1.f, 0.f};
  const float xs[] = {0.9f, 0.5f, 1.f};
  const float px[] = {0.f, 10.f};
  const float py[] = {0.f, 5.f};
  struct Case
  {
    const char* name;
    std::function<void(RecordingGraphics&)> op;
    Stream expected;
  };
  const std::vector<Case> cases = {
    {"horizontal line 0 lies on the bottom",
     [](auto& g) { g.DrawHorizontalLine(IColor(), IRECT(0, 10, 100, 50), 0.f); },
     {"clear", "move 0 50", "line 100 50", "stroke 1"}},
    {"horizontal line 1 lies on the top",
     [](auto& g) { g.DrawHorizontalLine(IColor(), IRECT(0, 10, 100, 50), 1.5f); },
     {"clear", "move 0 10", "line 100 10", "stroke 1"}},
    {"vertical line at a fraction, truncated",
     [](auto& g) { g.DrawVerticalLine(IColor(), IRECT(10, 0, 20, 50), 0.55f, nullptr, 2.f); },
     {"clear", "move 15 0", "line 15 50", "stroke 2"}},
    {"radial line at 90 degrees points to +x",
     [](auto& g) { g.DrawRadialLine(IColor(), 50, 50, 90.f, 10.f, 20.f); },
     {"clear", "move 60 50", "line 70 50", "stroke 1"}},
    {"dotted line strokes with a dash",
     [](auto& g) { g.DrawDottedLine(IColor(), 0, 0, 10, 0); },
     {"clear", "move 0 0", "line 10 0", "stroke 1 dashed"}},
    {"plot starts at the left edge whatever x[0] holds",
     [&](auto& g) { g.DrawPlot(IColor(), IRECT(0, 0, 100, 10), ys, 3, xs); },
     {"clear", "move 0 5", "line 50 0", "line 100 10", "stroke 1"}},
    {"plot without points draws nothing", [&](auto& g) { g.DrawPlot(IColor(), IRECT(0, 0, 100, 10), ys, 0); }, {}},
    {"polygon without points draws nothing",
     [&](auto& g) {
       g.FillConvexPolygon(IColor(), px, py, 0);
       g.DrawConvexPolygon(IColor(), px, py, 0);
     },
     {}},
    {"grid leaves out the right edge and steps of 1",
     [](auto& g) { g.DrawGrid(IColor(), IRECT(0, 0, 30, 30), 10.f, 1.f); },
     {"clear", "move 10 0", "line 10 30", "move 20 0", "line 20 30", "stroke 1"}},
    {"round rect with no radii is the plain rectangle",
     [](auto& g) { g.FillRoundRect(IColor(), IRECT(0, 0, 4, 2), 0.f); },
     {"clear", "move 0 0", "line 4 0", "line 4 2", "line 0 2", "close", "fill"}},
    {"ellipse without radius adds nothing",
     [](auto& g) { g.FillEllipse(IColor(), IRECT(5, 5, 5, 9)); },
     {"clear", "fill"}},
    {"pie slice",
     [](auto& g) { g.FillArc(IColor(), 5, 5, 2, 0, 90); },
     {"clear", "move 5 5", "arc 5 5 2 0 90", "close", "fill"}},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(Draw(g, c.op), c.expected) << c.name;
  }
}

TEST(DrawingTest, BitmapFramesAreClampedToTheStrip)
{
  Editor e;
  Strip vertical(20, 100), horizontal(100, 20);
  const IBitmap v(&vertical, 5, false, "v"), h(&horizontal, 5, true, "h");
  struct Case
  {
    const IBitmap* bitmap;
    int frame;
    std::string expected;
  };
  for (const Case& c : {Case{&v, 0, "bitmap v 0 0 20 20 src 0 0"}, Case{&v, 99, "bitmap v 0 0 20 20 src 0 80"},
                        Case{&v, 2, "bitmap v 0 0 20 20 src 0 20"}, Case{&h, 3, "bitmap h 0 0 20 20 src 40 0"}})
  {
    EXPECT_EQ(Draw(*e.g, [&](auto& g) { g.DrawBitmapFrame(*c.bitmap, IRECT(0, 0, 20, 20), c.frame); }),
              Stream{c.expected});
  }
}

TEST(DrawingTest, BitmapTextRightAlignedAndGuarded)
{
  Editor e;
  Strip font(6, 12 * 95);
  const IBitmap bitmapFont(&font, 95, false, "font");
  IText right;
  right.mAlign = EAlign::Far;
  // "AB" is 12 wide: it ends at the right edge; A is frame 34, B frame 35 (12-pixel frames).
  EXPECT_EQ(Draw(*e.g,
                 [&](auto& g) {
                   g.DrawBitmapText(bitmapFont, IRECT(0, 0, 100, 12), right, nullptr, "AB", false, false, 6, 12, 0);
                 }),
            (Stream{"bitmap font 88 0 94 12 src 0 396", "bitmap font 94 0 100 12 src 0 408"}));
  EXPECT_TRUE(Draw(*e.g, [&](auto& g) {
                g.DrawBitmapText(bitmapFont, IRECT(0, 0, 100, 12), right, nullptr, "", false, false, 6, 12, 0);
                g.DrawBitmapText(bitmapFont, IRECT(0, 0, 100, 12), right, nullptr, "AB", false, false, 0, 12, 0);
              }).empty());
  // Several lines into bounds without width, or narrower than one cell: nothing fits.
  for (const float width : {0.f, 3.f, -10.f, NAN})
  {
    EXPECT_TRUE(Draw(*e.g,
                     [&](auto& g) {
                       g.DrawBitmapText(bitmapFont, IRECT(0, 0, width, 12), IText(), nullptr, "ABCD", false, true, 6,
                                        12, 0);
                     })
                  .empty())
      << width;
  }
  // Wrapped at two cells a line.
  EXPECT_EQ(Draw(*e.g,
                 [&](auto& g) {
                   g.DrawBitmapText(bitmapFont, IRECT(0, 0, 12, 24), IText(), nullptr, "ABC", false, true, 6, 12, 0);
                 })
              .size(),
            3u);
}

TEST(DrawingTest, TextIsSkippedWhenEmptyAndPlacedAtAPoint)
{
  Editor e;
  IRECT r(1, 2, 3, 4);
  EXPECT_FLOAT_EQ(e.g->MeasureText(IText(), "", r), 0.f);
  EXPECT_EQ(r, IRECT(1, 2, 3, 4));
  EXPECT_TRUE(Draw(*e.g, [](auto& g) { g.DrawText(IText(), nullptr, IRECT()); }).empty());
  EXPECT_EQ(Draw(*e.g, [](auto& g) { g.DrawTextAtPoint(IText(), "hi", 5, 5); }), Stream{"text hi"});
}

namespace {
// An SVG document built by hand: shapes of square outlines, each a start point and four cubic
// segments whose control points sit on the straight edges.
struct HandSvg
{
  std::vector<std::vector<float>> points;
  std::vector<SVGPath> paths;
  SVGShape shape{};
  SVGImage image{100.f, 50.f, &shape};
  std::vector<SVGGradientStop> stops;
  std::vector<unsigned char> gradientMemory;

  void AddSquare(float l, float t, float size, int extraPoints = 0)
  {
    const float r = l + size, b = t + size;
    const float corners[5][2] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
    std::vector<float> pts = {l, t};
    for (int c = 1; c < 5; ++c)
    {
      for (int k = 0; k < 3; ++k)
      {
        pts.push_back(corners[c][0]);
        pts.push_back(corners[c][1]);
      }
    }
    for (int k = 0; k < extraPoints; ++k)
    {
      pts.push_back(l);
      pts.push_back(t);
    }
    points.push_back(pts);
    SVGPath p{};
    p.npts = static_cast<int32_t>(pts.size() / 2);
    p.closed = 1;
    p.bounds[0] = l;
    p.bounds[1] = t;
    p.bounds[2] = r;
    p.bounds[3] = b;
    paths.push_back(p);
  }

  void Link()
  {
    for (size_t i = 0; i < paths.size(); ++i)
    {
      paths[i].pts = points[i].data();
      paths[i].next = i + 1 < paths.size() ? &paths[i + 1] : nullptr;
    }
    shape.paths = paths.empty() ? nullptr : &paths[0];
    shape.flags = kSVGFlagsVisible;
    shape.opacity = 1.f;
    shape.fill.type = kSVGPaintColor;
    shape.fill.color = 0xff0000ffu;
  }
};

// Records the winding rules and paints the SVG walk sends.
class SvgGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  std::vector<int> windings;
  std::vector<IPattern> fills;
  std::vector<IFillOptions> fillOptions;
  void PathWindingRule(int rule) override { windings.push_back(rule); }
  void PathFill(const IPattern& p, const IFillOptions& o, const IBlend* b) override
  {
    fills.push_back(p);
    fillOptions.push_back(o);
    RecordingGraphics::PathFill(p, o, b);
  }
};
}  // namespace

TEST(SvgWalkTest, InnerOutlineBecomesAHoleAndTheDocumentFitsTopLeft)
{
  TestDelegate dlg;
  SvgGraphics g(dlg, 400, 300);
  HandSvg svg;
  svg.AddSquare(0, 0, 40);
  svg.AddSquare(10, 10, 10);  // inside the first: odd crossings -> hole
  svg.AddSquare(60, 0, 10);   // outside: solid
  svg.Link();
  g.DrawSVG(ISVG(&svg.image), IRECT(0, 0, 200, 200));
  EXPECT_EQ(g.windings, (std::vector<int>{0, 1, 0}));
  EXPECT_DOUBLE_EQ(g.GetTransform().mXX, 1.0);  // restored after the walk
  ASSERT_EQ(g.fills.size(), 1u);
  EXPECT_EQ(g.fills[0].GetStop(0).mColor, IColor(255, 255, 0, 0));
  EXPECT_EQ(g.fillOptions[0].mFillRule, 2);
  EXPECT_FALSE(g.fillOptions[0].mPreserve);
}

TEST(SvgWalkTest, MalformedOutlinesAreSkippedAndGradientsKeepSixteenStops)
{
  TestDelegate dlg;
  SvgGraphics g(dlg, 400, 300);
  HandSvg svg;
  svg.AddSquare(0, 0, 40, 1);  // 14 points: not a start point plus whole cubics
  svg.AddSquare(50, 0, 10);
  svg.Link();
  svg.gradientMemory.resize(sizeof(SVGGradient) + 20 * sizeof(SVGGradientStop));
  auto* gradient = reinterpret_cast<SVGGradient*>(svg.gradientMemory.data());
  *gradient = SVGGradient{
    {1, 0, 0, 1, 0, 0}, kSVGSpreadReflect, 0, 0, 20, reinterpret_cast<SVGGradientStop*>(gradient + 1)};
  for (int i = 0; i < 20; ++i)
  {
    gradient->stops[i] = SVGGradientStop{0x80000000u | static_cast<uint32_t>(i), i / 20.f};
  }
  svg.shape.fill.type = kSVGPaintRadialGradient;
  svg.shape.fill.gradient = gradient;
  g.log.clear();
  g.DrawSVG(ISVG(&svg.image), IRECT(0, 0, 100, 50));
  EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "move 0 0"), 0);
  EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "move 50 0"), 1);
  ASSERT_EQ(g.fills.size(), 1u);
  EXPECT_EQ(g.fills[0].mType, 2);
  EXPECT_EQ(g.fills[0].mExtend, 2);
  EXPECT_EQ(g.fills[0].NStops(), 16);
  EXPECT_EQ(g.fills[0].GetStop(15).mColor, IColor(255, 15, 0, 0));
}
