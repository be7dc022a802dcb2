// The AVX2 set: the hottest kernels with 256-bit vectors (two DCT blocks at once, two pixel
// rows at once); the rest comes from the SSE2 set. Only ever selected when the processor
// reports AVX2, BMI1, BMI2 and LZCNT. Each kernel gives exactly the values of its portable
// counterpart.
//
// Every header is included before the target options change, so inline functions shared
// with other files keep the baseline instruction set; the kernels below live in an unnamed
// namespace and cannot be shared.

#include "jpeg/jpeg_ops.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <array>

#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_huffman_core.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,bmi,bmi2,lzcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,bmi,bmi2,lzcnt")
#endif

#include "jpeg/jpeg_simd_dct.h"

namespace lumapress {
namespace {

// Two 128-bit lanes: lane 0 works on one block (or pixel row), lane 1 on the next.
struct Avx2 {
  using T = __m256i;
  static T Set16(int16_t v) { return _mm256_set1_epi16(v); }
  static T Set32(int32_t v) { return _mm256_set1_epi32(v); }
  static T Broadcast(const int16_t* v) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(v)));
  }
  static T Adds(T a, T b) { return _mm256_adds_epi16(a, b); }
  static T Subs(T a, T b) { return _mm256_subs_epi16(a, b); }
  template <int n>
  static T Shl(T a) { return _mm256_slli_epi16(a, n); }
  static T MulHi(T a, T b) { return _mm256_mulhi_epi16(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T UnpackLo16(T a, T b) { return _mm256_unpacklo_epi16(a, b); }
  static T UnpackHi16(T a, T b) { return _mm256_unpackhi_epi16(a, b); }
  static T UnpackLo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
  static T UnpackHi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
  static T UnpackLo64(T a, T b) { return _mm256_unpacklo_epi64(a, b); }
  static T UnpackHi64(T a, T b) { return _mm256_unpackhi_epi64(a, b); }
  static T Madd(T a, T b) { return _mm256_madd_epi16(a, b); }
  static T Add32(T a, T b) { return _mm256_add_epi32(a, b); }
  template <int n>
  static T Sar32(T a) { return _mm256_srai_epi32(a, n); }
  static T Packs32(T a, T b) { return _mm256_packs_epi32(a, b); }
};

__m128i Load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
void Store128(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
__m256i Load256(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
void Store256(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
// 16 bytes from `lane0` and 16 from `lane1`.
__m256i LoadPair(const void* lane0, const void* lane1) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(lane0)), Load128(lane1), 1);
}
void StorePair(void* lane0, void* lane1, __m256i v) {
  Store128(lane0, _mm256_castsi256_si128(v));
  Store128(lane1, _mm256_extracti128_si256(v, 1));
}

// ---- DCT and quantisers ----------------------------------------------------------------

void ForwardDctVectorPair(int16_t* first, int16_t* second) {
  __m256i r[8];
  for (int i = 0; i < 8; ++i) r[i] = LoadPair(first + 8 * i, second + 8 * i);
  simd::ForwardDct16<Avx2>(r);
  for (int i = 0; i < 8; ++i) StorePair(first + 8 * i, second + 8 * i, r[i]);
}

void ForwardDctVectorAvx2(int16_t* block) {
  alignas(32) int16_t scratch[kJpegBlockSize] = {};
  ForwardDctVectorPair(block, scratch);  // the second lane's result is not needed
}

void ForwardDctVectorBlocksAvx2(int16_t* blocks, int count) {
  int b = 0;
  for (; b + 1 < count; b += 2) ForwardDctVectorPair(blocks + b * kJpegBlockSize, blocks + (b + 1) * kJpegBlockSize);
  if (b < count) ForwardDctVectorAvx2(blocks + b * kJpegBlockSize);
}

void PlainDctBlocks(int16_t* blocks, int count) {
  for (int b = 0; b < count; ++b) ForwardDctPlain(blocks + b * kJpegBlockSize);
}

void QuantizeVectorAvx2(int16_t* block, const JpegReciprocalTable& table) {
  const __m256i one = _mm256_set1_epi16(1);
  for (int i = 0; i < kJpegBlockSize; i += 16) {
    const __m256i c = Load256(block + i);
    const __m256i half = _mm256_srli_epi16(Load256(table.value + i), 1);
    const __m256i high = _mm256_mulhi_epi16(_mm256_slli_epi16(c, 3), half);
    Store256(block + i, _mm256_srai_epi16(_mm256_add_epi16(high, one), 1));
  }
}

// As the SSE2 plain quantiser: the 32-bit product from its halves, rounded, >> 15.
void QuantizePlainAvx2(int16_t* block, const JpegReciprocalTable& table) {
  const __m256i lowMask = _mm256_set1_epi16(0x7FFF);
  const __m256i half = _mm256_set1_epi16(0x4000);
  for (int i = 0; i < kJpegBlockSize; i += 16) {
    const __m256i c = Load256(block + i);
    const __m256i q = Load256(table.value + i);
    const __m256i lo = _mm256_mullo_epi16(c, q);
    const __m256i hi = _mm256_sub_epi16(_mm256_mulhi_epu16(c, q), _mm256_and_si256(_mm256_srai_epi16(c, 15), q));
    const __m256i carry = _mm256_add_epi16(
        _mm256_srli_epi16(lo, 15), _mm256_srli_epi16(_mm256_add_epi16(_mm256_and_si256(lo, lowMask), half), 15));
    Store256(block + i, _mm256_add_epi16(_mm256_add_epi16(hi, hi), carry));
  }
}

// ---- Huffman coding ----------------------------------------------------------------------

// Zero bytes of rows (a, a+1) and (a+2, a+3) packed lane-wise: the mask's bytes hold rows
// a, a+2, a+1, a+3.
uint32_t ZeroRowsOf4(const int16_t* rows) {
  const __m256i bytes = _mm256_packs_epi16(Load256(rows), Load256(rows + 16));
  return uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())));
}

