// The SSE2 set: every interchangeable operation with 128-bit integer vectors. SSE2 is part
// of x86-64, so nothing here needs a processor check. Each kernel gives exactly the
// values of its portable counterpart.

#include "jpeg/jpeg_ops.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#include <cstring>

#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_huffman_core.h"
#include "jpeg/jpeg_simd_dct.h"

namespace lumapress {
namespace {

struct Sse2 {
  using T = __m128i;
  static T Set16(int16_t v) { return _mm_set1_epi16(v); }
  static T Set32(int32_t v) { return _mm_set1_epi32(v); }
  static T Broadcast(const int16_t* v) { return _mm_load_si128(reinterpret_cast<const __m128i*>(v)); }
  static T Adds(T a, T b) { return _mm_adds_epi16(a, b); }
  static T Subs(T a, T b) { return _mm_subs_epi16(a, b); }
  template <int n>
  static T Shl(T a) { return _mm_slli_epi16(a, n); }
  static T MulHi(T a, T b) { return _mm_mulhi_epi16(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T UnpackLo16(T a, T b) { return _mm_unpacklo_epi16(a, b); }
  static T UnpackHi16(T a, T b) { return _mm_unpackhi_epi16(a, b); }
  static T UnpackLo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
  static T UnpackHi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
  static T UnpackLo64(T a, T b) { return _mm_unpacklo_epi64(a, b); }
  static T UnpackHi64(T a, T b) { return _mm_unpackhi_epi64(a, b); }
  static T Madd(T a, T b) { return _mm_madd_epi16(a, b); }
  static T Add32(T a, T b) { return _mm_add_epi32(a, b); }
  template <int n>
  static T Sar32(T a) { return _mm_srai_epi32(a, n); }
  static T Packs32(T a, T b) { return _mm_packs_epi32(a, b); }
};

__m128i* Row(int16_t* block, int row) { return reinterpret_cast<__m128i*>(block + 8 * row); }
const __m128i* Row(const int16_t* block, int row) { return reinterpret_cast<const __m128i*>(block + 8 * row); }

// ---- DCT and quantisers ----------------------------------------------------------------

void ForwardDctVectorSse2(int16_t* block) {
  __m128i r[8];
  for (int i = 0; i < 8; ++i) r[i] = _mm_load_si128(Row(block, i));
  simd::ForwardDct16<Sse2>(r);
  for (int i = 0; i < 8; ++i) _mm_store_si128(Row(block, i), r[i]);
}

void ForwardDctVectorBlocksSse2(int16_t* blocks, int count) {
  for (int b = 0; b < count; ++b) ForwardDctVectorSse2(blocks + b * kJpegBlockSize);
}

// SSE2 leaves no state behind that later floating-point code must clear.
void NoVectorState() {}

void PlainDctBlocks(int16_t* blocks, int count) {
  for (int b = 0; b < count; ++b) ForwardDctPlain(blocks + b * kJpegBlockSize);
}

// c' = (mulhi(c << 3, reciprocal >> 1) + 1) >> 1.
void QuantizeVectorSse2(int16_t* block, const JpegReciprocalTable& table) {
  const __m128i one = _mm_set1_epi16(1);
  for (int i = 0; i < 8; ++i) {
    const __m128i c = _mm_load_si128(Row(block, i));
    const __m128i half = _mm_srli_epi16(_mm_loadu_si128(Row(reinterpret_cast<const int16_t*>(table.value), i)), 1);
    const __m128i high = _mm_mulhi_epi16(_mm_slli_epi16(c, 3), half);
    _mm_store_si128(Row(block, i), _mm_srai_epi16(_mm_add_epi16(high, one), 1));
  }
}

// c' = (c * reciprocal + 16384) >> 15 from the 32-bit product's two halves: the reciprocal
// is unsigned, so the signed high half is the unsigned one less the reciprocal for c < 0.
// (hi * 2^16 + lo + 2^14) >> 15 = 2 hi + lo >> 15 + ((lo & 0x7FFF) + 2^14) >> 15, in 16 bits.
void QuantizePlainSse2(int16_t* block, const JpegReciprocalTable& table) {
  const __m128i lowMask = _mm_set1_epi16(0x7FFF);
  const __m128i half = _mm_set1_epi16(0x4000);
  for (int i = 0; i < 8; ++i) {
    const __m128i c = _mm_load_si128(Row(block, i));
    const __m128i q = _mm_loadu_si128(Row(reinterpret_cast<const int16_t*>(table.value), i));
    const __m128i lo = _mm_mullo_epi16(c, q);
    const __m128i hi = _mm_sub_epi16(_mm_mulhi_epu16(c, q), _mm_and_si128(_mm_srai_epi16(c, 15), q));
    const __m128i carry = _mm_add_epi16(_mm_srli_epi16(lo, 15),
                                        _mm_srli_epi16(_mm_add_epi16(_mm_and_si128(lo, lowMask), half), 15));
    _mm_store_si128(Row(block, i), _mm_add_epi16(_mm_add_epi16(hi, hi), carry));
  }
}

// ---- Huffman coding ----------------------------------------------------------------------

// Bit n set when natural coefficient n is non-zero (packing saturates, keeping zero apart).
uint64_t NaturalNonZeroMask(const int16_t* block) {
  const __m128i zero = _mm_setzero_si128();
  uint64_t zeros = 0;
  for (int pair = 0; pair < 4; ++pair) {
    const __m128i bytes = _mm_packs_epi16(_mm_load_si128(Row(block, 2 * pair)),
                                          _mm_load_si128(Row(block, 2 * pair + 1)));
    zeros |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)))) << (16 * pair);
  }
  return ~zeros;
}

