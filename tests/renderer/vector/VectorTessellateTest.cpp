#include "tests/renderer/vector/VectorFixture.h"

#include <cmath>

namespace {
void star(NVGcontext* ctx, float cx, float cy)
{
  for (int i = 0; i < 5; i++)
  {
    // Every second point of a pentagon: a self-intersecting star that turns left at every point
    // yet winds round twice, so it is not convex.
    const float a = i * 4 * 3.14159265f / 5;
    const float x = cx + 40 * std::sin(a), y = cy - 40 * std::cos(a);
    i == 0 ? vgMoveTo(ctx, x, y) : vgLineTo(ctx, x, y);
  }
  vgClosePath(ctx);
}

float outerFringeU(const RecordedPath& p)
{
  return p.stroke.at(0).u;
}
}  // namespace

TEST_F(VectorTest, ConvexSinglePathGetsHalfFringeOthersAFullOne)
{
  vgRect(ctx, 10, 10, 30, 20);
  vgFill(ctx);
  ASSERT_EQ(lastCall().paths.size(), 1u);
  const RecordedPath& rect = lastCall().paths[0];
  EXPECT_TRUE(rect.path.convex);
  EXPECT_EQ(rect.fill.size(), 4u);
  EXPECT_EQ(rect.stroke.size(), 4u * 2 + 2);
  EXPECT_EQ(outerFringeU(rect), 0.5f);
  // Fill vertices sit half a fringe inside the shape; the half fringe ramps from there to half a
  // pixel outside.
  EXPECT_FLOAT_EQ(rect.fill[0].x, 10.5f);
  EXPECT_FLOAT_EQ(rect.stroke[0].x, 10.5f);
  EXPECT_FLOAT_EQ(rect.stroke[1].x, 9.5f);
  EXPECT_EQ(rect.stroke[1].u, 1.0f);
  EXPECT_EQ(lastCall().bounds[0], 10);
  EXPECT_EQ(lastCall().bounds[3], 30);

  vgBeginPath(ctx);
  vgRect(ctx, 10, 10, 30, 20);
  vgRect(ctx, 50, 10, 30, 20);
  vgFill(ctx);
  ASSERT_EQ(lastCall().paths.size(), 2u);
  EXPECT_EQ(outerFringeU(lastCall().paths[0]), 0.0f);
  EXPECT_FLOAT_EQ(lastCall().paths[0].stroke[0].x, 11.5f);

  vgBeginPath(ctx);
  star(ctx, 50, 50);
  vgFill(ctx);
  ASSERT_EQ(lastCall().paths.size(), 1u);
  EXPECT_FALSE(lastCall().paths[0].path.convex);
  EXPECT_EQ(outerFringeU(lastCall().paths[0]), 0.0f);
}

TEST(VectorTessellate, NoFringeWithoutAntiAliasing)
{
  for (int backendAA : {0, 1})
  {
    RecordingBackend backend(backendAA);
    NVGbackend table = backend.table();
    NVGcontext* ctx = vgCreateContext(&table);
    vgBeginFrame(ctx, 100, 100, 1);
    vgSetShapeAntiAlias(ctx, 0);
    vgRect(ctx, 10, 10, 30, 20);
    vgFill(ctx);
    const RecordedPath& p = backend.calls.back().paths.at(0);
    EXPECT_EQ(p.stroke.size(), 0u);
    EXPECT_EQ(p.fill[0].x, 10);  // the shape itself
    vgStroke(ctx);
    // Without a fringe the stroke has no alpha gradient across it.
    EXPECT_EQ(backend.calls.back().paths.at(0).stroke.at(0).u, 0.5f);
    vgDeleteContext(ctx);
  }
}

TEST_F(VectorTest, StrokeWidthIsScaledClampedAndHairlinesFade)
{
  struct Case
  {
    float scale, width;
    float drawnWidth, alpha;
  };
  const Case cases[] = {
    {1, 0.3f, 1.0f, 0.09f},  // thinner than a pixel: drawn one pixel wide, faded by 0.3^2
    {1, 500, 200, 1},        // clamped
    {10, 30, 200, 1},        // clamped after scaling
    {2, 3, 6, 1},
  };
  for (const Case& c : cases)
  {
    vgBeginFrame(ctx, 100, 100, 1);
    vgScale(ctx, c.scale, c.scale);
    vgSetStrokeWidth(ctx, c.width);
    vgBeginPath(ctx);
    vgMoveTo(ctx, 1, 1);
    vgLineTo(ctx, 5, 1);
    vgStroke(ctx);
    EXPECT_FLOAT_EQ(lastCall().strokeWidth, c.drawnWidth) << c.width;
    EXPECT_NEAR(lastCall().paint.innerColor.a, c.alpha, 1e-6) << c.width;
  }
}

