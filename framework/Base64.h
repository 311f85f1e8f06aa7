#pragma once
// Standard base64 (A-Z, a-z, 0-9, "+", "/", "=" padding).

#include "framework/WDLString.h"

#include <cstdint>

namespace iplug {

// Decodes into out until a character outside the alphabet (padding or the end of the text) or
// until size bytes are written; returns the number of bytes written. out is not cleared.
int Base64Decode(const char* text, uint8_t* out, int size);
void Base64Encode(const uint8_t* data, int size, WDL_String& out);

}  // namespace iplug
