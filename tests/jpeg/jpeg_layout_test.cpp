// Input layouts and frame colours other than the SWF writer's, decoded by libjpeg-turbo.

#include <gtest/gtest.h>

#include <algorithm>

#include "jpeg/jpeg_properties.h"
#include "support/jpeg_check.h"

namespace lumapress {
namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 29;

struct Layout {
  const char* what;
  int pixelColor, pixelChannels, pixelSubsampling;
  int jpegColor, jpegChannels, pattern;
};

std::vector<uint8_t> Encode(const Layout& layout, const std::vector<uint8_t>& pixels, int32_t padBytes = 0,
                            bool bottomUp = false) {
  std::vector<uint8_t> buffer(JpegWorstCaseSize(kWidth, kHeight) * 2);
  JPEG_PROPERTIES record{};
  InitProperties(record);
  record.pixels = pixels.data();
  record.pixelWidth = kWidth;
  record.pixelHeight = bottomUp ? -kHeight : kHeight;
  record.pixelPadBytes = padBytes;
  record.pixelChannels = layout.pixelChannels;
  record.pixelColor = layout.pixelColor;
  record.pixelSubsampling = layout.pixelSubsampling;
  record.jpegBuffer = buffer.data();
  record.jpegBufferSize = static_cast<int32_t>(buffer.size());
  record.jpegWidth = kWidth;
  record.jpegHeight = kHeight;
  record.jpegChannels = layout.jpegChannels;
  record.jpegColor = layout.jpegColor;
  record.jpegSubsampling = layout.pattern;
  record.quality = 95;
  const int32_t result = EncodeImage(record, kJpegModeBuffer);
  EXPECT_EQ(result, 0) << layout.what << ": " << DescribeError(result);
  buffer.resize(result == 0 ? record.jpegBufferSize : 0);
  ReleaseProperties(record);
  return buffer;
}

// Rearranges interleaved RGB into `layout`'s input bytes; `expected` gets what the decoder
// should give back.
std::vector<uint8_t> InputFor(const Layout& layout, const std::vector<uint8_t>& rgb,
                              std::vector<uint8_t>& expected) {
  std::vector<uint8_t> input;
  expected.clear();
  for (size_t p = 0; p < rgb.size() / 3; ++p) {
    const uint8_t r = rgb[3 * p], g = rgb[3 * p + 1], b = rgb[3 * p + 2];
    const uint8_t grey = static_cast<uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
    switch (layout.pixelColor) {
      case kJpegColorRgb:
        input.insert(input.end(), {r, g, b});
        if (layout.pixelChannels == 4) input.push_back(0x55);
        break;
      case kJpegColorBgr: input.insert(input.end(), {b, g, r}); break;
      case kJpegColorGrey: input.push_back(grey); break;
      case kJpegColorCmyk: input.insert(input.end(), {r, g, b, static_cast<uint8_t>(255 - g)}); break;
      case kJpegColorOther: input.insert(input.end(), {r, g, b, 7}); break;
      case kJpegColorYCbCr: {
        const auto clamp = [](double v) { return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
        input.insert(input.end(), {clamp(0.299 * r + 0.587 * g + 0.114 * b),
                                   clamp(-0.168736 * r - 0.331264 * g + 0.5 * b + 128),
                                   clamp(0.5 * r - 0.418688 * g - 0.081312 * b + 128)});
        break;
      }
    }
    if (layout.jpegChannels == 1) {
      expected.push_back(grey);
    } else if (layout.pixelColor == kJpegColorCmyk) {
      expected.insert(expected.end(), {r, g, b, static_cast<uint8_t>(255 - g)});
    } else if (layout.pixelColor == kJpegColorOther) {
      expected.insert(expected.end(), {r, g});
    } else if (layout.pixelColor == kJpegColorGrey) {
      expected.insert(expected.end(), {grey, grey, grey});
    } else {
      expected.insert(expected.end(), {r, g, b});
    }
  }
  return input;
}

TEST(JpegLayoutTest, EveryAcceptedLayoutDecodesCloseToItsInput) {
  const Layout layouts[] = {
      {"RGB into YCbCr, 4:2:0", 1, 3, 0, 3, 3, 1},
      {"RGB into YCbCr, 4:2:2", 1, 3, 0, 3, 3, 2},
      {"RGB into YCbCr, 4:4:4", 1, 3, 0, 3, 3, 0},
      {"RGBA into YCbCr, 4:2:2", 1, 4, 0, 3, 3, 2},
      {"BGR into YCbCr", 2, 3, 0, 3, 3, 1},
      {"RGB into greyscale", 1, 3, 0, 4, 1, 0},
      {"BGR into RGB", 2, 3, 0, 1, 3, 0},
      {"greyscale", 4, 1, 0, 4, 1, 0},
      {"greyscale into YCbCr", 4, 1, 0, 3, 3, 1},
      {"YCbCr input", 3, 3, 0, 3, 3, 1},
      {"CMYK stored as given", 5, 4, 0, 5, 4, 3},
      {"CMYK into YCCK", 5, 4, 0, 6, 4, 4},
      {"two channels of four as given", 255, 4, 0, 255, 2, 0},
  };
  const auto rgb = test::MakePhotoLikeRgb(kWidth, kHeight, 31);
  for (const Layout& layout : layouts) {
    std::vector<uint8_t> expected;
    const auto input = InputFor(layout, rgb, expected);
    const auto stream = Encode(layout, input);
    const test::DecodedJpeg decoded = test::DecodeJpeg(stream);
    ASSERT_TRUE(decoded.ok) << layout.what << ": " << decoded.error;
    EXPECT_EQ(decoded.frameComponents, layout.jpegChannels) << layout.what;
    ASSERT_EQ(decoded.pixels.size(), expected.size()) << layout.what;
    EXPECT_GT(test::Psnr(decoded.pixels, expected), 28.0) << layout.what;
  }
}

TEST(JpegLayoutTest, PaddingAndBottomUpRowsGiveTheSameStream) {
  const Layout layout = {"RGB", 1, 3, 0, 3, 3, 1};
  const auto rgb = test::MakePhotoLikeRgb(kWidth, kHeight, 32);
  const auto plain = Encode(layout, rgb);
  constexpr int kPad = 5;
  const size_t row = kWidth * 3;
  std::vector<uint8_t> padded, flipped;
  for (int y = 0; y < kHeight; ++y) {
    padded.insert(padded.end(), rgb.begin() + y * row, rgb.begin() + (y + 1) * row);
    padded.insert(padded.end(), kPad, 0xEE);
  }
  for (int y = kHeight - 1; y >= 0; --y) {
    flipped.insert(flipped.end(), rgb.begin() + y * row, rgb.begin() + (y + 1) * row);
    flipped.insert(flipped.end(), kPad, 0xEE);
  }
  EXPECT_EQ(Encode(layout, padded, kPad), plain);
  EXPECT_EQ(Encode(layout, flipped, kPad, true), plain);
}

TEST(JpegLayoutTest, PackedYCbCrInputEqualsUnpacked) {
  // Y0 Cb Y1 Cr pairs; the same samples unpacked with the chroma repeated give the same
  // frame sampled 2x1.
  std::vector<uint8_t> packed, unpacked;
  const auto noise = test::MakeNoise(size_t(kWidth + 1) * kHeight * 2, 33);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth + 1; x += 2) {
      const uint8_t* s = &noise[(size_t(y) * (kWidth + 1) + x) * 2];
      packed.insert(packed.end(), {s[0], s[1], s[2], s[3]});
      unpacked.insert(unpacked.end(), {s[0], s[1], s[3]});
      if (x + 1 < kWidth) unpacked.insert(unpacked.end(), {s[2], s[1], s[3]});
    }
  }
  const Layout packedLayout = {"packed", 3, 3, 2, 3, 3, 2};
  const Layout plainLayout = {"unpacked", 3, 3, 0, 3, 3, 2};
  // A packed row holds whole pairs: one pad byte pair's worth beyond 2 x width.
  const auto fromPacked = Encode(packedLayout, packed, 2);
  EXPECT_EQ(fromPacked, Encode(plainLayout, unpacked));
}

}  // namespace
}  // namespace lumapress
