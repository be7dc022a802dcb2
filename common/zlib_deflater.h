#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

namespace lumapress {

// One zlib stream (RFC 1950) fed in pieces. zlib deflates; the stream's Adler-32 comes from
// libdeflate, whose vectorised sum costs a tenth of zlib's byte loop over megabytes of stored
// bitmap data. The bytes are zlib's own either way. With the default memory level, feeding a whole
// buffer in one Append with `finish` gives exactly compress2's stream. At levels 1-9 the bytes
// do not depend on how the input is cut into pieces; at level 0 they do (stored blocks end
// where a piece ends), so stored data must be fed in one piece. Released on every path.
class ZlibDeflater {
 public:
  // compress2's memory level.
  static constexpr int kDefaultMemLevel = 8;

  // Throws std::bad_alloc when zlib cannot allocate its state; ok() is false for a bad level.
  explicit ZlibDeflater(int level, int memLevel = kDefaultMemLevel);
  ~ZlibDeflater();
  ZlibDeflater(const ZlibDeflater&) = delete;
  ZlibDeflater& operator=(const ZlibDeflater&) = delete;

  bool ok() const { return ok_; }
  // Compresses `input` and appends what zlib emits to `out`; `finish` ends the stream after
  // it. False on a zlib error (and on any call after the stream ended or failed).
  bool Append(std::span<const uint8_t> input, bool finish, std::vector<uint8_t>& out);
  // Compresses what follows at `level` (0 stores). Ends the current deflate block first when
  // the level changes how zlib works, appending its bytes to `out`. False on a zlib error.
  // The stream's header states the level of its first Append.
  bool SetLevel(int level, std::vector<uint8_t>& out);
  // Bytes consumed so far.
  uint64_t TotalIn() const { return stream_.total_in; }

 private:
  // Makes room at the end of `out` for zlib to write into.
  void OfferRoom(std::vector<uint8_t>& out, size_t room);
  // Drops the room zlib did not use.
  void TakeBack(std::vector<uint8_t>& out);
  bool Fail();

  z_stream stream_{};
  int level_ = 0;
  bool ok_ = false;
  // zlib runs raw deflate; the zlib header and the Adler-32 around it are written here.
  bool headerWritten_ = false;
  uint32_t adler_ = 1;  // Adler-32 of the input so far
};

}  // namespace lumapress
