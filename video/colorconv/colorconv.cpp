// Colour converters of the video renderer: see include/reelpane/ColorConv.h for the rules shared by
// all of them (families, chroma plane sizes, edges, flip).
#include "ColorConv.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// ---------------------------------------------------------------------------------------------
// Lookup tables of the portable family (13-bit fixed point, 8192 = 1.0).

struct PortableTables {
  std::array<int32_t, 256> luma, redV, greenU, greenV, blueU;
};

constexpr PortableTables MakePortableTables() {
  PortableTables t{};
  for (int i = 0; i < 256; ++i) {
    t.luma[i] = 9535 * (i - 16);
    t.redV[i] = 13074 * (i - 128);
    t.greenU[i] = 3203 * (i - 128);
    t.greenV[i] = 6660 * (i - 128);
    t.blueU[i] = 16531 * (i - 128);
  }
  return t;
}

constexpr PortableTables kTables = MakePortableTables();

inline uint8_t ClampShift13(int32_t sum) {
  // Arithmetic shift toward minus infinity; negative gives 0, 256 x 8192 and more gives 255.
  const int32_t v = sum >> 13;
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

struct Rgb {
  uint8_t r, g, b;
};

inline Rgb PortablePixel(int y, int u, int v) {
  const int32_t l = kTables.luma[y];
  return {ClampShift13(l + kTables.redV[v]), ClampShift13(l - (kTables.greenU[u] + kTables.greenV[v])),
          ClampShift13(l + kTables.blueU[u])};
}

// ---------------------------------------------------------------------------------------------
// The vector family: 16-bit lanes, 6-bit fractions, saturating adds, no rounding term.

inline int Sat16(int v) { return v < -32768 ? -32768 : (v > 32767 ? 32767 : v); }
inline uint8_t SatByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

inline Rgb VectorPixel(int y, int u, int v) {
  const int l = 74 * (y - 16);
  const int cr = 102 * (v - 128);
  const int cg = 25 * (u - 128) + 52 * (v - 128);
  const int cb = 129 * (u - 128);
  return {SatByte(Sat16(l + cr) >> 6), SatByte(Sat16(l - cg) >> 6), SatByte(Sat16(l + cb) >> 6)};
}

// BT.601 weights for RGB -> YUV in 13-bit fixed point.
inline uint8_t LumaOf(int r, int g, int b) { return static_cast<uint8_t>(((2105 * r + 4129 * g + 803 * b + 4096) >> 13) + 16); }
// From the sums of a block's four pixels; the result keeps its low 8 bits.
inline uint8_t BlockU(int rs, int gs, int bs) { return static_cast<uint8_t>(((3596 * bs - 1212 * rs - 2384 * gs + 16384) >> 15) + 128); }
inline uint8_t BlockV(int rs, int gs, int bs) { return static_cast<uint8_t>(((3596 * rs - 3015 * gs - 582 * bs + 16384) >> 15) + 128); }

// Chroma plane geometry for a 4:2:0 picture: one sample for each block of 2 x 2 pixels, the
// blocks of an odd last column or row holding one pixel across (rounded up).
inline int ChromaWidth(int width) { return (width + 1) / 2; }
inline int ChromaHeight(int height) { return (height + 1) / 2; }

inline const uint8_t* RowOf(const uint8_t* base, int stride, int row) {
  return base + static_cast<ptrdiff_t>(stride) * row;
}
inline uint8_t* RowOf(uint8_t* base, int stride, int row) { return base + static_cast<ptrdiff_t>(stride) * row; }

// ---------------------------------------------------------------------------------------------
// SSE2 kernels (every x86-64 processor has SSE2): sixteen pixels at a time, giving the same values
// as the per-pixel formulas above, which handle what is left of a row and other processors.

#if defined(__SSE2__)
#define LW_COLORCONV_SSE2 1

constexpr int kBlock = 16;  // pixels per kernel step

inline __m128i Load8(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
inline __m128i Load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store16(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The eight chroma samples of sixteen pixels as 16-bit lanes, U and V apart.
template <bool Nv12>
inline void LoadChroma(const uint8_t* us, const uint8_t* vs, int cx, __m128i* u, __m128i* v) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (Nv12) {
    const __m128i uv = Load16(us + 2 * cx);
    *u = _mm_and_si128(uv, _mm_set1_epi16(0xFF));
    *v = _mm_srli_epi16(uv, 8);
  } else {
    *u = _mm_unpacklo_epi8(Load8(us + cx), zero);
    *v = _mm_unpacklo_epi8(Load8(vs + cx), zero);
  }
}

// The vector family's blue, green and red of sixteen pixels (each register: 16 bytes, pixel order).
inline void VectorBlock(const uint8_t* ys, __m128i u, __m128i v, __m128i* b, __m128i* g, __m128i* r) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i uc = _mm_sub_epi16(u, _mm_set1_epi16(128)), vc = _mm_sub_epi16(v, _mm_set1_epi16(128));
  const __m128i cr = _mm_mullo_epi16(vc, _mm_set1_epi16(102));
  const __m128i cg = _mm_add_epi16(_mm_mullo_epi16(uc, _mm_set1_epi16(25)), _mm_mullo_epi16(vc, _mm_set1_epi16(52)));
  const __m128i cb = _mm_mullo_epi16(uc, _mm_set1_epi16(129));
  const __m128i y = Load16(ys);
  __m128i out[3][2];
  for (int half = 0; half < 2; ++half) {
    const __m128i yy = half ? _mm_unpackhi_epi8(y, zero) : _mm_unpacklo_epi8(y, zero);
    const __m128i l = _mm_mullo_epi16(_mm_sub_epi16(yy, _mm_set1_epi16(16)), _mm_set1_epi16(74));
    // Each chroma term serves two pixels side by side.
    const __m128i pr = half ? _mm_unpackhi_epi16(cr, cr) : _mm_unpacklo_epi16(cr, cr);
    const __m128i pg = half ? _mm_unpackhi_epi16(cg, cg) : _mm_unpacklo_epi16(cg, cg);
    const __m128i pb = half ? _mm_unpackhi_epi16(cb, cb) : _mm_unpacklo_epi16(cb, cb);
    out[0][half] = _mm_srai_epi16(_mm_adds_epi16(l, pb), 6);
    out[1][half] = _mm_srai_epi16(_mm_subs_epi16(l, pg), 6);
    out[2][half] = _mm_srai_epi16(_mm_adds_epi16(l, pr), 6);
  }
  *b = _mm_packus_epi16(out[0][0], out[0][1]);
  *g = _mm_packus_epi16(out[1][0], out[1][1]);
  *r = _mm_packus_epi16(out[2][0], out[2][1]);
}

// The portable family's values of sixteen pixels before clamping: (sum >> 13) in 16-bit lanes,
// pixels 0-7 in [0] and 8-15 in [1].
inline void PortableBlockWide(const uint8_t* ys, __m128i u, __m128i v, __m128i b[2], __m128i g[2], __m128i r[2]) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i uc = _mm_sub_epi16(u, _mm_set1_epi16(128)), vc = _mm_sub_epi16(v, _mm_set1_epi16(128));
  const __m128i y = Load16(ys);
  const __m128i kLuma = _mm_set1_epi32(9535);                          // (y - 16, 0) pairs
  const __m128i kRed = _mm_set1_epi32(13074 << 16);                    // (u, v) pairs: 0 x u + 13074 x v
  const __m128i kGreen = _mm_set1_epi32((6660 << 16) | 3203);          // 3203 x u + 6660 x v
  const __m128i kBlue = _mm_set1_epi32(16531);                         // 16531 x u + 0 x v
  for (int half = 0; half < 2; ++half) {
    const __m128i uv = half ? _mm_unpackhi_epi16(uc, vc) : _mm_unpacklo_epi16(uc, vc);  // four samples
    const __m128i yc = _mm_sub_epi16(half ? _mm_unpackhi_epi8(y, zero) : _mm_unpacklo_epi8(y, zero), _mm_set1_epi16(16));
    __m128i rs[2], gs[2], bs[2];
    for (int q = 0; q < 2; ++q) {  // pixels 0-3 and 4-7 of this half: samples 0-1 and 2-3
      const __m128i rc = _mm_madd_epi16(uv, kRed), gc = _mm_madd_epi16(uv, kGreen), bc = _mm_madd_epi16(uv, kBlue);
      const __m128i pr = q ? _mm_unpackhi_epi32(rc, rc) : _mm_unpacklo_epi32(rc, rc);
      const __m128i pg = q ? _mm_unpackhi_epi32(gc, gc) : _mm_unpacklo_epi32(gc, gc);
      const __m128i pb = q ? _mm_unpackhi_epi32(bc, bc) : _mm_unpacklo_epi32(bc, bc);
      const __m128i l = _mm_madd_epi16(q ? _mm_unpackhi_epi16(yc, zero) : _mm_unpacklo_epi16(yc, zero), kLuma);
      rs[q] = _mm_srai_epi32(_mm_add_epi32(l, pr), 13);
      gs[q] = _mm_srai_epi32(_mm_sub_epi32(l, pg), 13);
      bs[q] = _mm_srai_epi32(_mm_add_epi32(l, pb), 13);
    }
    r[half] = _mm_packs_epi32(rs[0], rs[1]);
    g[half] = _mm_packs_epi32(gs[0], gs[1]);
    b[half] = _mm_packs_epi32(bs[0], bs[1]);
  }
}

