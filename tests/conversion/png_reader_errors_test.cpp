#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "conversion/png_reader.h"
#include "support/hex.h"
#include "support/png_maker.h"

namespace lumapress {
namespace {

using test::EncodePng;
using test::PngChunk;

constexpr uint32_t kUntouched = 777;  // width/height before a failed OpenImage

// The reader's answers for one input, and a check that it is clean afterwards.
struct Outcome {
  int status = -1;
  uint32_t width = kUntouched;
  uint32_t height = kUntouched;
  bool pixelsRead = false;
  int sourceBitDepth = 0;
  std::string error;
};

// A small valid PNG; every failure case below is followed by decoding it with the same reader.
const std::vector<uint8_t>& GoodPng() {
  static const std::vector<uint8_t> png = EncodePng(test::PatternPng(test::kRgb, 8, 3, 2));
  return png;
}

void ExpectReaderStillWorks(PngReader& reader) {
  test::FilePtr file = test::OpenBytesAsFile(GoodPng());
  uint32_t width = 0;
  uint32_t height = 0;
  ASSERT_EQ(reader.OpenImage(file.get(), width, height), PngReader::kOpened);
  const DecodedImage* image = reader.ReadPixels(0.0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels.size(), 3u * 2u * 3u);
  reader.ReleaseImage();
}

Outcome ReadAll(const std::vector<uint8_t>& bytes,
                uint64_t maxDecodedBytes = PngReader::kDefaultMaxDecodedBytes) {
  Outcome outcome;
  PngReader reader;
  reader.SetMaxDecodedBytes(maxDecodedBytes);
  test::FilePtr file = test::OpenBytesAsFile(bytes);
  outcome.status = reader.OpenImage(file.get(), outcome.width, outcome.height);
  if (outcome.status == PngReader::kOpened) {
    outcome.pixelsRead = reader.ReadPixels(0.0) != nullptr;
  } else {
    EXPECT_EQ(reader.ReadPixels(0.0), nullptr) << "no image is open";
  }
  outcome.sourceBitDepth = reader.SourceBitDepth();
  outcome.error = reader.LastError();
  file.reset();
  reader.ReleaseImage();
  reader.ReleaseImage();
  ExpectReaderStillWorks(reader);
  return outcome;
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t length) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Compressed image data for `rawBytes` bytes of filtered rows, all zero.
std::vector<uint8_t> ZeroIdat(size_t rawBytes) {
  std::vector<uint8_t> raw(rawBytes, 0);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(size);
  EXPECT_EQ(compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  packed.resize(size);
  return packed;
}

// A hand-made file: signature, IHDR, optional chunks, zero IDAT data, IEND.
std::vector<uint8_t> HandMade(const std::vector<uint8_t>& ihdr, size_t rawBytes,
                              const std::vector<uint8_t>& extraChunks = {}) {
  return Concat({test::PngSignature(), PngChunk("IHDR", ihdr), extraChunks,
                 PngChunk("IDAT", ZeroIdat(rawBytes)), PngChunk("IEND", {})});
}

// --- Not a PNG: status 1.

TEST(PngReaderErrors, NotPng) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty file", {}},
      {"7 bytes of the signature", Prefix(GoodPng(), 7)},
      {"JPEG file", test::FromHex("FF D8 FF E0 00 10 4A 46 49 46 00 01 01 00 00 01")},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}},
      {"signature with a damaged line-end byte",
       Concat({test::FromHex("89 50 4E 47 0D 0A 1A 0D"),
               std::vector<uint8_t>(GoodPng().begin() + 8, GoodPng().end())})},
  };
  for (const auto& c : cases) {
    const Outcome outcome = ReadAll(c.bytes);
    EXPECT_EQ(outcome.status, PngReader::kNotPng) << c.what;
    EXPECT_EQ(outcome.width, kUntouched) << c.what;
    EXPECT_EQ(outcome.height, kUntouched) << c.what;
    EXPECT_EQ(outcome.sourceBitDepth, 0) << c.what;
  }
}

TEST(PngReaderErrors, NullFileIsNotPng) {
  PngReader reader;
  uint32_t width = kUntouched;
  uint32_t height = kUntouched;
  EXPECT_EQ(reader.OpenImage(nullptr, width, height), PngReader::kNotPng);
  EXPECT_EQ(width, kUntouched);
}

// --- Broken headers: status 2.

TEST(PngReaderErrors, HeaderCutShort) {
  const std::vector<uint8_t>& png = GoodPng();
  // 8 (signature) + 8 (IHDR length and type) + 13 (fields) + 4 (CRC) = 33 bytes of header.
  for (size_t length = 8; length < 33; ++length) {
    const Outcome outcome = ReadAll(Prefix(png, length));
    EXPECT_EQ(outcome.status, PngReader::kBadHeader) << "cut at " << length;
    EXPECT_EQ(outcome.width, kUntouched) << "cut at " << length;
  }
}