int32_t EncodeBlockSse2(JpegBitSink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                        int16_t& predictor, const int16_t* block) {
  const uint64_t acMask = ZigZagMaskOfRows(NaturalNonZeroMask(block)) & ~uint64_t{1};
  return EncodeBlockWithMask(sink, dc, ac, predictor, block, acMask);
}

// ---- Colour conversion -------------------------------------------------------------------

constexpr int kMcuSide = 16;

// R, G, B of 8 pixels as 16-bit lanes.
struct Rgb8 {
  __m128i r, g, b;
};

// Four 4-byte pixels (R, G, B, x) into 32-bit lanes of R, G and B.
void SplitRgbx(__m128i pixels, __m128i& r, __m128i& g, __m128i& b) {
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  r = _mm_and_si128(pixels, byteMask);
  g = _mm_and_si128(_mm_srli_epi32(pixels, 8), byteMask);
  b = _mm_and_si128(_mm_srli_epi32(pixels, 16), byteMask);
}

// 8 pixels of 4 bytes from `pixels` (16-byte aligned or not).
Rgb8 LoadRgbx8(const uint8_t* pixels) {
  __m128i r0, g0, b0, r1, g1, b1;
  SplitRgbx(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)), r0, g0, b0);
  SplitRgbx(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16)), r1, g1, b1);
  return {_mm_packs_epi32(r0, r1), _mm_packs_epi32(g0, g1), _mm_packs_epi32(b0, b1)};
}

// A row of 16 3-byte pixels widened to 4 bytes, without reading past the row's 48 bytes.
void WidenRgbRow(const uint8_t* pixels, uint32_t* out) {
  for (int i = 0; i < kMcuSide - 1; ++i) std::memcpy(out + i, pixels + 3 * i, 4);
  const uint8_t* last = pixels + 3 * (kMcuSide - 1);
  out[kMcuSide - 1] = uint32_t{last[0]} | uint32_t{last[1]} << 8 | uint32_t{last[2]} << 16;
}

// Y = (77 R + 150 G + 29 B - 32640) >> 8. The weighted sum (at most 65280) wraps in 16 bits,
// but after the subtraction the value fits again, so the wrapped arithmetic is exact.
__m128i LumaOf8(const Rgb8& p) {
  const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(p.r, _mm_set1_epi16(77)),
                                                  _mm_mullo_epi16(p.g, _mm_set1_epi16(150))),
                                    _mm_mullo_epi16(p.b, _mm_set1_epi16(29)));
  return _mm_srai_epi16(_mm_sub_epi16(sum, _mm_set1_epi16(32640)), 8);
}

