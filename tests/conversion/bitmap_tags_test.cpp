#include "conversion/jpeg_bitmap.h"
#include "swf/bitmap_tags.h"

#include <gtest/gtest.h>

#include <random>

#include "support/hex.h"
#include "support/jpeg_check.h"
#include "support/swf_bitmaps.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"
#include "swf/bitmap_data.h"
#include "swf/swf_writer.h"

namespace lumapress::test {
namespace {

// The complete tag as the writer puts it into a movie: header word, UI32 length, body.
std::vector<uint8_t> WrittenTag(const BitmapTag& tag, int32_t id) {
  TempFolder folder;
  const std::string path = folder.path() + "/t.swf";
  SwfWriter writer(1, 1, 12, 6);
  EXPECT_TRUE(writer.OpenMovie(path));
  const int64_t start = writer.BytesWritten();
  writer.DefineBitmap(id, tag);
  const int64_t end = writer.BytesWritten();
  EXPECT_GT(writer.Finish(), 0);
  const std::vector<uint8_t> file = ReadFileBytes(path);
  return {file.begin() + start, file.begin() + end};
}

struct TagCase {
  const char* what;
  std::vector<uint8_t> written;
  const char* expectedPrefix;
};

TEST(BitmapTags, LongFormHeadersAndFixedFields) {
  BitmapTag lossless3, lossless5, lossless2, jpeg3;
  const std::vector<uint8_t> table(768 + 4, 0);
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 3, 4, 1, 256, table, 9, lossless3), BitmapResult::kOk);
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 5, 1, 1, 0, FromHex("00 11 22 33"), 9, lossless5),
            BitmapResult::kOk);
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless2, 5, 0x1234, 2, 0, FromHex("00"), 0, lossless2),
            BitmapResult::kOk);
  ASSERT_EQ(BuildJpeg3Tag(FromHex("FF D8 FF D9"), FromHex("80"), 0, jpeg3), BitmapResult::kOk);
  const TagCase cases[] = {
      // header, length, CharacterId, BitmapFormat, width, height, BitmapColorTableSize, zlib
      {"format 3 carries the colour count", WrittenTag(lossless3, 7), "3F 05 ?? ?? ?? ?? 07 00 03 04 00 01 00 FF 78 DA"},
      {"format 5 starts its zlib data at 13", WrittenTag(lossless5, 1), "3F 05 ?? ?? ?? ?? 01 00 05 01 00 01 00 78 DA"},
      {"lossless2 at level 0", WrittenTag(lossless2, 2), "3F 09 ?? ?? ?? ?? 02 00 05 34 12 02 00 78 01"},
      {"empty JPEG still framed", WrittenTag(BuildJpeg2Tag({}), 3), "7F 05 08 00 00 00 03 00 FF D9 FF D8 FF D9"},
      {"JPEG3 alpha offset is JPEG + 6", WrittenTag(jpeg3, 4),
       "FF 08 ?? ?? ?? ?? 04 00 0A 00 00 00 FF D9 FF D8 FF D8 FF D9 FF D9 78 01"},
  };
  for (const TagCase& c : cases) {
    const std::string written = ToHex(c.written);
    const std::string expected = c.expectedPrefix;
    ASSERT_GE(written.size(), expected.size()) << c.what;
    std::string masked = written.substr(0, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      if (expected[i] == '?') masked[i] = '?';
    }
    EXPECT_EQ(masked, expected) << c.what << "\n full tag: " << written;
    // The length field counts every byte after the 6-byte header.
    const uint32_t length = c.written[2] | (c.written[3] << 8) | (c.written[4] << 16) | (uint32_t(c.written[5]) << 24);
    EXPECT_EQ(length, c.written.size() - 6) << c.what;
  }
}

