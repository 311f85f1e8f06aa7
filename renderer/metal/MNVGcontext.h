#pragma once
// The classes behind the GPU back end's entry points: the context with its device objects,
// states, texture table and in-flight buffer sets, and the records of a recorded frame.

#include "platform/Metal/DispatchSemaphore.h"
#include "renderer/metal/MetalRenderer.h"

#include <atomic>
#include <cstddef>

// Metal blend factors of one pipeline: source RGB, destination RGB, source alpha, destination alpha.
struct MNVGblend
{
  MTLBlendFactor srcRGB;
  MTLBlendFactor dstRGB;
  MTLBlendFactor srcAlpha;
  MTLBlendFactor dstAlpha;
  bool operator==(const MNVGblend&) const = default;
};

constexpr MNVGblend kMNVGdefaultBlend = {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                                         MTLBlendFactorOneMinusSourceAlpha};

enum MNVGcallType {
  MNVG_NONE = 0,
  MNVG_FILL = 1,
  MNVG_CONVEXFILL = 2,
  MNVG_STROKE = 3,
  MNVG_TRIANGLES = 4,
};

struct MNVGcall
{
  int type;
  int image;
  int pathOffset;
  int pathCount;
  int triangleOffset;
  int triangleCount;
  int indexOffset;
  int indexCount;
  int strokeOffset;
  int strokeCount;
  int uniformOffset;
  MNVGblend blendFunc;
};
static_assert(sizeof(MNVGcall) == 80);
static_assert(offsetof(MNVGcall, blendFunc) == 48);

enum MNVGshaderType {
  MNVG_SHADER_FILLGRAD = 0,
  MNVG_SHADER_FILLIMG = 1,
  MNVG_SHADER_IMG = 2,
};

enum MNVGtexType {
  MNVG_TEXTYPE_PREMULTIPLIED = 0,
  MNVG_TEXTYPE_RGBA = 1,
  MNVG_TEXTYPE_ALPHA = 2,
};

// The per-call block the fragment functions read. Matrices are 3 columns of 4 floats.
struct MNVGfragUniforms
{
  float scissorMat[12];
  float paintMat[12];
  float innerCol[4];
  float outerCol[4];
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;
  int texType;
  int type;
};
static_assert(offsetof(MNVGfragUniforms, scissorMat) == 0);
static_assert(offsetof(MNVGfragUniforms, paintMat) == 48);
static_assert(offsetof(MNVGfragUniforms, innerCol) == 96);
static_assert(offsetof(MNVGfragUniforms, outerCol) == 112);
static_assert(offsetof(MNVGfragUniforms, scissorExt) == 128);
static_assert(offsetof(MNVGfragUniforms, scissorScale) == 136);
static_assert(offsetof(MNVGfragUniforms, extent) == 144);
static_assert(offsetof(MNVGfragUniforms, radius) == 152);
static_assert(offsetof(MNVGfragUniforms, feather) == 156);
static_assert(offsetof(MNVGfragUniforms, strokeMult) == 160);
static_assert(offsetof(MNVGfragUniforms, strokeThr) == 164);
static_assert(offsetof(MNVGfragUniforms, texType) == 168);
static_assert(offsetof(MNVGfragUniforms, type) == 172);
static_assert(sizeof(MNVGfragUniforms) == 176);

// One in-flight buffer set. A frame records into it, the GPU renders from it, and the completion
// handler, on another thread, hands it back; the handler shares ownership of it.
class MNVGbuffers_vVantorelix_au
{
public:
  // Guards commandBuffer and image, which the completion handler clears.
  std::mutex mutex;
  std::shared_ptr<MTLCommandBuffer> commandBuffer;
  std::atomic<bool> isBusy{false};
  int image = 0;
  std::shared_ptr<MTLBuffer> viewSizeBuffer;
  std::shared_ptr<MTLTexture> stencilTexture;
  std::vector<MNVGcall> calls;  // its size is the capacity
  int ncalls = 0;
  std::shared_ptr<MTLBuffer> indexBuffer;
  uint32_t* indexes = nullptr;
  int cindexes = 0;
  int nindexes = 0;
  std::shared_ptr<MTLBuffer> vertBuffer;
  NVGvertex* verts = nullptr;
  int cverts = 0;
  int nverts = 0;
  std::shared_ptr<MTLBuffer> uniformBuffer;
  unsigned char* uniforms = nullptr;
  int cuniforms = 0;
  int nuniforms = 0;

  // Back to free: nothing recorded, no target.
  void reset();
  // The command buffer rendering into the image, when this set is in flight for it.
  std::shared_ptr<MTLCommandBuffer> inFlightFor(int image);
};

class MNVGtexture_vVantorelix_au
{
public:
  int id = 0;
  int type = 0;
  int flags = 0;
  std::shared_ptr<MTLTexture> tex;
  std::shared_ptr<MTLSamplerState> sampler;
};

// The framebuffer bound with mvgBindFramebuffer, or null.
MNVGframebuffer* mvgBoundFramebuffer();

class MNVGcontext_vVantorelix_au
{
public:
  MNVGcontext_vVantorelix_au(CAMetalLayer* layer, int flags);
  ~MNVGcontext_vVantorelix_au();

