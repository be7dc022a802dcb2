#include "platform/large_memory.h"

#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>

#include <cstdlib>
#endif

namespace lumapress {

#ifdef __linux__

namespace {

// The size of an x86-64 and arm64 transparent huge page; buffers below it keep small pages.
constexpr size_t kHugePageBytes = size_t{2} << 20;

}  // namespace

LargeMemory AllocateLarge(size_t size) {
  if (size < kHugePageBytes) {
    // malloc, like the large ones below, so that one deleter frees both.
    void* bytes = std::malloc(size == 0 ? 1 : size);
    if (bytes == nullptr) throw std::bad_alloc();
    return LargeMemory(static_cast<uint8_t*>(bytes));
  }
  // Whole huge pages, so the buffer's last page is not shared with other allocations.
  if (size > SIZE_MAX - kHugePageBytes) throw std::bad_alloc();
  const size_t rounded = (size + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  void* bytes = std::aligned_alloc(kHugePageBytes, rounded);
  if (bytes == nullptr) throw std::bad_alloc();
  // Only advice: where huge pages are off or scarce, small pages serve as before.
  madvise(bytes, rounded, MADV_HUGEPAGE);
  return LargeMemory(static_cast<uint8_t*>(bytes));
}

void LargeMemoryDeleter::operator()(uint8_t* bytes) const noexcept { std::free(bytes); }

#else

LargeMemory AllocateLarge(size_t size) { return LargeMemory(new uint8_t[size]); }

void LargeMemoryDeleter::operator()(uint8_t* bytes) const noexcept { delete[] bytes; }

#endif

}  // namespace lumapress