TEST(BitmapTags, IncompressibleDataLargerThanTwoMebibytesKeepsEveryByte) {
  std::vector<uint8_t> noise(3u << 20);
  std::mt19937 random(7);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  for (int level : {0, 9}) {
    BitmapTag tag;
    ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless2, 5, 1024, 768, 0, noise, level, tag), BitmapResult::kOk);
    SwfTag read;
    read.code = static_cast<uint16_t>(tag.code);
    read.body = FromHex("01 00");
    read.body.insert(read.body.end(), tag.body.begin(), tag.body.end());
    const SwfBitmap bitmap = ParseBitmapTag(read);  // inflating checks the stream ends exactly
    EXPECT_EQ(bitmap.data, noise) << "level " << level;
    if (level == 0) {
      EXPECT_TRUE(IsStoredZlib(bitmap.zlibData));
    }
  }
}

TEST(BitmapTags, KeptBodiesComeBackEmptyAndNeverLeakAnEarlierTag) {
  ReleaseKeptTagBodies();  // whatever earlier tests left kept
  std::vector<uint8_t> noise(1u << 20);
  std::mt19937 random(11);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  BitmapTag large;
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 5, 512, 512, 0, noise, 7, large), BitmapResult::kOk);
  const size_t largeCapacity = large.body.capacity();
  KeepTagBody(std::move(large.body));

  // The next tags start in the kept memory: each must equal the same tag built without it.
  const std::vector<uint8_t> pixels = FromHex("00 11 22 33 00 44 55 66");
  BitmapTag reused, fresh;
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 5, 2, 1, 0, pixels, 7, reused), BitmapResult::kOk);
  EXPECT_GE(reused.body.capacity(), largeCapacity);
  ReleaseKeptTagBodies();
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 5, 2, 1, 0, pixels, 7, fresh), BitmapResult::kOk);
  EXPECT_EQ(ToHex(reused.body), ToHex(fresh.body));

  KeepTagBody(std::move(reused.body));
  const BitmapTag jpeg = BuildJpeg2Tag(FromHex("FF D8 FF D9"));
  EXPECT_EQ(ToHex(jpeg.body), "FF D9 FF D8 FF D8 FF D9 FF D9");
  EXPECT_GE(jpeg.body.capacity(), largeCapacity);
}

TEST(BitmapTags, TheKeeperHoldsABoundedNumberOfBoundedBodies) {
  ReleaseKeptTagBodies();
  std::vector<uint8_t> huge;
  huge.reserve(kKeptTagBodyBytes + 1);
  KeepTagBody(std::move(huge));
  EXPECT_EQ(TakeTagBody().capacity(), 0u) << "a body above the limit is freed";

  for (size_t i = 0; i < kKeptTagBodies + 5; ++i) {
    std::vector<uint8_t> body(100);
    KeepTagBody(std::move(body));
  }
  size_t kept = 0;
  while (TakeTagBody().capacity() != 0) ++kept;
  EXPECT_EQ(kept, kKeptTagBodies);
}

TEST(BitmapTags, JpegOfOnePixelAndTwelveSquareFitsItsBuffer) {
  for (int side : {1, 12}) {
    for (int quality : {0, 50, 99}) {
      std::vector<uint8_t> rgb(size_t(side) * side * 3, 90);
      BitmapTag tag;
      ASSERT_EQ(BuildJpegBitmapTag(rgb, side, side, quality, 3, tag), BitmapResult::kOk)
          << side << " at " << quality;
      EXPECT_EQ(tag.code, kTagDefineBitsJpeg2);
      const DecodedJpeg jpeg = DecodeJpeg(JpegStream(tag.body));
      ASSERT_TRUE(jpeg.ok) << jpeg.error;
      EXPECT_EQ(jpeg.width, side);
    }
  }
}

TEST(BitmapTags, FourthByteOnlyChangesTheAlphaPlane) {
  std::vector<uint8_t> a = FromHex("10 20 30 FF  40 50 60 80  70 80 90 00  A0 B0 C0 40");
  std::vector<uint8_t> b = a;
  b[3] = 0x11, b[7] = 0x22;
  BitmapTag tagA, tagB;
  ASSERT_EQ(BuildJpegBitmapWithAlphaTag(a, 2, 2, 75, LosslessEffort::kDefault, tagA),
            BitmapResult::kOk);
  ASSERT_EQ(BuildJpegBitmapWithAlphaTag(b, 2, 2, 75, LosslessEffort::kDefault, tagB),
            BitmapResult::kOk);
  SwfTag readA{35, true, 0, FromHex("01 00"), {}}, readB = readA;
  readA.body.insert(readA.body.end(), tagA.body.begin(), tagA.body.end());
  readB.body.insert(readB.body.end(), tagB.body.begin(), tagB.body.end());
  const SwfBitmap bitmapA = ParseBitmapTag(readA), bitmapB = ParseBitmapTag(readB);
  EXPECT_EQ(bitmapA.imageData, bitmapB.imageData);
  EXPECT_EQ(ToHex(bitmapA.data), "FF 80 00 40");
  EXPECT_EQ(ToHex(bitmapB.data), "11 22 00 40");
}

