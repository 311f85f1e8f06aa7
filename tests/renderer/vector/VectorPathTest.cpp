#include "tests/renderer/vector/VectorFixture.h"

#include <cmath>
#include <vector>

namespace {
constexpr float kPi = 3.14159265f;

std::vector<float> commands(NVGcontext* ctx)
{
  return std::vector<float>(ctx->commands, ctx->commands + ctx->ncommands);
}

int countCode(NVGcontext* ctx, int code)
{
  // Walks whole commands, so that coordinates are never taken for codes.
  int n = 0;
  for (int i = 0; i < ctx->ncommands;)
  {
    const int c = static_cast<int>(ctx->commands[i]);
    n += c == code;
    i += c == NVG_BEZIERTO ? 7 : (c == NVG_CLOSE ? 1 : (c == NVG_WINDING ? 2 : 3));
  }
  return n;
}
}  // namespace

TEST_F(VectorTest, CommandsAreRecordedTransformed)
{
  vgTranslate(ctx, 5, 0);
  vgMoveTo(ctx, 1, 2);
  vgSetPathWinding(ctx, NVG_HOLE);
  vgClosePath(ctx);
  EXPECT_EQ(commands(ctx), (std::vector<float>{NVG_MOVETO, 6, 2, NVG_WINDING, 2, NVG_CLOSE}));
  // The last point is remembered in user space, before the transform.
  EXPECT_EQ(ctx->commandx, 1);
  EXPECT_EQ(ctx->commandy, 2);
}

TEST_F(VectorTest, QuadToAfterBeginPathStartsFromThePreviousPathsLastPoint)
{
  vgMoveTo(ctx, 0, 0);
  vgLineTo(ctx, 30, 0);
  vgBeginPath(ctx);
  vgQuadTo(ctx, 30, 30, 0, 30);
  EXPECT_EQ(commands(ctx), (std::vector<float>{NVG_BEZIERTO, 30, 20, 20, 30, 0, 30}));
}

TEST_F(VectorTest, ArcSegmentCounts)
{
  struct Case
  {
    float a0, a1;
    int dir;
    int beziers;
  };
  const Case cases[] = {
    {0, 2 * kPi + 0.5f, NVG_CW, 4},  // a full turn or more is one circle
    {0, -7, NVG_CCW, 4},
    {0, 0.1f, NVG_CW, 1},
    {0, kPi, NVG_CW, 2},
    {0, 0.1f, NVG_CCW, 4},  // the long way round: 2 pi - 0.1
  };
  for (const Case& c : cases)
  {
    vgBeginPath(ctx);
    vgArc(ctx, 50, 50, 10, c.a0, c.a1, c.dir);
    EXPECT_EQ(countCode(ctx, NVG_BEZIERTO), c.beziers) << c.a1;
    EXPECT_EQ(ctx->commands[0], NVG_MOVETO);
  }
  // An angle that is not a number sweeps nothing.
  const int before = ctx->ncommands;
  vgArc(ctx, 50, 50, 10, std::nanf(""), 1, NVG_CW);
  EXPECT_EQ(ctx->ncommands, before);
  // With commands already in the buffer the arc joins them with a line.
  vgArc(ctx, 50, 50, 10, 0, 1, NVG_CW);
  EXPECT_EQ(countCode(ctx, NVG_LINETO), 1);
  // The end point lies on the circle.
  EXPECT_NEAR(ctx->commands[ctx->ncommands - 2], 50 + 10 * std::cos(1.0f), 1e-4);
  EXPECT_NEAR(ctx->commands[ctx->ncommands - 1], 50 + 10 * std::sin(1.0f), 1e-4);
}

TEST_F(VectorTest, ArcToDegenerateCasesDrawAStraightLine)
{
  struct Case
  {
    const char* what;
    float x1, y1, x2, y2, r;
  };
  const Case cases[] = {
    {"collinear", 10, 0, 20, 0, 5}, {"radius below distTol", 10, 0, 10, 10, 0.001f}, {"p1 at p0", 0, 0, 10, 10, 5},
    {"p1 at p2", 10, 0, 10, 0, 5},  {"nearly straight", 10, 0, 20, 1e-5f, 5},
  };
  for (const Case& c : cases)
  {
    vgBeginPath(ctx);
    vgMoveTo(ctx, 0, 0);
    vgArcTo(ctx, c.x1, c.y1, c.x2, c.y2, c.r);
    EXPECT_EQ(commands(ctx), (std::vector<float>{NVG_MOVETO, 0, 0, NVG_LINETO, c.x1, c.y1})) << c.what;
  }
  vgBeginPath(ctx);
  vgArcTo(ctx, 10, 0, 10, 10, 5);  // nothing to start from
  EXPECT_EQ(ctx->ncommands, 0);

  vgMoveTo(ctx, 0, 0);
  vgArcTo(ctx, 10, 0, 10, 10, 5);  // a right-angle corner: a quarter circle tangent to both
  ASSERT_EQ(countCode(ctx, NVG_BEZIERTO), 1);
  EXPECT_EQ(commands(ctx)[3], NVG_LINETO);
  EXPECT_NEAR(ctx->commands[4], 5, 1e-4);
  EXPECT_NEAR(ctx->commands[5], 0, 1e-4);
  EXPECT_NEAR(ctx->commands[ctx->ncommands - 2], 10, 1e-4);
  EXPECT_NEAR(ctx->commands[ctx->ncommands - 1], 5, 1e-4);
}

TEST_F(VectorTest, RoundedRectangles)
{
  vgRoundedRectCorners(ctx, 0, 0, 10, 10, 0.05f, 0.05f, 0.05f, 0.05f);
  vgBeginPath(ctx);
  vgRoundedRect(ctx, 0, 0, 10, 10, 0.05f);
  EXPECT_EQ(commands(ctx), (std::vector<float>{NVG_MOVETO, 0, 0, NVG_LINETO, 0, 10, NVG_LINETO, 10, 10, NVG_LINETO, 10,
                                               0, NVG_CLOSE}));
  // Radii are limited to half the size and follow the sign of a negative width.
  vgBeginPath(ctx);
  vgRoundedRectCorners(ctx, 0, 0, -10, 4, 8, 0, 0, 0);
  EXPECT_EQ(countCode(ctx, NVG_BEZIERTO), 4);
  EXPECT_EQ(ctx->commands[2], 2);                     // start (x, y + ryTL) with ryTL = min(8, 2)
  EXPECT_EQ(ctx->commands[ctx->ncommands - 10], -5);  // the top edge ends at x + rxTL
}

TEST_F(VectorTest, EllipseIsFourBeziersAroundTheCentre)
{
  vgCircle(ctx, 50, 40, 10);
  EXPECT_EQ(countCode(ctx, NVG_BEZIERTO), 4);
  EXPECT_EQ(countCode(ctx, NVG_CLOSE), 1);
  EXPECT_EQ(ctx->commands[1], 40);
  EXPECT_EQ(ctx->commands[2], 40);
}
