#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "conversion_fixture.h"
#include "platform/path_rules.h"
#include "support/byte_patterns.h"
#include "support/hex.h"
#include "support/jpeg_check.h"
#include "support/png_maker.h"
#include "support/swf_bitmaps.h"

namespace lumapress::test {

namespace fs = std::filesystem;

namespace {

// SWF tag codes the converter writes.
constexpr int kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kSetBackground = 9,
              kDoAction = 12, kLossless = 20, kJpeg2 = 21, kRemoveObject2 = 28, kJpeg3 = 35,
              kLossless2 = 36, kDefineSprite = 39;

uint16_t U16(const std::vector<uint8_t>& body, size_t at) { return body[at] | (body[at + 1] << 8); }

// Expected tags of one image: bitmap, shape, [RemoveObject2], PlaceObject, frames.
void AppendImageTags(std::vector<int>& codes, int bitmapCode, bool remove, int frames) {
  codes.push_back(bitmapCode);
  codes.push_back(kDefineShape);
  if (remove) codes.push_back(kRemoveObject2);
  codes.push_back(kPlaceObject);
  codes.insert(codes.end(), frames, kShowFrame);
}

// The premultiplied PixelBuffer32 form of straight RGBA bytes.
std::vector<uint8_t> Premultiplied(const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < rgba.size(); i += 4) {
    const unsigned a = rgba[i + 3];
    out.insert(out.end(), {uint8_t(a), uint8_t(rgba[i] * a >> 8), uint8_t(rgba[i + 1] * a >> 8),
                           uint8_t(rgba[i + 2] * a >> 8)});
  }
  return out;
}

std::vector<uint8_t> OpaqueArgb(const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < rgb.size(); i += 3) out.insert(out.end(), {0, rgb[i], rgb[i + 1], rgb[i + 2]});
  return out;
}

std::vector<uint8_t> PhotoRgb(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      rgb.push_back(uint8_t(x * 255 / std::max(1u, width - 1)));
      rgb.push_back(uint8_t(y * 255 / std::max(1u, height - 1)));
      rgb.push_back(uint8_t(128 + 100 * std::sin((x + 2.0 * y) / 9.0)));
    }
  }
  return rgb;
}

std::vector<uint8_t> AlphaRgba(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgba;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      rgba.insert(rgba.end(), {uint8_t(200 + x % 50), uint8_t(100 + y), 50,
                               uint8_t((x * 7 + y * 13) & 0xFF)});
    }
  }
  return rgba;
}

}  // namespace

std::string ConversionTest::FlatPng(const std::string& name, uint32_t width, uint32_t height,
                                    uint8_t shade) {
  std::vector<uint8_t> rgb;
  for (uint32_t i = 0; i < width * height; ++i) {
    const bool right = i % width >= width / 2;
    rgb.insert(rgb.end(), {shade, uint8_t(right ? 0 : 255), uint8_t(right ? 255 : 0)});
  }
  WriteRgb8Png(Path(name), width, height, rgb);
  return Path(name);
}

std::string ConversionTest::PhotoPng(const std::string& name, uint32_t width, uint32_t height) {
  WriteRgb8Png(Path(name), width, height, PhotoRgb(width, height));
  return Path(name);
}

std::string ConversionTest::AlphaPng(const std::string& name, uint32_t width, uint32_t height) {
  WriteRgba8Png(Path(name), width, height, AlphaRgba(width, height));
  return Path(name);
}

std::vector<int> ConversionTest::TagCodes(const SwfMovie& movie) {
  std::vector<int> codes;
  for (const SwfTag& tag : movie.tags) codes.push_back(tag.code);
  return codes;
}

