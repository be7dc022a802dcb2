#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

namespace lumapress {

// One zlib stream (RFC 1950) set up as compress2 sets it up, fed in pieces. Feeding a whole
// buffer in one Append with `finish` gives exactly compress2's stream. At levels 1-9 the bytes
// do not depend on how the input is cut into pieces; at level 0 they do (stored blocks end
// where a piece ends), so stored streams must be fed in one piece. Released on every path.
class ZlibDeflater {
 public:
  // Throws std::bad_alloc when zlib cannot allocate its state; ok() is false for a bad level.
  explicit ZlibDeflater(int level);
  ~ZlibDeflater();
  ZlibDeflater(const ZlibDeflater&) = delete;
  ZlibDeflater& operator=(const ZlibDeflater&) = delete;

  bool ok() const { return ok_; }
  // Compresses `input` and appends what zlib emits to `out`; `finish` ends the stream after
  // it. False on a zlib error (and on any call after the stream ended or failed).
  bool Append(std::span<const uint8_t> input, bool finish, std::vector<uint8_t>& out);
  // Bytes consumed so far.
  uint64_t TotalIn() const { return stream_.total_in; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace lumapress
