// Output buffers of exactly the stream's size and one byte less, the worst-case size bound,
// and encoding from several threads at once.

#include <gtest/gtest.h>

#include <thread>

#include "support/jpeg_check.h"

namespace lumapress {
namespace {

using test::EncodeWithLumapress;

TEST(JpegBufferTest, ExactSizeFitsAndOneByteLessFails) {
  // Buffers are allocated with exactly the size asked for, so AddressSanitizer sees overruns.
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 3},   {15, 15}, {16, 16}, {17, 17}, {31, 9},
                                       {33, 47}, {64, 64}, {5, 100}, {100, 5}, {129, 71}};
  for (const auto& [width, height] : sizes) {
    for (int quality : {1, 40, 99}) {
      for (int channels : {3, 4}) {
        const auto pixels = test::MakeNoise(size_t(width) * height * channels, width * 131 + height);
        const auto complete = EncodeWithLumapress(pixels, width, height, channels, quality);
        ASSERT_EQ(complete.result, 0);
        const size_t length = complete.bytes.size();
        const auto exact = EncodeWithLumapress(pixels, width, height, channels, quality,
                                               kJpegPreferredOpsSet, length);
        EXPECT_EQ(exact.result, 0) << width << "x" << height << " q" << quality;
        EXPECT_EQ(exact.bytes, complete.bytes);
        const auto short1 = EncodeWithLumapress(pixels, width, height, channels, quality,
                                                kJpegPreferredOpsSet, length - 1);
        EXPECT_EQ(short1.result, kJpegBufferTooSmall) << width << "x" << height << " q" << quality;
      }
    }
  }
}

TEST(JpegBufferTest, EveryShorterBufferFailsWithoutOverrun) {
  const auto pixels = test::MakeNoise(20 * 20 * 3, 3);
  const auto complete = EncodeWithLumapress(pixels, 20, 20, 3, 90);
  ASSERT_EQ(complete.result, 0);
  for (size_t size = 1; size < complete.bytes.size(); size += 7) {
    EXPECT_EQ(EncodeWithLumapress(pixels, 20, 20, 3, 90, kJpegPreferredOpsSet, size).result,
              kJpegBufferTooSmall) << size;
  }
}

TEST(JpegBufferTest, SwfWritersBufferIsTooSmallForTinyImages) {
  // The SWF writer offers width x height x 4 bytes.
  const std::vector<uint8_t> pixels(12 * 12 * 3, 0x80);
  EXPECT_EQ(EncodeWithLumapress(pixels, 12, 12, 3, 75, kJpegPreferredOpsSet, 12 * 12 * 4).result,
            kJpegBufferTooSmall);
}

TEST(JpegBufferTest, WorstCaseSizeHoldsForNoise) {
  const std::pair<int, int> sizes[] = {{1, 1}, {16, 16}, {17, 33}, {64, 64}, {200, 120}};
  for (const auto& [width, height] : sizes) {
    for (int quality : {99, 100}) {
      for (JpegOpsSet set : {JpegOpsSet::kPlain, JpegOpsSet::kVector}) {
        const auto pixels = test::MakeNoise(size_t(width) * height * 3, width + height);
        const auto encoded = EncodeWithLumapress(pixels, width, height, 3, quality, set);
        ASSERT_EQ(encoded.result, 0) << width << "x" << height << " q" << quality;
        EXPECT_LE(encoded.bytes.size(), JpegWorstCaseSize(width, height));
        EXPECT_TRUE(test::DecodeJpeg(encoded.bytes).ok);
      }
    }
  }
}

TEST(JpegBufferTest, RecordsEncodeIndependentlyOnSeveralThreads) {
  constexpr int kThreads = 4;
  std::vector<std::vector<uint8_t>> pictures, expected;
  for (int i = 0; i < kThreads; ++i) {
    pictures.push_back(test::MakePhotoLikeRgb(96 + i, 64 + 3 * i, 20 + i));
    expected.push_back(EncodeWithLumapress(pictures[i], 96 + i, 64 + 3 * i, 3, 60 + i,
                                           i % 2 ? JpegOpsSet::kPlain : JpegOpsSet::kVector).bytes);
  }
  std::vector<std::vector<uint8_t>> results(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        results[i] = EncodeWithLumapress(pictures[i], 96 + i, 64 + 3 * i, 3, 60 + i,
                                         i % 2 ? JpegOpsSet::kPlain : JpegOpsSet::kVector).bytes;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_EQ(results[i], expected[i]) << i;
}

}  // namespace
}  // namespace lumapress
