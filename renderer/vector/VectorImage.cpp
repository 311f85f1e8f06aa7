// Images of the vector context: decoded here, owned by the back end as textures.
#include "renderer/vector/VectorState.h"

#include <cstdio>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace
{
int createTextureFromDecoded(NVGcontext* ctx, int imageFlags, unsigned char* pixels, int w, int h)
{
  if (!pixels)
    return 0;
  const int image = vgCreateImageFromPixels(ctx, w, h, imageFlags, pixels);
  stbi_image_free(pixels);
  return image;
}
}  // namespace

int vgCreateImageFromFile(NVGcontext* ctx, const char* path, int imageFlags)
{
  stbi_set_unpremultiply_on_load(1);
  stbi_convert_iphone_png_to_rgb(1);
  FILE* file = std::fopen(path, "rb");
  if (!file)
  {
    stbi__err("can't fopen", "Unable to open file");
    return 0;
  }
  int w = 0, h = 0, n = 0;
  unsigned char* pixels = stbi_load_from_file(file, &w, &h, &n, 4);
  std::fclose(file);
  return createTextureFromDecoded(ctx, imageFlags, pixels, w, h);
}

int vgCreateImageFromMemory(NVGcontext* ctx, int imageFlags, unsigned char* data, int size)
{
  if (!data || size <= 0)
    return 0;
  int w = 0, h = 0, n = 0;
  unsigned char* pixels = stbi_load_from_memory(data, size, &w, &h, &n, 4);
  return createTextureFromDecoded(ctx, imageFlags, pixels, w, h);
}

int vgCreateImageFromPixels(NVGcontext* ctx, int w, int h, int imageFlags,
                            const unsigned char* rgba)
{
  return ctx->params.renderCreateTexture(ctx->params.userPtr, NVG_TEXTURE_RGBA, w, h, imageFlags,
                                         rgba);
}

void vgReplaceImagePixels(NVGcontext* ctx, int image, const unsigned char* data)
{
  int w = 0, h = 0;
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, &w, &h);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, 0, 0, w, h, data);
}

void vgDeleteImage(NVGcontext* ctx, int image)
{
  ctx->params.renderDeleteTexture(ctx->params.userPtr, image);
}