int32_t EncodeBlockAvx2(JpegBitSink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                        int16_t& predictor, const int16_t* block) {
  constexpr int kRowOfByte[4] = {0, 2, 1, 3};
  uint64_t acMask = 0;
  for (int group = 0; group < 2; ++group) {
    const uint32_t nonZero = ~ZeroRowsOf4(block + 32 * group);
    for (int byte = 0; byte < 4; ++byte) {
      acMask |= kJpegZigZagBitsOfRow[4 * group + kRowOfByte[byte]][(nonZero >> (8 * byte)) & 0xFF];
    }
  }
  return EncodeBlockWithMask(sink, dc, ac, predictor, block, acMask & ~uint64_t{1});
}

// ---- Colour conversion -------------------------------------------------------------------

constexpr int kMcuSide = 16;

// Shuffle controls that gather channel c of 16 3-byte pixels from the three 16-byte parts
// of a row (0x80 leaves a byte zero).
struct RgbShuffles {
  alignas(16) uint8_t control[3][3][16];  // [channel][part][byte]
};
constexpr RgbShuffles MakeRgbShuffles() {
  RgbShuffles shuffles{};
  for (int channel = 0; channel < 3; ++channel) {
    for (int part = 0; part < 3; ++part) {
      for (int pixel = 0; pixel < kMcuSide; ++pixel) {
        const int source = 3 * pixel + channel - 16 * part;
        shuffles.control[channel][part][pixel] = source >= 0 && source < 16 ? uint8_t(source) : 0x80;
      }
    }
  }
  return shuffles;
}
constexpr RgbShuffles kRgbShuffles = MakeRgbShuffles();

// R, G, B of pixels 0-7 (lo) and 8-15 (hi) of two rows, as 16-bit lanes: lane 0 the first
// row, lane 1 the second.
struct TwoRows {
  __m256i rLo, gLo, bLo, rHi, gHi, bHi;
};

TwoRows LoadTwoRgbRows(const uint8_t* first, const uint8_t* second) {
  const __m256i parts[3] = {LoadPair(first, second), LoadPair(first + 16, second + 16),
                            LoadPair(first + 32, second + 32)};
  __m256i channel[3];
  for (int c = 0; c < 3; ++c) {
    __m256i gathered = _mm256_setzero_si256();
    for (int part = 0; part < 3; ++part) {
      const __m256i control = _mm256_broadcastsi128_si256(Load128(kRgbShuffles.control[c][part]));
      gathered = _mm256_or_si256(gathered, _mm256_shuffle_epi8(parts[part], control));
    }
    channel[c] = gathered;
  }
  const __m256i zero = _mm256_setzero_si256();
  return {_mm256_unpacklo_epi8(channel[0], zero), _mm256_unpacklo_epi8(channel[1], zero),
          _mm256_unpacklo_epi8(channel[2], zero), _mm256_unpackhi_epi8(channel[0], zero),
          _mm256_unpackhi_epi8(channel[1], zero), _mm256_unpackhi_epi8(channel[2], zero)};
}