inline void PortableBlock(const uint8_t* ys, __m128i u, __m128i v, __m128i* b, __m128i* g, __m128i* r) {
  __m128i bw[2], gw[2], rw[2];
  PortableBlockWide(ys, u, v, bw, gw, rw);
  *b = _mm_packus_epi16(bw[0], bw[1]);
  *g = _mm_packus_epi16(gw[0], gw[1]);
  *r = _mm_packus_epi16(rw[0], rw[1]);
}

// Sixteen pixels as B, G, R (, 0). Three-byte pixels are written four bytes at a time, the fourth
// byte overwritten by the next pixel; `lastInRow` keeps the last one to its three.
template <int Bytes>
inline void PutBlock(uint8_t* d, __m128i b, __m128i g, __m128i r, bool lastInRow) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
  const __m128i r0Lo = _mm_unpacklo_epi8(r, zero), r0Hi = _mm_unpackhi_epi8(r, zero);
  const __m128i q[4] = {_mm_unpacklo_epi16(bgLo, r0Lo), _mm_unpackhi_epi16(bgLo, r0Lo), _mm_unpacklo_epi16(bgHi, r0Hi),
                        _mm_unpackhi_epi16(bgHi, r0Hi)};
  if constexpr (Bytes == 4) {
    for (int i = 0; i < 4; ++i) Store16(d + 16 * i, q[i]);
  } else {
    alignas(16) uint8_t px[64];
    for (int i = 0; i < 4; ++i) _mm_store_si128(reinterpret_cast<__m128i*>(px + 16 * i), q[i]);
    for (int i = 0; i < kBlock - 1; ++i) std::memcpy(d + 3 * i, px + 4 * i, 4);
    std::memcpy(d + 3 * (kBlock - 1), px + 4 * (kBlock - 1), lastInRow ? 3 : 4);
  }
}