// (x + 128) >> 8 for x = 128 a - k1 b - k2 c within +-32640, where x + 128 may not fit 16
// bits: ((x >> 1) + 64) >> 7 is the same floor.
__m128i RoundChroma(__m128i x) {
  return _mm_srai_epi16(_mm_add_epi16(_mm_srai_epi16(x, 1), _mm_set1_epi16(64)), 7);
}
__m128i BlueChromaOf8(const Rgb8& p) {
  return RoundChroma(_mm_sub_epi16(_mm_sub_epi16(_mm_slli_epi16(p.b, 7), _mm_mullo_epi16(p.r, _mm_set1_epi16(43))),
                                   _mm_mullo_epi16(p.g, _mm_set1_epi16(85))));
}
__m128i RedChromaOf8(const Rgb8& p) {
  return RoundChroma(_mm_sub_epi16(_mm_sub_epi16(_mm_slli_epi16(p.r, 7), _mm_mullo_epi16(p.g, _mm_set1_epi16(107))),
                                   _mm_mullo_epi16(p.b, _mm_set1_epi16(21))));
}

// Sums of horizontal pairs as 32-bit lanes.
__m128i PairSums(__m128i v) { return _mm_madd_epi16(v, _mm_set1_epi16(1)); }

// Stores the Y of MCU row `row` (16 pixels as two halves) into its blocks.
void StoreLumaRow(int16_t* workspace, int row, __m128i left, __m128i right) {
  int16_t* y = workspace + (row / 8) * 2 * kJpegBlockSize + (row % 8) * 8;
  _mm_store_si128(reinterpret_cast<__m128i*>(y), left);
  _mm_store_si128(reinterpret_cast<__m128i*>(y + kJpegBlockSize), right);
}

void StoreChromaRow(int16_t* workspace, int chromaRow, __m128i cb, __m128i cr) {
  _mm_store_si128(reinterpret_cast<__m128i*>(workspace + 4 * kJpegBlockSize + 8 * chromaRow), cb);
  _mm_store_si128(reinterpret_cast<__m128i*>(workspace + 5 * kJpegBlockSize + 8 * chromaRow), cr);
}

// One MCU row as [left half, right half] of 8 pixels each.
using RowPixels = Rgb8[2];

template <int kPixelBytes>
void LoadRow(const uint8_t* pixels, RowPixels& out) {
  if constexpr (kPixelBytes == 4) {
    out[0] = LoadRgbx8(pixels);
    out[1] = LoadRgbx8(pixels + 32);
  } else {
    alignas(16) uint32_t wide[kMcuSide];
    WidenRgbRow(pixels, wide);
    out[0] = LoadRgbx8(reinterpret_cast<const uint8_t*>(wide));
    out[1] = LoadRgbx8(reinterpret_cast<const uint8_t*>(wide + 8));
  }
}

// Pixel rows `row` and `row + 1` of the MCU; their Y goes straight into the blocks.
template <int kPixelBytes>
void LoadRowPairStoringLuma(const uint8_t* topLeft, ptrdiff_t rowStride, int row, int16_t* workspace,
                            RowPixels& upper, RowPixels& lower) {
  LoadRow<kPixelBytes>(topLeft + row * rowStride, upper);
  LoadRow<kPixelBytes>(topLeft + (row + 1) * rowStride, lower);
  StoreLumaRow(workspace, row, LumaOf8(upper[0]), LumaOf8(upper[1]));
  StoreLumaRow(workspace, row + 1, LumaOf8(lower[0]), LumaOf8(lower[1]));
}

// The MCU reads 16 rows at once, more streams than the hardware prefetcher follows: ask for
// the same rows of an MCU further right.
constexpr ptrdiff_t kPrefetchDistance = 768;  // sixteen MCUs ahead
void PrefetchAhead(const uint8_t* first, ptrdiff_t rowStride) {
  _mm_prefetch(reinterpret_cast<const char*>(first + kPrefetchDistance), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(first + rowStride + kPrefetchDistance), _MM_HINT_T0);
}

