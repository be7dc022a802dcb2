#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/kept_objects.h"
#include "common/reusable_buffer.h"

struct libdeflate_compressor;

namespace lumapress {

// One libdeflate compressor at a fixed level: each call turns a whole buffer into one complete
// zlib stream (RFC 1950). libdeflate has no streaming interface, so the input must be in memory
// and the output needs room for the compressor's worst case; inputs beyond what one call can
// take are refused, never cut into a wrong stream. Not for several threads at once.
class WholeBufferDeflater {
 public:
  // libdeflate's levels: 0 stores, 1 is the fastest, 12 the smallest.
  static constexpr int kMinLevel = 0;
  static constexpr int kMaxLevel = 12;
  // The largest input one call takes: the data of the largest SWF bitmap (65535 x 65535 pixels
  // of 4 bytes), less where size_t cannot hold that and the compressor's worst-case output.
  static const size_t kMaxInputBytes;

  enum class Status {
    kOk,
    kTooLarge,  // beyond the single-call limit; nothing appended
    kFailed,    // the compressor produced nothing (it cannot with its own bound); nothing appended
  };

  // `level` is clamped to kMinLevel..kMaxLevel. `maxInputBytes` lowers the single-call limit
  // (tests). Throws std::bad_alloc when libdeflate cannot allocate its state.
  explicit WholeBufferDeflater(int level, size_t maxInputBytes = kMaxInputBytes);
  ~WholeBufferDeflater();
  WholeBufferDeflater(const WholeBufferDeflater&) = delete;
  WholeBufferDeflater& operator=(const WholeBufferDeflater&) = delete;

  // Appends the zlib stream of `input` to `out`. Throws std::bad_alloc when memory runs out.
  Status Append(std::span<const uint8_t> input, std::vector<uint8_t>& out);

 private:
  libdeflate_compressor* compressor_;
  size_t maxInputBytes_;
  ReusableBuffer room_;  // the compressor's output, before it is appended
};

// A deflater at `level` kept for the next bitmap, whichever thread converts it: libdeflate's
// tables and the output room are not allocated afresh for every image.
KeptObjects<WholeBufferDeflater>::Lease BorrowDeflater(int level);
// Frees the kept deflaters, when a run is over.
void ReleaseKeptDeflaters() noexcept;
// How many deflaters are kept now, of every level.
size_t KeptDeflaterCount();

}  // namespace lumapress
