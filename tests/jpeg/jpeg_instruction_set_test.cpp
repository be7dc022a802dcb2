// Every instruction set this processor runs gives exactly the values and bytes of the
// portable code: kernel by kernel on random and extreme inputs, and whole streams over many
// sizes (including partial MCUs), both input layouts and both arithmetics.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "jpeg/jpeg_ops.h"
#include "jpeg/jpeg_tables.h"
#include "support/hex.h"
#include "support/jpeg_check.h"

namespace lumapress {
namespace {

constexpr int kMcuBlocks = 6;
constexpr int kMcuSide = 16;

std::vector<JpegInstructionSet> FasterSets() {
  std::vector<JpegInstructionSet> sets;
  for (int i = 1; i < kJpegInstructionSetCount; ++i) {
    if (InstructionSetAvailable(JpegInstructionSet(i))) sets.push_back(JpegInstructionSet(i));
  }
  return sets;
}

struct alignas(32) Workspace {
  int16_t value[kMcuBlocks * kJpegBlockSize];
  bool operator==(const Workspace& other) const {
    return std::memcmp(value, other.value, sizeof value) == 0;
  }
};

// 16 x 16 pixels with rows `stride` bytes apart: random, or mostly extremes.
std::vector<uint8_t> MakePixels(std::mt19937& random, size_t size, bool extremes) {
  std::vector<uint8_t> pixels(size);
  for (uint8_t& p : pixels) {
    const uint32_t r = random();
    p = extremes ? ((r & 3) == 0 ? uint8_t(r >> 8) : (r & 4) ? 255 : 0) : uint8_t(r >> 8);
  }
  return pixels;
}

TEST(JpegInstructionSetTest, ColourConvertersMatchPortable) {
  const JpegKernelSet& portable = PortableKernels();
  std::mt19937 random(1);
  for (JpegInstructionSet set : FasterSets()) {
    const JpegKernelSet& fast = set == JpegInstructionSet::kSse2 ? Sse2Kernels() : Avx2Kernels();
    for (int round = 0; round < 200; ++round) {
      const bool extremes = round % 3 == 0;
      for (int pixelBytes : {3, 4}) {
        const ptrdiff_t stride = kMcuSide * pixelBytes + (round % 5);  // rows need not be packed
        const auto pixels = MakePixels(random, size_t(stride) * kMcuSide, extremes);
        // 3-byte pixels: whole MCUs and padded edge MCUs; 4-byte pixels: the mean converter.
        std::vector<std::pair<JpegWholeMcuFn, JpegWholeMcuFn>> kernels;
        if (pixelBytes == 3) {
          kernels = {{portable.wholeMcu, fast.wholeMcu}, {portable.averagedMcu, fast.averagedMcu}};
        } else {
          kernels = {{portable.meanRgbxMcu, fast.meanRgbxMcu}};
        }
        for (const auto& [reference, candidate] : kernels) {
          Workspace expected{}, actual{};
          reference(pixels.data(), stride, expected.value);
          candidate(pixels.data(), stride, actual.value);
          ASSERT_TRUE(expected == actual) << InstructionSetName(set) << " round " << round;
        }
      }
    }
  }
}

// Level-shifted samples, or anything a 16-bit block can hold (saturation paths).
void FillBlocks(std::mt19937& random, Workspace& blocks, bool fullRange) {
  for (int16_t& v : blocks.value) {
    v = fullRange ? int16_t(random()) : int16_t(int(random() % 256) - 128);
  }
}

TEST(JpegInstructionSetTest, TransformsMatchPortable) {
  const JpegKernelSet& portable = PortableKernels();
  std::mt19937 random(2);
  for (JpegInstructionSet set : FasterSets()) {
    const JpegKernelSet& fast = set == JpegInstructionSet::kSse2 ? Sse2Kernels() : Avx2Kernels();
    for (int variant = 0; variant < kJpegDctVariants; ++variant) {
      for (int round = 0; round < 400; ++round) {
        Workspace input{};
        FillBlocks(random, input, variant == 1 && round % 4 == 0);  // 32-bit sums need samples
        if (variant == 1 && round % 7 == 0) std::fill(input.value, input.value + 64, int16_t(round % 14 ? -32768 : 32767));
        Workspace expected = input, single = input, batch = input;
        const int count = 1 + round % kMcuBlocks;
        for (int b = 0; b < count; ++b) portable.dct[variant](expected.value + b * kJpegBlockSize);
        for (int b = 0; b < count; ++b) fast.dct[variant](single.value + b * kJpegBlockSize);
        fast.dctBlocks[variant](batch.value, count);
        ASSERT_TRUE(expected == single) << InstructionSetName(set) << " variant " << variant << " round " << round;
        ASSERT_TRUE(expected == batch) << InstructionSetName(set) << " variant " << variant << " round " << round;
      }
    }
  }
}

TEST(JpegInstructionSetTest, QuantisersMatchPortable) {
  const JpegKernelSet& portable = PortableKernels();
  std::mt19937 random(3);
  for (JpegInstructionSet set : FasterSets()) {
    const JpegKernelSet& fast = set == JpegInstructionSet::kSse2 ? Sse2Kernels() : Avx2Kernels();
    for (int round = 0; round < 400; ++round) {
      std::array<uint8_t, kJpegBlockSize> quant{};
      for (uint8_t& q : quant) q = round % 10 == 0 ? 1 : uint8_t(1 + random() % 255);
      const JpegReciprocalTable table = BuildReciprocalTable(quant);
      Workspace input{};
      FillBlocks(random, input, round % 2 == 0);
      for (int variant = 0; variant < kJpegDctVariants; ++variant) {
        Workspace expected = input, actual = input;
        portable.quantize[variant](expected.value, table);
        fast.quantize[variant](actual.value, table);
        ASSERT_TRUE(expected == actual) << InstructionSetName(set) << " variant " << variant << " round " << round;
      }
    }
  }
}

JpegHuffmanCodes Derived(int position) {
  JpegHuffmanCodes codes{};
  EXPECT_EQ(DeriveHuffmanCodes(DefaultHuffmanSpec(position), codes), 0);
  return codes;
}

// Quantised-looking blocks: mostly zeros, long zero runs, values up to the tables' sizes,
// sometimes a non-zero last coefficient.
void FillCoefficients(std::mt19937& random, int16_t* block, int round) {
  const int density = 1 + round % 9;
  for (int i = 0; i < kJpegBlockSize; ++i) {
    const uint32_t r = random();
    const int magnitude = int(r % (i == 0 ? 2047 : round % 5 == 0 ? 1023 : 40));
    block[i] = int16_t(r % 16 < uint32_t(density) ? (r & (1u << 20) ? -magnitude : magnitude) : 0);
  }
  if (round % 6 == 0) block[63] = int16_t(round % 12 ? 5 : -1);
}

TEST(JpegInstructionSetTest, BlockCodersWriteTheSameBytes) {
  const JpegHuffmanCodes dc = Derived(0), ac = Derived(1);
  std::mt19937 random(4);
  for (JpegInstructionSet set : FasterSets()) {
    const JpegKernelSet& fast = set == JpegInstructionSet::kSse2 ? Sse2Kernels() : Avx2Kernels();
    for (int capacity : {100000, 40, 7}) {
      std::vector<uint8_t> expectedBytes(capacity), actualBytes(capacity);
      JpegBitSink expected{}, actual{};
      ResetBitSink(expected, expectedBytes.data(), expectedBytes.size());
      ResetBitSink(actual, actualBytes.data(), actualBytes.size());
      int16_t expectedPredictor = 0, actualPredictor = 0;
      for (int round = 0; round < 2000; ++round) {
        alignas(32) int16_t block[kJpegBlockSize];
        FillCoefficients(random, block, round);
        const int32_t expectedResult = PortableKernels().encodeBlock(expected, dc, ac, expectedPredictor, block);
        const int32_t actualResult = fast.encodeBlock(actual, dc, ac, actualPredictor, block);
        ASSERT_EQ(expectedResult, actualResult) << InstructionSetName(set) << " round " << round;
        ASSERT_EQ(expectedPredictor, actualPredictor);
        ASSERT_EQ(BitSinkCount(expected), BitSinkCount(actual));
        ASSERT_EQ(expected.bitCount, actual.bitCount);
        if (expectedResult != 0) break;
      }
      ASSERT_EQ(WriteBytes(expected, nullptr, 0), WriteBytes(actual, nullptr, 0));
      EXPECT_EQ(test::ToHex(expectedBytes), test::ToHex(actualBytes)) << InstructionSetName(set);
    }
  }
}

TEST(JpegInstructionSetTest, StreamsAreIdenticalOverSizesLayoutsAndArithmetics) {
  struct Size {
    int width, height;
  };
  const Size sizes[] = {{1, 1}, {2, 3}, {15, 15}, {16, 16}, {17, 17}, {16, 40},
                        {33, 16}, {47, 31}, {64, 64}, {130, 9}, {97, 113}, {200, 150}};
  for (JpegInstructionSet set : FasterSets()) {
    for (const Size& size : sizes) {
      for (int channels : {3, 4}) {
        const uint32_t seed = uint32_t(size.width * 1000 + size.height + channels);
        std::vector<uint8_t> pixels = test::MakePhotoLikeRgb(size.width, size.height, seed);
        if (channels == 4) {
          std::vector<uint8_t> rgba;
          for (size_t i = 0; i < pixels.size(); i += 3) {
            rgba.insert(rgba.end(), {pixels[i], pixels[i + 1], pixels[i + 2], uint8_t(i * 7)});
          }
          pixels = rgba;
        }
        for (JpegOpsSet arithmetic : {JpegOpsSet::kPlain, JpegOpsSet::kVector}) {
          for (int quality : {5, 80, 100}) {
            const auto expected = test::EncodeWithLumapress(pixels, size.width, size.height, channels, quality,
                                                            arithmetic, 0, JpegInstructionSet::kPortable);
            const auto actual = test::EncodeWithLumapress(pixels, size.width, size.height, channels, quality,
                                                          arithmetic, 0, set);
            ASSERT_EQ(expected.result, 0);
            ASSERT_EQ(actual.result, 0);
            ASSERT_TRUE(expected.bytes == actual.bytes)
                << InstructionSetName(set) << " " << size.width << "x" << size.height << " channels " << channels
                << " arithmetic " << int(arithmetic) << " q" << quality;
          }
        }
      }
    }
  }
}

TEST(JpegInstructionSetTest, TooSmallBuffersFailAlikeWithoutOverrun) {
  const int width = 40, height = 24;
  const auto rgb = test::MakePhotoLikeRgb(width, height, 9);
  const auto full = test::EncodeWithLumapress(rgb, width, height, 3, 90, JpegOpsSet::kVector, 0,
                                              JpegInstructionSet::kPortable);
  ASSERT_EQ(full.result, 0);
  for (JpegInstructionSet set : FasterSets()) {
    for (size_t size = 656; size < full.bytes.size() + 2; size += 37) {
      const auto portable = test::EncodeWithLumapress(rgb, width, height, 3, 90, JpegOpsSet::kVector, size,
                                                      JpegInstructionSet::kPortable);
      const auto fast = test::EncodeWithLumapress(rgb, width, height, 3, 90, JpegOpsSet::kVector, size, set);
      EXPECT_EQ(portable.result, fast.result) << InstructionSetName(set) << " buffer " << size;
      EXPECT_EQ(fast.result, size >= full.bytes.size() ? 0 : kJpegBufferTooSmall) << size;
    }
  }
}

}  // namespace
}  // namespace lumapress
