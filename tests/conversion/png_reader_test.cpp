#include "conversion/png_reader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/hex.h"
#include "support/png_maker.h"

namespace lumapress {
namespace test {
// Names a parameter in failure messages ("Palette4").
void PrintTo(const ColorTypeDepth& c, std::ostream* out) {
  static const char* const kNames[] = {"Gray", "?", "Rgb", "Palette", "GrayAlpha", "?", "Rgba"};
  *out << kNames[c.colorType] << c.bitDepth;
}
}  // namespace test

namespace {

using test::ColorTypeDepth;
using test::EncodePng;
using test::TestPng;

// What the reader should produce, computed from the samples without libpng.
struct Expected {
  int channels = 0;
  std::vector<uint8_t> bytes;
};

// A sample at the file's bit depth as an 8-bit value: low-bit gray is stretched to 0..255
// (1 bit: 0, 255; 2 bits: multiples of 85; 4 bits: multiples of 17), 16 bits keep the high byte.
uint8_t To8Bits(uint16_t value, int bitDepth) {
  if (bitDepth == 16) return static_cast<uint8_t>(value >> 8);
  return static_cast<uint8_t>(value * 255u / ((1u << bitDepth) - 1));
}

Expected ExpectedDecode(const TestPng& source) {
  Expected expected;
  const bool hasAlpha = (source.colorType & 4) != 0 || !source.trns.empty();
  expected.channels = hasAlpha ? 4 : 3;
  const size_t samplesPerPixel = static_cast<size_t>(test::SamplesPerPixel(source.colorType));
  const size_t pixels = size_t{source.width} * source.height;
  for (size_t p = 0; p < pixels; ++p) {
    const uint16_t* s = source.samples.data() + p * samplesPerPixel;
    uint8_t rgba[4] = {0, 0, 0, 255};
    switch (source.colorType) {
      case test::kGray:
        rgba[0] = rgba[1] = rgba[2] = To8Bits(s[0], source.bitDepth);
        if (!source.trns.empty() && s[0] == source.trns[0]) rgba[3] = 0;
        break;
      case test::kRgb:
        for (int c = 0; c < 3; ++c) rgba[c] = To8Bits(s[c], source.bitDepth);
        if (!source.trns.empty() && s[0] == source.trns[0] && s[1] == source.trns[1] &&
            s[2] == source.trns[2]) {
          rgba[3] = 0;
        }
        break;
      case test::kPalette: {
        const test::PngColor& entry = source.palette.at(s[0]);
        rgba[0] = entry.red;
        rgba[1] = entry.green;
        rgba[2] = entry.blue;
        if (s[0] < source.trns.size()) rgba[3] = static_cast<uint8_t>(source.trns[s[0]]);
        break;
      }
      case test::kGrayAlpha:
        rgba[0] = rgba[1] = rgba[2] = To8Bits(s[0], source.bitDepth);
        rgba[3] = To8Bits(s[1], source.bitDepth);
        break;
      case test::kRgba:
        for (int c = 0; c < 4; ++c) rgba[c] = To8Bits(s[c], source.bitDepth);
        break;
    }
    expected.bytes.insert(expected.bytes.end(), rgba, rgba + expected.channels);
  }
  return expected;
}

// One decode of in-memory PNG bytes, with the reader's answers copied out.
struct Decoded {
  int status = -1;
  uint32_t width = 0;
  uint32_t height = 0;
  int sourceBitDepth = 0;
  bool pixelsRead = false;
  int channels = 0;
  int32_t rowLength = 0;
  std::vector<uint8_t> bytes;
};

Decoded Decode(const std::vector<uint8_t>& png, double screenGamma = 0.0) {
  Decoded result;
  test::FilePtr file = test::OpenBytesAsFile(png);
  PngReader reader;
  result.status = reader.OpenImage(file.get(), result.width, result.height);
  if (result.status != PngReader::kOpened) return result;
  const DecodedImage* image = reader.ReadPixels(screenGamma);
  result.sourceBitDepth = reader.SourceBitDepth();
  if (image != nullptr) {
    result.pixelsRead = true;
    result.channels = image->channels;
    result.rowLength = image->rowLength;
    result.bytes.assign(image->pixels.begin(), image->pixels.end());
    EXPECT_EQ(image->width, result.width);
    EXPECT_EQ(image->height, result.height);
    EXPECT_EQ(image->sourceBitDepth, result.sourceBitDepth);
  }
  file.reset();  // the converter closes the file before releasing the image
  reader.ReleaseImage();
  return result;
}

// libpng's simplified API decoding the same bytes to 8-bit RGB or RGBA.
std::vector<uint8_t> DecodeWithSimplifiedApi(const std::vector<uint8_t>& png, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) return {};
  image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::vector<uint8_t> out(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, out.data(), 0, nullptr) == 0) return {};
  return out;
}

