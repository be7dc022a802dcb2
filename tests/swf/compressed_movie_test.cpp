// Movies written straight into their compressed form must be byte for byte what compressing
// the uncompressed movie afterwards gives, unless their tags hold precompressed spans, which
// are stored in the stream instead of deflated again.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/byte_patterns.h"
#include "swf/bitmap_tags.h"
#include "swf/compress_movie.h"
#include "common/zlib_deflater.h"
#include "swf_test_files.h"

namespace lumapress::test {
namespace {

using MovieContent = std::function<void(SwfWriter&)>;

// The movie written uncompressed and compressed afterwards, and written compressed directly.
struct BothForms {
  std::vector<uint8_t> afterwards;
  std::vector<uint8_t> direct;
  int32_t directFinish = 0;
};

BothForms WriteBothWays(const MovieContent& content, int32_t statedFrames) {
  ScratchDir dir;
  BothForms forms;
  {
    SwfWriter writer(64, 48, 12, 6);
    EXPECT_TRUE(writer.OpenMovie(dir.Path("plain.swf")));
    content(writer);
    EXPECT_GT(writer.Finish(), 0);
    EXPECT_GT(CompressMovie(dir.Path("plain.swf"), dir.Path("plain.swf")), 0);
    forms.afterwards = ReadFileBytes(dir.Path("plain.swf"));
  }
  SwfWriter writer(64, 48, 12, 6);
  EXPECT_TRUE(writer.OpenCompressedMovie(dir.Path("direct.swf"), statedFrames));
  content(writer);
  forms.directFinish = writer.Finish();
  forms.direct = ReadFileBytes(dir.Path("direct.swf"));
  return forms;
}

TEST(CompressedMovie, EqualsTheUncompressedMovieCompressedAfterwards) {
  const auto big = NoiseBytes(700 * 1024, 7);  // several pieces of settled body
  const auto small = NoiseBytes(200, 3);
  const struct {
    const char* what;
    MovieContent content;
    int32_t frames;
  } cases[] = {
      {"empty movie", [](SwfWriter&) {}, 0},
      {"one frame", [](SwfWriter& w) { w.SetBackgroundColor(255, 255, 255); w.ShowFrame(); }, 1},
      {"bitmap, shape and frames",
       [&](SwfWriter& w) {
         BitmapTag tag{kTagDefineBitsJpeg2, big, {}};
         const int32_t id = w.NewCharacterId();
         w.DefineBitmap(id, tag);
         w.PlaceObject(w.DefineBitmapShape(64, 48, id), 1);
         for (int i = 0; i < 13; ++i) w.ShowFrame();
         w.DefineBitmap(w.NewCharacterId(), tag);
         w.RemoveDepth(1);
         w.ShowFrame();
       },
       14},
      {"loader sprite and actions",
       [](SwfWriter& w) {
         w.PlaceObject(w.DefineLoaderSprite("control.swf"), 65535);
         w.BeginDoAction();
         w.ActionPushString("numfiles");
         w.ActionPushString("3");
         w.ActionSetVariable();
         w.EndDoAction();
         w.ShowFrame();
       },
       1},
      {"short tag moved to the long form after a large tag",
       [&](SwfWriter& w) {
         w.DefineBitmap(w.NewCharacterId(), BitmapTag{kTagDefineBitsLossless, big, {}});
         w.BeginShortTag(2);
         w.WriteBytes(small);
         w.EndShortTag();
         w.ShowFrame();
       },
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const BothForms forms = WriteBothWays(c.content, c.frames);
    EXPECT_GT(forms.directFinish, 0);
    ASSERT_EQ(forms.direct.size(), forms.afterwards.size());
    EXPECT_TRUE(forms.direct == forms.afterwards);
  }
}

TEST(CompressedMovie, PrecompressedSpansAreStoredAsTheyAre) {
  const auto noise = NoiseBytes(300 * 1024, 21);
  const std::vector<uint8_t> zeros(200 * 1024, 0);
  // A bitmap whose body is 5 bytes of fields, then `noise` marked precompressed; and a tag
  // whose well-compressible zeros are marked too: both must appear verbatim.
  BitmapTag bitmap{kTagDefineBitsLossless, FromHex("05 40 00 30 00"), {{5, noise.size()}}};
  bitmap.body.insert(bitmap.body.end(), noise.begin(), noise.end());
  BitmapTag marked{kTagDefineBitsJpeg2, zeros, {{100, zeros.size() - 200}}};
  const MovieContent content = [&](SwfWriter& w) {
    w.SetBackgroundColor(255, 255, 255);
    w.DefineBitmap(w.NewCharacterId(), bitmap);
    w.ShowFrame();
    w.DefineBitmap(w.NewCharacterId(), marked);
    w.DefineBitmap(w.NewCharacterId(), bitmap);
    w.ShowFrame();
  };
  const BothForms forms = WriteBothWays(content, 2);
  EXPECT_GT(forms.directFinish, 0);
  ASSERT_GE(forms.direct.size(), 10u);
  EXPECT_EQ(ToHex(std::span(forms.direct).subspan(8, 2)), "78 DA");
  // One zlib stream with nothing after it, whose Adler-32 zlib checks, holding the same movie.
  const SwfMovie direct = ReadSwf(forms.direct), afterwards = ReadSwf(forms.afterwards);
  EXPECT_EQ(direct.trailingBytes, 0u);
  EXPECT_TRUE(direct.bytes == afterwards.bytes);
  // Stored blocks hold at most 65535 bytes each, so look for pieces smaller than that.
  const auto stored = std::span(noise).subspan(70000, 60000);
  EXPECT_TRUE(ContainsBytes(forms.direct, stored));
  EXPECT_FALSE(ContainsBytes(forms.afterwards, stored)) << "the whole-body pass deflates everything";
  EXPECT_TRUE(ContainsBytes(forms.direct, std::span(zeros).first(60000)));
  EXPECT_GT(forms.direct.size(), 2 * noise.size()) << "the noise is stored, not deflated again";
  EXPECT_GT(forms.direct.size(), 2 * noise.size() + zeros.size() - 200);
}

TEST(CompressedMovie, FrameCountsBeyondTheHeaderFieldFailTheMovie) {
  ScratchDir dir;
  SwfWriter writer(64, 48, 12, 6);
  ASSERT_TRUE(writer.OpenCompressedMovie(dir.Path("direct.swf"), 65536));
  for (int i = 0; i < 65536; ++i) writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);  // the header would say 65535
}

TEST(CompressedMovie, AnotherFrameCountThanStatedFailsTheMovie) {
  for (int32_t stated : {0, 2}) {
    SCOPED_TRACE(stated);
    const BothForms forms = WriteBothWays([](SwfWriter& w) { w.ShowFrame(); }, stated);
    EXPECT_EQ(forms.directFinish, -1);
  }
}

TEST(CompressedMovie, OpeningInAMissingFolderFails) {
  ScratchDir dir;
  SwfWriter writer(64, 48, 12, 6);
  EXPECT_FALSE(writer.OpenCompressedMovie(dir.Path("missing/m.swf"), 1));
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));
}

