#pragma once

// The block coder shared by every instruction set. The sets differ only in how they find
// the non-zero AC coefficients; the coder walks that mask with the sink's state held in
// registers and writes whole 64-bit words.

#include <array>
#include <bit>
#include <cstdint>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_tables.h"

// Forces the coder into each caller, so each instruction set compiles it with its own
// instructions; no out-of-line copy compiled for a wider set can be shared by others.
#define LUMAPRESS_ALWAYS_INLINE inline __attribute__((always_inline))

namespace lumapress {

inline constexpr uint8_t kJpegZeroRunSymbol = 0xF0;  // ZRL: sixteen zero coefficients
inline constexpr uint8_t kJpegEndOfBlockSymbol = 0x00;
inline constexpr int kJpegMaxZeroRun = 15;           // longest run a run/size symbol carries

// kJpegZigZagBitsOfRow[r][m]: the zig-zag-order bits of the coefficients of natural row r
// whose columns are set in m. OR-ing one entry per row turns a natural-order mask into a
// zig-zag one.
extern const std::array<std::array<uint64_t, 256>, 8> kJpegZigZagBitsOfRow;

LUMAPRESS_ALWAYS_INLINE uint64_t ZigZagMaskOfRows(uint64_t naturalMask) {
  uint64_t mask = 0;
  for (int row = 0; row < 8; ++row) mask |= kJpegZigZagBitsOfRow[row][(naturalMask >> (8 * row)) & 0xFF];
  return mask;
}

namespace huffman_detail {

// Bit length of |value|, and the low bits a coefficient carries (value - 1 when negative).
LUMAPRESS_ALWAYS_INLINE int SizeOf(int32_t value) {
  const int32_t sign = value >> 31;
  return std::bit_width(static_cast<uint32_t>((value ^ sign) - sign));
}
LUMAPRESS_ALWAYS_INLINE uint64_t LowBits(int32_t value, int size) {
  const uint32_t adjusted = static_cast<uint32_t>(value + (value >> 31));
  return adjusted & ((uint64_t{1} << size) - 1);
}

}  // namespace huffman_detail

// Codes one block: the DC difference, then the AC coefficients whose zig-zag indices are set
// in `acMask` (bits 1-63), with ZRL before long zero runs and EOB after a zero tail.
LUMAPRESS_ALWAYS_INLINE int32_t EncodeBlockWithMask(JpegBitSink& sink, const JpegHuffmanCodes& dc,
                                                    const JpegHuffmanCodes& ac, int16_t& predictor,
                                                    const int16_t* block, uint64_t acMask) {
  using namespace huffman_detail;
  PendingBits local{sink.bits, sink.bitCount, sink};
  const auto finish = [&](int32_t result) __attribute__((always_inline)) {
    sink.bits = local.bits;
    sink.bitCount = local.count;
    return result;
  };
  // Code `symbol` of `codes` followed by `size` low bits of `value`; 0, -21 or -28.
  const auto put = [&](const JpegHuffmanCodes& codes, int symbol, int32_t value, int size)
                       __attribute__((always_inline)) -> int32_t {
    const int length = codes.length[symbol];
    if (length == 0) [[unlikely]] return kJpegDataError;
    const uint64_t bits = (uint64_t{codes.code[symbol]} << size) | LowBits(value, size);
    return AppendBits(local, bits, length + size) ? kJpegOk : kJpegBufferTooSmall;
  };

  const int32_t diff = int32_t{block[0]} - predictor;
  predictor = block[0];
  int32_t result = put(dc, SizeOf(diff), diff, SizeOf(diff));
  if (result != kJpegOk) [[unlikely]] return finish(result);
  int previous = 0;
  while (acMask != 0) {
    const int k = std::countr_zero(acMask);
    acMask &= acMask - 1;
    int run = k - previous - 1;
    previous = k;
    while (run > kJpegMaxZeroRun) [[unlikely]] {
      result = put(ac, kJpegZeroRunSymbol, 0, 0);
      if (result != kJpegOk) return finish(result);
      run -= kJpegMaxZeroRun + 1;
    }
    const int32_t value = block[kJpegZigZagToNatural[k]];
    const int size = SizeOf(value);
    result = put(ac, run * 16 + size, value, size);
    if (result != kJpegOk) [[unlikely]] return finish(result);
  }
  if (previous < kJpegBlockSize - 1) result = put(ac, kJpegEndOfBlockSymbol, 0, 0);
  return finish(result);
}

}  // namespace lumapress