TEST(BitmapTags, JpegScanOffsetFollowsTheMarkerSegments) {
  const struct {
    const char* what;
    const char* jpeg;
    size_t offset;
  } cases[] = {
      {"SOI, DQT of 4, SOS of 3, scan", "FF D8 FF DB 00 04 AA BB FF DA 00 03 CC 11 22 FF D9", 13},
      {"FF DA inside a table is not a marker", "FF D8 FF C4 00 04 FF DA FF DA 00 02 33", 12},
      {"no SOS", "FF D8 FF DB 00 04 AA BB FF D9", 0},
      {"no SOI", "FF DB 00 04 AA BB FF DA 00 02 33", 0},
      {"segment length below 2", "FF D8 FF DB 00 01 FF DA 00 02 33", 0},
      {"SOS beyond the end", "FF D8 FF DA 00 09 33", 0},
      {"not a marker where one must be", "FF D8 00 DA 00 02 33", 0},
      {"empty", "", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(JpegScanOffset(FromHex(c.jpeg)), c.offset) << c.what;
}

TEST(BitmapTags, CompressedDataIsMarkedPrecompressedUnlessDeflatingAgainPays) {
  std::mt19937 random(3);
  std::vector<uint8_t> noise(200000);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  const std::vector<uint8_t> flat(400000, 0x33);
  const int level = LosslessLevel(LosslessEffort::kDefault, 4);

  BitmapTag lossless;
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 5, 250, 200, 0, noise, level, lossless),
            BitmapResult::kOk);
  ASSERT_EQ(lossless.precompressed.size(), 1u);
  EXPECT_EQ(lossless.precompressed[0].offset, 5u);  // the whole ZlibBitmapData
  EXPECT_EQ(lossless.precompressed[0].length, lossless.body.size() - 5);

  // Long repeats get zlib's level 9 stream (78 DA), which the movie deflates again.
  BitmapTag repetitive;
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless, 3, 400, 1000, 256, flat, level, repetitive),
            BitmapResult::kOk);
  EXPECT_TRUE(repetitive.precompressed.empty());
  EXPECT_EQ(ToHex(std::span(repetitive.body).subspan(6, 2)), "78 DA");
  std::vector<uint8_t> zlibStream;
  ASSERT_EQ(AppendZlibStream(flat, level, zlibStream), BitmapResult::kOk);
  EXPECT_LT(zlibStream.size(), flat.size() / kRepetitiveShrink);

  // Stored blocks of compressible data: the movie deflates them.
  BitmapTag stored;
  ASSERT_EQ(BuildLosslessTag(kTagDefineBitsLossless2, 5, 100, 1000, 0, flat, 0, stored),
            BitmapResult::kOk);
  EXPECT_TRUE(stored.precompressed.empty());

  // A JPEG of noise: its scan data is marked, from the end of the SOS segment to the end of
  // the stream; the framing and the tables are not.
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(std::span(noise).first(120 * 100 * 3), 120, 100, 90, 3, jpeg),
            BitmapResult::kOk);
  const BitmapTag jpeg2 = BuildJpeg2Tag(jpeg);
  ASSERT_EQ(jpeg2.precompressed.size(), 1u);
  EXPECT_EQ(jpeg2.precompressed[0].offset, 4 + JpegScanOffset(jpeg));
  EXPECT_EQ(jpeg2.precompressed[0].offset + jpeg2.precompressed[0].length, jpeg2.body.size() - 2);

  BitmapTag jpeg3;
  ASSERT_EQ(BuildJpeg3Tag(jpeg, std::span(noise).first(12000), 9, jpeg3), BitmapResult::kOk);
  ASSERT_EQ(jpeg3.precompressed.size(), 2u);  // scan data, then the alpha stream
  EXPECT_EQ(jpeg3.precompressed[0].offset, 8 + JpegScanOffset(jpeg));
  EXPECT_EQ(jpeg3.precompressed[1].offset, 4 + jpeg.size() + 6);
  EXPECT_EQ(jpeg3.precompressed[1].offset + jpeg3.precompressed[1].length, jpeg3.body.size());

  // An alpha plane of long repeats keeps libdeflate's stream, which the movie deflates again.
  BitmapTag flatAlpha;
  ASSERT_EQ(BuildJpeg3Tag(jpeg, flat, 9, flatAlpha), BitmapResult::kOk);
  ASSERT_EQ(flatAlpha.precompressed.size(), 1u);  // the scan data only
  std::vector<uint8_t> planeStream;
  ASSERT_EQ(AppendZlibStream(flat, 9, planeStream), BitmapResult::kOk);
  const size_t alphaStart = 4 + jpeg.size() + 6;
  EXPECT_TRUE(std::equal(flatAlpha.body.begin() + static_cast<std::ptrdiff_t>(alphaStart),
                         flatAlpha.body.end(), planeStream.begin(), planeStream.end()));

  // A JPEG of a flat image: its scan data repeats, so the movie deflates it again.
  std::vector<uint8_t> flatJpeg;
  ASSERT_EQ(EncodeJpeg(std::span(flat).first(360 * 360 * 3), 360, 360, 80, 3, flatJpeg),
            BitmapResult::kOk);
  EXPECT_TRUE(BuildJpeg2Tag(flatJpeg).precompressed.empty());
}