TEST(PngReaderErrors, HeaderCrcError) {
  std::vector<uint8_t> png = GoodPng();
  png[8 + 8 + 13] ^= 0x01;  // first byte of IHDR's CRC
  const Outcome outcome = ReadAll(png);
  EXPECT_EQ(outcome.status, PngReader::kBadHeader);
  EXPECT_NE(outcome.error.find("CRC"), std::string::npos) << outcome.error;
}

TEST(PngReaderErrors, InvalidHeaderFields) {
  const struct {
    const char* what;
    std::vector<uint8_t> ihdr;
  } cases[] = {
      {"bit depth 3", test::IhdrData(4, 4, 3, test::kGray)},
      {"colour type 5", test::IhdrData(4, 4, 8, 5)},
      {"16-bit palette", test::IhdrData(4, 4, 16, test::kPalette)},
      {"2-bit RGB", test::IhdrData(4, 4, 2, test::kRgb)},
      {"width 0", test::IhdrData(0, 4, 8, test::kGray)},
      {"height 0", test::IhdrData(4, 0, 8, test::kGray)},
      {"width over 2^31", test::IhdrData(0x80000000u, 1, 8, test::kGray)},
      {"interlace method 2", test::IhdrData(4, 4, 8, test::kGray, 2)},
      {"IHDR too short", {0, 0, 0, 4, 0, 0, 0, 4, 8, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const Outcome outcome = ReadAll(HandMade(c.ihdr, 4 * 5));
    EXPECT_EQ(outcome.status, PngReader::kBadHeader) << c.what;
    EXPECT_EQ(outcome.width, kUntouched) << c.what;
  }
}

TEST(PngReaderErrors, MissingPaletteOrImageData) {
  const std::vector<uint8_t> noPalette = HandMade(test::IhdrData(4, 4, 8, test::kPalette), 20);
  EXPECT_EQ(ReadAll(noPalette).status, PngReader::kBadHeader) << "palette image without PLTE";
  const std::vector<uint8_t> noData =
      Concat({test::PngSignature(), PngChunk("IHDR", test::IhdrData(4, 4, 8, test::kGray)),
              PngChunk("IEND", {})});
  EXPECT_EQ(ReadAll(noData).status, PngReader::kBadHeader) << "IEND before any IDAT";
}

// --- Size limits, refused while reading the header.

TEST(PngReaderLimits, WidthAndHeightOver65535) {
  // Written with libpng (1-bit gray keeps them small); the largest allowed side decodes.
  const struct {
    uint32_t width;
    uint32_t height;
    int status;
  } cases[] = {
      {65536, 1, PngReader::kBadHeader},
      {1, 65536, PngReader::kBadHeader},
      {65535, 1, PngReader::kOpened},
      {1, 65535, PngReader::kOpened},
  };
  for (const auto& c : cases) {
    test::TestPng source = test::PatternPng(test::kGray, 1, c.width, c.height);
    const Outcome outcome = ReadAll(EncodePng(source));
    EXPECT_EQ(outcome.status, c.status) << c.width << " x " << c.height;
    if (c.status == PngReader::kOpened) {
      EXPECT_TRUE(outcome.pixelsRead) << c.width << " x " << c.height;
    } else {
      EXPECT_NE(outcome.error.find("IHDR"), std::string::npos) << outcome.error;
    }
  }
}

TEST(PngReaderLimits, HugeHeaderRefusedBeforeAllocating) {
  // 60000 x 60000 RGBA would need 14.4 GB of rows; the file holds a few bytes of data.
  const Outcome rgba = ReadAll(HandMade(test::IhdrData(60000, 60000, 8, test::kRgba), 64));
  EXPECT_EQ(rgba.status, PngReader::kBadHeader);
  EXPECT_EQ(rgba.width, kUntouched);
  EXPECT_NE(rgba.error.find("memory limit"), std::string::npos) << rgba.error;
  // 1-bit gray: tiny in the file, 3 bytes per pixel decoded (20000 x 20000 x 3 = 1.2 GB).
  EXPECT_EQ(ReadAll(HandMade(test::IhdrData(20000, 20000, 1, test::kGray), 64)).status,
            PngReader::kBadHeader);
  // Within the limit the same kind of file opens, and its missing rows fail the decode.
  const Outcome fits = ReadAll(HandMade(test::IhdrData(2000, 1000, 1, test::kGray), 64));
  EXPECT_EQ(fits.status, PngReader::kOpened);
  EXPECT_FALSE(fits.pixelsRead);
}

TEST(PngReaderLimits, DecodedSizeLimitPerReader) {
  // 100 x 100 RGB decodes to 30000 bytes; gray with tRNS to 40000 (an alpha channel is added).
  const std::vector<uint8_t> rgb = EncodePng(test::PatternPng(test::kRgb, 8, 100, 100));
  test::TestPng grayImage = test::PatternPng(test::kGray, 8, 100, 100);
  grayImage.trns = {7};
  const std::vector<uint8_t> grayWithTrns = EncodePng(grayImage);
  const struct {
    const char* what;
    const std::vector<uint8_t>& png;
    uint64_t limit;
    int status;
  } cases[] = {
      {"RGB at the limit", rgb, 30000, PngReader::kOpened},
      {"RGB one byte over", rgb, 29999, PngReader::kBadHeader},
      {"gray+tRNS at the limit", grayWithTrns, 40000, PngReader::kOpened},
      {"gray+tRNS counted with alpha", grayWithTrns, 39999, PngReader::kBadHeader},
  };
  for (const auto& c : cases) {
    const Outcome outcome = ReadAll(c.png, c.limit);
    EXPECT_EQ(outcome.status, c.status) << c.what;
    EXPECT_EQ(outcome.pixelsRead, c.status == PngReader::kOpened) << c.what;
  }
}

// --- Broken image data: OpenImage succeeds, ReadPixels returns null.

TEST(PngReaderErrors, BrokenImageData) {
  const std::vector<uint8_t> png = EncodePng(test::PatternPng(test::kRgba, 8, 40, 30));
  const size_t idat = test::FindChunk(png, "IDAT");
  const size_t iend = test::FindChunk(png, "IEND");
  ASSERT_NE(idat, test::kNoChunk);
  std::vector<uint8_t> idatCrc = png;
  idatCrc[iend - 1] ^= 0x80;  // last byte of IDAT's CRC
  std::vector<uint8_t> shortData = test::ReplaceChunkData(png, "IDAT", ZeroIdat(40 * 4 + 1));
  std::vector<uint8_t> badDeflate =
      test::ReplaceChunkData(png, "IDAT", test::FromHex("78 9C 07 00 00 00 00"));  // block type 3
  std::vector<uint8_t> badFilter = test::ReplaceChunkData(png, "IDAT", [] {
    std::vector<uint8_t> raw(30 * (40 * 4 + 1), 0);
    raw[0] = 9;  // filter types stop at 4
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return packed;
  }());
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"cut inside IDAT", Prefix(png, idat + 8 + 20)},
      {"cut after the IDAT chunk header", Prefix(png, idat + 8)},
      {"cut before IEND", Prefix(png, iend)},
      {"IDAT CRC error", idatCrc},
      {"image data ends after one row", shortData},
      {"invalid deflate block", badDeflate},
      {"invalid filter type", badFilter},
  };
  for (const auto& c : cases) {
    const Outcome outcome = ReadAll(c.bytes);
    EXPECT_EQ(outcome.status, PngReader::kOpened) << c.what;
    EXPECT_EQ(outcome.width, 40u) << c.what;
    EXPECT_FALSE(outcome.pixelsRead) << c.what;
    EXPECT_EQ(outcome.sourceBitDepth, 8) << c.what << ": header depth kept until release";
    EXPECT_FALSE(outcome.error.empty()) << c.what;
  }
}