// The 565 rows: the per-row carry of each channel is the running sum of its values modulo 8
// (carry = (value + carry) & 7 at every pixel), so a block's carries come from a prefix sum.
// `run` holds the running sum so far in every lane; returns the eight words' channel values.
inline __m128i CarryAndClamp(__m128i value, __m128i* run) {
  __m128i s = _mm_add_epi16(value, _mm_slli_si128(value, 2));
  s = _mm_add_epi16(s, _mm_slli_si128(s, 4));
  s = _mm_add_epi16(s, _mm_slli_si128(s, 8));
  s = _mm_add_epi16(s, *run);                                   // inclusive running sums (mod 2^16)
  const __m128i before = _mm_sub_epi16(s, value);               // the sums up to the pixel before
  const __m128i carried = _mm_add_epi16(value, _mm_and_si128(before, _mm_set1_epi16(7)));
  const __m128i last = _mm_shufflehi_epi16(s, _MM_SHUFFLE(3, 3, 3, 3));
  *run = _mm_unpackhi_epi64(last, last);
  return _mm_max_epi16(_mm_min_epi16(carried, _mm_set1_epi16(255)), _mm_setzero_si128());
}


// Luma of four B, G, R, x pixels, as 32-bit lanes.
inline __m128i Luma4(__m128i px) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k = _mm_set_epi16(0, 2105, 4129, 803, 0, 2105, 4129, 803);
  const __m128 lo = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(px, zero), k));
  const __m128 hi = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(px, zero), k));
  const __m128i sum = _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))),
                                    _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1))));
  return _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(4096)), 13), _mm_set1_epi32(16));
}

// The sums of two 2 x 2 blocks (four pixels of two rows, B G R x each) as 16-bit lanes:
// bs gs rs xs of the first block, then of the second.
inline __m128i BlockSums2(__m128i row0, __m128i row1) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(row0, zero), _mm_unpacklo_epi8(row1, zero));
  const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(row0, zero), _mm_unpackhi_epi8(row1, zero));
  return _mm_unpacklo_epi64(_mm_add_epi16(lo, _mm_srli_si128(lo, 8)), _mm_add_epi16(hi, _mm_srli_si128(hi, 8)));
}

// U or V of four blocks from their sums (k: the B, G, R weights), as 32-bit lanes.
inline __m128i Chroma4(__m128i sumsA, __m128i sumsB, __m128i k) {
  const __m128 a = _mm_castsi128_ps(_mm_madd_epi16(sumsA, k));
  const __m128 b = _mm_castsi128_ps(_mm_madd_epi16(sumsB, k));
  const __m128i sum = _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                                    _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
  return _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(16384)), 15), _mm_set1_epi32(128));
}

#endif  // __SSE2__

// ---------------------------------------------------------------------------------------------
// Planar (YV12 or NV12) to RGB, one row at a time. `Pixel` is the family's formula, `Bytes` 3 or 4.

template <int Bytes, Rgb (*Pixel)(int, int, int), bool Nv12>
void PlanarToRgb(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v, int yStride,
                 int uvStride, int width, int height, int flip) {
  if (!dst || !y || !u || (!Nv12 && !v) || width <= 0 || height <= 0) return;
  const int cw = ChromaWidth(width), ch = ChromaHeight(height);
  for (int row = 0; row < height; ++row) {
    const uint8_t* ys = RowOf(y, yStride, row);
    const int crow = std::min(row >> 1, ch - 1);
    const uint8_t* us = RowOf(u, uvStride, crow);
    const uint8_t* vs = Nv12 ? nullptr : RowOf(v, uvStride, crow);
    uint8_t* d = RowOf(dst, dstPitch, flip ? height - 1 - row : row);
    auto put = [&d](Rgb c) {
      d[0] = c.b;
      d[1] = c.g;
      d[2] = c.r;
      if constexpr (Bytes == 4) d[3] = 0;
      d += Bytes;
    };
    // Whole pixel pairs share one chroma sample; an odd last pixel has a sample of its own.
    const int pairs = width / 2;
    int cx = 0;
#ifdef LW_COLORCONV_SSE2
    for (; 2 * cx + kBlock <= 2 * pairs; cx += kBlock / 2) {
      __m128i cu, cv, b, g, r;
      LoadChroma<Nv12>(us, vs, cx, &cu, &cv);
      if constexpr (Pixel == VectorPixel) {
        VectorBlock(ys + 2 * cx, cu, cv, &b, &g, &r);
      } else {
        PortableBlock(ys + 2 * cx, cu, cv, &b, &g, &r);
      }
      PutBlock<Bytes>(d, b, g, r, 2 * cx + kBlock == width);
      d += Bytes * kBlock;
    }
#endif
    for (; cx < pairs; ++cx) {
      const int uu = Nv12 ? us[2 * cx] : us[cx];
      const int vv = Nv12 ? us[2 * cx + 1] : vs[cx];
      put(Pixel(ys[2 * cx], uu, vv));
      put(Pixel(ys[2 * cx + 1], uu, vv));
    }
    if (width & 1) {
      const int cx = std::min(pairs, cw - 1);
      put(Pixel(ys[width - 1], Nv12 ? us[2 * cx] : us[cx], Nv12 ? us[2 * cx + 1] : vs[cx]));
    }
  }
}