  bool clearBufferOnFlush = false;
  int fragSize = 256;
  int indexSize = 4;
  int flags = 0;
  int textureId = 0;
  int maxBuffers = 0;
  std::shared_ptr<MTLCommandQueue> commandQueue;
  CAMetalLayer* metalLayer = nullptr;
  std::shared_ptr<MTLRenderCommandEncoder> renderEncoder;
  unsigned viewPortSize[2] = {0, 0};
  std::vector<std::shared_ptr<MNVGtexture_vVantorelix_au>> textures;
  std::shared_ptr<MNVGbuffers_vVantorelix_au> buffers;
  std::vector<std::shared_ptr<MNVGbuffers_vVantorelix_au>> cbuffers;
  // The frame committed last, which completes after every frame committed before it.
  std::shared_ptr<MTLCommandBuffer> lastFrame;
  dispatch_semaphore_t semaphore = nullptr;
  MNVGblend blendFunc = kMNVGdefaultBlend;
  std::shared_ptr<MTLDepthStencilState> defaultStencilState;
  std::shared_ptr<MTLDepthStencilState> fillShapeStencilState;
  std::shared_ptr<MTLDepthStencilState> fillAntiAliasStencilState;
  std::shared_ptr<MTLDepthStencilState> fillStencilState;
  std::shared_ptr<MTLDepthStencilState> strokeShapeStencilState;
  std::shared_ptr<MTLDepthStencilState> strokeAntiAliasStencilState;
  std::shared_ptr<MTLDepthStencilState> strokeClearStencilState;
  std::shared_ptr<MTLFunction> fragmentFunction;
  std::shared_ptr<MTLFunction> vertexFunction;
  MTLPixelFormat piplelinePixelFormat = MTLPixelFormatInvalid;
  std::shared_ptr<MTLRenderPipelineState> pipelineState;
  std::shared_ptr<MTLRenderPipelineState> stencilOnlyPipelineState;
  std::shared_ptr<MTLSamplerState> pseudoSampler;
  std::shared_ptr<MTLTexture> pseudoTexture;
  std::shared_ptr<MTLVertexDescriptor> vertexDescriptor;
  MTLClearColor clearColor = {0, 0, 0, 0};
  std::vector<float> fillBases;  // scratch of renderFill, kept to spare an allocation per fill

  // Context and textures.
  int renderCreate();
  int renderCreateTexture(int type, int width, int height, int imageFlags, const unsigned char* data);
  int renderDeleteTexture(int image);
  int renderUpdateTexture(int image, int x, int y, int width, int height, const unsigned char* data);
  int renderGetTextureSize(int image, int* width, int* height);
  void renderDelete();
  std::shared_ptr<MNVGtexture_vVantorelix_au> allocTexture();
  std::shared_ptr<MNVGtexture_vVantorelix_au> findTexture(int image) const;
  static MNVGblend blendCompositeOperation(NVGcompositeOperationState op);
  void updateRenderPipelineStatesForBlend(const MNVGblend& blend, MTLPixelFormat pixelFormat);
  void checkError(const NSError* error, const char* message) const;
  // Waits until no frame renders into the image.
  void waitForImage(int image);

  // Frames.
  void renderViewport(float width, float height, float devicePixelRatio);
  void renderCancel();
  void renderFlush();
  void renderFill(const NVGpaint* paint, NVGcompositeOperationState op, const NVGscissor* scissor, float fringe,
                  const float* bounds, const NVGpath* paths, int npaths);
  void renderStroke(const NVGpaint* paint, NVGcompositeOperationState op, const NVGscissor* scissor, float fringe,
                    float strokeWidth, const NVGpath* paths, int npaths);
  void renderTriangles(const NVGpaint* paint, NVGcompositeOperationState op, const NVGscissor* scissor,
                       const NVGvertex* verts, int nverts, float fringe);

  MNVGcall* allocCall();
  int allocVerts(int n);
  int allocIndexes(int n);
  int allocFragUniforms(int n);
  MNVGfragUniforms* fragUniformAtIndex(int offset);
  bool convertPaintForFrag(MNVGfragUniforms* frag, const NVGpaint* paint, const NVGscissor* scissor, float width,
                           float fringe, float strokeThr);

private:
  std::shared_ptr<MTLRenderCommandEncoder> renderCommandEncoderWithColorTexture(
    std::shared_ptr<MTLTexture> colorTexture);
  void updateStencilTextureToSize(NSUInteger width, NSUInteger height);
  void setUniforms(int uniformOffset, int image);
  // Keeps the call's drawing inside its scissor when the scissor is an upright rectangle, so
  // that pixels the scissor masks away are not shaded at all.
  void clipToScissor(int uniformOffset);
  void fill(const MNVGcall& call);
  void convexFill(const MNVGcall& call);
  void stroke(const MNVGcall& call);
  void triangles(const MNVGcall& call);
  // The call's image, when it has one, must have a texture: an image that is gone is not drawn.
  bool imageDrawable(int image) const;
  // Drops the call just allocated.
  void dropCall();
};
