// The sprite kernel: texel times a constant colour, then source-alpha blending over the target.
// The vector versions handle eight (AVX2) or sixteen (AVX-512) pixels at a time in 16-bit lanes
// and give exactly the bits of the plain version: x / 255 rounded is (x + 128) * 257 >> 16 for
// every x up to 255 * 255.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/d3d9/raster/raster_internal.h"
#include "platform/d3d9/raster/raster_pixel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NIGHTWISP_D3D9_X86 1
#endif

namespace d3d9soft {

namespace {

inline std::uint32_t ModulatePixel(std::uint32_t t, std::uint32_t c) {
  return Div255(Channel(t, 24) * Channel(c, 24)) << 24 |
         Div255(Channel(t, 16) * Channel(c, 16)) << 16 |
         Div255(Channel(t, 8) * Channel(c, 8)) << 8 | Div255(Channel(t, 0) * Channel(c, 0));
}

inline std::uint32_t OverPixel(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t a = s >> 24, ia = 255 - a;
  return Div255(Channel(s, 24) * a + Channel(d, 24) * ia) << 24 |
         Div255(Channel(s, 16) * a + Channel(d, 16) * ia) << 16 |
         Div255(Channel(s, 8) * a + Channel(d, 8) * ia) << 8 |
         Div255(Channel(s, 0) * a + Channel(d, 0) * ia);
}

#ifdef NIGHTWISP_D3D9_X86

__attribute__((target("avx2"))) inline __m256i Div255Lanes(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// With overUnder the target is not read: every pixel is taken to hold `under` (already opaque
// where the target has no alpha), as after a clear that is not yet written.
__attribute__((target("avx2"))) void ModulateSpanAvx2(std::uint32_t* dst, const std::uint32_t* src,
                                                      int count, std::uint32_t colour, bool blend,
                                                      bool opaqueAlpha, bool overUnder,
                                                      std::uint32_t under) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i opaque = opaqueAlpha ? alphaBits : zero;
  const __m256i colourLanes =
      _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
  const bool white = colour == 0xFFFFFFFFu;
  const bool rgbWhite = (colour & 0xFFFFFF) == 0xFFFFFF;
  // Copies each pixel's alpha lane (16-bit lane 3 of 4) into all four of its lanes.
  const __m256i alphaShuffle =
      _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6, 7, 6,
                       7, 14, 15, 14, 15, 14, 15, 14, 15);
  const __m256i all255 = _mm256_set1_epi16(255);
  const __m256i underLanes = _mm256_or_si256(_mm256_set1_epi32(static_cast<int>(under)), opaque);
  // An opaque texel times the colour has the colour's alpha (255 * a / 255 is a).
  const __m256i alpha = _mm256_set1_epi16(static_cast<short>(colour >> 24));
  const __m256i inverse = _mm256_xor_si256(alpha, all255);
  const __m256i underTimesInverse =
      _mm256_mullo_epi16(_mm256_unpacklo_epi8(underLanes, zero), inverse);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (blend && _mm256_testz_si256(t, alphaBits)) {
      // Texels that are fully transparent leave the target as it is.
      if (overUnder) _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), underLanes);
      continue;
    }
    const bool opaqueTexels = _mm256_testc_si256(t, alphaBits);
    // Opaque texels under white are copied: times 255 and over anything, they stay themselves.
    if (white && (!blend || opaqueTexels)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(t, opaque));
      continue;
    }
    __m256i sLo = _mm256_unpacklo_epi8(t, zero);
    __m256i sHi = _mm256_unpackhi_epi8(t, zero);
    if (opaqueTexels && rgbWhite) {
      // Colour channels times 255 stay; alpha 255 times the colour's is the colour's.
      sLo = _mm256_min_epu16(sLo, colourLanes);
      sHi = _mm256_min_epu16(sHi, colourLanes);
    } else if (!white) {
      sLo = Div255Lanes(_mm256_mullo_epi16(sLo, colourLanes));
      sHi = Div255Lanes(_mm256_mullo_epi16(sHi, colourLanes));
    }
    __m256i out;
    if (blend) {
      const __m256i dm =
          overUnder ? underLanes
                    : _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i)),
                                      opaque);
      if (opaqueTexels) {
        // Opaque texels: every pixel's alpha is the colour's.
        const __m256i dLo = overUnder ? underTimesInverse
                                      : _mm256_mullo_epi16(_mm256_unpacklo_epi8(dm, zero), inverse);
        const __m256i dHi = overUnder ? underTimesInverse
                                      : _mm256_mullo_epi16(_mm256_unpackhi_epi8(dm, zero), inverse);
        out =
            _mm256_packus_epi16(Div255Lanes(_mm256_add_epi16(_mm256_mullo_epi16(sLo, alpha), dLo)),
                                Div255Lanes(_mm256_add_epi16(_mm256_mullo_epi16(sHi, alpha), dHi)));
      } else {
        const __m256i aLo = _mm256_shuffle_epi8(sLo, alphaShuffle);
        const __m256i aHi = _mm256_shuffle_epi8(sHi, alphaShuffle);
        const __m256i oLo = Div255Lanes(_mm256_add_epi16(
            _mm256_mullo_epi16(sLo, aLo),
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(dm, zero), _mm256_xor_si256(aLo, all255))));
        const __m256i oHi = Div255Lanes(_mm256_add_epi16(
            _mm256_mullo_epi16(sHi, aHi),
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(dm, zero), _mm256_xor_si256(aHi, all255))));
        out = _mm256_packus_epi16(oLo, oHi);
      }
    } else {
      out = _mm256_packus_epi16(sLo, sHi);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(out, opaque));
  }
  if (i < count) {
    // The last few pixels go through the same vector code by way of a small buffer.
    alignas(32) std::uint32_t tailSrc[8] = {}, tailDst[8] = {};
    const int rest = count - i;
    std::memcpy(tailSrc, src + i, rest * sizeof(std::uint32_t));
    std::memcpy(tailDst, dst + i, rest * sizeof(std::uint32_t));
    ModulateSpanAvx2(tailDst, tailSrc, 8, colour, blend, opaqueAlpha, overUnder, under);
    std::memcpy(dst + i, tailDst, rest * sizeof(std::uint32_t));
  }
}