// Planar to RGB565 with the per-row error carry (portable family).
template <bool Nv12>
void PlanarToRgb565(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v, int yStride,
                    int uvStride, int width, int height, int flip) {
  if (!dst || !y || !u || (!Nv12 && !v) || width <= 0 || height <= 0) return;
  const int cw = ChromaWidth(width), ch = ChromaHeight(height);
  for (int row = 0; row < height; ++row) {
    const uint8_t* ys = RowOf(y, yStride, row);
    const int crow = std::min(row >> 1, ch - 1);
    const uint8_t* us = RowOf(u, uvStride, crow);
    const uint8_t* vs = Nv12 ? nullptr : RowOf(v, uvStride, crow);
    uint8_t* d = RowOf(dst, dstPitch, flip ? height - 1 - row : row);
    int carryR = 0, carryG = 0, carryB = 0;
    int x = 0;
#ifdef LW_COLORCONV_SSE2
    __m128i runR = _mm_setzero_si128(), runG = runR, runB = runR;
    for (; x + kBlock <= (width & ~1); x += kBlock) {
      __m128i cu, cv, bw[2], gw[2], rw[2];
      LoadChroma<Nv12>(us, vs, x / 2, &cu, &cv);
      PortableBlockWide(ys + x, cu, cv, bw, gw, rw);
      for (int half = 0; half < 2; ++half) {
        const __m128i r = CarryAndClamp(rw[half], &runR);
        const __m128i g = CarryAndClamp(gw[half], &runG);
        const __m128i b = CarryAndClamp(bw[half], &runB);
        const __m128i word = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_srli_epi16(r, 3), 11),
                                                       _mm_slli_epi16(_mm_srli_epi16(g, 2), 5)),
                                          _mm_srli_epi16(b, 3));
        Store16(d, word);
        d += 16;
      }
    }
    carryR = _mm_cvtsi128_si32(runR) & 7;
    carryG = _mm_cvtsi128_si32(runG) & 7;
    carryB = _mm_cvtsi128_si32(runB) & 7;
#endif
    for (; x < width; ++x) {
      const int cx = std::min(x >> 1, cw - 1);
      const int uu = Nv12 ? us[2 * cx] : us[cx];
      const int vv = Nv12 ? us[2 * cx + 1] : vs[cx];
      const int32_t l = kTables.luma[ys[x]];
      const int r = ((l + kTables.redV[vv]) >> 13) + carryR;
      const int g = ((l - (kTables.greenU[uu] + kTables.greenV[vv])) >> 13) + carryG;
      const int b = ((l + kTables.blueU[uu]) >> 13) + carryB;
      carryR = r & 7;
      carryG = g & 7;
      carryB = b & 7;
      const unsigned word = (unsigned(SatByte(r)) >> 3) << 11 | (unsigned(SatByte(g)) >> 2) << 5 | (unsigned(SatByte(b)) >> 3);
      d[0] = static_cast<uint8_t>(word & 0xFF);
      d[1] = static_cast<uint8_t>(word >> 8);
      d += 2;
    }
  }
}

// 4:2:0 to packed 4:2:2; both rows of a pair take the same chroma. `UFirst` gives UYVY.
template <bool UFirst>
void PlanarToPacked(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v, int yStride,
                    int uvStride, int width, int height, int flip) {
  if (!dst || !y || !u || !v || width <= 0 || height <= 0) return;
  const int cw = ChromaWidth(width), ch = ChromaHeight(height);
  for (int row = 0; row < height; ++row) {
    const uint8_t* ys = RowOf(y, yStride, row);
    const int crow = std::min(row >> 1, ch - 1);
    const uint8_t* us = RowOf(u, uvStride, crow);
    const uint8_t* vs = RowOf(v, uvStride, crow);
    uint8_t* d = RowOf(dst, dstPitch, flip ? height - 1 - row : row);
    int x = 0;
#ifdef LW_COLORCONV_SSE2
    for (; x + kBlock <= width; x += kBlock) {
      const __m128i yy = Load16(ys + x);
      const __m128i uv = _mm_unpacklo_epi8(Load8(us + x / 2), Load8(vs + x / 2));
      Store16(d, UFirst ? _mm_unpacklo_epi8(uv, yy) : _mm_unpacklo_epi8(yy, uv));
      Store16(d + 16, UFirst ? _mm_unpackhi_epi8(uv, yy) : _mm_unpackhi_epi8(yy, uv));
      d += 32;
    }
#endif
    for (; x + 1 < width; x += 2) {
      const int cx = x >> 1;
      if (UFirst) {
        d[0] = us[cx]; d[1] = ys[x]; d[2] = vs[cx]; d[3] = ys[x + 1];
      } else {
        d[0] = ys[x]; d[1] = us[cx]; d[2] = ys[x + 1]; d[3] = vs[cx];
      }
      d += 4;
    }
    if (x < width) {  // odd last pixel: its two bytes only
      const int cx = std::min(x >> 1, cw - 1);
      if (UFirst) {
        d[0] = us[cx]; d[1] = ys[x];
      } else {
        d[0] = ys[x]; d[1] = us[cx];
      }
    }
  }
}

