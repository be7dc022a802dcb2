#include <gtest/gtest.h>

#include <numeric>

#include "swf_test_files.h"

namespace lumapress::test {
namespace {

struct HeaderCase {
  const char* what;
  int32_t width, height, frameRate;
  const char* expectedHex;
};

std::vector<uint8_t> HeaderBytes(int32_t width, int32_t height, int32_t frameRate) {
  ScratchDir dir;
  SwfWriter writer(width, height, frameRate, 6);
  EXPECT_TRUE(writer.OpenMovie(dir.Path("m.swf")));
  EXPECT_EQ(writer.Close(), 0);
  return ReadFileBytes(dir.Path("m.swf"));
}

TEST(SwfWriterFraming, HeaderHoldsStageRectRateAndPlaceholders) {
  const HeaderCase cases[] = {
      {"320 x 240 at 12", 320, 240, 12,
       "46 57 53 06 15 00 00 00 70 00 0C 80 00 00 96 00 00 0C 00 00"},
      {"1 x 1 at 12", 1, 1, 12, "46 57 53 06 15 00 00 00 30 0A 00 A0 00 0C 00 00"},
      {"1024 x 768 at 25", 1024, 768, 25,
       "46 57 53 06 15 00 00 00 80 00 02 80 00 00 01 E0 00 00 19 00 00"},
      {"rate 1 keeps its bytes", 1, 1, 1, "46 57 53 06 15 00 00 00 30 0A 00 A0 00 01 00 00"},
      {"rate 255 keeps its bytes", 1, 1, 255, "46 57 53 06 15 00 00 00 30 0A 00 A0 00 FF 00 00"},
      {"rate 256 is written as 255", 1, 1, 256, "46 57 53 06 15 00 00 00 30 0A 00 A0 00 FF 00 00"},
      {"rate 300 is written as 255", 1, 1, 300, "46 57 53 06 15 00 00 00 30 0A 00 A0 00 FF 00 00"},
      {"rate 1000 is written as 255", 1, 1, 1000,
       "46 57 53 06 15 00 00 00 30 0A 00 A0 00 FF 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(HeaderBytes(c.width, c.height, c.frameRate)), Hex(c.expectedHex));
  }
}

TEST(SwfWriterFraming, TagFramingBytes) {
  const ByteCase<SwfWriter> cases[] = {
      {"long tag length counts a nested tag",
       [](SwfWriter& w) {
         w.BeginTag(39);
         w.WriteU16(1);
         w.WriteU16(1);
         w.BeginTag(12);
         w.WriteByte(0);
         w.EndTag();
         w.WriteU16(0x40);
         w.WriteU16(0);
         w.EndTag();
       },
       "FF 09 0F 00 00 00 01 00 01 00 3F 03 01 00 00 00 00 40 00 00 00"},
      {"long tag aligns its body's last bits",
       [](SwfWriter& w) { w.BeginTag(12); w.WriteBits(1, 1); w.EndTag(); },
       "3F 03 01 00 00 00 80"},
      {"short tag with a 3-byte body",
       [](SwfWriter& w) { w.BeginShortTag(2); w.WriteU16(7); w.WriteByte(9); w.EndShortTag(); },
       "83 00 07 00 09"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(BytesAfterHeader(c.write)), Hex(c.expectedHex));
  }
}

std::vector<uint8_t> Counting(size_t count) {
  std::vector<uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});
  return bytes;
}

TEST(SwfWriterFraming, ShortTagsOf63BytesOrMoreAreRewrittenInLongForm) {
  const struct {
    size_t bodyBytes;
    const char* headerHex;
  } cases[] = {
      {62, "BE 00"},
      {63, "BF 00 3F 00 00 00"},
      {300, "BF 00 2C 01 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bodyBytes);
    const auto body = Counting(c.bodyBytes);
    const auto bytes = BytesAfterHeader([&](SwfWriter& w) {
      w.BeginShortTag(2);
      w.WriteBytes(body);
      w.EndShortTag();
      w.ShowFrame();
    });
    std::vector<uint8_t> expected = FromHex(c.headerHex);
    expected.insert(expected.end(), body.begin(), body.end());
    expected.insert(expected.end(), {0x40, 0x00});
    EXPECT_EQ(ToHex(bytes), ToHex(expected));
  }
}

TEST(SwfWriterFraming, LongFormShortTagInsideAFinishedMovieReadsBack) {
  const auto body = Counting(200);
  std::string diagnostics;
  const SwfMovie movie = FinishedMovie(320, 240, [&](SwfWriter& w) {
    w.SetBackgroundColor(1, 2, 3);
    w.BeginShortTag(2);
    w.WriteBytes(body);
    w.EndShortTag();
    w.ShowFrame();
    diagnostics = w.diagnostics().Text();
  });
  ASSERT_EQ(movie.tags.size(), 4u);
  EXPECT_EQ(movie.tags[1].code, 2);
  EXPECT_TRUE(movie.tags[1].longForm);
  EXPECT_TRUE(movie.tags[1].body == body);
  EXPECT_EQ(movie.tags[2].code, 1);
  EXPECT_EQ(movie.tags[3].code, 0);
  EXPECT_EQ(movie.fileLength, movie.bytes.size());
  EXPECT_EQ(movie.frameCount, 1);
  EXPECT_EQ(diagnostics, "") << "the long form needs no warning";
}

TEST(SwfWriterFraming, SmallestCompleteMovie) {
  ScratchDir dir;
  SwfWriter writer(320, 240, 12, 6);
  ASSERT_TRUE(writer.OpenMovie(dir.Path("m.swf")));
  writer.SetBackgroundColor(255, 255, 255);
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), 29);
  EXPECT_EQ(ToHex(ReadFileBytes(dir.Path("m.swf"))),
            Hex("46 57 53 06 1D 00 00 00 70 00 0C 80 00 00 96 00 00 0C 01 00 43 02 FF FF FF 40 "
                "00 00 00"));
}

