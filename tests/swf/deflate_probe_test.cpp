#include "swf/deflate_probe.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

#include "support/byte_patterns.h"

namespace lumapress::test {
namespace {

std::vector<uint8_t> Compress2(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(data.size());
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), data.size(), 9), Z_OK);
  out.resize(size);
  return out;
}

// Noise with its last `tail` bytes zero.
std::vector<uint8_t> NoiseEndingInZeros(size_t count, size_t tail) {
  std::vector<uint8_t> bytes = NoiseBytes(count, 5);
  std::fill(bytes.end() - static_cast<std::ptrdiff_t>(tail), bytes.end(), 0);
  return bytes;
}

TEST(DeflateProbe, SaysWhetherDeflatingAgainPays) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    bool worth;
  } cases[] = {
      {"nothing", {}, false},
      {"one byte", {7}, false},
      {"noise, short", NoiseBytes(3000, 1), false},
      {"noise, long", NoiseBytes(3u << 20, 2), false},
      {"zlib stream of noise", Compress2(NoiseBytes(1u << 20, 3)), false},
      {"zeros", std::vector<uint8_t>(100000, 0), true},
      {"zlib stream of a flat image, whose repeats repeat",
       Compress2(std::vector<uint8_t>(8u << 20, 0x40)), true},
      {"noise with zeros only where the last sample lies", NoiseEndingInZeros(1u << 20, 20000),
       true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorthDeflatingAgain(c.bytes), c.worth) << c.what;
  }
}

TEST(DeflateProbe, SamplesAtMostFourPiecesOf16KiB) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t in;
    size_t outAtMost;  // and at least in / 1000
  } cases[] = {
      {"nothing", {}, 0, 0},
      {"noise shorter than the samples: all of it, not shrunk", NoiseBytes(100, 1), 100, 100},
      {"noise, long: four samples", NoiseBytes(3u << 20, 2), 4 * 16384, 4 * 16384},
      {"zeros, long: four samples, shrunk", std::vector<uint8_t>(1u << 20, 0), 4 * 16384, 1000},
  };
  for (const auto& c : cases) {
    const DeflatedSamples samples = DeflateSamples(c.bytes);
    EXPECT_EQ(samples.in, c.in) << c.what;
    EXPECT_LE(samples.out, c.outAtMost) << c.what;
    EXPECT_GE(samples.out * 1000, samples.in) << c.what;
  }
}

}  // namespace
}  // namespace lumapress::test
