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

// The sink's moving parts, kept in registers for one block.
struct LocalSink {
  uint64_t bits;
  int count;
  JpegBitSink& sink;
};

// Appends `length` (1-32) bits of `value` (no bits above `length`). False after -28.
LUMAPRESS_ALWAYS_INLINE bool Put(LocalSink& local, uint64_t value, int length) {
  if (local.count + length < 64) {
    local.bits = (local.bits << length) | value;
    local.count += length;
    return true;
  }
  const int rest = local.count + length - 64;
  const uint64_t word = (local.bits << (64 - local.count)) | (value >> rest);
  local.bits = value;
  local.count = rest;
  if (!HasFfByte(word) && local.sink.end - local.sink.pos >= 8) [[likely]] {
    StoreBigEndian64(local.sink.pos, word);
    local.sink.pos += 8;
    return true;
  }
  return EmitEntropyWord(local.sink, word) == kJpegOk;
}

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
  LocalSink local{sink.bits, sink.bitCount, sink};
  int32_t result = kJpegOk;
  const int32_t diff = int32_t{block[0]} - predictor;
  predictor = block[0];
  {
    const int size = SizeOf(diff);
    const int length = dc.length[size];
    if (length == 0) return kJpegDataError;
    if (!Put(local, (uint64_t{dc.code[size]} << size) | LowBits(diff, size), length + size)) {
      result = kJpegBufferTooSmall;
    }
  }
  int previous = 0;
  while (acMask != 0 && result == kJpegOk) {
    const int k = std::countr_zero(acMask);
    acMask &= acMask - 1;
    int run = k - previous - 1;
    previous = k;
    while (run > kJpegMaxZeroRun) [[unlikely]] {
      const int length = ac.length[kJpegZeroRunSymbol];
      if (length == 0) {
        result = kJpegDataError;
        break;
      }
      if (!Put(local, ac.code[kJpegZeroRunSymbol], length)) {
        result = kJpegBufferTooSmall;
        break;
      }
      run -= kJpegMaxZeroRun + 1;
    }
    if (result != kJpegOk) break;
    const int32_t value = block[kJpegZigZagToNatural[k]];
    const int size = SizeOf(value);
    const int symbol = run * 16 + size;
    const int length = ac.length[symbol];
    if (length == 0) {
      result = kJpegDataError;
      break;
    }
    if (!Put(local, (uint64_t{ac.code[symbol]} << size) | LowBits(value, size), length + size)) {
      result = kJpegBufferTooSmall;
    }
  }
  if (result == kJpegOk && previous < kJpegBlockSize - 1) {
    const int length = ac.length[kJpegEndOfBlockSymbol];
    if (length == 0) {
      result = kJpegDataError;
    } else if (!Put(local, ac.code[kJpegEndOfBlockSymbol], length)) {
      result = kJpegBufferTooSmall;
    }
  }
  sink.bits = local.bits;
  sink.bitCount = local.count;
  return result;
}

}  // namespace lumapress