TEST_F(ConversionTest, SingleMovieHoldsEveryImageInTurn) {
  settings_.outputPath = Path("movie.swf");
  const std::vector<std::string> inputs = {FlatPng("a.png", 32, 24, 1), FlatPng("b.png", 16, 16, 2),
                                           FlatPng("c.png", 8, 8, 3)};
  ASSERT_EQ(Convert(inputs), 0);
  EXPECT_TRUE(user_.messages.empty());

  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  EXPECT_TRUE(movie.compressed);
  EXPECT_EQ(movie.version, 6);
  EXPECT_EQ(movie.fileLength, movie.bytes.size());
  EXPECT_EQ(movie.frameCount, 39);
  EXPECT_EQ(movie.frameRate, 12 << 8);
  EXPECT_EQ(movie.frameSize.xMax, 32 * 20);
  EXPECT_EQ(movie.frameSize.yMax, 24 * 20);
  std::vector<int> expected = {kSetBackground};
  for (int i = 0; i < 3; ++i) AppendImageTags(expected, kLossless, i > 0, 13);
  expected.push_back(kEnd);
  EXPECT_EQ(TagCodes(movie), expected);

  // Ids: bitmap 1, shape 2, bitmap 3, shape 4, ...; each shape shows the bitmap before it.
  const auto bitmaps = movie.TagsWithCode(kLossless);
  const auto shapes = movie.TagsWithCode(kDefineShape);
  const auto places = movie.TagsWithCode(kPlaceObject);
  ASSERT_EQ(bitmaps.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(U16(bitmaps[i]->body, 0), 2 * i + 1);
    const BitmapShape shape = ParseDefineShape(shapes[i]->body);
    EXPECT_EQ(shape.shapeId, 2 * i + 2);
    EXPECT_EQ(shape.bitmapId, 2 * i + 1);
    EXPECT_EQ(U16(places[i]->body, 0), 2 * i + 2);
    EXPECT_EQ(U16(places[i]->body, 2), 1);  // depth
  }
  for (const SwfTag* remove : movie.TagsWithCode(kRemoveObject2)) EXPECT_EQ(U16(remove->body, 0), 1);
}

TEST_F(ConversionTest, BatchModeWritesOneMoviePerImage) {
  settings_.outputPath = Path("out");
  settings_.batchMode = true;
  fs::create_directory(settings_.outputPath);
  const std::vector<std::string> inputs = {FlatPng("a.PNG", 8, 8, 1), FlatPng("b.c.png", 8, 8, 2),
                                           FlatPng("x.png.png", 8, 8, 3)};
  ASSERT_EQ(Convert(inputs), 0);
  EXPECT_TRUE(user_.questions.empty());
  for (const char* name : {"out/a.swf", "out/b.c.swf", "out/x.png.swf"}) {
    const SwfMovie movie = ReadSwfFile(Path(name));
    EXPECT_EQ(movie.frameCount, 13) << name;
    std::vector<int> expected = {kSetBackground};
    AppendImageTags(expected, kLossless, false, 13);  // depth 1 is empty: no RemoveObject2
    expected.push_back(kEnd);
    EXPECT_EQ(TagCodes(movie), expected) << name;
    EXPECT_EQ(U16(movie.TagsWithCode(kLossless)[0]->body, 0), 1) << "ids restart per movie";
  }
  // Only the movies: no temporary files remain.
  EXPECT_EQ(std::distance(fs::directory_iterator(settings_.outputPath), fs::directory_iterator()), 3);
}

