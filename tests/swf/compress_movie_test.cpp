#include "swf/compress_movie.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "swf_test_files.h"

namespace lumapress::test {
namespace {

void WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// An 82-byte slide-show movie: background, one shape, its placement and one frame.
std::vector<uint8_t> SmallMovie(const ScratchDir& dir, const std::string& name) {
  SwfWriter writer(320, 240, 12, 6);
  EXPECT_TRUE(writer.OpenMovie(dir.Path(name)));
  writer.SetBackgroundColor(255, 255, 255);
  const int32_t bitmapId = writer.NewCharacterId();
  writer.PlaceObject(writer.DefineBitmapShape(320, 240, bitmapId), 1);
  writer.RemoveDepth(1);
  writer.ShowFrame();
  EXPECT_EQ(writer.Finish(), 82);
  return ReadFileBytes(dir.Path(name));
}

// The body deflated in one call with zlib's level 9 and memory level 9, as the movie's stream
// is set up.
std::vector<uint8_t> Deflate9(std::span<const uint8_t> body) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<uint8_t> out(deflateBound(&stream, body.size()));
  stream.next_in = const_cast<Bytef*>(body.data());
  stream.avail_in = static_cast<uInt>(body.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// Checks `compressed` is the CWS form of `movie`, with the bytes of one level 9 deflate call.
void ExpectCompressedFormOf(std::span<const uint8_t> movie, std::span<const uint8_t> compressed) {
  ASSERT_GE(compressed.size(), 10u);
  EXPECT_EQ(ToHex(compressed.first(3)), "43 57 53");
  EXPECT_EQ(compressed[3], 6);
  EXPECT_EQ(ToHex(compressed.subspan(4, 4)), ToHex(movie.subspan(4, 4)));
  EXPECT_EQ(ToHex(compressed.subspan(8, 2)), "78 DA");
  const auto body = movie.subspan(8);
  const auto inflated = InflateZlib(compressed.subspan(8));
  EXPECT_TRUE(std::equal(inflated.begin(), inflated.end(), body.begin(), body.end()))
      << "inflated body differs from the movie";
  const auto reference = Deflate9(body);
  EXPECT_TRUE(
      std::equal(reference.begin(), reference.end(), compressed.begin() + 8, compressed.end()))
      << "differs from one level 9 deflate call";
}

TEST(CompressMovie, SmallMovieBecomesItsCompressedForm) {
  ScratchDir dir;
  const auto movie = SmallMovie(dir, "in.swf");
  Diagnostics diagnostics;
  const int32_t size = CompressMovie(dir.Path("in.swf"), dir.Path("out.swf"), diagnostics);
  const auto compressed = ReadFileBytes(dir.Path("out.swf"));
  EXPECT_EQ(static_cast<size_t>(size), compressed.size());
  EXPECT_EQ(ToHex(std::span(compressed).first(10)), Hex("43 57 53 06 52 00 00 00 78 DA"));
  ExpectCompressedFormOf(movie, compressed);
  char expected[160];
  std::snprintf(expected, sizeof expected,
                "- uncompressed input: %10d bytes\n- compressed output : %10d bytes\n\n- done.\n",
                82, size);
  EXPECT_EQ(diagnostics.Text(), expected);
  const SwfMovie read = ReadSwf(compressed);
  EXPECT_TRUE(read.compressed);
  EXPECT_EQ(read.frameCount, 1);
  EXPECT_TRUE(read.bytes == movie);
  EXPECT_EQ(ReadFileBytes(dir.Path("in.swf")), movie) << "a separate input stays as it was";
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"in.swf", "out.swf"}));
}

TEST(CompressMovie, SamePathIsReplacedByTheCompressedForm) {
  ScratchDir dir;
  const auto movie = SmallMovie(dir, "m.swf");
  const int32_t size = CompressMovie(dir.Path("m.swf"), dir.Path("m.swf"));
  const auto compressed = ReadFileBytes(dir.Path("m.swf"));
  EXPECT_EQ(static_cast<size_t>(size), compressed.size());
  ExpectCompressedFormOf(movie, compressed);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"m.swf"}));
}

TEST(CompressMovie, VersionByteIsAlwaysSix) {
  ScratchDir dir;
  auto movie = SmallMovie(dir, "m.swf");
  movie[3] = 8;
  WriteFile(dir.Path("m.swf"), movie);
  EXPECT_GT(CompressMovie(dir.Path("m.swf"), dir.Path("m.swf")), 0);
  EXPECT_EQ(ReadFileBytes(dir.Path("m.swf"))[3], 6);
}