// The simplified API's 16-bit linear output, reduced to its high bytes. It leaves opaque
// 16-bit samples of a file without gAMA as stored (its 8-bit output would re-encode them).
std::vector<uint8_t> DecodeHighBytesWithSimplifiedApi(const std::vector<uint8_t>& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) return {};
  image.format = PNG_FORMAT_LINEAR_RGB;
  std::vector<uint16_t> out(PNG_IMAGE_SIZE(image) / 2);
  if (png_image_finish_read(&image, nullptr, out.data(), 0, nullptr) == 0) return {};
  std::vector<uint8_t> high;
  for (uint16_t value : out) high.push_back(static_cast<uint8_t>(value >> 8));
  return high;
}

std::string Name(const ColorTypeDepth& c) { return testing::PrintToString(c); }

class EveryColorTypeAndDepth : public testing::TestWithParam<ColorTypeDepth> {
 protected:
  // Odd sizes leave partly filled bytes at the end of low-bit rows and uneven Adam7 passes.
  TestPng Pattern(uint32_t seed = 0) const {
    return test::PatternPng(GetParam().colorType, GetParam().bitDepth, 19, 11, seed);
  }
};

TEST_P(EveryColorTypeAndDepth, DecodesToEightBitChannels) {
  const TestPng source = Pattern();
  const Expected expected = ExpectedDecode(source);
  const Decoded decoded = Decode(EncodePng(source));
  ASSERT_EQ(decoded.status, PngReader::kOpened);
  ASSERT_TRUE(decoded.pixelsRead);
  EXPECT_EQ(decoded.width, 19u);
  EXPECT_EQ(decoded.height, 11u);
  EXPECT_EQ(decoded.sourceBitDepth, GetParam().bitDepth);
  EXPECT_EQ(decoded.channels, expected.channels);
  EXPECT_EQ(decoded.rowLength, 19 * expected.channels);
  EXPECT_EQ(test::ToHex(decoded.bytes), test::ToHex(expected.bytes));
}

TEST_P(EveryColorTypeAndDepth, InterlacedTwinGivesTheSameRows) {
  TestPng source = Pattern(3);
  const Decoded plain = Decode(EncodePng(source));
  source.interlaced = true;
  const Decoded interlaced = Decode(EncodePng(source));
  ASSERT_TRUE(plain.pixelsRead);
  ASSERT_TRUE(interlaced.pixelsRead);
  EXPECT_EQ(interlaced.channels, plain.channels);
  EXPECT_EQ(test::ToHex(interlaced.bytes), test::ToHex(plain.bytes));
  EXPECT_EQ(test::ToHex(interlaced.bytes), test::ToHex(ExpectedDecode(source).bytes));
}

TEST_P(EveryColorTypeAndDepth, GammaChunkLeavesStoredValues) {
  TestPng source = Pattern(5);
  const Decoded plain = Decode(EncodePng(source));
  for (double gamma : {1.0 / 2.2, 1.0, 2.2}) {
    source.gamma = gamma;
    const Decoded tagged = Decode(EncodePng(source));
    ASSERT_TRUE(tagged.pixelsRead) << gamma;
    EXPECT_EQ(test::ToHex(tagged.bytes), test::ToHex(plain.bytes)) << "gAMA " << gamma;
  }
}