// Packed 4:2:2 to YV12: luma to both rows, chroma averaged over the row pair (rounding up). An odd
// last pixel carries its own U but no V: its block takes the V of the pair beside it (128 in a
// picture one pixel wide).
template <bool UFirst>
void PackedToPlanar(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride, int uvStride,
                    int width, int height, int flip) {
  if (!src || !y || !u || !v || width <= 0 || height <= 0) return;
  const int lumaOff = UFirst ? 1 : 0, uOff = UFirst ? 0 : 1, vOff = UFirst ? 2 : 3;
  auto srcRow = [&](int row) { return RowOf(src, srcStride, flip ? height - 1 - row : row); };
#ifdef LW_COLORCONV_SSE2
  const __m128i lowBytes = _mm_set1_epi16(0xFF);
  // The luma bytes or the chroma bytes of a 4:2:2 register, as 16-bit lanes.
  auto lumaOf = [&](__m128i v) { return UFirst ? _mm_srli_epi16(v, 8) : _mm_and_si128(v, lowBytes); };
  auto chromaOf = [&](__m128i v) { return UFirst ? _mm_and_si128(v, lowBytes) : _mm_srli_epi16(v, 8); };
#endif
  for (int row = 0; row < height; ++row) {
    const uint8_t* s = srcRow(row);
    uint8_t* yd = RowOf(y, yStride, row);
    int x = 0;
#ifdef LW_COLORCONV_SSE2
    for (; x + kBlock <= width; x += kBlock)
      Store16(yd + x, _mm_packus_epi16(lumaOf(Load16(s + 2 * x)), lumaOf(Load16(s + 2 * x + 16))));
#endif
    for (; x < width; ++x) yd[x] = s[2 * x + lumaOff];
  }
  const int pairs = width / 2, ch = ChromaHeight(height);
  for (int by = 0; by < ch; ++by) {
    const uint8_t* s0 = srcRow(std::min(2 * by, height - 1));
    const uint8_t* s1 = srcRow(std::min(2 * by + 1, height - 1));
    uint8_t* ud = RowOf(u, uvStride, by);
    uint8_t* vd = RowOf(v, uvStride, by);
    int bx = 0;
#ifdef LW_COLORCONV_SSE2
    // Eight pairs at a time: U and V alternate in the 16-bit lanes, averaged over the two rows.
    for (; bx + kBlock / 2 <= pairs; bx += kBlock / 2) {
      const __m128i a = _mm_avg_epu16(chromaOf(Load16(s0 + 4 * bx)), chromaOf(Load16(s1 + 4 * bx)));
      const __m128i b = _mm_avg_epu16(chromaOf(Load16(s0 + 4 * bx + 16)), chromaOf(Load16(s1 + 4 * bx + 16)));
      const __m128i lowWord = _mm_set1_epi32(0xFFFF);
      const __m128i us = _mm_packs_epi32(_mm_and_si128(a, lowWord), _mm_and_si128(b, lowWord));
      const __m128i vs = _mm_packs_epi32(_mm_srli_epi32(a, 16), _mm_srli_epi32(b, 16));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(ud + bx), _mm_packus_epi16(us, us));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(vd + bx), _mm_packus_epi16(vs, vs));
    }
#endif
    for (; bx < pairs; ++bx) {
      ud[bx] = static_cast<uint8_t>((s0[4 * bx + uOff] + s1[4 * bx + uOff] + 1) >> 1);
      vd[bx] = static_cast<uint8_t>((s0[4 * bx + vOff] + s1[4 * bx + vOff] + 1) >> 1);
    }
    if (width & 1) {
      // The last pixel's two bytes: luma and U, in the order of the format's first pair.
      const int uAt = 4 * pairs + (UFirst ? 0 : 1);
      ud[pairs] = static_cast<uint8_t>((s0[uAt] + s1[uAt] + 1) >> 1);
      vd[pairs] = pairs > 0 ? vd[pairs - 1] : 128;
    }
  }
}

