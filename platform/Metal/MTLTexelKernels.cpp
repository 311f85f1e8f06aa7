// The row kernels of whole texels: the scalar reference, the plain form and the AVX2 form.
#include "platform/Metal/MTLTexels.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace mtlpixels {
namespace {
Lanes lanesOf(const float colour[4])
{
  return Lanes{colour[0], colour[1], colour[2], colour[3]};
}

// ---- Scalar: texel by texel -----------------------------------------------------------------

void scalarBlendUniform(unsigned char* texels, const float colour[4], int count)
{
  const LaneConstants k;
  for (int i = 0; i < count; i++)
    blendWhole(k, true, texels + 4 * i, lanesOf(colour));
}

// An opaque source texel is its own stored form (its bytes come back from their conversion); a
// texel of zeros leaves the target as it is; any other is blended.
void blendTexel(const LaneConstants& k, unsigned char* target, const unsigned char* source, bool swap)
{
  const int red = swap ? 2 : 0, blue = 2 - red;
  if (source[3] == 255)
  {
    target[0] = source[red];
    target[1] = source[1];
    target[2] = source[blue];
    target[3] = 255;
  }
  else if (source[0] | source[1] | source[2] | source[3])
  {
    const Lanes colour = fromBytes(source) * k.toUnit;
    blendWhole(k, true, target, swap ? __builtin_shufflevector(colour, colour, 2, 1, 0, 3) : colour);
  }
}

void scalarBlendTexels(unsigned char* target, const unsigned char* source, int count, bool swap)
{
  const LaneConstants k;
  for (int i = 0; i < count; i++)
    blendTexel(k, target + 4 * i, source + 4 * i, swap);
}

void scalarCopyTexels(unsigned char* target, const unsigned char* source, int count, bool swap)
{
  const int red = swap ? 2 : 0, blue = 2 - red;
  for (int i = 0; i < count; i++)
  {
    const unsigned char* from = source + 4 * i;
    unsigned char* to = target + 4 * i;
    const unsigned char texel[4] = {from[red], from[1], from[blue], from[3]};
    std::memcpy(to, texel, 4);
  }
}

void scalarBlendColours(unsigned char* texels, const float (*colours)[4], const bool* kept, int count, bool bgra)
{
  const LaneConstants k;
  for (int i = 0; i < count; i++)
    if (kept[i])
    {
      const Lanes colour = clamp01(k, lanesOf(colours[i]));
      blendWhole(k, true, texels + 4 * i, bgra ? __builtin_shufflevector(colour, colour, 2, 1, 0, 3) : colour);
    }
}

// ---- Plain: four texels at a time where the build has SSE2 ------------------------------------

void plainBlendUniform(unsigned char* texels, const float colour[4], int count)
{
  const LaneConstants k;
  const Lanes source = lanesOf(colour);
  int i = 0;
#if defined(__SSE2__)
  const Lanes share = k.one - __builtin_shufflevector(source, source, 3, 3, 3, 3);
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4)
  {
    __m128i four;
    std::memcpy(&four, texels + 4 * i, sizeof(four));
    const __m128i low = _mm_unpacklo_epi8(four, zero), high = _mm_unpackhi_epi8(four, zero);
    const __m128i words[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                              _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
    __m128i blended[4];
    for (int t = 0; t < 4; t++)
    {
      const Lanes dst = _mm_cvtepi32_ps(words[t]) * k.toUnit;
      blended[t] = _mm_cvttps_epi32(atMost1(k, source + dst * share) * k.toByte + k.half);
    }
    four = _mm_packus_epi16(_mm_packs_epi32(blended[0], blended[1]), _mm_packs_epi32(blended[2], blended[3]));
    std::memcpy(texels + 4 * i, &four, sizeof(four));
  }
#endif
  scalarBlendUniform(texels + 4 * i, colour, count - i);
}

#if defined(__SSE2__)
// Four texels with red and blue exchanged.
__m128i swapRedAndBlue(__m128i four)
{
  const __m128i greenAlpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i low = _mm_set1_epi32(0xFF);
  return _mm_or_si128(_mm_and_si128(four, greenAlpha), _mm_or_si128(_mm_and_si128(_mm_srli_epi32(four, 16), low),
                                                                    _mm_slli_epi32(_mm_and_si128(four, low), 16)));
}
#endif

void plainBlendTexels(unsigned char* target, const unsigned char* source, int count, bool swap)
{
  int i = 0;
#if defined(__SSE2__)
  // Four opaque texels at a time, red and blue exchanged in place when the orders differ.
  const LaneConstants k;
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; i + 4 <= count; i += 4)
  {
    __m128i four;
    std::memcpy(&four, source + 4 * i, sizeof(four));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(four, opaque), opaque)) != 0xFFFF)
    {
      for (int j = i; j < i + 4; j++)
        blendTexel(k, target + 4 * j, source + 4 * j, swap);
      continue;
    }
    if (swap)
      four = swapRedAndBlue(four);
    std::memcpy(target + 4 * i, &four, sizeof(four));
  }