TEST(CompressedMovie, WriteErrorsOnAFullDeviceFailTheMovie) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SwfWriter writer(64, 48, 12, 6);
  ASSERT_TRUE(writer.OpenCompressedMovie("/dev/full", 1));
  writer.DefineBitmap(writer.NewCharacterId(),
                      BitmapTag{kTagDefineBitsJpeg2, NoiseBytes(600 * 1024, 1), {}});
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), -1);
}

TEST(CompressedMovie, PrintsTheCompressionStatistics) {
  ScratchDir dir;
  SwfWriter writer(64, 48, 12, 6);
  ASSERT_TRUE(writer.OpenCompressedMovie(dir.Path("m.swf"), 1));
  writer.ShowFrame();
  const int32_t length = writer.Finish();
  const auto bytes = ReadFileBytes(dir.Path("m.swf"));
  char expected[160];
  std::snprintf(expected, sizeof expected,
                "- uncompressed input: %10d bytes\n- compressed output : %10d bytes\n\n- done.\n",
                length, static_cast<int>(bytes.size()));
  EXPECT_EQ(writer.diagnostics().Text(), expected);
}

// compress2's stream, for comparing with the deflater fed in pieces.
std::vector<uint8_t> Compress2(std::span<const uint8_t> data, int level) {
  uLongf size = compressBound(data.size());
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), data.size(), level), Z_OK);
  out.resize(size);
  return out;
}

