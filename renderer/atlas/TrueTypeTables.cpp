#include "renderer/atlas/TrueTypeTables.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxComponentDepth = 16;

bool tagIs(FontBytes bytes, int64_t offset, const char* tag)
{
  return bytes.has(offset, 4) && std::memcmp(bytes.data + offset, tag, 4) == 0;
}

bool isFontTag(FontBytes bytes, int64_t offset)
{
  static const char* const tags[] = {"\0\1\0\0", "1\0\0\0", "true", "typ1"};
  for (const char* tag : tags)
  {
    if (tagIs(bytes, offset, tag))
      return true;
  }
  return false;
}

bool isPowerOfTwoFloor(unsigned value, unsigned count)
{
  return value != 0 && (value & (value - 1)) == 0 && value <= count && value * 2 > count;
}

unsigned log2Floor(unsigned value)
{
  unsigned bits = 0;
  while (value >>= 1)
    ++bits;
  return bits;
}

// Segment-mapping character map: the binary search reads its header fields as they stand, so
// they must agree with the segment count; every glyph-id array reference must be inside.
bool segmentMapIsSound(FontBytes bytes, FontTable cmap, int64_t sub)
{
  const FontBytes table{bytes.data + cmap.offset, cmap.length};
  const int64_t at = sub - cmap.offset;
  if (!table.has(at, 14))
    return false;
  const unsigned segCount = table.u16(at + 6) / 2u;
  const unsigned searchRange = table.u16(at + 8) / 2u;
  const unsigned entrySelector = table.u16(at + 10);
  const unsigned rangeShift = table.u16(at + 12) / 2u;
  if (!isPowerOfTwoFloor(searchRange, segCount) || entrySelector != log2Floor(searchRange) ||
      rangeShift != segCount - searchRange)
    return false;
  const int64_t endCodes = at + 14;
  const int64_t startCodes = endCodes + 2 * int64_t(segCount) + 2;
  const int64_t rangeOffsets = startCodes + 4 * int64_t(segCount);
  if (!table.has(endCodes, 8 * int64_t(segCount) + 2))
    return false;
  for (unsigned i = 0; i < segCount; ++i)
  {
    const unsigned first = table.u16(startCodes + 2 * i);
    const unsigned last = table.u16(endCodes + 2 * i);
    const unsigned rangeOffset = table.u16(rangeOffsets + 2 * i);
    if (rangeOffset == 0 || first > last)
      continue;
    const int64_t glyphIds = rangeOffsets + 2 * i + rangeOffset;
    if (!table.has(glyphIds, 2 * (int64_t(last) - first + 1)))
      return false;
  }
  return true;
}

// A glyph's declared box, in font units. Bitmaps are sized from it, so it must not be inverted,
// and the points of a simple outline must lie inside it. (Boxes of composite glyphs are often
// a unit off in sound fonts; the rasteriser clips what strays outside.)
struct GlyphBox
{
  int xMin, yMin, xMax, yMax;

  static GlyphBox of(FontBytes outline) { return {outline.s16(2), outline.s16(4), outline.s16(6), outline.s16(8)}; }
  bool ordered() const { return xMin <= xMax && yMin <= yMax; }
};

struct GlyphOutlines
{
  FontBytes bytes;
  FontTable loca, glyf;
  bool longOffsets;
  unsigned glyphCount;
  std::vector<uint8_t> depth;  // 0 unknown, 255 being checked, else component depth
  std::vector<uint8_t> pointFlags;

  // The glyph's outline bytes; empty for a glyph without outline, absent when out of bounds.
  bool outline(unsigned glyph, FontBytes& out) const
  {
    int64_t start = 0, end = 0;
    if (longOffsets)
    {
      start = bytes.u32(loca.offset + 4 * int64_t(glyph));
      end = bytes.u32(loca.offset + 4 * int64_t(glyph) + 4);
    }
    else
    {
      start = 2 * int64_t(bytes.u16(loca.offset + 2 * int64_t(glyph)));
      end = 2 * int64_t(bytes.u16(loca.offset + 2 * int64_t(glyph) + 2));
    }
    out = {bytes.data + glyf.offset + start, end - start};
    return start <= end && end <= glyf.length;
  }