TEST(CompressMovie, MissingInputIsReported) {
  ScratchDir dir;
  Diagnostics diagnostics;
  EXPECT_EQ(CompressMovie(dir.Path("none.swf"), dir.Path("out.swf"), diagnostics), -1);
  EXPECT_EQ(diagnostics.Text(), "Couldn't open input file!\n");
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(CompressMovie, OutputInAMissingFolderLeavesTheInputAsItWas) {
  ScratchDir dir;
  const auto movie = SmallMovie(dir, "m.swf");
  Diagnostics diagnostics;
  EXPECT_EQ(CompressMovie(dir.Path("m.swf"), dir.Path("missing/m.swf"), diagnostics), -2);
  EXPECT_EQ(diagnostics.Text(), "Couldn't open output file!\n");
  EXPECT_EQ(ReadFileBytes(dir.Path("m.swf")), movie);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"m.swf"}));
}

TEST(CompressMovie, InputsThatAreNotUncompressedMoviesAreRefusedAndLeftUntouched) {
  const struct {
    const char* what;
    const char* hex;
  } cases[] = {
      {"empty file", ""},
      {"7 bytes of a header", "46 57 53 06 0F 00 00"},
      {"already compressed", "43 57 53 06 52 00 00 00 78 DA 03 00 00 00 00 01"},
      {"not a movie", "89 50 4E 47 0D 0A 1A 0A 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const auto input = FromHex(c.hex);
    WriteFile(dir.Path("in.swf"), input);
    EXPECT_EQ(CompressMovie(dir.Path("in.swf"), dir.Path("in.swf")), -1);
    EXPECT_EQ(CompressMovie(dir.Path("in.swf"), dir.Path("out.swf")), -1);
    EXPECT_EQ(ReadFileBytes(dir.Path("in.swf")), input);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"in.swf"}));
  }
}

TEST(CompressMovie, FailedReplacementLeavesNothingBehind) {
  ScratchDir dir;
  const auto movie = SmallMovie(dir, "m.swf");
  // A non-empty folder where the output should go cannot be replaced by a file.
  std::filesystem::create_directory(dir.Path("out.swf"));
  WriteFile(dir.Path("out.swf/keep"), movie);
  EXPECT_EQ(CompressMovie(dir.Path("m.swf"), dir.Path("out.swf")), -3);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"m.swf", "out.swf"}));
  EXPECT_EQ(ReadFileBytes(dir.Path("m.swf")), movie);
  EXPECT_EQ(ReadFileBytes(dir.Path("out.swf/keep")), movie);
}

TEST(CompressMovie, MoviesLargerThan16MiBRoundTrip) {
  ScratchDir dir;
  constexpr size_t kPayloadBytes = 17 * 1024 * 1024 + 12345;
  std::vector<uint8_t> payload(kPayloadBytes);
  uint32_t state = 1;
  for (size_t i = 0; i < payload.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    // Runs of 64 equal bytes with a random byte every 4 KiB: compresses quickly at level 9.
    payload[i] = static_cast<uint8_t>((i / 64) % 251 + (i % 4096 == 0 ? state >> 24 : 0));
  }
  SwfWriter writer(100, 100, 12, 6);
  ASSERT_TRUE(writer.OpenMovie(dir.Path("big.swf")));
  writer.BeginTag(20);
  writer.WriteBytes(payload);
  writer.EndTag();
  writer.ShowFrame();
  const int32_t length = writer.Finish();
  ASSERT_GT(length, 16 * 1024 * 1024);
  const auto movie = ReadFileBytes(dir.Path("big.swf"));
  Diagnostics diagnostics;
  const int32_t size = CompressMovie(dir.Path("big.swf"), dir.Path("big.swf"), diagnostics);
  const auto compressed = ReadFileBytes(dir.Path("big.swf"));
  EXPECT_EQ(static_cast<size_t>(size), compressed.size());
  ExpectCompressedFormOf(movie, compressed);
  const SwfMovie read = ReadSwf(compressed);
  EXPECT_EQ(read.fileLength, static_cast<uint32_t>(length));
  ASSERT_EQ(read.tags.size(), 3u);
  EXPECT_TRUE(read.tags[0].body == payload);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"big.swf"}));
}

}  // namespace
}  // namespace lumapress::test
