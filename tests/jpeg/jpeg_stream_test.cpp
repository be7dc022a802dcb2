// The bytes of the marker segments, the output-buffer rules and the file modes.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "jpeg/jpeg_properties.h"
#include "jpeg_test_record.h"
#include "support/hex.h"
#include "support/jpeg_check.h"

namespace lumapress {
namespace {

using test::FromHex;
using test::ToHex;

constexpr size_t kSwfHeaderBytes = 655;  // SOI to the end of SOS in the SWF writer's stream
constexpr size_t kDqtOffset = 64;
constexpr size_t kSofOffset = 622;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t length) {
  return {bytes.begin() + offset, bytes.begin() + offset + length};
}

std::vector<uint8_t> EncodeUniform(int width, int height, int quality, uint8_t value = 0x80) {
  const std::vector<uint8_t> pixels(size_t(width) * height * 3, value);
  test::SwfStyleRecord setup(pixels, width, height, 3, quality, JpegWorstCaseSize(width, height));
  EXPECT_EQ(EncodeImage(setup.record, kJpegModeBuffer), 0);
  return setup.Written();
}

// Zig-zag order computed by walking the anti-diagonals, independent of the encoder's table.
std::array<int, 64> ZigZagOrder() {
  std::array<int, 64> order{};
  int k = 0;
  for (int sum = 0; sum < 15; ++sum) {
    for (int i = 0; i <= sum; ++i) {
      const int row = sum % 2 == 0 ? sum - i : i;
      const int col = sum - row;
      if (row < 8 && col < 8) order[k++] = row * 8 + col;
    }
  }
  return order;
}

std::string ZigZagHex(const std::array<int, 64>& natural) {
  std::vector<uint8_t> bytes;
  for (int position : ZigZagOrder()) bytes.push_back(static_cast<uint8_t>(natural[position]));
  return ToHex(bytes);
}

constexpr std::array<int, 64> kTableK1 = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kTableK2 = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

TEST(JpegStreamTest, SwfWriterStreamStartsWithJfifAndComment) {
  const auto stream = EncodeUniform(16, 16, 75);
  const std::string comment = "Vexlor(R) JPEG Library, version 1.51.12";
  ASSERT_EQ(comment.size(), 39u);
  std::vector<uint8_t> expected = FromHex(
      "FF D8 FF E0 00 10 4A 46 49 46 00 01 01 00 00 01 00 01 00 00 FF FE 00 2A");
  expected.insert(expected.end(), comment.begin(), comment.end());
  expected.push_back(0);
  EXPECT_EQ(ToHex(Slice(stream, 0, expected.size())), ToHex(expected));
}

TEST(JpegStreamTest, QuantisationTablesScaleWithQuality) {
  struct Case {
    const char* what;
    int quality;
    std::string luminance;    // the 64 entries of the first DQT
    std::string chrominance;  // of the second
  };
  const std::string all255 = ToHex(std::vector<uint8_t>(64, 0xFF));
  const std::string all1 = ToHex(std::vector<uint8_t>(64, 0x01));
  const Case cases[] = {
      {"quality 0 acts as 1", 0, all255, all255},
      {"quality 1", 1, all255, all255},
      {"quality 50 is Annex K", 50, ZigZagHex(kTableK1), ZigZagHex(kTableK2)},
      {"quality 100", 100, all1, all1},
      {"quality above 100 acts as 100", 250, all1, all1},
  };
  for (const Case& c : cases) {
    const auto stream = EncodeUniform(16, 16, c.quality);
    EXPECT_EQ(ToHex(Slice(stream, kDqtOffset, 5)), "FF DB 00 43 00") << c.what;
    EXPECT_EQ(ToHex(Slice(stream, kDqtOffset + 5, 64)), c.luminance) << c.what;
    EXPECT_EQ(ToHex(Slice(stream, kDqtOffset + 69, 5)), "FF DB 00 43 01") << c.what;
    EXPECT_EQ(ToHex(Slice(stream, kDqtOffset + 74, 64)), c.chrominance) << c.what;
  }
  // Quality 75: the first luminance entries are halved, rounded half up.
  EXPECT_EQ(ToHex(Slice(EncodeUniform(16, 16, 75), kDqtOffset + 5, 8)), "08 06 06 07 06 05 08 07");
  // Quality 99: (16 * 2 + 50) / 100 = 0 is raised to 1; 99 becomes 2.
  const auto q99 = EncodeUniform(16, 16, 99);
  EXPECT_EQ(ToHex(Slice(q99, kDqtOffset + 5, 4)), "01 01 01 01");
  EXPECT_EQ(q99[kDqtOffset + 74 + 63], 2);
}

TEST(JpegStreamTest, HuffmanTablesFollowInPositionOrder) {
  const auto stream = EncodeUniform(16, 16, 75);
  EXPECT_EQ(ToHex(Slice(stream, 202, 33)),
            "FF C4 01 A2 00 00 01 05 01 01 01 01 01 01 00 00 00 00 00 00 00 "
            "00 01 02 03 04 05 06 07 08 09 0A 0B");
  EXPECT_EQ(ToHex(Slice(stream, 202 + 33, 17)), "10 00 02 01 03 03 02 04 03 05 05 04 04 00 00 01 7D");
  EXPECT_EQ(ToHex(Slice(stream, 202 + 33 + 17 + 162, 17)),
            "01 00 03 01 01 01 01 01 01 01 01 01 00 00 00 00 00");
  EXPECT_EQ(stream[202 + 33 + 17 + 162 + 29], 0x11);
}

TEST(JpegStreamTest, FrameAndScanHeadersDescribeThreeComponents) {
  struct Case {
    int width, height;
    std::string sof;
  };
  const Case cases[] = {
      {16, 16, "FF C0 00 11 08 00 10 00 10 03 01 22 00 02 11 01 03 11 01"},
      {300, 17, "FF C0 00 11 08 00 11 01 2C 03 01 22 00 02 11 01 03 11 01"},
  };
  for (const Case& c : cases) {
    const auto stream = EncodeUniform(c.width, c.height, 75);
    EXPECT_EQ(ToHex(Slice(stream, kSofOffset, 19)), c.sof);
    EXPECT_EQ(ToHex(Slice(stream, 641, 14)), "FF DA 00 0C 03 01 00 02 11 03 11 00 3F 00");
    EXPECT_EQ(ToHex(Slice(stream, stream.size() - 2, 2)), "FF D9");
  }
}

TEST(JpegStreamTest, SixteenBySixteenIsOneMcuOfSixBlocks) {
  // Uniform mid-grey: every block has DC difference 0 after the first and no AC, so the
  // scan is Y: 00 1010 four times, then Cb: 00 00 and Cr: 00 00 (the chroma codes of
  // category 0 and EOB), which ends on a byte boundary.
  const auto stream = EncodeUniform(16, 16, 75, 0x80);
  const std::vector<uint8_t> scan(stream.begin() + kSwfHeaderBytes, stream.end() - 2);
  EXPECT_EQ(ToHex(scan), "28 A2 8A 00");
  EXPECT_EQ(stream.size(), 657 + scan.size());
}

TEST(JpegStreamTest, OtherColourSettingsChangeTheSegments) {
  const std::vector<uint8_t> pixels(16 * 16 * 3, 0x40);
  struct Case {
    const char* what;
    int jpegColor, jpegChannels, pattern;
    size_t offset;
    std::string expected;
  };
  const Case cases[] = {
      {"greyscale frame", 4, 1, 0, 622, "FF C0 00 0B 08 00 10 00 10 01 00 11 00 FF DA 00 08 01 00 00 00 3F 00"},
      {"RGB frame uses APP14", 1, 3, 0, 2, "FF EE 00 0E 41 64 6F 62 65 00 64 00 00 00 00 00 FF FE"},
      {"2x1 sampling", 3, 3, 2, 620, "FF C0 00 11 08 00 10 00 10 03 01 21 00 02 11 01 03 11 01"},
  };
  for (const Case& c : cases) {
    test::SwfStyleRecord setup(pixels, 16, 16, 3, 75, 4096);
    setup.record.jpegColor = c.jpegColor;
    setup.record.jpegChannels = c.jpegChannels;
    setup.record.jpegSubsampling = c.pattern;
    ASSERT_EQ(EncodeImage(setup.record, kJpegModeBuffer), 0) << c.what;
    const auto stream = setup.Written();
    const size_t offset = c.offset == 620 ? 622 : c.offset;
    EXPECT_EQ(ToHex(Slice(stream, offset, FromHex(c.expected).size())), c.expected) << c.what;
    EXPECT_TRUE(test::DecodeJpeg(stream).ok) << c.what;
  }
}

TEST(JpegStreamTest, TablesOnlyAndImageOnlyModes) {
  const std::vector<uint8_t> pixels(16 * 16 * 3, 0x80);
  test::SwfStyleRecord tables(pixels, 16, 16, 3, 75, 4096);
  ASSERT_EQ(EncodeImage(tables.record, kJpegModeTablesBuffer), 0);
  const auto tableBytes = tables.Written();
  EXPECT_EQ(tableBytes.size(), 2u + 18 + 44 + 2 * 69 + 420 + 2);
  EXPECT_EQ(ToHex(Slice(tableBytes, 0, 4)), "FF D8 FF E0");
  EXPECT_EQ(ToHex(Slice(tableBytes, tableBytes.size() - 2, 2)), "FF D9");

  test::SwfStyleRecord image(pixels, 16, 16, 3, 75, 4096);
  ASSERT_EQ(EncodeImage(image.record, kJpegModeImageBuffer), 0);
  const auto imageBytes = image.Written();
  EXPECT_EQ(ToHex(Slice(imageBytes, 0, 4)), "FF D8 FF C0");
  EXPECT_EQ(ToHex(Slice(imageBytes, 21, 2)), "FF DA");
  EXPECT_EQ(imageBytes.size(), 2u + 19 + 14 + 4 + 2);

  // Tables and image together decode as the complete stream does.
  std::vector<uint8_t> joined(tableBytes.begin(), tableBytes.end() - 2);
  joined.insert(joined.end(), imageBytes.begin() + 2, imageBytes.end());
  EXPECT_EQ(ToHex(joined), ToHex(EncodeUniform(16, 16, 75)));
}

TEST(JpegStreamTest, HeaderMustEndBeforeTheBuffersLastByte) {
  const std::vector<uint8_t> pixels(16 * 16 * 3, 0x80);
  const auto complete = EncodeUniform(16, 16, 75);
  struct Case {
    size_t size;
    size_t written;  // bytes of the stream that reach the buffer
  };
  const Case cases[] = {{1, 0}, {2, 0}, {3, 2}, {640, 622}, {641, 622}, {642, 641},
                        {655, 641}, {656, 655}, {657, 655}};
  for (const Case& c : cases) {
    test::SwfStyleRecord setup(pixels, 16, 16, 3, 75, c.size);
    std::fill(setup.buffer.begin(), setup.buffer.end(), 0xAA);
    EXPECT_EQ(EncodeImage(setup.record, kJpegModeBuffer), kJpegBufferTooSmall) << c.size;
    EXPECT_EQ(ToHex(Slice(setup.buffer, 0, c.written)), ToHex(Slice(complete, 0, c.written))) << c.size;
    // Nothing of the scan head reached the buffer unless it fitted.
    for (size_t i = c.written; i < std::min<size_t>(c.size, kSwfHeaderBytes); ++i) {
      ASSERT_EQ(setup.buffer[i], 0xAA) << c.size << " at " << i;
    }
  }
}

class JpegFileModeTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("lumapress_jpeg_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  static std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path folder_;
};

TEST_F(JpegFileModeTest, FileModesWriteWhatBufferModesWrite) {
  const auto pixels = test::MakePhotoLikeRgb(40, 24, 5);
  const std::pair<int32_t, int32_t> modes[] = {{8, 9}, {10, 11}, {12, 13}};
  for (const auto& [fileMode, bufferMode] : modes) {
    const std::filesystem::path path = folder_ / ("out" + std::to_string(fileMode) + ".jpg");
    {
      std::ofstream old(path, std::ios::binary);
      old << std::string(100000, 'x');  // an existing file is truncated
    }
    const std::string name = path.string();
    test::SwfStyleRecord toFile(pixels, 40, 24, 3, 80, 0);
    toFile.record.jpegBuffer = nullptr;
    toFile.record.jpegFileName = name.c_str();
    ASSERT_EQ(EncodeImage(toFile.record, fileMode), 0) << fileMode;
    test::SwfStyleRecord toBuffer(pixels, 40, 24, 3, 80, 100000);
    ASSERT_EQ(EncodeImage(toBuffer.record, bufferMode), 0) << bufferMode;
    const auto onDisk = ReadAll(path);
    EXPECT_EQ(onDisk.size(), size_t(toFile.record.jpegBufferSize)) << fileMode;
    EXPECT_EQ(ToHex(onDisk), ToHex(toBuffer.Written())) << fileMode;
  }
}

TEST_F(JpegFileModeTest, UnopenableFileIsRefusedAndNothingIsCreated) {
  const auto pixels = test::MakePhotoLikeRgb(16, 16, 6);
  const std::filesystem::path path = folder_ / "missing" / "out.jpg";
  const std::string name = path.string();
  test::SwfStyleRecord setup(pixels, 16, 16, 3, 80, 0);
  setup.record.jpegFileName = name.c_str();
  EXPECT_EQ(EncodeImage(setup.record, kJpegModeFile), kJpegInvalidFileName);
  EXPECT_FALSE(std::filesystem::exists(path.parent_path()));

  // A record refused by the checks leaves no file either.
  const std::string other = (folder_ / "refused.jpg").string();
  setup.record.jpegFileName = other.c_str();
  setup.record.jpegChannels = 2;
  setup.record.jpegSubsampling = 0;
  EXPECT_EQ(EncodeImage(setup.record, kJpegModeFile), kJpegInvalidProperties);
  EXPECT_FALSE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace lumapress