#endif
  scalarBlendTexels(target + 4 * i, source + 4 * i, count - i, swap);
}

void plainCopyTexels(unsigned char* target, const unsigned char* source, int count, bool swap)
{
  if (!swap)
  {
    if (count > 0)  // an empty row may come with no texels at all
      std::memcpy(target, source, static_cast<size_t>(count) * 4);
    return;
  }
  int i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4)
  {
    __m128i four;
    std::memcpy(&four, source + 4 * i, sizeof(four));
    four = swapRedAndBlue(four);
    std::memcpy(target + 4 * i, &four, sizeof(four));
  }
#endif
  scalarCopyTexels(target + 4 * i, source + 4 * i, count - i, swap);
}

// ---- AVX2: eight texels at a time -------------------------------------------------------------
//
// The 256-bit unpacks and packs work within each 128-bit half, and each undoes the other there,
// so texels come back to the places they were read from.

#if defined(__x86_64__) && defined(__ELF__)
#define MTL_AVX2 1

#define MTL_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// Eight texels, a colour on both halves and its alpha's complement: source-over as blendWhole
// does it, min(1, source + dst share) to bytes, with the operands in its order.
MTL_AVX2_INLINE __m256i blendEight(__m256i eight, __m256 source, __m256 share)
{
  const __m256 one = _mm256_set1_ps(1.0f), toUnit = _mm256_set1_ps(1.0f / 255.0f);
  const __m256 toByte = _mm256_set1_ps(255.0f), half = _mm256_set1_ps(0.5f);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_unpacklo_epi8(eight, zero), high = _mm256_unpackhi_epi8(eight, zero);
  const __m256i words[4] = {_mm256_unpacklo_epi16(low, zero), _mm256_unpackhi_epi16(low, zero),
                            _mm256_unpacklo_epi16(high, zero), _mm256_unpackhi_epi16(high, zero)};
  __m256i blended[4];
  for (int t = 0; t < 4; t++)
  {
    const __m256 dst = _mm256_mul_ps(_mm256_cvtepi32_ps(words[t]), toUnit);
    const __m256 sum = _mm256_min_ps(one, _mm256_add_ps(source, _mm256_mul_ps(dst, share)));
    blended[t] = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(sum, toByte), half));
  }
  return _mm256_packus_epi16(_mm256_packs_epi32(blended[0], blended[1]), _mm256_packs_epi32(blended[2], blended[3]));
}

// The first count (0..8) of eight texels, as a lane mask; the masked loads and stores of AVX2
// leave the texels beyond alone, so that a row's last texels take one pass too.
MTL_AVX2_INLINE __m256i firstTexels(int count)
{
  return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Whether the texels a mask picks of eight are all opaque.
MTL_AVX2_INLINE bool opaqueWithin(__m256i eight, __m256i mask)
{
  const __m256i alpha = _mm256_and_si256(_mm256_set1_epi32(static_cast<int>(0xFF000000u)), mask);
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(eight, alpha), alpha)) == -1;
}