TEST(PngReaderErrors, InterlacedImageCutShort) {
  test::TestPng source = test::PatternPng(test::kPalette, 4, 33, 17);
  source.interlaced = true;
  const std::vector<uint8_t> png = EncodePng(source);
  const size_t iend = test::FindChunk(png, "IEND");
  for (size_t cut = iend - 30; cut < iend; cut += 7) {
    const Outcome outcome = ReadAll(Prefix(png, cut));
    EXPECT_EQ(outcome.status, PngReader::kOpened) << "cut at " << cut;
    EXPECT_FALSE(outcome.pixelsRead) << "cut at " << cut;
  }
}

TEST(PngReaderErrors, DamagedAncillaryChunkIsOnlyAWarning) {
  // A gAMA chunk with a bad CRC is dropped; the image still decodes.
  test::TestPng source = test::PatternPng(test::kRgb, 8, 5, 5);
  source.gamma = 0.45455;
  std::vector<uint8_t> png = EncodePng(source);
  const size_t gama = test::FindChunk(png, "gAMA");
  ASSERT_NE(gama, test::kNoChunk);
  png[gama + 8 + 4] ^= 0xFF;  // its CRC
  const Outcome outcome = ReadAll(png);
  EXPECT_EQ(outcome.status, PngReader::kOpened);
  EXPECT_TRUE(outcome.pixelsRead);
}

}  // namespace
}  // namespace lumapress
