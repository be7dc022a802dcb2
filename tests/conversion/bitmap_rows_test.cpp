// Bitmaps built straight from the decoded rows must carry exactly the bytes of the tag built
// from the whole PixelBuffer32.
#include <gtest/gtest.h>

#include <vector>

#include "conversion/pixel_buffer.h"
#include "conversion/write_image_bitmap.h"
#include "swf/bitmap_data.h"
#include "swf/bitmap_tags.h"

namespace lumapress {
namespace {

// Photo-like rows: many colours, some runs.
std::vector<uint8_t> Rows(uint32_t width, uint32_t height, int channels, uint32_t seed) {
  std::vector<uint8_t> bytes(size_t{width} * height * static_cast<size_t>(channels));
  for (size_t i = 0; i < bytes.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>((i / 7 % 200) + (seed >> 29));
  }
  return bytes;
}

DecodedImage ImageOf(std::vector<uint8_t>& bytes, uint32_t width, uint32_t height, int channels,
                     int sourceBitDepth) {
  DecodedImage image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.sourceBitDepth = sourceBitDepth;
  image.rowLength = static_cast<int32_t>(width) * channels;
  image.pixels = bytes;
  return image;
}

TEST(BitmapFromRows, MatchesTheTagOfTheWholePixelBuffer) {
  const struct {
    const char* what;
    uint32_t width, height;
    int channels;
    int bitDepth;
    int32_t code;
    LosslessEffort effort;
    BitmapForm form;
  } cases[] = {
      {"8-bit photo, more than 256 colours", 301, 257, 3, 8, kTagDefineBitsLossless,
       LosslessEffort::kDefault, BitmapForm::kLossless32},
      {"16-bit image", 64, 9, 3, 16, kTagDefineBitsLossless, LosslessEffort::kDefault,
       BitmapForm::kLossless32},
      {"alpha", 300, 300, 4, 8, kTagDefineBitsLossless2, LosslessEffort::kDefault,
       BitmapForm::kLosslessWithAlpha},
      {"alpha, smallest", 300, 300, 4, 8, kTagDefineBitsLossless2, LosslessEffort::kSmallest,
       BitmapForm::kLosslessWithAlpha},
      {"one pixel", 1, 1, 3, 16, kTagDefineBitsLossless, LosslessEffort::kDefault,
       BitmapForm::kLossless32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> forReference = Rows(c.width, c.height, c.channels, 5);
    std::vector<uint8_t> forBitmap = forReference;
    const PixelBuffer32 buffer = FillPixelBuffer32(ImageRows{
        forReference, c.width, c.height, c.channels, size_t{c.width} * static_cast<size_t>(c.channels)});
    BitmapTag expected;
    ASSERT_EQ(BuildLosslessTag(c.code, kBitmapFormat32, static_cast<int32_t>(c.width),
                               static_cast<int32_t>(c.height), 0, buffer.bytes,
                               LosslessLevel(c.effort, 4), expected),
              BitmapResult::kOk);
    PreparedBitmap bitmap;
    ASSERT_EQ(PrepareImageBitmap(ImageOf(forBitmap, c.width, c.height, c.channels, c.bitDepth), 100,
                                 c.effort, bitmap),
              BitmapResult::kOk);
    EXPECT_EQ(bitmap.form, c.form);
    EXPECT_EQ(bitmap.tag.code, expected.code);
    EXPECT_TRUE(bitmap.tag.body == expected.body);
    EXPECT_EQ(bitmap.tag.precompressed.size(), expected.precompressed.size());
    EXPECT_TRUE(forBitmap == forReference) << "the rows are premultiplied the same way";
  }
}

TEST(BitmapFromRows, ColourMappedFromRowsEqualsColourMappedFromTheBuffer) {
  std::vector<uint8_t> rows(size_t{103} * 5 * 3);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>((i / 3) % 17 * 15);
  const ImageRows image{rows, 103, 5, 3, 103 * 3};
  const auto fromRows = BuildColorMappedData(image);
  const auto fromBuffer = BuildColorMappedData(FillPixelBuffer32(image));
  ASSERT_TRUE(fromRows.has_value());
  ASSERT_TRUE(fromBuffer.has_value());
  EXPECT_EQ(fromRows->paddedWidth, 104u);
  EXPECT_TRUE(fromRows->bytes == fromBuffer->bytes);
}

TEST(BitmapFromRows, PremultiplyingRowsLeavesWhatFillingTheBufferLeaves) {
  std::vector<uint8_t> filled = Rows(7, 3, 4, 9);
  std::vector<uint8_t> premultiplied = filled;
  FillPixelBuffer32(ImageRows{filled, 7, 3, 4, 28});
  PremultiplyRows(ImageRows{premultiplied, 7, 3, 4, 28});
  EXPECT_TRUE(premultiplied == filled);
}

}  // namespace
}  // namespace lumapress