// tRNS is allowed only without an alpha channel: gray, RGB and palette images.
class EveryTypeWithoutAlpha : public EveryColorTypeAndDepth {};

TEST_P(EveryTypeWithoutAlpha, TransparencyChunkAddsAlpha) {
  TestPng source = Pattern(7);
  source.trns = test::PatternTrns(source);
  source.interlaced = true;
  const Expected expected = ExpectedDecode(source);
  ASSERT_EQ(expected.channels, 4);
  const Decoded decoded = Decode(EncodePng(source));
  ASSERT_TRUE(decoded.pixelsRead);
  EXPECT_EQ(decoded.channels, 4);
  EXPECT_EQ(decoded.rowLength, 19 * 4);
  EXPECT_EQ(test::ToHex(decoded.bytes), test::ToHex(expected.bytes));
}

TEST_P(EveryColorTypeAndDepth, MatchesSimplifiedApi) {
  for (bool withTrns : {false, true}) {
    TestPng source = Pattern(11);
    if (withTrns) {
      if ((source.colorType & 4) != 0) continue;
      source.trns = test::PatternTrns(source);
    }
    const std::vector<uint8_t> png = EncodePng(source);
    const Decoded decoded = Decode(png);
    ASSERT_TRUE(decoded.pixelsRead);
    std::vector<uint8_t> reference;
    if (source.bitDepth <= 8) {
      reference = DecodeWithSimplifiedApi(png, decoded.channels);
    } else if (decoded.channels == 3) {
      reference = DecodeHighBytesWithSimplifiedApi(png);
    } else {
      continue;  // 16-bit alpha comes out of the simplified API premultiplied
    }
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(test::ToHex(decoded.bytes), test::ToHex(reference)) << "tRNS " << withTrns;
  }
}

INSTANTIATE_TEST_SUITE_P(PngReader, EveryColorTypeAndDepth,
                         testing::ValuesIn(test::ValidColorTypeDepths().begin(),
                                           test::ValidColorTypeDepths().end()),
                         [](const auto& info) { return Name(info.param); });

std::vector<ColorTypeDepth> TypesWithoutAlpha() {
  std::vector<ColorTypeDepth> types;
  for (const ColorTypeDepth& c : test::ValidColorTypeDepths()) {
    if ((c.colorType & 4) == 0) types.push_back(c);
  }
  return types;
}

INSTANTIATE_TEST_SUITE_P(PngReader, EveryTypeWithoutAlpha, testing::ValuesIn(TypesWithoutAlpha()),
                         [](const auto& info) { return Name(info.param); });

// --- Single cases, with the expected bytes written out.

struct PixelCase {
  const char* what;
  TestPng source;
  int channels;
  int sourceBitDepth;
  const char* expectedHex;
};

TestPng MakePng(uint32_t width, uint32_t height, int colorType, int bitDepth,
                std::vector<uint16_t> samples) {
  TestPng source;
  source.width = width;
  source.height = height;
  source.colorType = colorType;
  source.bitDepth = bitDepth;
  source.samples = std::move(samples);
  return source;
}

TestPng WithPalette(TestPng source, std::vector<test::PngColor> palette,
                    std::vector<uint16_t> trns = {}) {
  source.palette = std::move(palette);
  source.trns = std::move(trns);
  return source;
}

TestPng WithTrns(TestPng source, std::vector<uint16_t> trns) {
  source.trns = std::move(trns);
  return source;
}