  // One coordinate array: delta-coded values, one per point, each running total in the box.
  bool coordinatesWithin(FontBytes glyph, int64_t& at, uint8_t shortBit, uint8_t sameOrPositiveBit, int low,
                         int high) const
  {
    int value = 0;
    for (const uint8_t flags : pointFlags)
    {
      if (flags & shortBit)
      {
        if (!glyph.has(at, 1))
          return false;
        const int delta = glyph.data[at++];
        value += (flags & sameOrPositiveBit) ? delta : -delta;
      }
      else if (!(flags & sameOrPositiveBit))
      {
        if (!glyph.has(at, 2))
          return false;
        value += glyph.s16(at);
        at += 2;
      }
      if (value < low || value > high)
        return false;
    }
    return true;
  }

  // Simple outline: contour ends, instructions, flags and coordinates all inside the glyph,
  // and every point inside the glyph's box.
  bool simpleIsSound(FontBytes glyph, int contours)
  {
    const int64_t ends = 10;
    if (!glyph.has(ends, 2 * int64_t(contours) + 2))
      return false;
    int previous = -1;
    for (int c = 0; c < contours; ++c)
    {
      const int end = glyph.u16(ends + 2 * c);
      if (end <= previous)
        return false;
      previous = end;
    }
    const size_t points = size_t(previous) + 1;
    int64_t at = ends + 2 * int64_t(contours);
    at += 2 + glyph.u16(at);
    pointFlags.clear();
    while (pointFlags.size() < points)
    {
      if (!glyph.has(at, 1))
        return false;
      const uint8_t flags = glyph.data[at++];
      size_t repeat = 1;
      if (flags & 8)
      {
        if (!glyph.has(at, 1))
          return false;
        repeat += glyph.data[at++];
      }
      pointFlags.insert(pointFlags.end(), std::min(repeat, points - pointFlags.size()), flags);
    }
    const GlyphBox box = GlyphBox::of(glyph);
    return coordinatesWithin(glyph, at, 2, 16, box.xMin, box.xMax) &&
           coordinatesWithin(glyph, at, 4, 32, box.yMin, box.yMax);
  }

  // Composite outline: every component record inside the glyph, offsets given as x/y values
  // (point matching is not supported), and no component chain deeper than the limit or
  // looping back on itself.
  bool compositeIsSound(FontBytes glyph, int level, int& componentDepth)
  {
    int64_t at = 10;
    bool more = true;
    componentDepth = 1;
    while (more)
    {
      if (!glyph.has(at, 4))
        return false;
      const unsigned flags = glyph.u16(at);
      const unsigned component = glyph.u16(at + 2);
      at += 4;
      if (!(flags & 2))
        return false;
      at += (flags & 1) ? 4 : 2;
      at += (flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0;
      if (!glyph.has(0, at))
        return false;
      more = (flags & 0x20) != 0;
      if (component >= glyphCount)
        continue;
      if (!isSound(component, level + 1))
        return false;
      if (depth[component] + 1 > componentDepth)
        componentDepth = depth[component] + 1;
    }
    return true;
  }

  bool isSound(unsigned glyph, int level)
  {
    if (depth[glyph] == 255)
      return false;  // a component refers back to this glyph
    if (depth[glyph] != 0)
      return true;
    if (level > kMaxComponentDepth)
      return false;
    depth[glyph] = 255;
    FontBytes glyphBytes{};
    if (!outline(glyph, glyphBytes))
      return false;
    int componentDepth = 1;
    bool sound = true;
    if (glyphBytes.size > 0)
    {
      const int contours = glyphBytes.s16(0);
      sound = glyphBytes.size >= 10 && GlyphBox::of(glyphBytes).ordered() &&
              (contours > 0   ? simpleIsSound(glyphBytes, contours)
               : contours < 0 ? compositeIsSound(glyphBytes, level, componentDepth)
                              : true);
    }
    if (sound)
      depth[glyph] = uint8_t(componentDepth);
    return sound;
  }
};

}  // namespace

int64_t fontFaceOffset(FontBytes bytes, int faceIndex)
{
  if (faceIndex < 0)
    return -1;
  if (isFontTag(bytes, 0))
    return faceIndex == 0 ? 0 : -1;
  if (!tagIs(bytes, 0, "ttcf"))
    return -1;
  const uint32_t version = bytes.u32(4);
  if (version != 0x00010000 && version != 0x00020000)
    return -1;
  const uint32_t faces = bytes.u32(8);
  if (uint32_t(faceIndex) >= faces || !bytes.has(12 + 4 * int64_t(faceIndex), 4))
    return -1;
  return bytes.u32(12 + 4 * int64_t(faceIndex));
}