// A batch movie's name that was free when the run was planned can be taken by the time the
// movie is done: in a folder that ignores case, A.swf and a.swf are planned as two movies but
// are one file once the first is written (a hard link made during the run stands in for
// such a folder here); or the user saves a file of that name meanwhile. The movie must then
// not replace what is there: the run stops, or with renameCollisions the movie takes the
// next free name as planning would have named it.
TEST_F(ConversionTest, ABatchMovieNeverTakesANameThatWasTakenDuringTheRun) {
  using Take = void (*)(const std::string& firstMovie, const std::string& name);
  const Take linkTheFirstMovie = [](const std::string& firstMovie, const std::string& name) {
    fs::create_hard_link(firstMovie, name);
  };
  const Take saveANote = [](const std::string&, const std::string& name) { std::ofstream(name) << "not a movie"; };
  struct Case {
    const char* what;
    Take take;
    bool rename;
    Status status;
    const char* secondMovie;  // where the second image's movie is, after a successful run
  };
  const Case cases[] = {
      {"taken by the run's first movie", linkTheFirstMovie, false, Status::kOutputCollision, nullptr},
      {"taken by a note", saveANote, false, Status::kOutputNotAMovie, nullptr},
      {"taken by the run's first movie, renaming", linkTheFirstMovie, true, Status::kOk, "b-2.swf"},
      {"taken by a note, renaming", saveANote, true, Status::kOk, "b-2.swf"},
  };
  int folders = 0;
  for (const Case& c : cases) {
    for (const unsigned jobs : {1u, 2u}) {
      SCOPED_TRACE(std::string(c.what) + ", jobs " + std::to_string(jobs));
      const std::string out = Path("out" + std::to_string(++folders));
      fs::create_directory(out);
      settings_.outputPath = out;
      settings_.batchMode = true;
      settings_.jobs = jobs;
      settings_.renameCollisions = c.rename;
      const std::vector<std::string> inputs = {PhotoPng("A.png", 40, 30), FlatPng("b.png", 8, 8, 2)};
      const std::string first = out + "/A.swf", second = out + "/b.swf";
      const bool linked = c.take == linkTheFirstMovie;
      user_ = {};
      std::vector<std::string> reported;
      ASSERT_EQ(Convert(inputs,
                        [&](const ConversionProgress& progress) {
                          if (progress.imagesDone == 1) c.take(first, second);
                          reported.push_back(progress.moviePath);
                          return true;
                        }),
                c.status == Status::kOk ? 0 : -1);
      EXPECT_EQ(result_.status, c.status);
      if (c.status == Status::kOutputCollision) {
        EXPECT_EQ(result_.inputIndex, 1u);
        ASSERT_EQ(user_.messages.size(), 1u);
        EXPECT_NE(user_.messages[0].find(inputs[0]), std::string::npos) << user_.messages[0];
        EXPECT_NE(user_.messages[0].find(inputs[1]), std::string::npos) << user_.messages[0];
      }
      if (!linked) {
        std::ifstream kept(second);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a movie");
      }
      EXPECT_EQ(ReadSwfFile(first).frameSize.xMax, 40 * 20) << "the first movie is still the first image's";
      if (c.secondMovie != nullptr) {
        const std::string renamed = out + "/" + c.secondMovie;
        EXPECT_EQ(ReadSwfFile(renamed).frameSize.xMax, 8 * 20);
        std::vector<std::string> reportedNames;  // the folder is spelt with the system's separator
        for (const std::string& movie : reported) reportedNames.push_back(fs::path(movie).filename().string());
        EXPECT_EQ(reportedNames, (std::vector<std::string>{"A.swf", c.secondMovie}))
            << "progress names the movie's final name";
      }
      const int files = 2 + (c.secondMovie != nullptr);
      EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), files) << "no temporary file";
    }
  }
}

TEST_F(ConversionTest, ASlideShowNeverTakesANameThatWasTakenDuringTheRun) {
  settings_.outputPath = Path("show.swf");
  ASSERT_EQ(Convert({FlatPng("a.png", 8, 8, 1), FlatPng("b.png", 8, 8, 2)},
                    [&](const ConversionProgress& progress) {
                      if (progress.imagesDone == 1) std::ofstream(settings_.outputPath) << "not a movie";
                      return true;
                    }),
            -1);
  EXPECT_EQ(result_.status, Status::kOutputNotAMovie);
  std::ifstream kept(settings_.outputPath);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a movie");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 3)
      << "the images and the note; no temporary file";
}

// Paths as the system spells them: on Windows "-b -o outb pics\\2-shapes.png" writes
// outb\\2-shapes.swf; the folder question is asked for outb.
TEST_F(ConversionTest, BatchNamesJoinWithTheSystemsSeparator) {
  const std::string base = WithTrailingSeparator(folder_.path());
  fs::create_directory(FsPath(base + "pics"));
  const std::string input = WithTrailingSeparator(base + "pics") + "2-shapes.png";
  fs::copy_file(FsPath(FlatPng("source.png", 8, 8, 1)), FsPath(input));
  for (const char* trailing : {"", "/"}) {
    SCOPED_TRACE(std::string("output folder ending in '") + trailing + "'");
    settings_.batchMode = true;
    settings_.outputPath = base + "outb" + trailing;
    std::vector<std::string> movies;
    ASSERT_EQ(Convert({input}, [&](const ConversionProgress& done) {
                movies.push_back(done.moviePath);
                return true;
              }),
              0);
    const std::string expected = WithTrailingSeparator(settings_.outputPath) + "2-shapes.swf";
    EXPECT_EQ(movies, std::vector<std::string>{expected});
    EXPECT_EQ(ReadSwfFile(movies.at(0)).frameCount, 13);
  }
  EXPECT_EQ(user_.questions.size(), 1u) << "asked once, for the folder that was missing";
}