TEST(PngReaderPixels, Table) {
  const std::vector<test::PngColor> palette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 255}};
  const PixelCase cases[] = {
      {"8-bit palette without tRNS: RGB",
       WithPalette(MakePng(3, 1, test::kPalette, 8, {2, 0, 1}), palette), 3, 8,
       "00 00 FF 0A 14 1E C8 64 32"},
      {"8-bit palette with tRNS: RGBA, entries past tRNS opaque",
       WithPalette(MakePng(3, 1, test::kPalette, 8, {2, 0, 1}), palette, {0, 128}), 4, 8,
       "00 00 FF FF 0A 14 1E 00 C8 64 32 80"},
      {"1-bit gray: black and white", MakePng(3, 1, test::kGray, 1, {0, 1, 0}), 3, 1,
       "00 00 00 FF FF FF 00 00 00"},
      {"2-bit gray: multiples of 85", MakePng(4, 1, test::kGray, 2, {0, 1, 2, 3}), 3, 2,
       "00 00 00 55 55 55 AA AA AA FF FF FF"},
      {"4-bit gray: multiples of 17", MakePng(2, 1, test::kGray, 4, {1, 14}), 3, 4,
       "11 11 11 EE EE EE"},
      {"16-bit RGBA: high bytes", MakePng(1, 1, test::kRgba, 16, {0x12FF, 0x3400, 0xFE01, 0x80FF}),
       4, 16, "12 34 FE 80"},
      {"16-bit gray: high byte, no rounding", MakePng(2, 1, test::kGray, 16, {0x7FFF, 0x0080}), 3,
       16, "7F 7F 7F 00 00 00"},
      {"8-bit gray with alpha: R = G = B", MakePng(2, 1, test::kGrayAlpha, 8, {7, 200, 255, 0}), 4,
       8, "07 07 07 C8 FF FF FF 00"},
      {"RGB with tRNS colour: that colour alpha 0, others 255",
       WithTrns(MakePng(3, 1, test::kRgb, 8, {1, 2, 3, 1, 2, 4, 1, 2, 3}), {1, 2, 3}), 4, 8,
       "01 02 03 00 01 02 04 FF 01 02 03 00"},
      {"16-bit RGB tRNS compares all 16 bits",
       WithTrns(MakePng(2, 1, test::kRgb, 16, {0x1234, 0x5678, 0x9ABC, 0x1235, 0x5678, 0x9ABC}),
                {0x1234, 0x5678, 0x9ABC}),
       4, 16, "12 56 9A 00 12 56 9A FF"},
      {"2-bit gray tRNS on the 2-bit value",
       WithTrns(MakePng(4, 1, test::kGray, 2, {0, 1, 2, 3}), {2}), 4, 2,
       "00 00 00 FF 55 55 55 FF AA AA AA 00 FF FF FF FF"},
      {"4-bit palette: format stays RGB",
       WithPalette(MakePng(2, 1, test::kPalette, 4, {1, 0}), palette), 3, 4, "C8 64 32 0A 14 1E"},
  };
  for (const PixelCase& c : cases) {
    const Decoded decoded = Decode(EncodePng(c.source));
    ASSERT_TRUE(decoded.pixelsRead) << c.what;
    EXPECT_EQ(decoded.channels, c.channels) << c.what;
    EXPECT_EQ(decoded.sourceBitDepth, c.sourceBitDepth) << c.what;
    EXPECT_EQ(test::ToHex(decoded.bytes), c.expectedHex) << c.what;
  }
}

TEST(PngReaderPixels, ScreenGammaCorrectsFromFileGamma) {
  TestPng source = MakePng(1, 1, test::kGray, 8, {128});
  source.gamma = 1.0 / 2.2;
  const Decoded decoded = Decode(EncodePng(source), 1.0);  // linear display: 255 * (128/255)^2.2
  ASSERT_TRUE(decoded.pixelsRead);
  const double expected = 255.0 * std::pow(128.0 / 255.0, 2.2);
  EXPECT_NEAR(decoded.bytes[0], expected, 1.0);
  // Display gamma equal to the file's encoding: stored values.
  EXPECT_EQ(Decode(EncodePng(source), 2.2).bytes[0], 128);
}