TEST(ZlibDeflater, PiecesGiveCompress2sStream) {
  std::vector<uint8_t> data = NoiseBytes(300 * 1024, 11);
  // Some repetition, so that matches cross the piece boundaries.
  for (size_t i = 100 * 1024; i < 200 * 1024; ++i) data[i] = data[i - 777];
  const struct {
    const char* what;
    int level;
    size_t piece;
  } cases[] = {
      {"level 9, one piece", 9, data.size()},
      {"level 9, 1 byte pieces for 4 KiB, then 64 KiB", 9, 1},
      {"level 9, 65537 byte pieces", 9, 65537},
      {"level 1, 1000 byte pieces", 1, 1000},
      {"level 0 (stored blocks follow the pieces), one piece", 0, data.size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZlibDeflater deflater(c.level);
    ASSERT_TRUE(deflater.ok());
    std::vector<uint8_t> stream;
    size_t at = 0;
    while (at < data.size()) {
      const size_t piece = std::min(c.piece == 1 && at >= 4096 ? size_t{65536} : c.piece, data.size() - at);
      const bool last = at + piece == data.size();
      ASSERT_TRUE(deflater.Append(std::span<const uint8_t>(data).subspan(at, piece), last, stream));
      at += piece;
    }
    EXPECT_EQ(deflater.TotalIn(), data.size());
    EXPECT_TRUE(stream == Compress2(data, c.level));
    EXPECT_FALSE(deflater.Append(data, true, stream)) << "the stream is complete";
  }
}

TEST(ZlibDeflater, EveryLevelGivesCompress2sHeaderAndChecksum) {
  // The header's FLEVEL (78 01, 78 5E, 78 9C, 78 DA) and the Adler-32 at the end, for the
  // default level too; an empty input still makes a complete stream.
  const std::vector<uint8_t> data = NoiseBytes(5000, 4);
  for (const int level : {Z_DEFAULT_COMPRESSION, 0, 1, 2, 5, 6, 7, 8, 9}) {
    for (const size_t size : {size_t{0}, data.size()}) {
      SCOPED_TRACE("level " + std::to_string(level) + ", " + std::to_string(size) + " bytes");
      const auto input = std::span(data).first(size);
      ZlibDeflater deflater(level);
      std::vector<uint8_t> stream;
      ASSERT_TRUE(deflater.Append(input, true, stream));
      EXPECT_EQ(ToHex(stream), ToHex(Compress2({input.begin(), input.end()}, level)));
    }
  }
  ZlibDeflater later(9);
  std::vector<uint8_t> stream;
  ASSERT_TRUE(later.SetLevel(1, stream)) << "before any input: the header states level 1";
  ASSERT_TRUE(later.Append(data, true, stream));
  EXPECT_EQ(ToHex(stream), ToHex(Compress2(data, 1)));
}

TEST(ZlibDeflater, LevelChangesKeepOneStreamAndStoreWhatLevel0Gets) {
  const auto first = NoiseBytes(100000, 1), stored = NoiseBytes(150000, 2), last = NoiseBytes(70000, 3);
  const std::vector<uint8_t> zeros(90000, 0);
  ZlibDeflater deflater(9, 9);
  std::vector<uint8_t> stream;
  ASSERT_TRUE(deflater.SetLevel(9, stream));  // unchanged
  ASSERT_TRUE(deflater.Append(first, false, stream));
  ASSERT_TRUE(deflater.SetLevel(0, stream));
  ASSERT_TRUE(deflater.Append(stored, false, stream));
  ASSERT_TRUE(deflater.SetLevel(9, stream));
  ASSERT_TRUE(deflater.Append(zeros, false, stream));
  ASSERT_TRUE(deflater.SetLevel(0, stream));
  ASSERT_TRUE(deflater.SetLevel(0, stream));  // unchanged
  ASSERT_TRUE(deflater.Append(zeros, false, stream));
  ASSERT_TRUE(deflater.SetLevel(9, stream));
  ASSERT_TRUE(deflater.Append(last, true, stream));
  EXPECT_FALSE(deflater.SetLevel(0, stream)) << "the stream is complete";
  std::vector<uint8_t> all;
  for (const auto* part : {&first, &stored, &zeros, &zeros, &last})
    all.insert(all.end(), part->begin(), part->end());
  ASSERT_GE(stream.size(), 2u);
  EXPECT_EQ(ToHex(std::span(stream).first(2)), "78 DA");
  EXPECT_TRUE(InflateZlib(stream) == all);
  // Stored blocks start where level 0 starts and hold up to 65535 bytes.
  EXPECT_TRUE(ContainsBytes(stream, std::span(stored).subspan(1000, 60000)));
  const size_t incompressible = first.size() + stored.size() + last.size();
  EXPECT_GT(stream.size(), incompressible + zeros.size()) << "the second zeros are stored";
  EXPECT_LT(stream.size(), incompressible + zeros.size() + 1000) << "the first zeros are deflated";
}

}  // namespace
}  // namespace lumapress::test
