#pragma once
// The back end's shader library: a blob that names its functions ("vertexShader",
// "fragmentShader", "fragmentShaderAA"), and their code, registered with the device's library
// loader when the blob is first asked for.

#include <cstddef>

const void* mnvgShaderLibrary();
size_t mnvgShaderLibrarySize();

// Fragment positions stray up to 1/512 pixel from the pixel centres, since the rasteriser places
// vertices on a 1/256 pixel grid. Along each axis the fragment functions therefore take a scissor
// mask within this much of 0 or 1 as 0 or 1: a pixel inside a scissor on pixel edges is drawn the
// same whether an edge of the scissor lies beside it or far away, and one outside is left alone.
constexpr float kMNVGScissorSnap = 1.0f / 256.0f;

struct MNVGfragUniforms;

// Whether the scissor mask of the uniforms is 1 at every fragment of the pixels whose centres lie
// between first and last (positions along x and y, in the units the fragments' positions are
// given in, of which a pixel takes 1 / pixelsPerUnit): then the fragment functions may leave it
// out. Known only for a scissor upright on the view.
bool mnvgScissorIsOneBetween(const MNVGfragUniforms& u, const double first[2], const double last[2],
                             const double pixelsPerUnit[2]);