FontTable fontFindTable(FontBytes bytes, int64_t face, const char* tag)
{
  const int tableCount = bytes.u16(face + 4);
  for (int i = 0; i < tableCount; ++i)
  {
    const int64_t record = face + 12 + 16 * int64_t(i);
    if (!tagIs(bytes, record, tag))
      continue;
    FontTable table{bytes.u32(record + 8), bytes.u32(record + 12)};
    return bytes.has(record, 16) && bytes.has(table.offset, table.length) ? table : FontTable{};
  }
  return {};
}

bool fontIsSound(FontBytes bytes, int64_t face)
{
  if (!isFontTag(bytes, face) || !bytes.has(face, 12))
    return false;
  const int tableCount = bytes.u16(face + 4);
  if (!bytes.has(face + 12, 16 * int64_t(tableCount)))
    return false;
  for (int i = 0; i < tableCount; ++i)
  {
    const int64_t record = face + 12 + 16 * int64_t(i);
    if (!bytes.has(bytes.u32(record + 8), bytes.u32(record + 12)))
      return false;
  }

  const FontTable head = fontFindTable(bytes, face, "head");
  const FontTable maxp = fontFindTable(bytes, face, "maxp");
  const FontTable hhea = fontFindTable(bytes, face, "hhea");
  const FontTable hmtx = fontFindTable(bytes, face, "hmtx");
  const FontTable cmap = fontFindTable(bytes, face, "cmap");
  const FontTable loca = fontFindTable(bytes, face, "loca");
  const FontTable glyf = fontFindTable(bytes, face, "glyf");
  if (head.length < 54 || maxp.length < 6 || hhea.length < 36 || cmap.length < 4 || !loca.present() || !glyf.present())
    return false;

  const int ascent = bytes.s16(hhea.offset + 4), descent = bytes.s16(hhea.offset + 6);
  const unsigned advances = bytes.u16(hhea.offset + 34);
  if (ascent - descent <= 0 || advances == 0 || hmtx.length < 4 * int64_t(advances))
    return false;

  const unsigned encodings = bytes.u16(cmap.offset + 2);
  if (cmap.length < 4 + 8 * int64_t(encodings))
    return false;

  const unsigned locaFormat = bytes.u16(head.offset + 50);
  if (locaFormat > 1)
    return false;
  GlyphOutlines outlines{bytes, loca, glyf, locaFormat == 1, bytes.u16(maxp.offset + 4), {}, {}};
  if (loca.length < int64_t(outlines.glyphCount + 1) * (outlines.longOffsets ? 4 : 2))
    return false;
  outlines.depth.assign(outlines.glyphCount, 0);
  for (unsigned glyph = 0; glyph < outlines.glyphCount; ++glyph)
  {
    if (!outlines.isSound(glyph, 1))
      return false;
  }

  const FontTable kern = fontFindTable(bytes, face, "kern");
  if (kern.present() && bytes.u16(kern.offset + 2) > 0 && bytes.u16(kern.offset + 8) == 1)
  {
    // A horizontal subtable of pairs that does not fit its table is malformed.
    const KernPairs pairs = fontKernPairs(bytes, face);
    if (pairs.count != bytes.u16(kern.offset + 10))
      return false;
  }
  return true;
}

bool fontCharacterMapIsSound(FontBytes bytes, int64_t face, int64_t characterMap)
{
  const FontTable cmap = fontFindTable(bytes, face, "cmap");
  const FontBytes table{bytes.data + cmap.offset, cmap.length};
  const int64_t at = characterMap - cmap.offset;
  if (!cmap.present() || !table.has(at, 4))
    return false;
  switch (table.u16(at))
  {
    case 0: return table.has(at, 6 + 256);
    case 4: return segmentMapIsSound(bytes, cmap, characterMap);
    case 6: return table.has(at, 10) && table.has(at + 10, 2 * int64_t(table.u16(at + 8)));
    case 12:
    case 13: return table.has(at, 16) && table.has(at + 16, 12 * int64_t(table.u32(at + 12)));
    default: return false;
  }
}

KernPairs fontKernPairs(FontBytes bytes, int64_t face)
{
  const FontTable kern = fontFindTable(bytes, face, "kern");
  if (!kern.present() || bytes.u16(kern.offset + 2) == 0 || bytes.u16(kern.offset + 8) != 1 || kern.length < 18)
    return {};
  const int64_t declared = bytes.u16(kern.offset + 10);
  const int64_t fitting = (kern.length - 18) / 6;
  return {kern.offset + 18, declared < fitting ? declared : fitting};
}