TEST(BitmapTags, LosslessLevelsByEffortAndPixelSize) {
  EXPECT_EQ(LosslessLevel(LosslessEffort::kDefault, 4), kPixelsLevel);
  EXPECT_EQ(LosslessLevel(LosslessEffort::kDefault, 1), kBytePerPixelLevel);
  EXPECT_EQ(LosslessLevel(LosslessEffort::kSmallest, 4), kSmallestLevel);
  EXPECT_EQ(LosslessLevel(LosslessEffort::kSmallest, 1), kSmallestLevel);
}

TEST(BitmapTags, WriterOperationsReturnTheIdOrNothing) {
  TempFolder folder;
  SwfWriter writer(2, 2, 12, 6);
  ASSERT_TRUE(writer.OpenMovie(folder.path() + "/m.swf"));
  const std::vector<uint8_t> rgb(2 * 2 * 3, 200);
  EXPECT_EQ(DefineJpegBitmap(writer, 5, rgb, 2, 2, 80, 3), 5);
  const std::vector<uint8_t> rgba(2 * 2 * 4, 200);
  EXPECT_EQ(DefineJpegBitmapWithAlpha(writer, 6, rgba, 2, 2, 80), 6);
  EXPECT_TRUE(writer.DefineBitsLossless(7, 1, 1, 5, 0, FromHex("00 01 02 03")));
  EXPECT_TRUE(writer.DefineBitsLossless2(8, 1, 1, 5, 0, FromHex("FF 01 02 03"), 0));
  writer.DefineBitsJPEG2(9, FromHex("FF D8 FF D9"));
  EXPECT_TRUE(writer.DefineBitsJPEG3(10, FromHex("FF D8 FF D9"), FromHex("FF"), 0));
  ASSERT_GT(writer.Finish(), 0);
  const SwfMovie movie = ReadSwfFile(folder.path() + "/m.swf");
  std::vector<int> ids;
  for (const SwfTag& tag : movie.tags) {
    if (tag.code != 0) ids.push_back(ParseBitmapTag(tag).characterId);
  }
  EXPECT_EQ(ids, (std::vector<int>{5, 6, 7, 8, 9, 10}));
}

}  // namespace
}  // namespace lumapress::test
