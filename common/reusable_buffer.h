#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/large_memory.h"

namespace lumapress {

// Uninitialised memory kept from one use to the next. Bitmap buffers are megabytes large;
// allocating them afresh for every image returns them to the system in between and makes
// every page fault in again (measured: a fifth of a lossless conversion's time). Buffers above
// kKeepBytes are released after use, so an occasional huge image is not kept.
class ReusableBuffer {
 public:
  // Enough for a 2560 x 1600 bitmap of 4 bytes a pixel.
  static constexpr size_t kKeepBytes = size_t{16} << 20;

  // `size` bytes, not zero-filled, valid until the next Get or Release. Throws std::bad_alloc.
  std::span<uint8_t> Get(size_t size) {
    if (size > capacity_) {
      bytes_.reset();
      capacity_ = 0;
      bytes_ = AllocateLarge(size);
      capacity_ = size;
    }
    return {bytes_.get(), size};
  }
  // Frees the memory unless it is small enough to keep.
  void Release() {
    if (capacity_ > kKeepBytes) {
      bytes_.reset();
      capacity_ = 0;
    }
  }

 private:
  LargeMemory bytes_;
  size_t capacity_ = 0;
};

}  // namespace lumapress
