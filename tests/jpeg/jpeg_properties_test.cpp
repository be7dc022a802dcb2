// The record's defaults, the checks EncodeImage makes and the result texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "jpeg/jpeg_properties.h"
#include "jpeg_test_record.h"

namespace lumapress {
namespace {

// The defaults are what a caller leaves out: a record given only the pixels, the buffer and
// the sizes reads three-byte BGR pixels into a YCbCr frame at quality 75, exactly as a record
// that states RGB pixels of the same picture and that quality.
TEST(JpegPropertiesTest, DefaultsMakeAYCbCrFrameOfQuality75FromBgr) {
  const int width = 24, height = 18;
  const std::vector<uint8_t> rgb = test::MakePhotoLikeRgb(width, height, 3);
  std::vector<uint8_t> bgr = rgb;
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
  std::vector<uint8_t> buffer(JpegWorstCaseSize(width, height));
  JPEG_PROPERTIES record{};
  ASSERT_EQ(InitProperties(record), 0);
  record.pixels = bgr.data();
  record.pixelWidth = record.jpegWidth = width;
  record.pixelHeight = record.jpegHeight = height;
  record.jpegBuffer = buffer.data();
  record.jpegBufferSize = static_cast<int32_t>(buffer.size());
  ASSERT_EQ(EncodeImage(record, kJpegModeBuffer), 0);
  buffer.resize(static_cast<size_t>(record.jpegBufferSize));
  EXPECT_EQ(ReleaseProperties(record), 0);

  test::SwfStyleRecord stated(rgb, width, height, 3, 75, JpegWorstCaseSize(width, height));
  ASSERT_EQ(EncodeImage(stated.record, kJpegModeBuffer), 0);
  EXPECT_EQ(buffer, stated.Written());
  const test::DecodedJpeg decoded = test::DecodeJpeg(buffer);
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.frameComponents, 3);
  EXPECT_EQ(decoded.width, width);
  EXPECT_EQ(decoded.height, height);
}

TEST(JpegPropertiesTest, EncodeOnFreshRecordIsRefused) {
  JPEG_PROPERTIES record{};
  InitProperties(record);
  EXPECT_EQ(EncodeImage(record, kJpegModeBuffer), kJpegInvalidProperties);
  EXPECT_EQ(record.workingState.mode, kJpegModeBuffer);
  ReleaseProperties(record);
}

TEST(JpegPropertiesTest, RecordsNeverInitialisedOrAlreadyReleasedAreRefused) {
  JPEG_PROPERTIES record{};
  EXPECT_EQ(EncodeImage(record, kJpegModeBuffer), kJpegInvalidEncoder);
  EXPECT_EQ(ReleaseProperties(record), kJpegInvalidProperties);
  InitProperties(record);
  EXPECT_EQ(ReleaseProperties(record), 0);
  EXPECT_EQ(EncodeImage(record, kJpegModeBuffer), kJpegInvalidEncoder);
  EXPECT_EQ(ReleaseProperties(record), kJpegInvalidProperties);
}

struct CheckCase {
  const char* what;
  int32_t mode;
  std::function<void(JPEG_PROPERTIES&)> change;
  int32_t expected;
};

TEST(JpegPropertiesTest, ChecksRefuseInvalidRecords) {
  const std::vector<uint8_t> pixels(32 * 32 * 4, 0x80);
  const CheckCase cases[] = {
      {"SWF writer's 3-channel setting", 9, [](JPEG_PROPERTIES&) {}, 0},
      {"4-channel RGB into YCbCr", 9, [](JPEG_PROPERTIES& r) { r.pixelChannels = 4; }, 0},
      {"4-channel RGB into RGB", 9, [](JPEG_PROPERTIES& r) { r.pixelChannels = 4; r.jpegColor = 1; }, -8},
      {"mode -1", -1, [](JPEG_PROPERTIES&) {}, -8},
      {"mode 22", 22, [](JPEG_PROPERTIES&) {}, -8},
      {"reading mode 0", 0, [](JPEG_PROPERTIES&) {}, -12},
      {"reading mode 7", 7, [](JPEG_PROPERTIES&) {}, -12},
      {"reading mode 14", 14, [](JPEG_PROPERTIES&) {}, -12},
      {"reading mode 21", 21, [](JPEG_PROPERTIES&) {}, -12},
      {"no pixels", 9, [](JPEG_PROPERTIES& r) { r.pixels = nullptr; }, -8},
      {"pixel width 0", 9, [](JPEG_PROPERTIES& r) { r.pixelWidth = 0; }, -8},
      {"pixel width 65536", 9, [](JPEG_PROPERTIES& r) { r.pixelWidth = 65536; }, -8},
      {"pixel height -65536", 9, [](JPEG_PROPERTIES& r) { r.pixelHeight = -65536; }, -8},
      {"pixel height 0, jpeg height 0", 9, [](JPEG_PROPERTIES& r) { r.pixelHeight = 0; r.jpegHeight = 0; }, -8},
      {"negative padding", 9, [](JPEG_PROPERTIES& r) { r.pixelPadBytes = -1; }, -8},
      {"256 pixel channels", 9, [](JPEG_PROPERTIES& r) { r.pixelChannels = 256; }, -8},
      {"packed input that is not YCbCr", 9, [](JPEG_PROPERTIES& r) { r.pixelSubsampling = 2; }, -3},
      {"pixel subsampling 1", 9, [](JPEG_PROPERTIES& r) { r.pixelSubsampling = 1; }, -3},
      {"no buffer", 9, [](JPEG_PROPERTIES& r) { r.jpegBuffer = nullptr; }, -8},
      {"buffer size 0", 9, [](JPEG_PROPERTIES& r) { r.jpegBufferSize = 0; }, -8},
      {"negative buffer size", 9, [](JPEG_PROPERTIES& r) { r.jpegBufferSize = -5; }, -8},
      {"file mode without a name", 8, [](JPEG_PROPERTIES&) {}, -8},
      {"jpeg channels 0", 9, [](JPEG_PROPERTIES& r) { r.jpegChannels = 0; }, -8},
      {"jpeg channels 257", 9, [](JPEG_PROPERTIES& r) { r.jpegChannels = 257; }, -8},
      {"jpeg width 0", 9, [](JPEG_PROPERTIES& r) { r.jpegWidth = 0; }, -8},
      {"jpeg height 65536", 9, [](JPEG_PROPERTIES& r) { r.jpegHeight = 65536; }, -8},
      {"frame wider than the pixels", 9, [](JPEG_PROPERTIES& r) { r.jpegWidth = 33; }, -8},
      {"frame taller than the pixels", 9, [](JPEG_PROPERTIES& r) { r.pixelHeight = -31; }, -8},
      {"3 components under pattern 3", 9, [](JPEG_PROPERTIES& r) { r.jpegSubsampling = 3; }, -3},
      {"1 component under pattern 1", 9,
       [](JPEG_PROPERTIES& r) { r.jpegChannels = 1; r.jpegColor = 4; }, -3},
      {"greyscale from RGB", 9,
       [](JPEG_PROPERTIES& r) { r.jpegChannels = 1; r.jpegColor = 4; r.jpegSubsampling = 0; }, 0},
      {"RGB into BGR", 9, [](JPEG_PROPERTIES& r) { r.jpegColor = 2; }, -8},
      {"more jpeg than pixel channels", 9,
       [](JPEG_PROPERTIES& r) { r.pixelColor = 255; r.jpegColor = 255; r.jpegChannels = 4;
                                r.jpegSubsampling = 0; }, -8},
      {"five components in one scan", 9,
       [](JPEG_PROPERTIES& r) { r.pixelColor = 255; r.pixelChannels = 5; r.jpegColor = 255;
                                r.jpegChannels = 5; r.jpegSubsampling = 0; }, -14},
      {"five components, tables only", 11,
       [](JPEG_PROPERTIES& r) { r.pixelColor = 255; r.pixelChannels = 5; r.jpegColor = 255;
                                r.jpegChannels = 5; r.jpegSubsampling = 0; }, 0},
      {"DCT variant 2", 9, [](JPEG_PROPERTIES& r) { r.workingState.dctVariant = 2; }, -8},
      {"DCT variant 0", 9, [](JPEG_PROPERTIES& r) { r.workingState.dctVariant = 0; }, 0},
      {"working state never filled", 9, [](JPEG_PROPERTIES& r) { r.useWorkingState = 1; }, -8},
  };
  for (const CheckCase& c : cases) {
    test::SwfStyleRecord setup(pixels, 32, 32, 3, 75, 64 * 1024);
    c.change(setup.record);
    EXPECT_EQ(EncodeImage(setup.record, c.mode), c.expected)
        << c.what << ": " << DescribeError(EncodeImage(setup.record, c.mode));
    if (c.expected < 0 && c.expected != -14) {
      // Refused before anything was written.
      EXPECT_EQ(std::count(setup.buffer.begin(), setup.buffer.end(), 0), ptrdiff_t(setup.buffer.size()))
          << c.what;
    }
  }
}

TEST(JpegPropertiesTest, DescribeErrorGivesTheFixedTexts) {
  const std::pair<int32_t, std::string> cases[] = {
      {2, "ROI Success"},
      {1, "Interrupt Success"},
      {0, "Success"},
      {-1, "Exception detected"},
      {-3, "Unsupported subsampling"},
      {-5, "Memory error"},
      {-8, "Invalid JPEG_PROPERTIES"},
      {-12, "Not supported"},
      {-14, "Error COMP"},
      {-20, "Multiply frame"},
      {-28, "Output buffer too small"},
      {-30, "Error access to jpeg_comment buffer"},
      {-99, "Reserved"},
      {-31, "Unknown error code"},
      {-98, "Unknown error code"},
      {-100, "Unknown error code"},
      {3, "Unknown error code"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(DescribeError(code), text) << code;
}

}  // namespace
}  // namespace lumapress