TEST(SwfWriterFraming, FinishWritesTheFrameCount) {
  const SwfMovie movie = FinishedMovie(10, 10, [](SwfWriter& w) {
    for (int i = 0; i < 300; ++i) w.ShowFrame();
    EXPECT_EQ(w.FrameCount(), 300);
  });
  EXPECT_EQ(movie.frameCount, 300);
  EXPECT_EQ(movie.TagsWithCode(1).size(), 300u);
  EXPECT_EQ(movie.trailingBytes, 0u);
}

TEST(SwfWriterFraming, FrameCountsBeyondTheHeaderFieldSaturateAndFail) {
  ScratchDir dir;
  SwfWriter writer(10, 10, 12, 6);
  ASSERT_TRUE(writer.OpenMovie(dir.Path("movie.swf")));
  const int64_t frameCountOffset = writer.BytesWritten() - 2;
  for (int i = 0; i < 65537; ++i) writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);  // no reader would accept it
  const std::vector<uint8_t> bytes = ReadFileBytes(dir.Path("movie.swf"));
  EXPECT_EQ(bytes[frameCountOffset] | bytes[frameCountOffset + 1] << 8, 65535) << "never wraps around";
  EXPECT_THROW(ReadSwfFile(dir.Path("movie.swf")), SwfFormatError);
}

TEST(SwfWriterFraming, CharacterIdsStartAtOneAndWrapTo1000) {
  ScratchDir dir;
  SwfWriter writer(1, 1, 12, 6);
  ASSERT_TRUE(writer.OpenMovie(dir.Path("m.swf")));
  EXPECT_EQ(writer.NewCharacterId(), 1);
  EXPECT_EQ(writer.NewCharacterId(), 2);
  for (int32_t id = 3; id <= 65535; ++id) ASSERT_EQ(writer.NewCharacterId(), id);
  EXPECT_EQ(writer.NewCharacterId(), 1000);
  EXPECT_EQ(writer.NewCharacterId(), 1001);
  writer.WriteHeader();
  EXPECT_EQ(writer.NewCharacterId(), 1);
  writer.Close();
}

TEST(SwfWriterFraming, OpenMovieInAMissingFolderFails) {
  ScratchDir dir;
  SwfWriter writer(320, 240, 12, 6);
  EXPECT_FALSE(writer.OpenMovie(dir.Path("missing/m.swf")));
  writer.SetBackgroundColor(255, 255, 255);
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(SwfWriterFraming, FinishWithoutOpenMovieReportsFailure) {
  SwfWriter writer(320, 240, 12, 6);
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);
}

TEST(SwfWriterFraming, FinishOnAFullDeviceReportsFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SwfWriter writer(320, 240, 12, 6);
  ASSERT_TRUE(writer.OpenMovie("/dev/full"));
  writer.SetBackgroundColor(255, 255, 255);
  writer.DefineBitmapShape(320, 240, 1);
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);
  EXPECT_TRUE(writer.Failed());
}

}  // namespace
}  // namespace lumapress::test
