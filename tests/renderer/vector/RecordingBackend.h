// A back end that records every callback of the vector context, copying the geometry it is
// handed, and keeps a texture table in memory.
#pragma once

#include "renderer/vector/VectorContext.h"

#include <map>
#include <string>
#include <vector>

struct RecordedPath
{
  NVGpath path;  // its vertex pointers are not valid after the call
  std::vector<NVGvertex> fill;
  std::vector<NVGvertex> stroke;
};

struct RecordedCall
{
  enum Kind { Fill, Stroke, Triangles } kind;
  NVGpaint paint;
  NVGcompositeOperationState op;
  NVGscissor scissor;
  float fringe;
  float strokeWidth;
  float bounds[4];
  std::vector<RecordedPath> paths;
  std::vector<NVGvertex> verts;
};

struct RecordedTexture
{
  int type, w, h, flags;
  std::vector<unsigned char> data;
  int uploads = 0;
};

class RecordingBackend
{
public:
  explicit RecordingBackend(int edgeAntiAlias = 1);

  // The table to hand to vgCreateContext.
  NVGbackend table();

  std::vector<RecordedCall> calls;
  std::map<int, RecordedTexture> textures;
  std::vector<int> deletedTextures;
  std::vector<std::string> events;  // "viewport", "flush", "cancel", "delete"
  int nextImage = 1;
  bool failCreate = false;
  bool withDelete = true;
  bool recordGeometry = true;  // the benchmark turns copying off
  int edgeAntiAlias;
  float viewport[3] = {};
};