__attribute__((target("avx512f,avx512bw"))) inline __m512i Div255Lanes512(__m512i x) {
  return _mm512_mulhi_epu16(_mm512_add_epi16(x, _mm512_set1_epi16(128)), _mm512_set1_epi16(257));
}

// The same kernel sixteen pixels at a time; the last few go in under a mask.
__attribute__((target("avx512f,avx512bw"))) void ModulateSpanAvx512(
    std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour, bool blend,
    bool opaqueAlpha, bool overUnder, std::uint32_t under) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i alphaBits = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
  const __m512i opaque = opaqueAlpha ? alphaBits : zero;
  const __m512i colourLanes =
      _mm512_unpacklo_epi8(_mm512_set1_epi32(static_cast<int>(colour)), zero);
  const bool white = colour == 0xFFFFFFFFu;
  const bool rgbWhite = (colour & 0xFFFFFF) == 0xFFFFFF;
  // In each 128-bit lane: 16-bit lanes 3 and 7 (each pixel's alpha) into all four of the pixel's.
  const __m512i alphaShuffle = _mm512_set4_epi32(0x0F0E0F0E, 0x0F0E0F0E, 0x07060706, 0x07060706);
  const __m512i all255 = _mm512_set1_epi16(255);
  const __m512i underLanes = _mm512_or_si512(_mm512_set1_epi32(static_cast<int>(under)), opaque);
  const __m512i alpha = _mm512_set1_epi16(static_cast<short>(colour >> 24));
  const __m512i inverse = _mm512_xor_si512(alpha, all255);
  const __m512i underTimesInverse =
      _mm512_mullo_epi16(_mm512_unpacklo_epi8(underLanes, zero), inverse);
  for (int i = 0; i < count; i += 16) {
    const __mmask16 lanes =
        count - i >= 16 ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << (count - i)) - 1);
    const __m512i t = _mm512_maskz_loadu_epi32(lanes, src + i);
    const __mmask16 visible = _mm512_test_epi32_mask(t, alphaBits);
    if (blend && (visible & lanes) == 0) {
      if (overUnder) _mm512_mask_storeu_epi32(dst + i, lanes, underLanes);
      continue;
    }
    const bool opaqueTexels =
        (_mm512_cmpeq_epi32_mask(_mm512_and_si512(t, alphaBits), alphaBits) & lanes) == lanes;
    if (white && (!blend || opaqueTexels)) {
      _mm512_mask_storeu_epi32(dst + i, lanes, _mm512_or_si512(t, opaque));
      continue;
    }
    __m512i sLo = _mm512_unpacklo_epi8(t, zero);
    __m512i sHi = _mm512_unpackhi_epi8(t, zero);
    if (opaqueTexels && rgbWhite) {
      sLo = _mm512_min_epu16(sLo, colourLanes);
      sHi = _mm512_min_epu16(sHi, colourLanes);
    } else if (!white) {
      sLo = Div255Lanes512(_mm512_mullo_epi16(sLo, colourLanes));
      sHi = Div255Lanes512(_mm512_mullo_epi16(sHi, colourLanes));
    }
    __m512i out;
    if (blend) {
      const __m512i dm = overUnder
                             ? underLanes
                             : _mm512_or_si512(_mm512_maskz_loadu_epi32(lanes, dst + i), opaque);
      if (opaqueTexels) {
        const __m512i dLo = overUnder ? underTimesInverse
                                      : _mm512_mullo_epi16(_mm512_unpacklo_epi8(dm, zero), inverse);
        const __m512i dHi = overUnder ? underTimesInverse
                                      : _mm512_mullo_epi16(_mm512_unpackhi_epi8(dm, zero), inverse);
        out = _mm512_packus_epi16(
            Div255Lanes512(_mm512_add_epi16(_mm512_mullo_epi16(sLo, alpha), dLo)),
            Div255Lanes512(_mm512_add_epi16(_mm512_mullo_epi16(sHi, alpha), dHi)));
      } else {
        const __m512i aLo = _mm512_shuffle_epi8(sLo, alphaShuffle);
        const __m512i aHi = _mm512_shuffle_epi8(sHi, alphaShuffle);
        out = _mm512_packus_epi16(
            Div255Lanes512(_mm512_add_epi16(
                _mm512_mullo_epi16(sLo, aLo),
                _mm512_mullo_epi16(_mm512_unpacklo_epi8(dm, zero), _mm512_xor_si512(aLo, all255)))),
            Div255Lanes512(_mm512_add_epi16(_mm512_mullo_epi16(sHi, aHi),
                                            _mm512_mullo_epi16(_mm512_unpackhi_epi8(dm, zero),
                                                               _mm512_xor_si512(aHi, all255)))));
      }
    } else {
      out = _mm512_packus_epi16(sLo, sHi);
    }
    _mm512_mask_storeu_epi32(dst + i, lanes, _mm512_or_si512(out, opaque));
  }
}