TEST_F(ConversionTest, ControlFileAddsLoaderSpriteAndImageCount) {
  settings_.outputPath = Path("movie.swf");
  settings_.controlFilePath = "c.swf";
  std::vector<std::string> inputs;
  for (int i = 0; i < 5; ++i) inputs.push_back(FlatPng("i" + std::to_string(i) + ".png", 4, 4, uint8_t(i)));
  ASSERT_EQ(Convert(inputs), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  std::vector<int> expected = {kSetBackground, kDefineSprite, kPlaceObject, kDoAction};
  for (int i = 0; i < 5; ++i) AppendImageTags(expected, kLossless, i > 0, 13);
  expected.push_back(kEnd);
  EXPECT_EQ(TagCodes(movie), expected);
  EXPECT_EQ(movie.frameCount, 65);
  EXPECT_EQ(U16(movie.tags[1].body, 0), 1);  // sprite id 1
  EXPECT_EQ(U16(movie.tags[2].body, 0), 1);
  EXPECT_EQ(U16(movie.tags[2].body, 2), 65535);
  EXPECT_EQ(ParseDoAction(movie.tags[3].body).pushedStrings, (std::vector<std::string>{"numfiles", "5"}));
  EXPECT_EQ(U16(movie.TagsWithCode(kLossless)[0]->body, 0), 2);

  settings_.batchMode = true;
  settings_.outputPath = Path("batch");
  ASSERT_EQ(Convert({inputs[0], inputs[1]}), 0);
  for (const char* name : {"batch/i0.swf", "batch/i1.swf"}) {
    const SwfMovie one = ReadSwfFile(Path(name));
    EXPECT_EQ(ParseDoAction(one.tags[3].body).pushedStrings, (std::vector<std::string>{"numfiles", "1"}));
  }
}

TEST_F(ConversionTest, FrameCountFollowsDelayAndRate) {
  settings_.outputPath = Path("movie.swf");
  settings_.delaySeconds = 1.0f;
  settings_.framesPerSecond = 254.9f;
  ASSERT_EQ(Convert({FlatPng("a.png", 2, 2, 0)}), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  EXPECT_EQ(movie.frameRate, 254 << 8) << "the header holds the rate's whole part";
  EXPECT_EQ(movie.frameCount, 255) << "the frames follow the unrounded rate";
  EXPECT_EQ(movie.TagsWithCode(kShowFrame).size(), 255u);
}

// --- Bitmap forms

TEST_F(ConversionTest, OpaqueEightBitFewColoursUseColourTable) {
  settings_.outputPath = Path("m.swf");
  const std::string input = FlatPng("a.png", 101, 3, 9);
  ASSERT_EQ(Convert({input}), 0);
  const SwfBitmap bitmap = ParseBitmapTag(*ReadSwfFile(settings_.outputPath).TagsWithCode(kLossless)[0]);
  EXPECT_EQ(bitmap.format, 3);
  EXPECT_EQ(bitmap.bitmapWidth, 104);
  EXPECT_EQ(bitmap.colorTableSize, 256);
  EXPECT_EQ(bitmap.data.size(), 768u + 104 * 3);
  std::vector<uint8_t> rgb;
  for (uint32_t i = 0; i < 101 * 3; ++i) {
    const bool right = i % 101 >= 50;
    rgb.insert(rgb.end(), {9, uint8_t(right ? 0 : 255), uint8_t(right ? 255 : 0)});
  }
  EXPECT_EQ(LosslessPixels(bitmap, 101, 3), OpaqueArgb(rgb));
}

TEST_F(ConversionTest, ManyColoursAtEightBitsStayPixelExactInFormat5) {
  settings_.outputPath = Path("m.swf");
  ASSERT_EQ(Convert({PhotoPng("p.png", 64, 40)}), 0);
  const SwfBitmap bitmap = ParseBitmapTag(*ReadSwfFile(settings_.outputPath).TagsWithCode(kLossless)[0]);
  EXPECT_EQ(bitmap.format, 5);
  EXPECT_EQ(bitmap.bitmapWidth, 64);
  EXPECT_EQ(LosslessPixels(bitmap, 64, 40), OpaqueArgb(PhotoRgb(64, 40)));
}

TEST_F(ConversionTest, SixteenBitOpaqueUsesFormat5) {
  settings_.outputPath = Path("m.swf");
  TestPng png = PatternPng(kRgb, 16, 9, 5);
  WritePngFile(Path("d.png"), png);
  ASSERT_EQ(Convert({Path("d.png")}), 0);
  const SwfBitmap bitmap = ParseBitmapTag(*ReadSwfFile(settings_.outputPath).TagsWithCode(kLossless)[0]);
  EXPECT_EQ(bitmap.format, 5);
  std::vector<uint8_t> rgb;
  for (uint16_t sample : png.samples) rgb.push_back(uint8_t(sample >> 8));
  EXPECT_EQ(LosslessPixels(bitmap, 9, 5), OpaqueArgb(rgb));
}

TEST_F(ConversionTest, AlphaLosslessIsPremultipliedAndExact) {
  settings_.outputPath = Path("m.swf");
  ASSERT_EQ(Convert({AlphaPng("a.png", 30, 20)}), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  ASSERT_EQ(movie.TagsWithCode(kLossless2).size(), 1u);
  const SwfBitmap bitmap = ParseBitmapTag(*movie.TagsWithCode(kLossless2)[0]);
  EXPECT_EQ(bitmap.format, 5);
  EXPECT_EQ(LosslessPixels(bitmap, 30, 20), Premultiplied(AlphaRgba(30, 20)));
}

TEST_F(ConversionTest, OpaqueJpegDecodesCloseToTheSource) {
  settings_.outputPath = Path("m.swf");
  settings_.jpegQuality = 90;
  ASSERT_EQ(Convert({PhotoPng("p.png", 48, 32)}), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  ASSERT_EQ(movie.TagsWithCode(kJpeg2).size(), 1u);
  const SwfBitmap bitmap = ParseBitmapTag(*movie.TagsWithCode(kJpeg2)[0]);
  ASSERT_GE(bitmap.imageData.size(), 10u);
  EXPECT_EQ(ToHex(std::span(bitmap.imageData).first(6)), "FF D9 FF D8 FF D8");
  EXPECT_EQ(ToHex(std::span(bitmap.imageData).last(4)), "FF D9 FF D9");
  const DecodedJpeg jpeg = DecodeJpeg(JpegStream(bitmap.imageData));
  ASSERT_TRUE(jpeg.ok) << jpeg.error;
  EXPECT_EQ(jpeg.width, 48);
  EXPECT_EQ(jpeg.height, 32);
  EXPECT_GT(Psnr(jpeg.pixels, PhotoRgb(48, 32)), 30.0);
}

TEST_F(ConversionTest, AlphaJpegKeepsAlphaPlaneExact) {
  settings_.outputPath = Path("m.swf");
  settings_.jpegQuality = 85;
  ASSERT_EQ(Convert({AlphaPng("a.png", 40, 24)}), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  ASSERT_EQ(movie.TagsWithCode(kJpeg3).size(), 1u);
  const SwfBitmap bitmap = ParseBitmapTag(*movie.TagsWithCode(kJpeg3)[0]);
  EXPECT_EQ(bitmap.alphaDataOffset, bitmap.imageData.size());
  const std::vector<uint8_t> rgba = AlphaRgba(40, 24);
  std::vector<uint8_t> alpha, colour;
  const std::vector<uint8_t> argb = Premultiplied(rgba);
  for (size_t i = 0; i < argb.size(); i += 4) {
    alpha.push_back(argb[i]);
    colour.insert(colour.end(), {argb[i + 1], argb[i + 2], argb[i + 3]});
  }
  EXPECT_EQ(bitmap.data, alpha);
  const DecodedJpeg jpeg = DecodeJpeg(JpegStream(bitmap.imageData));
  ASSERT_TRUE(jpeg.ok) << jpeg.error;
  EXPECT_GT(Psnr(jpeg.pixels, colour), 28.0);  // the JPEG holds the premultiplied colour
}

TEST_F(ConversionTest, TinyImagesConvertAtEveryJpegQuality) {
  for (int quality : {0, 1, 50, 99}) {
    for (uint32_t side : {1u, 12u}) {
      settings_.outputPath = Path("tiny.swf");
      settings_.jpegQuality = quality;
      ASSERT_EQ(Convert({PhotoPng("t.png", side, side)}), 0) << quality << " " << side;
      const SwfMovie movie = ReadSwfFile(settings_.outputPath);
      ASSERT_EQ(movie.TagsWithCode(kJpeg2).size(), 1u);
      const DecodedJpeg jpeg =
          DecodeJpeg(JpegStream(ParseBitmapTag(*movie.TagsWithCode(kJpeg2)[0]).imageData));
      EXPECT_EQ(jpeg.width, int(side));
    }
  }
  EXPECT_TRUE(user_.messages.empty());
}

TEST_F(ConversionTest, LongEdgesBeyondOneEdgeRecordConvert) {
  settings_.outputPath = Path("wide.swf");
  ASSERT_EQ(Convert({FlatPng("w.png", 3300, 2, 5)}), 0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  const BitmapShape shape = ParseDefineShape(movie.TagsWithCode(kDefineShape)[0]->body);
  int64_t left = 0;
  for (const ShapeEdge& edge : shape.edges) left += edge.dx < 0 ? edge.dx : 0;
  EXPECT_EQ(left, -3300 * 20);
  EXPECT_EQ(shape.bounds.xMax, 3300 * 20);
}

// --- Compression: lossless data exact, every stream whole, compressed data not deflated twice

TEST_F(ConversionTest, LosslessBitmapsStayExactAndPrecompressedDataIsStored) {
  settings_.outputPath = Path("m.swf");
  const std::vector<uint8_t> noise = NoiseBytes(300 * 200 * 3, 1),
                             noiseAlpha = NoiseBytes(90 * 70 * 4, 2);
  WriteRgb8Png(Path("noise.png"), 300, 200, noise);
  WriteRgba8Png(Path("alpha.png"), 90, 70, noiseAlpha);
  const TestPng deep = PatternPng(kRgb, 16, 120, 80, 3);
  WritePngFile(Path("deep.png"), deep);
  ASSERT_EQ(Convert({Path("noise.png"), FlatPng("flat.png", 640, 480, 9), Path("deep.png"),
                     Path("alpha.png"), AlphaPng("soft.png", 300, 200)}),
            0);
  const std::vector<uint8_t> file = ReadFileBytes(settings_.outputPath);
  ASSERT_GE(file.size(), 10u);
  EXPECT_EQ(ToHex(std::span(file).first(3)), "43 57 53");
  EXPECT_EQ(ToHex(std::span(file).subspan(8, 2)), "78 DA");
  // One zlib stream to the end of the file: inflating checks its Adler-32 and what follows.
  const SwfMovie movie = ReadSwf(file);
  EXPECT_EQ(movie.trailingBytes, 0u);
  std::vector<SwfBitmap> bitmaps;
  for (const SwfTag& tag : movie.tags) {
    if (tag.code == kLossless || tag.code == kLossless2)
      bitmaps.push_back(ParseBitmapTag(tag));  // inflates
  }
  ASSERT_EQ(bitmaps.size(), 5u);
  std::vector<uint8_t> deepRgb;
  for (uint16_t sample : deep.samples) deepRgb.push_back(uint8_t(sample >> 8));
  std::vector<uint8_t> flatRgb;
  for (uint32_t i = 0; i < 640 * 480; ++i) {
    const bool right = i % 640 >= 320;
    flatRgb.insert(flatRgb.end(), {9, uint8_t(right ? 0 : 255), uint8_t(right ? 255 : 0)});
  }
  EXPECT_EQ(LosslessPixels(bitmaps[0], 300, 200), OpaqueArgb(noise));
  EXPECT_EQ(bitmaps[1].format, 3);
  EXPECT_EQ(LosslessPixels(bitmaps[1], 640, 480), OpaqueArgb(flatRgb));
  EXPECT_EQ(LosslessPixels(bitmaps[2], 120, 80), OpaqueArgb(deepRgb));
  EXPECT_EQ(LosslessPixels(bitmaps[3], 90, 70), Premultiplied(noiseAlpha));
  EXPECT_EQ(LosslessPixels(bitmaps[4], 300, 200), Premultiplied(AlphaRgba(300, 200)));
  // The noise bitmap's stream went into the movie's stream as stored blocks of up to 65535
  // bytes: a piece of it is in the file as it is.
  ASSERT_GT(bitmaps[0].zlibData.size(), 60000u);
  EXPECT_TRUE(ContainsBytes(file, std::span(bitmaps[0].zlibData).subspan(100, 60000)));
  // The flat image's stream is deflated again, so it is not in the file as it is.
  ASSERT_GT(bitmaps[1].zlibData.size(), 40u);
  EXPECT_FALSE(ContainsBytes(file, std::span(bitmaps[1].zlibData).subspan(2, 30)));
}

TEST_F(ConversionTest, JpegScanDataIsStoredAndAlphaPlanesStayExact) {
  settings_.outputPath = Path("m.swf");
  settings_.jpegQuality = 80;
  const std::vector<uint8_t> noise = NoiseBytes(320 * 240 * 4, 4);
  WriteRgba8Png(Path("alpha.png"), 320, 240, noise);
  WriteRgb8Png(Path("noise.png"), 320, 240, std::span(noise).first(320 * 240 * 3));
  ASSERT_EQ(Convert({Path("noise.png"), Path("alpha.png")}), 0);
  const std::vector<uint8_t> file = ReadFileBytes(settings_.outputPath);
  const SwfMovie movie = ReadSwf(file);
  EXPECT_EQ(movie.trailingBytes, 0u);
  ASSERT_EQ(movie.TagsWithCode(kJpeg2).size(), 1u);
  ASSERT_EQ(movie.TagsWithCode(kJpeg3).size(), 1u);
  const SwfBitmap jpeg = ParseBitmapTag(*movie.TagsWithCode(kJpeg2)[0]);
  // The scan data, up to the closing FF D9 of the image data, is in the file as it is.
  ASSERT_GT(jpeg.imageData.size(), 31000u);
  EXPECT_TRUE(ContainsBytes(file, std::span(jpeg.imageData).last(30002).first(30000)));
  const SwfBitmap withAlpha = ParseBitmapTag(*movie.TagsWithCode(kJpeg3)[0]);
  std::vector<uint8_t> alpha;
  for (size_t i = 3; i < noise.size(); i += 4) alpha.push_back(noise[i]);
  EXPECT_EQ(withAlpha.data, alpha);
  EXPECT_TRUE(DecodeJpeg(JpegStream(withAlpha.imageData)).ok);
}

TEST_F(ConversionTest, SmallestKeepsEveryPixelInNoLargerMovies) {
  const std::vector<std::string> inputs = {PhotoPng("p.png", 400, 300),
                                           AlphaPng("a.png", 200, 150)};
  settings_.outputPath = Path("default.swf");
  ASSERT_EQ(Convert(inputs), 0);
  settings_.smallest = true;
  settings_.outputPath = Path("smallest.swf");
  ASSERT_EQ(Convert(inputs), 0);
  const SwfMovie fast = ReadSwfFile(Path("default.swf")), small = ReadSwfFile(Path("smallest.swf"));
  ASSERT_EQ(fast.tags.size(), small.tags.size());
  for (size_t i = 0; i < fast.tags.size(); ++i) {
    const int code = fast.tags[i].code;
    if (code != kLossless && code != kLossless2) {
      EXPECT_TRUE(fast.tags[i].body == small.tags[i].body) << "tag " << i;
      continue;
    }
    EXPECT_EQ(ParseBitmapTag(fast.tags[i]).data, ParseBitmapTag(small.tags[i]).data) << "tag " << i;
  }
  EXPECT_LE(ReadFileBytes(Path("smallest.swf")).size(), ReadFileBytes(Path("default.swf")).size());
}

// --- Byte identity across job counts

TEST_F(ConversionTest, JobCountDoesNotChangeTheFiles) {
  const std::vector<std::string> inputs = {PhotoPng("a.png", 40, 30), AlphaPng("b.png", 20, 20),
                                           FlatPng("c.png", 10, 10, 7), PhotoPng("d.png", 7, 5)};
  for (int quality : {75, 100}) {
    settings_.jpegQuality = quality;
    settings_.jobs = 1;
    settings_.outputPath = Path("one.swf");
    ASSERT_EQ(Convert(inputs), 0);
    settings_.jobs = 3;
    settings_.outputPath = Path("three.swf");
    ASSERT_EQ(Convert(inputs), 0);
    EXPECT_EQ(ReadFileBytes(Path("one.swf")), ReadFileBytes(Path("three.swf")));

    settings_.batchMode = true;
    settings_.jobs = 1;
    settings_.outputPath = Path("b1");
    ASSERT_EQ(Convert(inputs), 0);
    settings_.jobs = 3;
    settings_.outputPath = Path("b3");
    ASSERT_EQ(Convert(inputs), 0);
    for (const char* name : {"a.swf", "b.swf", "c.swf", "d.swf"}) {
      EXPECT_EQ(ReadFileBytes(Path("b1/") + name), ReadFileBytes(Path("b3/") + name)) << name;
    }
    settings_.batchMode = false;
  }
}

}  // namespace lumapress::test