// RGB (B, G, R order; 3 or 4 bytes, or a 565 word) to YV12. `Load` widens one pixel.
using LoadRgb = Rgb (*)(const uint8_t* row, int x);
inline Rgb LoadBgr24(const uint8_t* row, int x) { return {row[3 * x + 2], row[3 * x + 1], row[3 * x]}; }
inline Rgb LoadBgr32(const uint8_t* row, int x) { return {row[4 * x + 2], row[4 * x + 1], row[4 * x]}; }
inline Rgb Load565(const uint8_t* row, int x) {
  const unsigned w = row[2 * x] | (unsigned(row[2 * x + 1]) << 8);
  return {static_cast<uint8_t>((w >> 11) << 3), static_cast<uint8_t>(((w >> 5) & 63) << 2),
          static_cast<uint8_t>((w & 31) << 3)};
}

#ifdef LW_COLORCONV_SSE2
// Sixteen pixels of a row from pixel x on as B, G, R, x words (four to a register); the fourth byte
// is whatever follows, which the luma and chroma weights ignore. Reads no byte past pixel x + 15.
template <LoadRgb Load>
inline void Widen16(const uint8_t* row, int x, __m128i px[4]) {
  if constexpr (Load == LoadBgr32) {
    for (int i = 0; i < 4; ++i) px[i] = Load16(row + 4 * (x + 4 * i));
  } else if constexpr (Load == LoadBgr24) {
    const uint8_t* p = row + 3 * x;
    for (int i = 0; i < 4; ++i) {
      // Four pixels are twelve bytes; the last four are read from four bytes earlier, so that
      // the load ends with the sixteenth pixel.
      const __m128i a = i < 3 ? Load16(p + 12 * i) : _mm_srli_si128(Load16(p + 32), 4);
      const __m128i lo = _mm_unpacklo_epi32(a, _mm_srli_si128(a, 3));
      const __m128i hi = _mm_unpacklo_epi32(_mm_srli_si128(a, 6), _mm_srli_si128(a, 9));
      px[i] = _mm_unpacklo_epi64(lo, hi);
    }
  } else {
    const uint8_t* p = row + 2 * x;
    for (int i = 0; i < 2; ++i) {
      const __m128i w = Load16(p + 16 * i);  // eight 5-6-5 words
      const __m128i b = _mm_and_si128(_mm_slli_epi16(w, 3), _mm_set1_epi16(0xF8));
      const __m128i g = _mm_and_si128(_mm_srli_epi16(w, 3), _mm_set1_epi16(0xFC));
      const __m128i r = _mm_and_si128(_mm_srli_epi16(w, 8), _mm_set1_epi16(0xF8));
      const __m128i bg = _mm_or_si128(b, _mm_slli_epi16(g, 8));
      px[2 * i] = _mm_unpacklo_epi16(bg, r);
      px[2 * i + 1] = _mm_unpackhi_epi16(bg, r);
    }
  }
}
#endif

template <LoadRgb Load>
void RgbToPlanar(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride, int uvStride,
                 int width, int height, int flip) {
  if (!src || !y || !u || !v || width <= 0 || height <= 0) return;
  auto srcRow = [&](int row) { return RowOf(src, srcStride, flip ? height - 1 - row : row); };
  for (int row = 0; row < height; ++row) {
    const uint8_t* s = srcRow(row);
    uint8_t* yd = RowOf(y, yStride, row);
    int x = 0;
#ifdef LW_COLORCONV_SSE2
    for (; x + kBlock <= width; x += kBlock) {
      __m128i px[4];
      Widen16<Load>(s, x, px);
      const __m128i a = _mm_packs_epi32(Luma4(px[0]), Luma4(px[1]));
      const __m128i b = _mm_packs_epi32(Luma4(px[2]), Luma4(px[3]));
      Store16(yd + x, _mm_packus_epi16(a, b));
    }
#endif
    for (; x < width; ++x) {
      const Rgb c = Load(s, x);
      yd[x] = LumaOf(c.r, c.g, c.b);
    }
  }
  // Each block sums four pixels; at a one-pixel edge the missing pixels repeat the last one.
  const int cw = ChromaWidth(width), ch = ChromaHeight(height);
  for (int by = 0; by < ch; ++by) {
    const uint8_t* rows[2] = {srcRow(std::min(2 * by, height - 1)), srcRow(std::min(2 * by + 1, height - 1))};
    uint8_t* ud = RowOf(u, uvStride, by);
    uint8_t* vd = RowOf(v, uvStride, by);
    int bx = 0;
#ifdef LW_COLORCONV_SSE2
    {
      // Eight whole blocks (sixteen pixels of each row) at a time.
      const __m128i kU = _mm_set_epi16(0, -1212, -2384, 3596, 0, -1212, -2384, 3596);
      const __m128i kV = _mm_set_epi16(0, 3596, -3015, -582, 0, 3596, -3015, -582);
      for (; 2 * bx + kBlock <= width; bx += kBlock / 2) {
        __m128i px0[4], px1[4], sums[4];
        Widen16<Load>(rows[0], 2 * bx, px0);
        Widen16<Load>(rows[1], 2 * bx, px1);
        for (int i = 0; i < 4; ++i) sums[i] = BlockSums2(px0[i], px1[i]);
        const __m128i us = _mm_packs_epi32(Chroma4(sums[0], sums[1], kU), Chroma4(sums[2], sums[3], kU));
        const __m128i vs = _mm_packs_epi32(Chroma4(sums[0], sums[1], kV), Chroma4(sums[2], sums[3], kV));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(ud + bx), _mm_packus_epi16(us, us));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(vd + bx), _mm_packus_epi16(vs, vs));
      }
    }
