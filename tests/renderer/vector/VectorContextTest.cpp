#include "tests/renderer/vector/VectorFixture.h"

TEST_F(VectorTest, StateStackHoldsAtMost32StatesAndNeverPopsTheLast)
{
  vgRestore(ctx);
  EXPECT_EQ(ctx->nstates, 1);
  vgSetStrokeWidth(ctx, 7);
  for (int i = 0; i < 33; i++)
    vgSave(ctx);
  EXPECT_EQ(ctx->nstates, 32);
  EXPECT_EQ(vgGetState(ctx)->strokeWidth, 7);  // each save copies the state below
  vgSetStrokeWidth(ctx, 3);
  vgRestore(ctx);
  EXPECT_EQ(vgGetState(ctx)->strokeWidth, 7);
}

TEST_F(VectorTest, BeginFrameResetsStateAndScalesTolerancesByPixelRatio)
{
  vgSave(ctx);
  vgSetGlobalAlpha(ctx, 0.5f);
  vgBeginFrame(ctx, 200, 100, 2);
  EXPECT_EQ(ctx->nstates, 1);
  EXPECT_EQ(vgGetState(ctx)->alpha, 1.0f);
  EXPECT_FLOAT_EQ(ctx->tessTol, 0.125f);
  EXPECT_FLOAT_EQ(ctx->distTol, 0.005f);
  EXPECT_FLOAT_EQ(ctx->fringeWidth, 0.5f);
  EXPECT_EQ(backend.viewport[0], 200);
  EXPECT_EQ(backend.viewport[2], 2);
}

TEST_F(VectorTest, DefaultStateValues)
{
  const NVGdrawState* s = vgGetState(ctx);
  EXPECT_EQ(s->compositeOperation.srcRGB, NVG_ONE);
  EXPECT_EQ(s->compositeOperation.dstAlpha, NVG_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(s->fill.innerColor.r, 1.0f);
  EXPECT_EQ(s->stroke.outerColor.r, 0.0f);
  EXPECT_EQ(s->stroke.outerColor.a, 1.0f);
  EXPECT_EQ(s->fill.feather, 1.0f);
  EXPECT_EQ(s->miterLimit, 10.0f);
  EXPECT_EQ(s->lineJoin, NVG_MITER);
  EXPECT_EQ(s->scissor.extent[0], -1.0f);
  EXPECT_EQ(s->fontSize, 16.0f);
  EXPECT_EQ(s->textAlign, NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE);
}

TEST_F(VectorTest, CompositeOperationTable)
{
  struct Case
  {
    int op, s, d;
  };
  const Case cases[] = {
    {0, 2, 128},  {1, 256, 1}, {2, 512, 1}, {3, 256, 128},  {4, 512, 2}, {5, 1, 64}, {6, 1, 128},
    {7, 512, 64}, {8, 2, 2},   {9, 2, 1},   {10, 512, 128}, {11, 2, 1},  {-1, 2, 1},
  };
  for (const Case& c : cases)
  {
    vgSetCompositeOperation(ctx, c.op);
    const NVGcompositeOperationState o = vgGetState(ctx)->compositeOperation;
    EXPECT_EQ(o.srcRGB, c.s) << c.op;
    EXPECT_EQ(o.dstRGB, c.d) << c.op;
    EXPECT_EQ(o.srcAlpha, c.s) << c.op;
    EXPECT_EQ(o.dstAlpha, c.d) << c.op;
  }
  vgSetBlendFuncSeparate(ctx, 3, 5, 7, 9);  // unchecked: the back end falls back
  const NVGcompositeOperationState o = vgGetState(ctx)->compositeOperation;
  EXPECT_EQ(o.srcRGB + o.dstRGB + o.srcAlpha + o.dstAlpha, 24);
}

TEST(VectorContext, FailedCreationFreesEverythingThroughDelete)
{
  RecordingBackend backend;
  backend.failCreate = true;
  NVGbackend table = backend.table();
  EXPECT_EQ(vgCreateContext(&table), nullptr);
  EXPECT_EQ(backend.events, std::vector<std::string>{"delete"});
  EXPECT_TRUE(backend.textures.empty());
}

TEST(VectorContext, DeleteWithoutBackendDeleteFreesTextures)
{
  RecordingBackend backend;
  backend.withDelete = false;
  NVGbackend table = backend.table();
  NVGcontext* ctx = vgCreateContext(&table);
  ASSERT_NE(ctx, nullptr);
  ASSERT_EQ(backend.textures.size(), 1u);
  EXPECT_EQ(backend.textures.begin()->second.w, 512);
  vgDeleteContext(ctx);
  vgDeleteContext(nullptr);
  EXPECT_TRUE(backend.textures.empty());
}

// The atlas-texture tidy-up after a frame in which text moved on to a larger texture.
class FontImageTidyTest : public VectorTest
{
protected:
  int texture(int w, int h)
  {
    NVGbackend t = backend.table();
    return t.renderCreateTexture(t.userPtr, NVG_TEXTURE_ALPHA, w, h, 0, nullptr);
  }
};

TEST_F(FontImageTidyTest, SmallerTexturesAreDeletedAndTheCurrentOneMovesToSlotZero)
{
  const int first = ctx->fontImages[0];
  const int second = texture(1024, 512);
  ctx->fontImages[1] = second;
  ctx->fontImageIdx = 1;
  vgEndFrame(ctx);
  EXPECT_EQ(backend.deletedTextures, std::vector<int>{first});
  EXPECT_EQ(ctx->fontImages[0], second);
  EXPECT_EQ(ctx->fontImages[1], 0);
  EXPECT_EQ(ctx->fontImageIdx, 0);
}

TEST_F(FontImageTidyTest, LargerTexturesAboveTheCurrentOneAreKeptNotLeaked)
{
  // A frame that went up to texture 3 earlier and only to texture 1 now.
  const int first = ctx->fontImages[0];
  const int t1 = texture(1024, 512), t2 = texture(1024, 1024), t3 = texture(2048, 1024);
  ctx->fontImages[1] = t1;
  ctx->fontImages[2] = t2;
  ctx->fontImages[3] = t3;
  ctx->fontImageIdx = 1;
  vgEndFrame(ctx);
  EXPECT_EQ(backend.deletedTextures, std::vector<int>{first});
  EXPECT_EQ(ctx->fontImages[0], t1);
  EXPECT_EQ(ctx->fontImages[1], t2);
  EXPECT_EQ(ctx->fontImages[2], t3);
  EXPECT_EQ(backend.textures.size(), 3u);
  vgEndFrame(ctx);  // nothing moved: nothing changes
  EXPECT_EQ(backend.textures.size(), 3u);
}
