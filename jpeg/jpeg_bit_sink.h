#pragma once

// The output side of an encode: the caller's buffer, the write position, and the entropy
// coder's pending bits. Every byte the encoder emits goes through here, so the capacity
// check before each write and the 0xFF/0x00 stuffing of entropy-coded data live in one place.

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_result.h"

namespace lumapress {

struct JpegBitSink {
  uint8_t* start;
  uint8_t* pos;
  uint8_t* end;
  uint64_t bits;     // pending entropy-coded bits, the newest in the lowest positions
  int32_t bitCount;  // how many of `bits` are pending
};

// Points the sink at `capacity` bytes from `buffer` with nothing written or pending.
void ResetBitSink(JpegBitSink& sink, uint8_t* buffer, size_t capacity);

// Bytes placed in the buffer so far, stuffing bytes included.
inline size_t BitSinkCount(const JpegBitSink& sink) {
  return static_cast<size_t>(sink.pos - sink.start);
}

// Emits the oldest 32 pending bits as four stuffed bytes; -28 when a byte does not fit.
int32_t EmitPendingWord(JpegBitSink& sink);

// Appends the low `count` (0-32) bits of `value`, most significant first. Completed bytes are
// emitted in groups, each 0xFF followed by 0x00; -28 once a due byte finds the buffer full.
inline int32_t PutBits(JpegBitSink& sink, uint32_t value, int count) {
  const uint64_t mask = (uint64_t{1} << count) - 1;
  sink.bits = (sink.bits << count) | (value & mask);
  sink.bitCount += count;
  return sink.bitCount >= 32 ? EmitPendingWord(sink) : kJpegOk;
}

// Completes a pending partial byte with 1-bits and emits it (stuffed), then copies `length`
// marker bytes unstuffed. Marker bytes are accepted only when they end strictly before the
// buffer's end; -28 otherwise. With length 0 it only completes the partial byte.
int32_t WriteBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length);

// As WriteBytes, but the bytes may end exactly at the buffer's end: used for the EOI
// marker, the last piece of a stream.
int32_t WriteFinalBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length);

}  // namespace lumapress
