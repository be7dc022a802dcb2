#include "conversion/pixel_buffer.h"

#include <gtest/gtest.h>

#include <vector>

#include "conversion/bitmap_form.h"
#include "support/hex.h"

namespace lumapress {
namespace {

using test::FromHex;
using test::ToHex;

ImageRows RowsOf(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, int channels) {
  return ImageRows{pixels, width, height, channels, size_t{width} * static_cast<size_t>(channels)};
}

struct PremultiplyCase {
  const char* what;
  const char* rgba;
  const char* buffer;  // expected PixelBuffer32 bytes
  const char* source;  // expected source bytes afterwards
};

TEST(PixelBuffer, PremultipliesColourByAlphaOver256) {
  constexpr PremultiplyCase kCases[] = {
      {"opaque white", "FF FF FF FF", "FF FE FE FE", "FE FE FE FF"},
      {"transparent", "12 34 56 00", "00 00 00 00", "00 00 00 00"},
      {"half", "C8 64 32 80", "80 64 32 19", "64 32 19 80"},
  };
  for (const PremultiplyCase& c : kCases) {
    std::vector<uint8_t> pixels = FromHex(c.rgba);
    const PixelBuffer32 buffer = FillPixelBuffer32(RowsOf(pixels, 1, 1, 4));
    EXPECT_EQ(ToHex(buffer.bytes), ToHex(FromHex(c.buffer))) << c.what;
    EXPECT_EQ(ToHex(pixels), ToHex(FromHex(c.source))) << c.what;
  }
}

TEST(PixelBuffer, OpaquePixelsGetAZeroByteAndKeepTheSource) {
  std::vector<uint8_t> pixels = FromHex("01 02 03 04 05 06  07 08 09 0A 0B 0C");
  const std::vector<uint8_t> before = pixels;
  const PixelBuffer32 buffer = FillPixelBuffer32(RowsOf(pixels, 2, 2, 3));
  EXPECT_EQ(ToHex(buffer.bytes), ToHex(FromHex("00010203 00040506 00070809 000A0B0C")));
  EXPECT_EQ(pixels, before);
}

TEST(PixelBuffer, OpaqueRowsOfEveryWidthUpToNineFillWithoutReadingPastTheRows) {
  // Rows without padding, in a buffer of exactly their size: a read past a row's end would be
  // the next row's first byte, and past the last row AddressSanitizer's report.
  for (uint32_t width = 1; width <= 9; ++width) {
    std::vector<uint8_t> pixels(size_t{width} * 3 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(0x40 + i);
    std::vector<uint8_t> expected;
    for (size_t i = 0; i < pixels.size(); i += 3) {
      expected.insert(expected.end(), {0, pixels[i], pixels[i + 1], pixels[i + 2]});
    }
    const PixelBuffer32 buffer = FillPixelBuffer32(RowsOf(pixels, width, 3, 3));
    EXPECT_EQ(ToHex(buffer.bytes), ToHex(expected)) << "width " << width;
  }
}

TEST(PixelBuffer, HonoursRowLength) {
  // Two rows of one RGB pixel, each row padded to 4 bytes.
  std::vector<uint8_t> pixels = FromHex("0A 0B 0C EE  1A 1B 1C EE");
  const PixelBuffer32 buffer = FillPixelBuffer32(ImageRows{pixels, 1, 2, 3, 4});
  EXPECT_EQ(ToHex(buffer.bytes), ToHex(FromHex("000A0B0C 001A1B1C")));
}

TEST(ColorMapped, RowLengthIsAMultipleOfFourAboveWidth) {
  EXPECT_EQ(ColorMappedRowLength(100), 104u);
  EXPECT_EQ(ColorMappedRowLength(101), 104u);
  EXPECT_EQ(ColorMappedRowLength(103), 104u);
  EXPECT_EQ(ColorMappedRowLength(1), 4u);
  EXPECT_EQ(ColorMappedRowLength(4), 8u);
}

TEST(ColorMapped, TwoColoursInFirstAppearanceOrder) {
  // Width 100, height 3: red, then blue from column 10 on; the top-left colour is index 0.
  const uint32_t width = 100, height = 3;
  PixelBuffer32 buffer{width, height, std::vector<uint8_t>(width * height * 4, 0)};
  for (uint32_t i = 0; i < width * height; ++i) {
    const bool blue = i % width >= 10;
    buffer.bytes[i * 4 + 1] = blue ? 0 : 0xFF;
    buffer.bytes[i * 4 + 3] = blue ? 0xFF : 0;
  }
  const auto data = BuildColorMappedData(buffer);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(data->paddedWidth, 104u);
  ASSERT_EQ(data->bytes.size(), 768u + 104u * height);
  EXPECT_EQ(ToHex({data->bytes.data(), 9}), "FF 00 00 00 00 FF 00 00 00");
  EXPECT_EQ(std::vector<uint8_t>(data->bytes.begin() + 6, data->bytes.begin() + 768),
            std::vector<uint8_t>(762, 0));
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = data->bytes.data() + 768 + y * 104;
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[9], 0);
    EXPECT_EQ(row[10], 1);
    EXPECT_EQ(row[99], 1);
    EXPECT_EQ(ToHex({row + 100, 4}), "00 00 00 00") << "padding of row " << y;
  }
}

TEST(ColorMapped, WidthOneHasThreePaddingBytes) {
  PixelBuffer32 buffer{1, 2, FromHex("00 10 20 30  00 40 50 60")};
  const auto data = BuildColorMappedData(buffer);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(data->paddedWidth, 4u);
  EXPECT_EQ(ToHex({data->bytes.data() + 768, 8}), "00 00 00 00 01 00 00 00");
  EXPECT_EQ(ToHex({data->bytes.data(), 6}), "10 20 30 40 50 60");
}

TEST(ColorMapped, ExactlyTwoHundredFiftySixColoursFit) {
  PixelBuffer32 buffer{256, 1, std::vector<uint8_t>(256 * 4, 0)};
  for (uint32_t x = 0; x < 256; ++x) buffer.bytes[x * 4 + 2] = static_cast<uint8_t>(255 - x);
  const auto data = BuildColorMappedData(buffer);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(data->bytes[768 + 255], 255);
  EXPECT_EQ(data->bytes[3 * 255 + 1], 0);  // green of the last colour, 255 - 255
  EXPECT_EQ(data->bytes[1], 255);
}

TEST(ColorMapped, MoreThanTwoHundredFiftySixColoursDoNotFit) {
  PixelBuffer32 buffer{257, 1, std::vector<uint8_t>(257 * 4, 0)};
  for (uint32_t x = 0; x < 257; ++x) {
    buffer.bytes[x * 4 + 2] = static_cast<uint8_t>(x);
    buffer.bytes[x * 4 + 3] = static_cast<uint8_t>(x >> 8);
  }
  EXPECT_FALSE(BuildColorMappedData(buffer).has_value());
}

struct FormCase {
  const char* what;
  int channels;
  int32_t quality;
  int bitDepth;
  BitmapForm form;
};

TEST(BitmapFormChoice, FollowsChannelsQualityAndHeaderDepth) {
  constexpr FormCase kCases[] = {
      {"alpha, JPEG", 4, 80, 8, BitmapForm::kJpegWithAlpha},
      {"alpha, quality 0", 4, 0, 16, BitmapForm::kJpegWithAlpha},
      {"alpha, lossless", 4, 100, 8, BitmapForm::kLosslessWithAlpha},
      {"opaque, quality 99", 3, 99, 8, BitmapForm::kJpeg},
      {"opaque 8-bit, lossless", 3, 100, 8, BitmapForm::kLosslessColorMapped},
      {"opaque 16-bit, lossless", 3, 100, 16, BitmapForm::kLossless32},
      {"opaque 4-bit, lossless", 3, 100, 4, BitmapForm::kLossless32},
      {"opaque 1-bit, lossless", 3, 100, 1, BitmapForm::kLossless32},
  };
  for (const FormCase& c : kCases) {
    EXPECT_EQ(ChooseBitmapForm(c.channels, c.quality, c.bitDepth), c.form) << c.what;
  }
}

}  // namespace
}  // namespace lumapress