// The MCU reads 16 rows at once, more streams than the hardware prefetcher follows: ask for
// the same rows of an MCU further right.
constexpr ptrdiff_t kPrefetchDistance = 768;  // sixteen MCUs ahead
void PrefetchAhead(const uint8_t* first, ptrdiff_t rowStride) {
  _mm_prefetch(reinterpret_cast<const char*>(first + kPrefetchDistance), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(first + rowStride + kPrefetchDistance), _MM_HINT_T0);
}

// Y = (77 R + 150 G + 29 B - 32640) >> 8 in wrapping 16-bit arithmetic (exact, as in SSE2).
__m256i Luma16(__m256i r, __m256i g, __m256i b) {
  const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(r, _mm256_set1_epi16(77)),
                                                        _mm256_mullo_epi16(g, _mm256_set1_epi16(150))),
                                       _mm256_mullo_epi16(b, _mm256_set1_epi16(29)));
  return _mm256_srai_epi16(_mm256_sub_epi16(sum, _mm256_set1_epi16(32640)), 8);
}

// w1 (x1 pair sums) + w2 (x2 ...) + w3 (x3 ...) in 32 bits per horizontal pixel pair.
__m256i WeightedPairs(__m256i x1, int16_t w1, __m256i x2, int16_t w2, __m256i x3, int16_t w3) {
  return _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(x1, _mm256_set1_epi16(w1)),
                                           _mm256_madd_epi16(x2, _mm256_set1_epi16(w2))),
                          _mm256_madd_epi16(x3, _mm256_set1_epi16(w3)));
}

// From per-row pair sums (lane 0 upper row, lane 1 lower row; lo pixels 0-7, hi 8-15):
// (upper + lower + 512) >> 10 for the 8 chroma samples of the row pair.
__m256i ChromaOfSums(__m256i lo, __m256i hi) {
  const __m256i upper = _mm256_permute2x128_si256(lo, hi, 0x20);
  const __m256i lower = _mm256_permute2x128_si256(lo, hi, 0x31);
  return _mm256_srai_epi32(_mm256_add_epi32(_mm256_add_epi32(upper, lower), _mm256_set1_epi32(512)), 10);
}

void WholeMcuAvx2(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  for (int row = 0; row < kMcuSide; row += 2) {
    const uint8_t* first = topLeft + row * rowStride;
    PrefetchAhead(first, rowStride);
    const TwoRows p = LoadTwoRgbRows(first, first + rowStride);
    int16_t* y = workspace + (row / 8) * 2 * kJpegBlockSize + (row % 8) * 8;
    Store256(y, Luma16(p.rLo, p.gLo, p.bLo));
    Store256(y + kJpegBlockSize, Luma16(p.rHi, p.gHi, p.bHi));
    const __m256i cb = ChromaOfSums(WeightedPairs(p.bLo, 128, p.rLo, -43, p.gLo, -85),
                                    WeightedPairs(p.bHi, 128, p.rHi, -43, p.gHi, -85));
    const __m256i cr = ChromaOfSums(WeightedPairs(p.rLo, 128, p.gLo, -107, p.bLo, -21),
                                    WeightedPairs(p.rHi, 128, p.gHi, -107, p.bHi, -21));
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(cb, cr), 0xD8);
    StorePair(workspace + 4 * kJpegBlockSize + 4 * row, workspace + 5 * kJpegBlockSize + 4 * row, packed);
  }
}

// Clears the upper halves of the YMM registers so that later SSE code runs at full speed.
void LeaveAvx2State() { _mm256_zeroupper(); }

}  // namespace
}  // namespace lumapress

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace lumapress {

const JpegKernelSet& Avx2Kernels() {
  static const JpegKernelSet kAvx2 = [] {
    JpegKernelSet kernels = Sse2Kernels();
    kernels.wholeMcu = WholeMcuAvx2;
    kernels.dct[1] = ForwardDctVectorAvx2;
    kernels.dctBlocks[0] = PlainDctBlocks;
    kernels.dctBlocks[1] = ForwardDctVectorBlocksAvx2;
    kernels.quantize[0] = QuantizePlainAvx2;
    kernels.quantize[1] = QuantizeVectorAvx2;
    kernels.encodeBlock = EncodeBlockAvx2;
    kernels.endVectorState = LeaveAvx2State;
    return kernels;
  }();
  return kAvx2;
}

}  // namespace lumapress

#else

namespace lumapress {
const JpegKernelSet& Avx2Kernels() { return PortableKernels(); }
}  // namespace lumapress

#endif
