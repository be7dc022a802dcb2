#include "common/whole_buffer_deflater.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>

namespace lumapress {
namespace {

// The data of the largest bitmap a SWF tag describes: UI16 width and height, 4 bytes a pixel.
constexpr uint64_t kLargestBitmapBytes = uint64_t{65535} * 65535 * 4;
// The compressor's worst case adds a few bytes per block of a few kilobytes; keeping the input
// 1/64 below what size_t holds leaves that room on every platform.
constexpr uint64_t kSizeLimit =
    std::numeric_limits<size_t>::max() - std::numeric_limits<size_t>::max() / 64;

}  // namespace

const size_t WholeBufferDeflater::kMaxInputBytes =
    static_cast<size_t>(std::min(kLargestBitmapBytes, kSizeLimit));

WholeBufferDeflater::WholeBufferDeflater(int level, size_t maxInputBytes)
    : compressor_(libdeflate_alloc_compressor(std::clamp(level, kMinLevel, kMaxLevel))),
      maxInputBytes_(std::min(maxInputBytes, kMaxInputBytes)) {
  // With a valid level, no compressor means no memory.
  if (compressor_ == nullptr) throw std::bad_alloc();
}

WholeBufferDeflater::~WholeBufferDeflater() { libdeflate_free_compressor(compressor_); }

WholeBufferDeflater::Status WholeBufferDeflater::Append(std::span<const uint8_t> input,
                                                        std::vector<uint8_t>& out) {
  if (input.size() > maxInputBytes_) return Status::kTooLarge;
  const size_t bound = libdeflate_zlib_compress_bound(compressor_, input.size());
  if (bound < input.size()) return Status::kTooLarge;  // the bound itself overflowed
  // Room for the worst case, uninitialised: pages the compressor does not reach stay untouched.
  const std::span<uint8_t> room = room_.Get(bound);
  const size_t size =
      libdeflate_zlib_compress(compressor_, input.data(), input.size(), room.data(), bound);
  if (size != 0) {
    // Capacity for the worst case, not this stream's length: a kept output vector then takes
    // the next image of this size without moving to fresh memory. Pages beyond the stream are
    // never touched.
    out.reserve(out.size() + bound);
    out.insert(out.end(), room.begin(), room.begin() + static_cast<std::ptrdiff_t>(size));
  }
  room_.Release();
  return size == 0 ? Status::kFailed : Status::kOk;
}

namespace {

std::array<KeptObjects<WholeBufferDeflater>, WholeBufferDeflater::kMaxLevel + 1>& KeptDeflaters() {
  static std::array<KeptObjects<WholeBufferDeflater>, WholeBufferDeflater::kMaxLevel + 1> kept;
  return kept;
}

}  // namespace

KeptObjects<WholeBufferDeflater>::Lease BorrowDeflater(int level) {
  const int index =
      std::clamp(level, WholeBufferDeflater::kMinLevel, WholeBufferDeflater::kMaxLevel);
  return KeptDeflaters()[static_cast<size_t>(index)].Borrow(index);
}

void ReleaseKeptDeflaters() noexcept {
  for (auto& kept : KeptDeflaters()) kept.Clear();
}

size_t KeptDeflaterCount() {
  size_t count = 0;
  for (auto& kept : KeptDeflaters()) count += kept.Count();
  return count;
}

}  // namespace lumapress