#endif

// The widest kernels this processor has, and those in use.
struct TKernelChoice {
#ifdef NIGHTWISP_D3D9_X86
  TKernels Available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
                           ? TKernels::Avx512
                       : __builtin_cpu_supports("avx2") ? TKernels::Avx2
                                                        : TKernels::Plain;
#else
  TKernels Available = TKernels::Plain;
#endif
  TKernels InUse = Available;
};

TKernelChoice& KernelChoice() {
  static TKernelChoice choice;
  return choice;
}

// The vector kernel in use; false when the plain one is.
bool VectorKernel(std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour,
                  bool blend, bool opaqueAlpha, bool overUnder, std::uint32_t under) {
  switch (KernelChoice().InUse) {
#ifdef NIGHTWISP_D3D9_X86
    case TKernels::Avx512:
      ModulateSpanAvx512(dst, src, count, colour, blend, opaqueAlpha, overUnder, under);
      return true;
    case TKernels::Avx2:
      ModulateSpanAvx2(dst, src, count, colour, blend, opaqueAlpha, overUnder, under);
      return true;
#endif
    default:
      return false;
  }
}

}  // namespace

void ModulateSpanScalar(std::uint32_t* dst, const std::uint32_t* src, int count,
                        std::uint32_t colour, bool blend, bool opaqueAlpha) {
  const std::uint32_t opaque = opaqueAlpha ? 0xFF000000u : 0;
  for (int i = 0; i < count; ++i) {
    const std::uint32_t s = ModulatePixel(src[i], colour);
    dst[i] = (blend ? OverPixel(s, dst[i] | opaque) : s) | opaque;
  }
}

void ModulateSpan(std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour,
                  bool blend, bool opaqueAlpha) {
  if (!VectorKernel(dst, src, count, colour, blend, opaqueAlpha, false, 0)) {
    ModulateSpanScalar(dst, src, count, colour, blend, opaqueAlpha);
  }
}

void ModulateSpanOver(std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour,
                      bool blend, bool opaqueAlpha, std::uint32_t under) {
  if (!VectorKernel(dst, src, count, colour, blend, opaqueAlpha, true, under)) {
    std::fill(dst, dst + count, under);
    ModulateSpanScalar(dst, src, count, colour, blend, opaqueAlpha);
  }
}

bool KernelsAvailable(TKernels kernels) { return kernels <= KernelChoice().Available; }

void UseKernels(TKernels kernels) {
  KernelChoice().InUse = std::min(kernels, KernelChoice().Available);
}

void UseVectorKernels(bool enable) {
  UseKernels(enable ? KernelChoice().Available : TKernels::Plain);
}

bool VectorKernelsAvailable() { return KernelsAvailable(TKernels::Avx2); }

}  // namespace d3d9soft
