#include "platform/large_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace lumapress::test {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

TEST(LargeMemory, EverySizeIsWritableToItsLastByte) {
  // Around the 2 MiB huge page, where the allocation changes kind (AddressSanitizer checks
  // that no buffer is shorter than asked).
  for (const size_t size : {size_t{0}, size_t{1}, size_t{4095}, 2 * kMiB - 1, 2 * kMiB,
                            2 * kMiB + 1, size_t{1920} * 1080 * 4}) {
    LargeMemory bytes = AllocateLarge(size);
    ASSERT_NE(bytes.get(), nullptr) << size;
    if (size == 0) continue;
    std::memset(bytes.get(), 0xA5, size);
    EXPECT_EQ(bytes[0], 0xA5) << size;
    EXPECT_EQ(bytes[size - 1], 0xA5) << size;
  }
}

#ifdef __linux__
TEST(LargeMemory, BitmapSizedBuffersStartOnHugePageBoundaries) {
  // Only aligned ranges can be backed by transparent huge pages.
  for (const size_t size : {2 * kMiB, size_t{1920} * 1080 * 4, 33 * kMiB + 5}) {
    const LargeMemory bytes = AllocateLarge(size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes.get()) % (2 * kMiB), 0u) << size;
  }
}
#endif

}  // namespace
}  // namespace lumapress::test