#endif
    for (; bx < cw; ++bx) {
      int rs = 0, gs = 0, bs = 0;
      for (const uint8_t* s : rows) {
        for (int dx = 0; dx < 2; ++dx) {
          const Rgb c = Load(s, std::min(2 * bx + dx, width - 1));
          rs += c.r;
          gs += c.g;
          bs += c.b;
        }
      }
      ud[bx] = BlockU(rs, gs, bs);
      vd[bx] = BlockV(rs, gs, bs);
    }
  }
}

void CopyRows(uint8_t* dst, int dstStride, const uint8_t* src, int srcStride, int rowBytes, int rows, int flip) {
  for (int row = 0; row < rows; ++row) {
    std::memcpy(RowOf(dst, dstStride, row), RowOf(src, srcStride, flip ? rows - 1 - row : row),
                static_cast<size_t>(rowBytes));
  }
}

void FillRows(uint8_t* dst, int dstStride, int rowBytes, int rows, uint8_t value) {
  for (int row = 0; row < rows; ++row) std::memset(RowOf(dst, dstStride, row), value, static_cast<size_t>(rowBytes));
}

// ---------------------------------------------------------------------------------------------
// Table entries: derive the chroma strides and hand the planes on.

inline int HalfStride(int stride) { return (stride + 1) / 2; }  // rounding up, as the chroma width