__attribute__((target("avx2"))) void avx2BlendUniform(unsigned char* texels, const float colour[4], int count)
{
  const __m256 source = _mm256_setr_ps(colour[0], colour[1], colour[2], colour[3], colour[0], colour[1], colour[2],
                                       colour[3]);
  const __m256 share = _mm256_sub_ps(_mm256_set1_ps(1.0f), _mm256_set1_ps(colour[3]));
  int i = 0;
  for (; i + 8 <= count; i += 8)
  {
    auto* at = reinterpret_cast<__m256i*>(texels + 4 * i);
    _mm256_storeu_si256(at, blendEight(_mm256_loadu_si256(at), source, share));
  }
  if (i < count)
  {
    auto* at = reinterpret_cast<int*>(texels + 4 * i);
    const __m256i mask = firstTexels(count - i);
    _mm256_maskstore_epi32(at, mask, blendEight(_mm256_maskload_epi32(at, mask), source, share));
  }
}

// Two fragments a register. blendWhole's two short cuts need no test here: with an opaque source
// the target's share is +0, which leaves the source as it is, and a source of zeros gives back the
// target's own bytes; so one formula serves every texel.
__attribute__((target("avx2"))) void avx2BlendColours(unsigned char* texels, const float (*colours)[4],
                                                      const bool* kept, int count, bool bgra)
{
  const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f), toUnit = _mm256_set1_ps(1.0f / 255.0f);
  const __m256 toByte = _mm256_set1_ps(255.0f), half = _mm256_set1_ps(0.5f);
  int i = 0;
  for (; i + 2 <= count; i += 2)
  {
    if (!kept[i] && !kept[i + 1])
      continue;
    // Clamped as clamp01 does (max, then min, each giving its second operand on a NaN).
    __m256 source = _mm256_min_ps(one, _mm256_max_ps(zero, _mm256_loadu_ps(colours[i])));
    if (bgra)
      source = _mm256_permute_ps(source, _MM_SHUFFLE(3, 0, 1, 2));
    int64_t two;
    std::memcpy(&two, texels + 4 * i, sizeof(two));
    const __m256 dst = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_cvtsi64_si128(two))), toUnit);
    const __m256 share = _mm256_sub_ps(one, _mm256_permute_ps(source, _MM_SHUFFLE(3, 3, 3, 3)));
    const __m256 sum = _mm256_min_ps(one, _mm256_add_ps(source, _mm256_mul_ps(dst, share)));
    const __m256i ints = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(sum, toByte), half));
    const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(ints), _mm256_extracti128_si256(ints, 1));
    const int64_t blended = _mm_cvtsi128_si64(_mm_packus_epi16(words, words));
    if (kept[i] && kept[i + 1])
      std::memcpy(texels + 4 * i, &blended, sizeof(blended));
    else
    {
      const int which = kept[i] ? 0 : 1;
      std::memcpy(texels + 4 * (i + which), reinterpret_cast<const unsigned char*>(&blended) + 4 * which, 4);
    }
  }
  // A last fragment of its own (short spans have one more often than not): the same formula on
  // one half, which reads and writes only its texel.
  if (i < count && kept[i])
  {
    __m128 source = _mm_min_ps(_mm256_castps256_ps128(one),
                               _mm_max_ps(_mm256_castps256_ps128(zero), _mm_loadu_ps(colours[i])));
    if (bgra)
      source = _mm_permute_ps(source, _MM_SHUFFLE(3, 0, 1, 2));
    int32_t stored;
    std::memcpy(&stored, texels + 4 * i, sizeof(stored));
    const __m128 dst = _mm_mul_ps(_mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(stored))),
                                  _mm256_castps256_ps128(toUnit));
    const __m128 share = _mm_sub_ps(_mm256_castps256_ps128(one), _mm_permute_ps(source, _MM_SHUFFLE(3, 3, 3, 3)));
    const __m128 sum = _mm_min_ps(_mm256_castps256_ps128(one), _mm_add_ps(source, _mm_mul_ps(dst, share)));
    const __m128i ints = _mm_cvttps_epi32(
      _mm_add_ps(_mm_mul_ps(sum, _mm256_castps256_ps128(toByte)), _mm256_castps256_ps128(half)));
    const __m128i words = _mm_packs_epi32(ints, ints);
    const int32_t blended = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(texels + 4 * i, &blended, sizeof(blended));
  }
}

