#include "jpeg/jpeg_bit_sink.h"

#include <bit>
#include <cstring>

namespace lumapress {
namespace {

// Appends one entropy-coded byte and, after 0xFF, its stuffing byte 0x00.
int32_t EmitStuffedByte(JpegBitSink& sink, uint8_t byte) {
  if (sink.pos == sink.end) return kJpegBufferTooSmall;
  *sink.pos++ = byte;
  if (byte == 0xFF) {
    if (sink.pos == sink.end) return kJpegBufferTooSmall;
    *sink.pos++ = 0x00;
  }
  return kJpegOk;
}

// Emits every whole pending byte, then the partial one padded with 1-bits.
int32_t FlushPendingBits(JpegBitSink& sink) {
  while (sink.bitCount >= 8) {
    sink.bitCount -= 8;
    const int32_t result = EmitStuffedByte(sink, static_cast<uint8_t>(sink.bits >> sink.bitCount));
    if (result != kJpegOk) return result;
  }
  if (sink.bitCount > 0) {
    const int fill = 8 - sink.bitCount;
    const uint8_t byte = static_cast<uint8_t>((sink.bits << fill) | ((1u << fill) - 1));
    sink.bitCount = 0;
    const int32_t result = EmitStuffedByte(sink, byte);
    if (result != kJpegOk) return result;
  }
  sink.bits = 0;
  return kJpegOk;
}

int32_t CopyMarkerBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length, bool mayFillLast) {
  const int32_t flushed = FlushPendingBits(sink);
  if (flushed != kJpegOk) return flushed;
  const size_t room = static_cast<size_t>(sink.end - sink.pos);
  if (mayFillLast ? length > room : length >= room) return kJpegBufferTooSmall;
  if (length > 0) std::memcpy(sink.pos, bytes, length);
  sink.pos += length;
  return kJpegOk;
}

}  // namespace

void ResetBitSink(JpegBitSink& sink, uint8_t* buffer, size_t capacity) {
  sink.start = buffer;
  sink.pos = buffer;
  sink.end = buffer + capacity;
  sink.bits = 0;
  sink.bitCount = 0;
}

int32_t EmitEntropyWord(JpegBitSink& sink, uint64_t word) {
  if (!HasFfByte(word) && sink.end - sink.pos >= 8) {
    StoreBigEndian64(sink.pos, word);
    sink.pos += 8;
    return kJpegOk;
  }
  for (int shift = 56; shift >= 0; shift -= 8) {
    const int32_t result = EmitStuffedByte(sink, static_cast<uint8_t>(word >> shift));
    if (result != kJpegOk) return result;
  }
  return kJpegOk;
}

int32_t WriteBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length) {
  return CopyMarkerBytes(sink, bytes, length, false);
}

int32_t WriteFinalBytes(JpegBitSink& sink, const uint8_t* bytes, size_t length) {
  return CopyMarkerBytes(sink, bytes, length, true);
}

}  // namespace lumapress