void EntryYV12ToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  CopyYV12Planes(d[0], d[1], d[2], dp, HalfStride(dp), s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryYV12ToUYVY(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYV12ToUYVY(d[0], dp, s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryYV12ToYUY2(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYV12ToYUY2(d[0], dp, s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryYV12ToRGB32(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYV12ToRGB32(d[0], dp, s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryYV12ToRGB24(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYV12ToRGB24(d[0], dp, s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryYV12ToRGB565(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYV12ToRGB565(d[0], dp, s[0], s[1], s[2], ss, HalfStride(ss), w, h, f);
}
void EntryUYVYToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertUYVYToYV12(s[0], ss, d[0], d[1], d[2], dp, HalfStride(dp), w, h, f);
}
void EntryYUY2ToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertYUY2ToYV12(s[0], ss, d[0], d[1], d[2], dp, HalfStride(dp), w, h, f);
}
void EntryNV12ToNV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  CopyNV12Planes(d[0], d[1], nullptr, dp, dp, s[0], s[1], nullptr, ss, ss, w, h, f);
}
void EntryNV12ToRGB32(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertNV12ToRGB32(d[0], dp, s[0], s[1], nullptr, ss, ss, w, h, f);
}
void EntryNV12ToRGB24(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertNV12ToRGB24(d[0], dp, s[0], s[1], nullptr, ss, ss, w, h, f);
}
void EntryNV12ToRGB565(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertNV12ToRGB565(d[0], dp, s[0], s[1], nullptr, ss, ss, w, h, f);
}
void EntryRGB32ToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertRGB32ToYV12(s[0], ss, d[0], d[1], d[2], dp, HalfStride(dp), w, h, f);
}
void EntryRGB24ToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertRGB24ToYV12(s[0], ss, d[0], d[1], d[2], dp, HalfStride(dp), w, h, f);
}
void EntryRGB565ToYV12(uint8_t* const d[3], int dp, const uint8_t* const s[3], int ss, int w, int h, int f) {
  ConvertRGB565ToYV12(s[0], ss, d[0], d[1], d[2], dp, HalfStride(dp), w, h, f);
}

constexpr std::array<ColorConvertEntry, 100> MakeTable() {
  std::array<ColorConvertEntry, 100> t{};
  t[11] = EntryYV12ToYV12;
  t[12] = EntryYV12ToUYVY;
  t[13] = EntryYV12ToYUY2;
  t[15] = EntryYV12ToRGB32;
  t[16] = EntryYV12ToRGB24;
  t[17] = EntryYV12ToRGB565;
  t[21] = EntryUYVYToYV12;
  t[31] = EntryYUY2ToYV12;
  t[44] = EntryNV12ToNV12;
  t[45] = EntryNV12ToRGB32;
  t[46] = EntryNV12ToRGB24;
  t[47] = EntryNV12ToRGB565;
  t[51] = EntryRGB32ToYV12;
  t[61] = EntryRGB24ToYV12;
  t[71] = EntryRGB565ToYV12;
  return t;
}

constexpr std::array<ColorConvertEntry, 100> kConverters = MakeTable();

}  // namespace

ColorConvertEntry GetColorConverter(int inputFormat, int surfaceFormat) {
  if (inputFormat < 1 || inputFormat > 9 || surfaceFormat < 1 || surfaceFormat > 9) return nullptr;
  return kConverters[static_cast<size_t>(inputFormat * 10 + surfaceFormat)];
}

void BuildColorConvTables() {}
void ClearVectorState() {}

void ConvertYV12ToUYVY(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* u, const uint8_t* v, int ys, int uvs,
                       int w, int h, int f) {
  PlanarToPacked<true>(dst, dp, y, u, v, ys, uvs, w, h, f);
}
void ConvertYV12ToYUY2(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* u, const uint8_t* v, int ys, int uvs,
                       int w, int h, int f) {
  PlanarToPacked<false>(dst, dp, y, u, v, ys, uvs, w, h, f);
}
void ConvertYV12ToRGB32(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* u, const uint8_t* v, int ys, int uvs,
                        int w, int h, int f) {
  PlanarToRgb<4, VectorPixel, false>(dst, dp, y, u, v, ys, uvs, w, h, f);
}
void ConvertYV12ToRGB24(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* u, const uint8_t* v, int ys, int uvs,
                        int w, int h, int f) {
  PlanarToRgb<3, VectorPixel, false>(dst, dp, y, u, v, ys, uvs, w, h, f);
}
void ConvertYV12ToRGB565(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* u, const uint8_t* v, int ys, int uvs,
                         int w, int h, int f) {
  PlanarToRgb565<false>(dst, dp, y, u, v, ys, uvs, w, h, f);
}
void ConvertNV12ToRGB32(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* uv, const uint8_t*, int ys, int uvs,
                        int w, int h, int f) {
  PlanarToRgb<4, PortablePixel, true>(dst, dp, y, uv, nullptr, ys, uvs, w, h, f);
}
void ConvertNV12ToRGB24(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* uv, const uint8_t*, int ys, int uvs,
                        int w, int h, int f) {
  PlanarToRgb<3, PortablePixel, true>(dst, dp, y, uv, nullptr, ys, uvs, w, h, f);
}
void ConvertNV12ToRGB565(uint8_t* dst, int dp, const uint8_t* y, const uint8_t* uv, const uint8_t*, int ys, int uvs,
                         int w, int h, int f) {
  PlanarToRgb565<true>(dst, dp, y, uv, nullptr, ys, uvs, w, h, f);
}

void ConvertUYVYToYV12(const uint8_t* src, int ss, uint8_t* y, uint8_t* u, uint8_t* v, int ys, int uvs, int w, int h,
                       int f) {
  PackedToPlanar<true>(src, ss, y, u, v, ys, uvs, w, h, f);
}
void ConvertYUY2ToYV12(const uint8_t* src, int ss, uint8_t* y, uint8_t* u, uint8_t* v, int ys, int uvs, int w, int h,
                       int f) {
  PackedToPlanar<false>(src, ss, y, u, v, ys, uvs, w, h, f);
}
void ConvertRGB32ToYV12(const uint8_t* src, int ss, uint8_t* y, uint8_t* u, uint8_t* v, int ys, int uvs, int w, int h,
                        int f) {
  RgbToPlanar<LoadBgr32>(src, ss, y, u, v, ys, uvs, w, h, f);
}
void ConvertRGB24ToYV12(const uint8_t* src, int ss, uint8_t* y, uint8_t* u, uint8_t* v, int ys, int uvs, int w, int h,
                        int f) {
  RgbToPlanar<LoadBgr24>(src, ss, y, u, v, ys, uvs, w, h, f);
}
void ConvertRGB565ToYV12(const uint8_t* src, int ss, uint8_t* y, uint8_t* u, uint8_t* v, int ys, int uvs, int w,
                         int h, int f) {
  RgbToPlanar<Load565>(src, ss, y, u, v, ys, uvs, w, h, f);
}

void CopyYV12Planes(uint8_t* dy, uint8_t* du, uint8_t* dv, int dys, int duvs, const uint8_t* sy, const uint8_t* su,
                    const uint8_t* sv, int sys, int suvs, int w, int h, int f) {
  if (!dy || !du || !dv || !sy || w <= 0 || h <= 0) return;
  CopyRows(dy, dys, sy, sys, w, h, f);
  const int cw = ChromaWidth(w), ch = ChromaHeight(h);
  if (su && sv) {
    CopyRows(du, duvs, su, suvs, cw, ch, f);
    CopyRows(dv, duvs, sv, suvs, cw, ch, f);
  } else {
    FillRows(du, duvs, cw, ch, 128);
    FillRows(dv, duvs, cw, ch, 128);
  }
}

void CopyNV12Planes(uint8_t* dy, uint8_t* duv, uint8_t*, int dys, int duvs, const uint8_t* sy, const uint8_t* suv,
                    const uint8_t*, int sys, int suvs, int w, int h, int f) {
  if (!dy || !duv || !sy || w <= 0 || h <= 0) return;
  CopyRows(dy, dys, sy, sys, w, h, f);
  // The UV rows hold one U and one V for each pair of pixels: 2 x max(w / 2, 1) bytes.
  const int uvBytes = 2 * ChromaWidth(w), ch = ChromaHeight(h);
  if (suv) {
    CopyRows(duv, duvs, suv, suvs, uvBytes, ch, f);
  } else {
    FillRows(duv, duvs, uvBytes, ch, 128);
  }
}

void ConvertYUV420ToRGB24(uint8_t* dst, int dstStride, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                          int yStride, int uvStride, int width, int height, int flip) {
  ConvertYV12ToRGB24(dst, dstStride, y, u, v, yStride, uvStride, width, height, flip);
}