// Whole MCU of 3-byte pixels: chroma = (128 sB - 43 sR - 85 sG + 512) >> 10 from the 2 x 2
// sums, in 32 bits (madd multiplies and adds each horizontal pair).
void WholeMcuSse2(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  const __m128i cbR = _mm_set1_epi16(-43), cbG = _mm_set1_epi16(-85), w128 = _mm_set1_epi16(128);
  const __m128i crG = _mm_set1_epi16(-107), crB = _mm_set1_epi16(-21), round = _mm_set1_epi32(512);
  for (int row = 0; row < kMcuSide; row += 2) {
    PrefetchAhead(topLeft + row * rowStride, rowStride);
    RowPixels upper, lower;
    LoadRowPairStoringLuma<3>(topLeft, rowStride, row, workspace, upper, lower);
    __m128i cb[2], cr[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i r = _mm_add_epi16(upper[half].r, lower[half].r);
      const __m128i g = _mm_add_epi16(upper[half].g, lower[half].g);
      const __m128i b = _mm_add_epi16(upper[half].b, lower[half].b);
      cb[half] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(b, w128), _mm_madd_epi16(r, cbR)),
                                              _mm_add_epi32(_mm_madd_epi16(g, cbG), round)), 10);
      cr[half] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(r, w128), _mm_madd_epi16(g, crG)),
                                              _mm_add_epi32(_mm_madd_epi16(b, crB), round)), 10);
    }
    StoreChromaRow(workspace, row / 2, _mm_packs_epi32(cb[0], cb[1]), _mm_packs_epi32(cr[0], cr[1]));
  }
}

// Rounded mean of 2 x 2 groups of 16-bit values: (a + b + c + d + 2) >> 2, from the two
// rows' halves.
__m128i MeanOf2x2(const __m128i upper[2], const __m128i lower[2]) {
  const __m128i two = _mm_set1_epi32(2);
  const __m128i left = _mm_srai_epi32(_mm_add_epi32(PairSums(_mm_add_epi16(upper[0], lower[0])), two), 2);
  const __m128i right = _mm_srai_epi32(_mm_add_epi32(PairSums(_mm_add_epi16(upper[1], lower[1])), two), 2);
  return _mm_packs_epi32(left, right);
}

// Edge MCU after padding (3-byte pixels): chroma per pixel, then 2 x 2 means.
void AveragedMcuSse2(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  for (int row = 0; row < kMcuSide; row += 2) {
    RowPixels upper, lower;
    LoadRowPairStoringLuma<3>(topLeft, rowStride, row, workspace, upper, lower);
    const __m128i cbUpper[2] = {BlueChromaOf8(upper[0]), BlueChromaOf8(upper[1])};
    const __m128i cbLower[2] = {BlueChromaOf8(lower[0]), BlueChromaOf8(lower[1])};
    const __m128i crUpper[2] = {RedChromaOf8(upper[0]), RedChromaOf8(upper[1])};
    const __m128i crLower[2] = {RedChromaOf8(lower[0]), RedChromaOf8(lower[1])};
    StoreChromaRow(workspace, row / 2, MeanOf2x2(cbUpper, cbLower), MeanOf2x2(crUpper, crLower));
  }
}

// 4-byte pixels: chroma from the rounded means R, G, B of each 2 x 2 group.
void MeanRgbxMcuSse2(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  for (int row = 0; row < kMcuSide; row += 2) {
    RowPixels upper, lower;
    LoadRowPairStoringLuma<4>(topLeft, rowStride, row, workspace, upper, lower);
    const __m128i rU[2] = {upper[0].r, upper[1].r}, rL[2] = {lower[0].r, lower[1].r};
    const __m128i gU[2] = {upper[0].g, upper[1].g}, gL[2] = {lower[0].g, lower[1].g};
    const __m128i bU[2] = {upper[0].b, upper[1].b}, bL[2] = {lower[0].b, lower[1].b};
    const Rgb8 means = {MeanOf2x2(rU, rL), MeanOf2x2(gU, gL), MeanOf2x2(bU, bL)};
    StoreChromaRow(workspace, row / 2, BlueChromaOf8(means), RedChromaOf8(means));
  }
}

}  // namespace

const JpegKernelSet& Sse2Kernels() {
  static constexpr JpegKernelSet kSse2 = {
      WholeMcuSse2,
      AveragedMcuSse2,
      MeanRgbxMcuSse2,
      {ForwardDctPlain, ForwardDctVectorSse2},
      {PlainDctBlocks, ForwardDctVectorBlocksSse2},
      {QuantizePlainSse2, QuantizeVectorSse2},
      EncodeBlockSse2,
      NoVectorState,
  };
  return kSse2;
}

}  // namespace lumapress

#else

namespace lumapress {
const JpegKernelSet& Sse2Kernels() { return PortableKernels(); }
}  // namespace lumapress

#endif
