#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "common/stdio_file.h"
#include "common/zlib_deflater.h"

namespace lumapress {

// Writes a movie straight into its compressed form ("CWS", version 6, FileLength, then the
// body after byte 8 as one zlib stream) while its uncompressed bytes arrive, without writing
// and reading the uncompressed movie back. Without precompressed spans the result is byte for
// byte what CompressMovie makes of the finished uncompressed movie.
//
// Bytes are placed by their offset in the uncompressed movie. The 8 header bytes can change
// until Close; body bytes can change until they are settled, after which they are compressed
// and gone. So the body is held in memory only from the oldest byte that may still change.
//
// Spans marked precompressed (bitmap zlib streams, JPEG scan data) are stored in the stream,
// not deflated again: the level drops to 0 around them and returns to 9 after them. They are
// fed to zlib whole, so their stored blocks do not depend on how the movie arrived.
class DeflatingMovieFile {
 public:
  DeflatingMovieFile() = default;
  DeflatingMovieFile(const DeflatingMovieFile&) = delete;
  DeflatingMovieFile& operator=(const DeflatingMovieFile&) = delete;

  // Creates or truncates `path`. False when it cannot be created.
  bool Open(const std::string& path);
  // Places `bytes` at `offset`: the header, or body bytes at or after the settled part, not
  // beyond the end so far. False (nothing placed) otherwise.
  bool Put(int64_t offset, std::span<const uint8_t> bytes);
  // True when body bytes at `offset` can be placed with PutSettled: `offset` is the end so far
  // and every byte before it is settled.
  bool CanPutSettled(int64_t offset) const;
  // Places body bytes at such an offset that are final as they come: they are compressed
  // straight from `bytes` (a bitmap's data is megabytes; holding a copy would cost the time
  // and memory of one). Spans among them are marked precompressed beforehand. False when the
  // offset does not qualify or compressing failed.
  bool PutSettled(int64_t offset, std::span<const uint8_t> bytes);
  // Copies placed bytes at `offset` that are not settled yet. False when not available.
  bool Get(int64_t offset, std::span<uint8_t> into) const;
  // Body bytes [offset, offset + length) are already compressed: the stream stores them. Spans
  // come in increasing order, after the settled part; others are ignored. Only a choice of
  // level: the movie's bytes are the same either way.
  void MarkPrecompressed(int64_t offset, int64_t length);
  // Body bytes before `offset` will not change again; compresses them once enough gathered.
  bool Settle(int64_t offset);
  // Compresses the rest of the body, writes the compressed header, closes the file and adds
  // the compression statistics to `diagnostics`. False when anything failed since Open.
  bool Close(Diagnostics& diagnostics);

 private:
  // Compresses `bytes`, the movie's bytes from offset `start` on (each precompressed span at
  // level 0), and writes the result; `finish` ends the stream after them.
  bool WriteCompressed(std::span<const uint8_t> bytes, int64_t start, bool finish);
  // Feeds `bytes` to zlib at `level`, in pieces.
  bool Feed(std::span<const uint8_t> bytes, int level);
  // Writes the compressed bytes gathered so far to the file and empties the buffer.
  bool WriteOut();

  struct Span {
    int64_t begin;
    int64_t end;
  };

  UniqueFile file_;
  std::optional<ZlibDeflater> deflater_;
  std::array<uint8_t, 8> header_{};
  int64_t pendingStart_ = 0;       // uncompressed offset of pending_[0]
  std::vector<uint8_t> pending_;   // body bytes not compressed yet
  int64_t settledEnd_ = 0;         // body bytes before this offset will not change
  std::deque<Span> precompressed_;   // spans not compressed yet, in increasing order
  std::vector<uint8_t> compressed_;  // compressed bytes not written yet, up to about a piece
  uint64_t compressedBytes_ = 0;
  bool failed_ = false;
};

}  // namespace lumapress
