#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "common/diagnostics.h"
#include "swf/deflating_movie_file.h"
#include "common/stdio_file.h"

namespace lumapress {

// Sequential output of an uncompressed movie: bit fields packed most significant bit first with no
// gaps, integers little-endian. Counts the whole bytes emitted, which is the file offset the tag
// framing uses to patch lengths.
//
// Errors stick: once the file cannot be created, or a write, seek or read-back fails, Failed()
// stays true and later writes are dropped. Writing without an open file writes nothing and also
// counts as a failure.
class SwfBitStream {
 public:
  // Widest field one WriteBits call appends.
  static constexpr int kMaxFieldBits = 32;

  SwfBitStream() = default;
  SwfBitStream(const SwfBitStream&) = delete;
  SwfBitStream& operator=(const SwfBitStream&) = delete;
  // Closes a file still open without flushing pending bits.
  ~SwfBitStream() = default;

  // Creates or truncates `path` and starts a fresh stream on it. False when it cannot be created.
  bool Open(const std::string& path);
  // The same, but the file receives the movie's compressed form as the bytes come (see
  // DeflatingMovieFile): only bytes not yet settled can be patched or read back.
  bool OpenCompressed(const std::string& path);

  // Appends the low `count` bits (0-32) of `value`, most significant first. Signed fields are
  // the low bits of the two's complement, so no sign handling is needed.
  void WriteBits(int32_t value, int count);
  // Zero bits up to the next byte boundary; nothing when aligned.
  void AlignToByte();
  // The low 8 bits of `value` through the bit path (no alignment first).
  void WriteByte(int32_t value);
  void WriteU16(int32_t value);
  void WriteU32(uint32_t value);
  // Same bytes as WriteByte per byte; one fwrite when aligned.
  void WriteBytes(std::span<const uint8_t> bytes);

  // Closes the file: 0 when it was open and every write and the close succeeded, else EOF.
  int Close();

  bool Failed() const { return failed_; }
  // The diagnostic lines of this movie so far (compression statistics and the like).
  Diagnostics& diagnostics() { return diagnostics_; }
  // Whole bytes emitted since Open; the offset of the next byte.
  int64_t BytesWritten() const { return bytesWritten_; }

 protected:
  // Moves the write position to `offset` (an earlier or the current end). Needs an aligned stream.
  void SeekTo(int64_t offset);
  // Reads back bytes already written at `offset`; the caller seeks before writing again.
  void ReadBack(int64_t offset, std::span<uint8_t> into);
  // Bytes before `offset` will not be patched again (compressed output may drop them).
  void Settle(int64_t offset);
  // Writes `bytes`, which nothing will patch, at the end of a stream that is settled up to
  // there: compressed output takes them straight from `bytes` instead of holding a copy.
  // Otherwise the same as WriteBytes.
  void WriteSettledBytes(std::span<const uint8_t> bytes);
  // Bytes [offset, offset + length), just written, are already compressed: compressed output
  // stores them instead of deflating them again. Nothing changes in an uncompressed file.
  void MarkPrecompressed(int64_t offset, int64_t length);
  bool Compressed() const { return deflating_ != nullptr; }
  void MarkFailed() { failed_ = true; }

 private:
  void EmitByte(uint8_t byte);

  int64_t bytesWritten_ = 0;
  uint64_t bitBuffer_ = 0;  // pending bits, right-aligned; wide enough for 7 pending + 32 new
  int bitCount_ = 0;        // 0-7 between calls
  UniqueFile file_;                               // uncompressed output
  std::unique_ptr<DeflatingMovieFile> deflating_;  // compressed output
  bool failed_ = false;
  Diagnostics diagnostics_;
};

}  // namespace lumapress