TEST(PngReaderPixels, RowsAreTopToBottomWithoutPadding) {
  const uint8_t rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  const std::vector<uint8_t> png = EncodePng(test::Rgb8Png(3, 2, rgb));
  test::FilePtr file = test::OpenBytesAsFile(png);
  PngReader reader;
  uint32_t width = 0;
  uint32_t height = 0;
  ASSERT_EQ(reader.OpenImage(file.get(), width, height), PngReader::kOpened);
  const DecodedImage* image = reader.ReadPixels(0.0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels.size(), 18u);
  EXPECT_EQ(test::ToHex(image->Row(0)), "01 02 03 04 05 06 07 08 09");
  EXPECT_EQ(test::ToHex(image->Row(1)), "0A 0B 0C 0D 0E 0F 10 11 12");
  EXPECT_EQ(reader.ReadPixels(0.0), image);  // a second call returns the same image
  image->pixels[0] = 99;                     // the rows may be changed in place
  EXPECT_EQ(reader.ReadPixels(0.0)->pixels[0], 99);
  reader.ReleaseImage();
  EXPECT_EQ(reader.SourceBitDepth(), 0);
  EXPECT_EQ(reader.ReadPixels(0.0), nullptr);
  reader.ReleaseImage();  // harmless when nothing is held
}

TEST(PngReaderFiles, ReadsFileOnDisk) {
  const std::string path = testing::TempDir() + "png_reader_on_disk.png";
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 128};
  test::WriteRgba8Png(path, 2, 1, rgba);
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  PngReader reader;
  uint32_t width = 0;
  uint32_t height = 0;
  ASSERT_EQ(reader.OpenImage(file, width, height), PngReader::kOpened);
  const DecodedImage* image = reader.ReadPixels(0.0);
  std::fclose(file);  // rows stay valid after the file is closed
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(test::ToHex(image->pixels), "FF 00 00 FF 00 FF 00 80");
  reader.ReleaseImage();
  std::remove(path.c_str());
}

TEST(PngReaderFiles, OneReaderDecodesImagesInTurn) {
  // Sizes that grow and shrink, so the kept row memory is both reused and replaced.
  constexpr uint32_t kSizes[][2] = {{5, 4}, {33, 17}, {1, 1}, {64, 9}, {7, 40}, {2, 3}};
  PngReader reader;
  size_t turn = 0;
  for (const ColorTypeDepth& c : test::ValidColorTypeDepths()) {
    const auto [w, h] = kSizes[turn++ % std::size(kSizes)];
    const TestPng source = test::PatternPng(c.colorType, c.bitDepth, w, h, 1);
    const std::vector<uint8_t> png = EncodePng(source);
    test::FilePtr file = test::OpenBytesAsFile(png);
    uint32_t width = 0;
    uint32_t height = 0;
    // The previous image is deliberately not released: OpenImage releases it.
    ASSERT_EQ(reader.OpenImage(file.get(), width, height), PngReader::kOpened) << Name(c);
    const DecodedImage* image = reader.ReadPixels(0.0);
    ASSERT_NE(image, nullptr) << Name(c);
    EXPECT_EQ(reader.SourceBitDepth(), c.bitDepth);
    EXPECT_EQ(test::ToHex(image->pixels), test::ToHex(ExpectedDecode(source).bytes)) << Name(c);
  }
}  // the destructor releases the last image

TEST(PngReaderFiles, ReadersOnSeveralThreadsAtOnce) {
  std::vector<std::vector<uint8_t>> files;
  std::vector<Expected> expected;
  for (const ColorTypeDepth& c : test::ValidColorTypeDepths()) {
    TestPng source = test::PatternPng(c.colorType, c.bitDepth, 64, 48, 2);
    source.interlaced = c.bitDepth != 8;
    files.push_back(EncodePng(source));
    expected.push_back(ExpectedDecode(source));
  }
  constexpr int kThreads = 4;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      PngReader reader;
      for (int round = 0; round < 5; ++round) {
        for (size_t i = 0; i < files.size(); ++i) {
          test::FilePtr file = test::OpenBytesAsFile(files[i]);
          uint32_t width = 0;
          uint32_t height = 0;
          const DecodedImage* image = nullptr;
          if (reader.OpenImage(file.get(), width, height) == PngReader::kOpened) {
            image = reader.ReadPixels(0.0);
          }
          if (image == nullptr || !std::equal(image->pixels.begin(), image->pixels.end(),
                                              expected[i].bytes.begin(), expected[i].bytes.end())) {
            ++mismatches[t];
          }
          reader.ReleaseImage();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace lumapress
