#pragma once
// The back end's shader library: a blob that names its functions ("vertexShader",
// "fragmentShader", "fragmentShaderAA"), and their code, registered with the device's library
// loader when the blob is first asked for.

#include <cstddef>

const void* mnvgShaderLibrary();
size_t mnvgShaderLibrarySize();
