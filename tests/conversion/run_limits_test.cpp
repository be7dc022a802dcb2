// What a run refuses to write because a field or a limit cannot hold it, and what it leaves
// behind when it stops.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>

#include "conversion/movie_steps.h"
#include "conversion_fixture.h"
#include "support/folder_snapshot.h"
#include "support/png_maker.h"
#include "support/swf_bitmaps.h"

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kDefineBitsLossless = 20;

// The colour-mapped form pads rows to a multiple of 4 above the width; BitmapWidth is a UI16.
TEST_F(ConversionTest, ColourMappedRowsThatWouldPassBitmapWidthTakeFormat5) {
  const struct {
    uint32_t width;
    int format;
    uint16_t bitmapWidth;
  } cases[] = {{65531, 3, 65532}, {65532, 5, 65532}, {65533, 5, 65533}, {65535, 5, 65535}};
  settings_.outputPath = Path("m.swf");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    ASSERT_EQ(Convert({FlatPng("wide.png", c.width, 2, 9)}), 0) << result_.message;
    const SwfMovie movie = ReadSwfFile(settings_.outputPath);
    const SwfBitmap bitmap = ParseBitmapTag(*movie.TagsWithCode(kDefineBitsLossless).at(0));
    EXPECT_EQ(bitmap.format, c.format);
    EXPECT_EQ(bitmap.bitmapWidth, c.bitmapWidth);
    EXPECT_EQ(bitmap.bitmapHeight, 2);
    const std::vector<uint8_t> pixels = LosslessPixels(bitmap, c.width, 2);
    const size_t last = (size_t{c.width} * 2 - 1) * 4;
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4), (std::vector<uint8_t>{0, 9, 255, 0}));
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin() + last, pixels.begin() + last + 4),
              (std::vector<uint8_t>{0, 9, 0, 255}));
  }
}

// A PNG of `width` x `height` whose image data is cut short: only decoding finds out.
std::vector<uint8_t> CutPng(int colorType, uint32_t width, uint32_t height) {
  std::vector<uint8_t> png = EncodePng(PatternPng(colorType, 8, width, height));
  png.resize(FindChunk(png, "IDAT") + 20);
  return png;
}

// The limit is checked from the header, before a row is decoded: a damaged body over the limit
// is "too large", not "cannot decode".
TEST_F(ConversionTest, ImagesOverThePixelLimitAreRefusedFromTheirHeader) {
  const struct {
    const char* what;
    std::vector<uint8_t> png;
    uint64_t maxPixels;
    Status status;
  } cases[] = {
      {"RGB at the limit", EncodePng(PatternPng(kRgb, 8, 100, 100)), 10000, Status::kOk},
      {"RGB over the limit", EncodePng(PatternPng(kRgb, 8, 100, 100)), 9999, Status::kImageTooLarge},
      {"RGBA over the limit", EncodePng(PatternPng(kRgba, 8, 100, 100)), 9999, Status::kImageTooLarge},
      {"gray over the limit", EncodePng(PatternPng(kGray, 8, 100, 100)), 5000, Status::kImageTooLarge},
      {"damaged body over the limit", CutPng(kRgb, 100, 100), 9999, Status::kImageTooLarge},
      {"damaged body within the limit", CutPng(kRgb, 100, 100), 10000, Status::kCannotDecode},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(Path("in.png"), c.png);
    fs::remove(Path("m.swf"));
    settings_.outputPath = Path("m.swf");
    settings_.maxPixels = c.maxPixels;
    const FolderSnapshot before = SnapshotFolder(folder_.path());
    Convert({Path("in.png")});
    EXPECT_EQ(result_.status, c.status);
    if (c.status == Status::kImageTooLarge) {
      EXPECT_EQ(result_.message, "Image " + Path("in.png") + " is too large! (100 x 100 pixels = 10000; the limit is " +
                                     std::to_string(c.maxPixels) + " pixels)");
    }
    if (c.status != Status::kOk) {
      EXPECT_EQ(SnapshotFolder(folder_.path()), before);
    }
  }
}

TEST(PixelLimit, TheDefaultIs8192By8192) { EXPECT_EQ(kDefaultMaxPixels, uint64_t{8192} * 8192); }

// FileLength: a movie is refused as soon as the bytes it must still take cannot fit.
TEST(MovieLength, BytesThatCannotFitAreKnownBeforeTheyAreWritten) {
  constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max();
  const struct {
    int64_t written;
    uint64_t more;
    int64_t limit;
    bool fits;
  } cases[] = {
      {0, 0, 10, true},   {8, 0, 10, true},  {9, 0, 10, false},  {0, 8, 10, true},
      {0, 9, 10, false},  {11, 0, 10, false}, {-1, 0, 10, false}, {0, kHuge, 10, false},
      {kMaxMovieBytes - 2, 0, kMaxMovieBytes, true}, {kMaxMovieBytes - 1, 0, kMaxMovieBytes, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MovieFits(c.written, c.more, c.limit), c.fits) << c.written << " + " << c.more << " of " << c.limit;
  }
  PreparedBitmap bitmap;
  bitmap.tag.body.resize(100);
  EXPECT_EQ(CertainImageBytes(bitmap, 13), 6u + 2u + 100u + 13u * 2u);  // header, id, body, ShowFrames
  EXPECT_EQ(kMaxMovieBytes, int64_t{2147483647});
}

struct FolderCase {
  const char* what;
  bool batch;
  const char* output;
  std::vector<const char*> inputs;
  bool cancelAfterFirst;
  std::vector<const char*> left;  // folders and movies expected afterwards, under "kept"
};

// Folders a run created are removed when it then fails and they are still empty; folders that
// hold a finished movie, or that were there before, stay.
TEST_F(ConversionTest, FoldersCreatedForARunThatStopsAreRemovedWhenEmpty) {
  FlatPng("a.png", 4, 4, 1);
  WriteFileBytes(Path("cut.png"), CutPng(kRgb, 40, 40));
  const FolderCase cases[] = {
      {"single movie, second input missing", false, "kept/new/deeper/m.swf", {"a.png", "missing.png"}, false, {}},
      {"single movie, cancelled", false, "kept/new/m.swf", {"a.png", "a.png"}, true, {}},
      {"batch, first image undecodable", true, "kept/new/deeper", {"cut.png"}, false, {}},
      {"batch, cancelled after a movie", true, "kept/new", {"a.png", "cut.png"}, true, {"new", "new/a.swf"}},
      {"batch, failing after a movie", true, "kept/new", {"a.png", "cut.png"}, false, {"new", "new/a.swf"}},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("kept"));
    fs::create_directory(Path("kept"));
    settings_.batchMode = c.batch;
    settings_.outputPath = Path(c.output);
    std::vector<std::string> inputs;
    for (const char* input : c.inputs) inputs.push_back(Path(input));
    EXPECT_EQ(Convert(inputs, [&](const ConversionProgress&) { return !c.cancelAfterFirst; }), -1);
    EXPECT_EQ(user_.questions.size(), 1u);
    user_.questions.clear();
    FolderSnapshot left = SnapshotFolder(Path("kept"));
    std::vector<std::string> names;
    for (const auto& [name, what] : left) names.push_back(name);
    EXPECT_EQ(names, std::vector<std::string>(c.left.begin(), c.left.end()));
  }
}

}  // namespace
}  // namespace lumapress::test
