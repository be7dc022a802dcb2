#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumapress {

// Frees what AllocateLarge returned.
struct LargeMemoryDeleter {
  void operator()(uint8_t* bytes) const noexcept;
};
using LargeMemory = std::unique_ptr<uint8_t[], LargeMemoryDeleter>;

// `size` bytes, uninitialised, for a bitmap-sized buffer that is filled and read in full
// (decoded rows, pixel data, compressor input and output). On Linux, buffers of a few
// megabytes are placed on 2 MiB boundaries and the kernel is asked for huge pages: a 1080p
// bitmap then takes 4 page faults instead of 2000, and the compressor's scattered reads miss
// the TLB less. Elsewhere it is plain new[]. Throws std::bad_alloc.
LargeMemory AllocateLarge(size_t size);

}  // namespace lumapress
