#pragma once
// Not Metal: the arithmetic of whole texels (four 8-bit channels) that the rasteriser writes, on
// four lanes at once, and the kernels that blend rows of them. Each kernel has a scalar form,
// texel by texel, which is the reference the others must match byte for byte; a plain form that
// every processor of the build runs; and an AVX2 form, picked when the processor has it.
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mtlpixels {
// The four channels of a texel as one vector; every lane computes exactly what the per-channel
// code computes for its channel.
typedef float Lanes __attribute__((vector_size(16)));
typedef int IntLanes __attribute__((vector_size(16)));
typedef unsigned char ByteLanes __attribute__((vector_size(4)));

// The constants of a texel's conversion and blending, on all four lanes. A draw carries them as
// values: written in as constants, the compiler rebuilds each from a scalar after every call of
// the fragment function.
struct LaneConstants
{
  Lanes zero = {0.0f, 0.0f, 0.0f, 0.0f}, one = {1.0f, 1.0f, 1.0f, 1.0f}, half = {0.5f, 0.5f, 0.5f, 0.5f};
  Lanes toUnit = {1.0f / 255.0f, 1.0f / 255.0f, 1.0f / 255.0f, 1.0f / 255.0f};
  Lanes toByte = {255.0f, 255.0f, 255.0f, 255.0f};
};

// Clamping to 1 and to 0..1. SSE2 makes the same selections in one instruction each: max and min
// return their second operand on a tie or a NaN, so -0 and NaN pass through unchanged.
inline Lanes atMost1(const LaneConstants& k, Lanes v)
{
#if defined(__SSE2__)
  return _mm_min_ps(k.one, v);
#else
  return k.one < v ? k.one : v;
#endif
}

inline Lanes clamp01(const LaneConstants& k, Lanes v)
{
#if defined(__SSE2__)
  return atMost1(k, _mm_max_ps(k.zero, v));
#else
  return atMost1(k, v < k.zero ? k.zero : v);
#endif
}

// A texel's four bytes as lanes, and lanes of 0..255.99 back to bytes (truncated); in a few
// instructions where the processor has them.
inline Lanes fromBytes(const unsigned char* texel)
{
#if defined(__SSE2__)
  int32_t word;
  std::memcpy(&word, texel, sizeof(word));
  const __m128i zero = _mm_setzero_si128();
  return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero));
#else
  ByteLanes stored;
  std::memcpy(&stored, texel, sizeof(stored));
  return __builtin_convertvector(stored, Lanes);
#endif
}

inline void toBytes(Lanes v, unsigned char* texel)
{
#if defined(__SSE2__)
  const __m128i ints = _mm_cvttps_epi32(v);
  const __m128i words = _mm_packs_epi32(ints, ints);
  const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(texel, &word, sizeof(word));
#else
  // A lane that is not a number is stored as 0, as the SSE2 conversion does; converting it as it
  // is would be undefined.
  const Lanes numbers = v == v ? v : Lanes{};
  const ByteLanes stored = __builtin_convertvector(__builtin_convertvector(numbers, IntLanes), ByteLanes);
  std::memcpy(texel, &stored, sizeof(stored));
#endif
}

// Whether a mask of lanes is all ones, lane by lane, as bits.
inline int laneBits(IntLanes lanes)
{
#if defined(__SSE2__)
  return _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(lanes)));
#else
  return (lanes[0] & 1) | (lanes[1] & 2) | (lanes[2] & 4) | (lanes[3] & 8);
#endif
}

// Between a whole texel's stored order and RGBA: the formats with four channels store RGBA or
// BGRA, and swapping red and blue undoes itself.
template <bool kBGRA>
inline Lanes inRGBAOrder(Lanes v)
{
  if constexpr (kBGRA)
    return __builtin_shufflevector(v, v, 2, 1, 0, 3);
  else
    return v;
}

// A colour clamped to 0..1, as lanes in a whole texel's stored order (alpha comes fourth in both
// formats, so only the colour channels may change places).
template <bool kBGRA>
inline Lanes wholeSource(const LaneConstants& k, const float colour[4])
{
  return inRGBAOrder<kBGRA>(clamp01(k, Lanes{colour[0], colour[1], colour[2], colour[3]}));
}

// Source-over blending or a plain write of a clamped colour, in the texel's order, into a texel
// that stores all four channels under a mask that writes them all: the common case, done on all
// four channels at once.
inline void blendWhole(const LaneConstants& k, bool blending, unsigned char* texel, Lanes out)
{
  // The clamped source is 0..1, -0 or NaN: written as it is, a second clamp would change nothing.
  if (blending)
  {
    // An opaque source leaves the target no share, and a source of zeros leaves it as it is (a
    // stored byte comes back from its conversion unchanged): both without reading the target.
    if (out[3] == 1.0f)
    {
      toBytes(out * k.toByte + k.half, texel);
      return;
    }
    if (laneBits(out == k.zero) == 0xF)
      return;
    // The target's share is at least +0, so the sum is too (or NaN): only 1 can be exceeded.
    const Lanes dst = fromBytes(texel) * k.toUnit;
    out = atMost1(k, out + dst * (k.one - __builtin_shufflevector(out, out, 3, 3, 3, 3)));
  }
  toBytes(out * k.toByte + k.half, texel);
}

// Kernels over rows of whole texels of one format (RGBA8 or BGRA8).
struct TexelRowKernels
{
  // Source-over of one colour that is not opaque (clamped, in the texels' order) onto count texels.
  void (*blendUniform)(unsigned char* texels, const float colour[4], int count);
  // Source-over of count premultiplied source texels onto count target texels: an opaque source
  // texel is stored as it is, one of zeros leaves the target as it is, any other is blended.
  // swap: the source stores red and blue the other way round from the target.
  void (*blendTexels)(unsigned char* target, const unsigned char* source, int count, bool swap);
  // Source-over of a colour for each of count texels, in RGBA order and clamped to 0..1 first,
  // onto the texels whose fragments are kept; bgra: the texels store blue first.
  void (*blendColours)(unsigned char* texels, const float (*colours)[4], const bool* kept, int count, bool bgra);
  // count source texels stored over count target texels as they are; swap as for blendTexels.
  void (*copyTexels)(unsigned char* target, const unsigned char* source, int count, bool swap);
};

// Texel by texel: the reference.
const TexelRowKernels& scalarKernels();
// Several texels at a time with what every processor of the build has (SSE2 on x86-64).
const TexelRowKernels& plainKernels();
// Eight texels at a time; null where the processor (or the build) has no AVX2.
const TexelRowKernels* avx2Kernels();
// The fastest of them that the processor runs, chosen once.
const TexelRowKernels& rowKernels();
}  // namespace mtlpixels