// Within each texel: bytes 2, 1, 0, 3 where red and blue change places, else as they are.
MTL_AVX2_INLINE __m256i texelOrder(bool swap)
{
  return swap ? _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8,
                                 11, 14, 13, 12, 15)
              : _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                 11, 12, 13, 14, 15);
}

__attribute__((target("avx2"))) void avx2BlendTexels(unsigned char* target, const unsigned char* source, int count,
                                                     bool swap)
{
  const __m256i order = texelOrder(swap);
  // Opaque texels go as they are, in the target's order; groups with any other are written
  // texel by texel.
  const __m256i all = _mm256_set1_epi32(-1);
  int i = 0;
  for (; i + 8 <= count; i += 8)
  {
    const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * i));
    if (opaqueWithin(eight, all))
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 4 * i), _mm256_shuffle_epi8(eight, order));
    else
      scalarBlendTexels(target + 4 * i, source + 4 * i, 8, swap);
  }
  if (i < count)
  {
    const __m256i mask = firstTexels(count - i);
    const __m256i rest = _mm256_maskload_epi32(reinterpret_cast<const int*>(source + 4 * i), mask);
    if (opaqueWithin(rest, mask))
      _mm256_maskstore_epi32(reinterpret_cast<int*>(target + 4 * i), mask, _mm256_shuffle_epi8(rest, order));
    else
      scalarBlendTexels(target + 4 * i, source + 4 * i, count - i, swap);
  }
}

__attribute__((target("avx2"))) void avx2CopyTexels(unsigned char* target, const unsigned char* source, int count,
                                                    bool swap)
{
  if (!swap)
  {
    if (count > 0)  // an empty row may come with no texels at all
      std::memcpy(target, source, static_cast<size_t>(count) * 4);
    return;
  }
  const __m256i order = texelOrder(true);
  int i = 0;
  for (; i + 8 <= count; i += 8)
  {
    const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 4 * i), _mm256_shuffle_epi8(eight, order));
  }
  if (i < count)
  {
    const __m256i mask = firstTexels(count - i);
    const __m256i rest = _mm256_maskload_epi32(reinterpret_cast<const int*>(source + 4 * i), mask);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(target + 4 * i), mask, _mm256_shuffle_epi8(rest, order));
  }
}
#endif
}  // namespace

const TexelRowKernels& scalarKernels()
{
  static const TexelRowKernels kernels{scalarBlendUniform, scalarBlendTexels, scalarBlendColours, scalarCopyTexels};
  return kernels;
}

const TexelRowKernels& plainKernels()
{
  static const TexelRowKernels kernels{plainBlendUniform, plainBlendTexels, scalarBlendColours, plainCopyTexels};
  return kernels;
}

const TexelRowKernels* avx2Kernels()
{
#if defined(MTL_AVX2)
  static const TexelRowKernels kernels{avx2BlendUniform, avx2BlendTexels, avx2BlendColours, avx2CopyTexels};
  return __builtin_cpu_supports("avx2") ? &kernels : nullptr;
#else
  return nullptr;
#endif
}

const TexelRowKernels& rowKernels()
{
  static const TexelRowKernels& chosen = avx2Kernels() ? *avx2Kernels() : plainKernels();
  return chosen;
}
}  // namespace mtlpixels
