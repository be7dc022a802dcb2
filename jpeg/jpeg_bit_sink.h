#pragma once

// The output side of an encode: the caller's buffer, the write position, and the entropy
// coder's pending bits. Every byte the encoder emits goes through here, so the capacity
// check before each write and the 0xFF/0x00 stuffing of entropy-coded data live in one place.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "jpeg/jpeg_result.h"

namespace lumapress {

struct JpegBitSink {
  uint8_t* start;
  uint8_t* pos;
  uint8_t* end;
  uint64_t bits;     // pending entropy-coded bits, the newest in the lowest positions
  int32_t bitCount;  // how many of `bits` are pending (0-63); higher bits are stale
};

// Points the sink at `capacity` bytes from `buffer` with nothing written or pending.
void ResetBitSink(JpegBitSink& sink, uint8_t* buffer, size_t capacity);

// Bytes placed in the buffer so far, stuffing bytes included.
inline size_t BitSinkCount(const JpegBitSink& sink) {
  return static_cast<size_t>(sink.pos - sink.start);
}

// True when one of the eight bytes of `word` is 0xFF (a zero byte of its complement).
inline bool HasFfByte(uint64_t word) {
  const uint64_t inverted = ~word;
  return ((inverted - 0x0101010101010101u) & ~inverted & 0x8080808080808080u) != 0;
}

inline void StoreBigEndian64(uint8_t* out, uint64_t word) {
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  std::memcpy(out, &word, sizeof word);
}

// Appends a full 64-bit word of entropy-coded data: all eight bytes at once when none is
// 0xFF and they fit, else byte by byte, each 0xFF followed by 0x00; -28 once a due byte finds
// the buffer full.
int32_t EmitEntropyWord(JpegBitSink& sink, uint64_t word);

// The accumulator's moving parts, held in registers while a block is coded.
struct PendingBits {
  uint64_t bits;
  int count;
  JpegBitSink& sink;
};

// Appends `length` (0-32) bits of `value` (no bits above `length`). Bits collect in a 64-bit
// accumulator and leave it as whole words. False after -28.
inline __attribute__((always_inline)) bool AppendBits(PendingBits& pending, uint64_t value, int length) {
  if (pending.count + length < 64) {
    pending.bits = (pending.bits << length) | value;
    pending.count += length;
    return true;
  }
  // Fill the accumulator with the top of `value`; the rest starts the next word. Bits above
  // the count are never read, so the accumulator needs no masking.
  const int rest = pending.count + length - 64;
  const uint64_t word = (pending.bits << (64 - pending.count)) | (value >> rest);
  pending.bits = value;
  pending.count = rest;
  if (!HasFfByte(word) && pending.sink.end - pending.sink.pos >= 8) [[likely]] {
    StoreBigEndian64(pending.sink.pos, word);
    pending.sink.pos += 8;
    return true;
  }
  return EmitEntropyWord(pending.sink, word) == kJpegOk;
}

// Appends the low `count` (0-32) bits of `value`, most significant first; -28 once a due
// byte finds the buffer full.
inline int32_t PutBits(JpegBitSink& sink, uint32_t value, int count) {
  PendingBits pending{sink.bits, sink.bitCount, sink};
  const bool written = AppendBits(pending, value & ((uint64_t{1} << count) - 1), count);
  sink.bits = pending.bits;
  sink.bitCount = pending.count;
  return written ? kJpegOk : kJpegBufferTooSmall;
}

// Completes a pending partial byte with 1-bits and emits it (stuffed), then copies `length`
// marker bytes unstuffed. Marker bytes are accepted only when they end strictly before the
// buffer's end; -28 otherwise. With length 0 it only completes the partial byte.
int32_t WriteBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length);

// As WriteBytes, but the bytes may end exactly at the buffer's end: used for the EOI
// marker, the last piece of a stream.
int32_t WriteFinalBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length);

}  // namespace lumapress
