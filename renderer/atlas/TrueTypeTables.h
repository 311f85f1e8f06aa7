#pragma once
// Bounds-checked reading of the TrueType tables that the atlas reads itself, and the check that
// a font file is sound enough to hand to the rasteriser, which trusts every offset it reads.

#include <cstdint>

// Big-endian reads that answer 0 outside the bytes.
struct FontBytes
{
  const uint8_t* data;
  int64_t size;

  bool has(int64_t offset, int64_t length) const
  {
    return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
  }
  uint16_t u16(int64_t offset) const { return has(offset, 2) ? uint16_t(data[offset] << 8 | data[offset + 1]) : 0; }
  int16_t s16(int64_t offset) const { return int16_t(u16(offset)); }
  uint32_t u32(int64_t offset) const { return has(offset, 4) ? uint32_t(u16(offset)) << 16 | u16(offset + 2) : 0; }
};

struct FontTable
{
  int64_t offset = 0;
  int64_t length = 0;
  bool present() const { return length > 0; }
};

// Offset of the face in a font file or collection; -1 when there is no such face.
int64_t fontFaceOffset(FontBytes bytes, int faceIndex);
// The first table with the tag in the face's directory; absent when missing or out of bounds.
FontTable fontFindTable(FontBytes bytes, int64_t face, const char* tag);
// 1 when every table and glyph outline that the rasteriser will walk lies inside the bytes and
// is well formed. Fonts with CFF outlines are not accepted.
bool fontIsSound(FontBytes bytes, int64_t face);
// 1 when the character map at the offset (from the start of the bytes) lies inside the face's
// 'cmap' table and has a lookup format that the rasteriser understands.
bool fontCharacterMapIsSound(FontBytes bytes, int64_t face, int64_t characterMap);

// The pairs of the first horizontal format-0 subtable of 'kern': offset of the first pair and
// count; a count of 0 when there are none.
struct KernPairs
{
  int64_t offset = 0;
  int64_t count = 0;
};
KernPairs fontKernPairs(FontBytes bytes, int64_t face);