TEST_F(VectorTest, RoundCapsAndJoinsUseDivisionsOfTheTolerance)
{
  vgSetStrokeWidth(ctx, 10);
  vgSetLineCap(ctx, NVG_ROUND);
  vgMoveTo(ctx, 10, 50);
  vgLineTo(ctx, 90, 50);
  vgStroke(ctx);
  // Half width 5.5 with the fringe: ceil(pi / (2 acos(5 / 5.25))) = 6 divisions per cap, each cap
  // 2 x 6 + 2 vertices.
  EXPECT_EQ(lastCall().paths.at(0).stroke.size(), 2u * (2 * 6 + 2));

  vgSetLineCap(ctx, NVG_BUTT);
  vgStroke(ctx);
  EXPECT_EQ(lastCall().paths.at(0).stroke.size(), 8u);
  const std::vector<NVGvertex>& butt = lastCall().paths[0].stroke;
  EXPECT_FLOAT_EQ(butt[0].x, 10 + 0.5f - 1);  // half a fringe behind, then the fringe
  EXPECT_EQ(butt[0].v, 0);
  EXPECT_EQ(butt[2].v, 1);

  vgSetLineCap(ctx, NVG_SQUARE);
  vgStroke(ctx);
  EXPECT_FLOAT_EQ(lastCall().paths[0].stroke[2].x, 10 - 5.5f + 1);

  // A round join on a right angle: one bevelled point with up to ncap arc steps.
  vgBeginPath(ctx);
  vgMoveTo(ctx, 10, 10);
  vgLineTo(ctx, 50, 10);
  vgLineTo(ctx, 50, 50);
  vgSetLineJoin(ctx, NVG_ROUND);
  vgStroke(ctx);
  EXPECT_EQ(lastCall().paths[0].stroke.size(), 8u + 4 + 2 * 3);  // caps, join ends, 3 arc steps
}

TEST_F(VectorTest, FlatteningClosesRepeatedEndsAndKeepsStraightBeziersShort)
{
  vgMoveTo(ctx, 10, 10);
  vgLineTo(ctx, 20, 10);
  vgLineTo(ctx, 20, 20);
  vgLineTo(ctx, 10.001f, 10);
  vgMoveTo(ctx, 0, 60);
  vgBezierTo(ctx, 10, 60, 20, 60, 30, 60);  // control points on the chord
  vgFill(ctx);
  ASSERT_EQ(lastCall().paths.size(), 2u);
  EXPECT_EQ(lastCall().paths[0].path.count, 3);
  EXPECT_EQ(lastCall().paths[0].path.closed, 1);
  EXPECT_EQ(lastCall().paths[1].path.count, 2);

  // A fill then a stroke of the same path flattens once; later commands are not seen.
  vgLineTo(ctx, 90, 90);
  vgStroke(ctx);
  EXPECT_EQ(lastCall().paths[1].path.count, 2);
  EXPECT_EQ(ctx->cache->npoints, 6);
}

TEST_F(VectorTest, WindingOrdersThePointsOfSolidsAndHoles)
{
  for (int winding : {NVG_SOLID, NVG_HOLE})
  {
    vgBeginPath(ctx);
    vgMoveTo(ctx, 0, 0);
    vgLineTo(ctx, 10, 0);
    vgLineTo(ctx, 10, 10);
    vgSetPathWinding(ctx, winding);
    vgFill(ctx);
    const RecordedPath& p = lastCall().paths.at(0);
    EXPECT_EQ(p.path.winding, winding);
    // A solid path turns left at every point (convex); a hole runs the other way round.
    EXPECT_EQ(p.path.convex, winding == NVG_SOLID ? 1 : 0);
  }
}

TEST_F(VectorTest, GlobalAlphaMultipliesPaintsButNotTheState)
{
  vgSetGlobalAlpha(ctx, 0.5f);
  vgSetFillColor(ctx, vgColorRGBAf(1, 0, 0, 0.5f));
  vgRect(ctx, 0, 0, 10, 10);
  vgFill(ctx);
  EXPECT_FLOAT_EQ(lastCall().paint.innerColor.a, 0.25f);
  EXPECT_FLOAT_EQ(vgGetState(ctx)->fill.innerColor.a, 0.5f);
}
