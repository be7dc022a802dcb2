#include "common/whole_buffer_deflater.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/byte_patterns.h"
#include "support/hex.h"
#include "support/swf_reader.h"

namespace lumapress::test {
namespace {

// Photo-like: slow ramps with some noise, runs now and then.
std::vector<uint8_t> Mixed(size_t count, uint32_t seed) {
  std::vector<uint8_t> bytes = NoiseBytes(count, seed);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>((i / 4096) % 200 + (bytes[i] & 7));
    if (i % 100000 < 3000) bytes[i] = 0;
  }
  return bytes;
}

// RFC 1950 header: deflate with a 32 KiB window, and a check value that makes it a multiple of 31.
void ExpectZlibHeader(std::span<const uint8_t> stream) {
  ASSERT_GE(stream.size(), 6u);
  EXPECT_EQ(stream[0], 0x78);
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0);
}

TEST(WholeBufferDeflater, EveryStreamInflatesWithZlibToItsInput) {
  const struct {
    const char* what;
    std::vector<uint8_t> input;
    int level;
  } cases[] = {
      {"empty input", {}, 7},
      {"one byte", FromHex("5A"), 7},
      {"one byte, stored", FromHex("5A"), 0},
      {"incompressible, fastest", NoiseBytes(1 << 20, 3), 1},
      {"large input (16 MiB)", Mixed(16u << 20, 5), 1},
      {"mixed, default level", Mixed(2u << 20, 6), 7},
      {"mixed, smallest", Mixed(1u << 19, 9), 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WholeBufferDeflater deflater(c.level);
    std::vector<uint8_t> out = FromHex("AA BB");  // appended to, never replaced
    ASSERT_EQ(deflater.Append(c.input, out), WholeBufferDeflater::Status::kOk);
    ASSERT_EQ(ToHex(std::span(out).first(2)), "AA BB");
    const std::span<const uint8_t> stream = std::span<const uint8_t>(out).subspan(2);
    ExpectZlibHeader(stream);
    // zlib checks the Adler-32 and that the stream ends exactly at the end.
    EXPECT_TRUE(InflateZlib(stream) == c.input);
  }
}

TEST(WholeBufferDeflater, InputsBeyondTheSingleCallLimitAreRefusedWithNothingAppended) {
  const std::vector<uint8_t> input = Mixed(1001, 4);
  WholeBufferDeflater deflater(7, 1000);
  std::vector<uint8_t> out = FromHex("01 02 03");
  EXPECT_EQ(deflater.Append(input, out), WholeBufferDeflater::Status::kTooLarge);
  EXPECT_EQ(ToHex(out), "01 02 03");
  // At the limit the call goes through and the stream is whole.
  const std::span<const uint8_t> atLimit = std::span(input).first(1000);
  ASSERT_EQ(deflater.Append(atLimit, out), WholeBufferDeflater::Status::kOk);
  const auto inflated = InflateZlib(std::span<const uint8_t>(out).subspan(3));
  EXPECT_TRUE(std::equal(inflated.begin(), inflated.end(), atLimit.begin(), atLimit.end()));
}

TEST(WholeBufferDeflater, TheLimitCoversTheLargestBitmapWhereSizeTHoldsIt) {
  constexpr uint64_t kLargestBitmap = uint64_t{65535} * 65535 * 4;
  if (sizeof(size_t) >= sizeof(uint64_t)) {
    EXPECT_EQ(uint64_t{WholeBufferDeflater::kMaxInputBytes}, kLargestBitmap);
  } else {
    EXPECT_LT(WholeBufferDeflater::kMaxInputBytes, SIZE_MAX);
  }
}

TEST(WholeBufferDeflater, LevelsOutsideTheRangeAreClamped) {
  const std::vector<uint8_t> input = Mixed(50000, 8);
  const struct { int asked, used; } cases[] = {{-3, 0}, {99, 12}};
  for (const auto& c : cases) {
    std::vector<uint8_t> asked, used;
    ASSERT_EQ(WholeBufferDeflater(c.asked).Append(input, asked), WholeBufferDeflater::Status::kOk);
    ASSERT_EQ(WholeBufferDeflater(c.used).Append(input, used), WholeBufferDeflater::Status::kOk);
    EXPECT_TRUE(asked == used) << c.asked;
  }
}

TEST(WholeBufferDeflater, AKeptDeflaterGivesAFreshDeflatersStream) {
  // Larger, then smaller input: the kept output room and tables must not leak into the next.
  for (const auto& input : {Mixed(3u << 20, 1), Mixed(70000, 2), std::vector<uint8_t>{}}) {
    std::vector<uint8_t> kept, fresh;
    ASSERT_EQ(BorrowDeflater(7)->Append(input, kept), WholeBufferDeflater::Status::kOk);
    ASSERT_EQ(WholeBufferDeflater(7).Append(input, fresh), WholeBufferDeflater::Status::kOk);
    EXPECT_TRUE(kept == fresh) << input.size() << " bytes";
  }
  // One lease after another gets the same deflater; two at once get two.
  const WholeBufferDeflater* first = &*BorrowDeflater(7);
  EXPECT_EQ(&*BorrowDeflater(7), first);
  const auto held = BorrowDeflater(7);
  const auto second = BorrowDeflater(7);
  EXPECT_NE(&*held, &*second);
}

}  // namespace
}  // namespace lumapress::test
