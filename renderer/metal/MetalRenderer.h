#pragma once
// The GPU back end of the vector context on Metal: the entry points that the drawing back end
// uses for contexts, off-screen framebuffers, the clear colour and pixel read-back.

#include "platform/Metal/CAMetalLayer.h"
#include "renderer/vector/VectorContext.h"

// Creation flags.
enum MNVGcreateFlags {
  MNVG_ANTIALIAS = 1,        // anti-aliasing fringes and the fragment function that reads them
  MNVG_STENCIL_STROKES = 2,  // strokes drawn through the stencil, so overlaps are drawn once
  MNVG_DEBUG = 4,            // print errors of the device
  MNVG_DOUBLE_BUFFER = 0x1000,
  MNVG_TRIPLE_BUFFER = 0x2000,
};

// An off-screen target: an RGBA image of the context that frames render into while bound.
struct MNVGframebuffer
{
  NVGcontext* ctx;
  int image;
  int unused;
};
static_assert(sizeof(void*) != 8 || sizeof(MNVGframebuffer) == 16);

// Null when the device cannot run the back end (no shader library, for one).
NVGcontext* mvgCreateContext(CAMetalLayer* layer, int flags);
void mvgDeleteContext(NVGcontext* ctx);

// Frames flushed from now on render into the framebuffer; null means the layer's drawable.
// One binding for the whole process, used from the main thread.
void mvgBindFramebuffer(MNVGframebuffer* framebuffer);
MNVGframebuffer* mvgCreateFramebuffer(NVGcontext* ctx, int width, int height, int imageFlags);
void mvgDeleteFramebuffer(MNVGframebuffer* framebuffer);

// The colour the target is cleared to at the next flush (straight alpha in, premultiplied kept).
void mvgSetClearColor(NVGcontext* ctx, NVGcolor color);

std::shared_ptr<MTLCommandQueue> mvgGetCommandQueue(NVGcontext* ctx);
std::shared_ptr<MTLDevice> mvgGetDevice(NVGcontext* ctx);
// An image id for a texture made elsewhere; 0 on failure.
int mvgCreateImageFromTexture(NVGcontext* ctx, std::shared_ptr<MTLTexture> texture, int imageFlags);
// The texture of an image once frames rendering into it have completed; null for none.
std::shared_ptr<MTLTexture> mvgGetImageTexture(NVGcontext* ctx, int image);
// Copies a region of an image once frames rendering into it have completed.
void mvgCopyImagePixels(NVGcontext* ctx, int image, int x, int y, int width, int height, void* data);
