// Streams of the encoder decoded by libjpeg-turbo and compared with the input, and with
// libjpeg-turbo's own encoder at the same settings.

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "support/jpeg_check.h"

namespace lumapress {
namespace {

using test::DecodeJpeg;
using test::EncodeWithLibjpeg;
using test::EncodeWithLumapress;
using test::MakePhotoLikeRgb;
using test::Psnr;

constexpr JpegOpsSet kBothSets[] = {JpegOpsSet::kPlain, JpegOpsSet::kVector};

struct Comparison {
  double ourPsnr;
  double referencePsnr;
  size_t ourSize;
  size_t referenceSize;
};

Comparison Compare(const std::vector<uint8_t>& rgb, int width, int height, int quality,
                   JpegOpsSet set) {
  const test::LumapressJpeg ours = EncodeWithLumapress(rgb, width, height, 3, quality, set);
  EXPECT_EQ(ours.result, 0) << DescribeError(ours.result);
  const test::DecodedJpeg decoded = DecodeJpeg(ours.bytes);
  EXPECT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.width, width);
  EXPECT_EQ(decoded.height, height);
  const std::vector<uint8_t> reference = EncodeWithLibjpeg(rgb, width, height, quality);
  const test::DecodedJpeg referenceDecoded = DecodeJpeg(reference);
  EXPECT_TRUE(referenceDecoded.ok) << referenceDecoded.error;
  return {Psnr(rgb, decoded.pixels), Psnr(rgb, referenceDecoded.pixels), ours.bytes.size(),
          reference.size()};
}

TEST(JpegDecodeTest, PhotoLikeImagesMatchLibjpegTurboQualityAndSize) {
  struct Picture {
    int width, height;
    uint32_t seed;
  };
  const Picture pictures[] = {{320, 240, 1}, {257, 181, 2}, {640, 480, 3}};
  for (const Picture& picture : pictures) {
    const auto rgb = MakePhotoLikeRgb(picture.width, picture.height, picture.seed);
    for (int quality : {50, 75, 90}) {
      for (JpegOpsSet set : kBothSets) {
        const Comparison c = Compare(rgb, picture.width, picture.height, quality, set);
        SCOPED_TRACE(testing::Message() << picture.width << "x" << picture.height << " q" << quality
                                        << " set " << int(set));
        std::printf("%dx%d q%d set %d: ours %.2f dB %zu bytes, libjpeg-turbo %.2f dB %zu bytes\n",
                    picture.width, picture.height, quality, int(set), c.ourPsnr, c.ourSize, c.referencePsnr,
                    c.referenceSize);
        EXPECT_GT(c.ourPsnr, c.referencePsnr - 0.5);
        EXPECT_LT(double(c.ourSize), 1.10 * double(c.referenceSize));
        EXPECT_GT(double(c.ourSize), 0.90 * double(c.referenceSize));
      }
    }
  }
}

}  // namespace
}  // namespace lumapress
