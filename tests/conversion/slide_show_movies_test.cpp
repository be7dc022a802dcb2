#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "conversion/stage_placement.h"
#include "platform/file_system.h"
#include "conversion_fixture.h"
#include "support/files.h"
#include "support/png_maker.h"
#include "support/swf_bitmaps.h"
#include "support/swf_shape_outline.h"
#include "support/swf_timeline.h"

// Slide shows on a chosen stage: fitted images, cross-fades, each image's own display time,
// stopping at the end; and batch movies with a stage. The movies are played with the test
// reader's display list, so depths, placements and alpha are checked frame by frame.
namespace lumapress::test {
namespace {

constexpr int kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kSetBackground = 9,
              kDoAction = 12, kLossless = 20, kPlaceObject2 = 26, kRemoveObject2 = 28;
constexpr int32_t kTwips = 20;

struct Rgb {
  uint8_t red, green, blue;
};

// An image of one colour.
std::vector<uint8_t> Plain(uint32_t width, uint32_t height, Rgb color) {
  std::vector<uint8_t> rgb;
  for (uint32_t i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {color.red, color.green, color.blue});
  return rgb;
}

// Vertical bands of colour, each `bandWidth` pixels wide, in the order given.
std::vector<uint8_t> Bands(uint32_t bandWidth, uint32_t height, const std::vector<Rgb>& colors) {
  const uint32_t width = bandWidth * static_cast<uint32_t>(colors.size());
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const Rgb& color = colors[x / bandWidth];
      rgb.insert(rgb.end(), {color.red, color.green, color.blue});
    }
  }
  return rgb;
}

// The shape ids of a movie's images, in the order they come.
std::vector<uint16_t> ShapeIds(const SwfMovie& movie) {
  std::vector<uint16_t> ids;
  for (const SwfTag* shape : movie.TagsWithCode(kDefineShape)) {
    ids.push_back(static_cast<uint16_t>(shape->body.at(0) | shape->body.at(1) << 8));  // ShapeId
  }
  return ids;
}

DisplayedCharacter Shown(uint16_t shapeId, int32_t alphaMult = 256, int32_t x = 0, int32_t y = 0) {
  DisplayedCharacter shown;
  shown.characterId = shapeId;
  shown.alphaMult = alphaMult;
  shown.translateX = x;
  shown.translateY = y;
  return shown;
}

// The alpha multiplier of frame k of an F-frame fade, worked out in floating point: k / F of
// full opacity (256), to the nearest step.
int32_t ExpectedFadeAlpha(uint32_t k, uint32_t fadeFrames) {
  return static_cast<int32_t>(std::lround(256.0 * k / fadeFrames));
}

class SlideShowMovies : public ConversionTest {
 protected:
  std::string PlainPng(const std::string& name, uint32_t width, uint32_t height, Rgb color) {
    WriteRgb8Png(Path(name), width, height, Plain(width, height, color));
    return Path(name);
  }

  SwfMovie MakeShow(const std::vector<std::string>& inputs) {
    settings_.outputPath = Path("show.swf");
    EXPECT_EQ(Convert(inputs), 0) << result_.message;
    return ReadSwfFile(settings_.outputPath);
  }

  std::vector<std::string> ThreeImages() {
    return {PlainPng("a.png", 40, 30, {255, 0, 0}), PlainPng("b.png", 40, 30, {0, 255, 0}),
            PlainPng("c.png", 40, 30, {0, 0, 255})};
  }
};

// The image on depth 1 alone, frame after frame, except while the next one fades in above it
// on depth 2 during the first frames of its own display time.
TEST_F(SlideShowMovies, CrossFadeRaisesTheIncomingImagesAlphaAboveTheOutgoingOne) {
  settings_.delaySeconds = 1.0f;
  settings_.framesPerSecond = 12.0f;
  settings_.fadeSeconds = 0.5f;
  const SwfMovie movie = MakeShow(ThreeImages());
  const uint32_t frames = FramesForImage(1.0f, 12.0f);
  const uint32_t fade = FramesForFade(0.5f, 12.0f);
  ASSERT_EQ(frames, 13u);
  ASSERT_GE(fade, 6u);
  ASSERT_LT(fade, frames);
  EXPECT_EQ(movie.frameCount, 3 * frames);  // the show's length stays that without fades

  const std::vector<uint16_t> shapes = ShapeIds(movie);
  ASSERT_EQ(shapes.size(), 3u);
  const std::vector<SwfFrame> played = PlayTimeline(movie);
  ASSERT_EQ(played.size(), 3 * frames);
  for (uint32_t image = 0; image < 3; ++image) {
    for (uint32_t k = 1; k <= frames; ++k) {
      std::map<uint16_t, DisplayedCharacter> expected;
      if (image > 0 && k < fade) {
        expected[1] = Shown(shapes[image - 1]);
        expected[2] = Shown(shapes[image], ExpectedFadeAlpha(k, fade));
      } else {
        expected[1] = Shown(shapes[image]);
      }
      const SwfFrame& frame = played[image * frames + k - 1];
      EXPECT_EQ(frame.depths, expected) << "image " << image << ", frame " << k;
      EXPECT_FALSE(frame.stops);
    }
  }
  // The alpha rises strictly and stays below opaque until the image settles on depth 1.
  for (uint32_t k = 2; k < fade; ++k) {
    EXPECT_GT(played[frames + k - 1].depths.at(2).alphaMult, played[frames + k - 2].depths.at(2).alphaMult);
  }
  EXPECT_LT(played[frames + fade - 2].depths.at(2).alphaMult, 256);

  // The tags of the second image: a new placement on depth 2, moves that change only the colour
  // transform, both depths cleared and the image placed on depth 1 in the fade's last frame.
  std::vector<int> expected = {kLossless, kDefineShape, kPlaceObject2, kShowFrame};
  for (uint32_t k = 2; k < fade; ++k) expected.insert(expected.end(), {kPlaceObject2, kShowFrame});
  expected.insert(expected.end(), {kRemoveObject2, kRemoveObject2, kPlaceObject});
  expected.insert(expected.end(), frames - fade + 1, kShowFrame);
  const std::vector<int> codes = TagCodes(movie);
  const size_t firstImageTags = 1 + 3 + frames;  // background; bitmap, shape, PlaceObject; frames
  ASSERT_GE(codes.size(), firstImageTags + expected.size());
  EXPECT_EQ(std::vector<int>(codes.begin() + firstImageTags, codes.begin() + firstImageTags + expected.size()),
            expected);
  const auto placements = movie.TagsWithCode(kPlaceObject2);
  ASSERT_EQ(placements.size(), 2 * (fade - 1));
  for (size_t i = 0; i < placements.size(); ++i) {
    const SwfPlacement placement = ParsePlacement(*placements[i]);
    const bool first = i % (fade - 1) == 0;
    EXPECT_EQ(placement.depth, 2);
    EXPECT_EQ(placement.move, !first);
    EXPECT_EQ(placement.hasCharacter, first);
    EXPECT_FALSE(placement.hasMatrix);  // the images fill the stage: no offset
    EXPECT_TRUE(placement.hasColorTransform);
    EXPECT_FALSE(placement.colorTransform.hasAddTerms);
    EXPECT_EQ(placement.trailingBytes, 0u);
  }
  // Depths never grow: every removal is of depth 1 or 2.
  for (const SwfTag* remove : movie.TagsWithCode(kRemoveObject2)) {
    const int depth = remove->body[0] | remove->body[1] << 8;
    EXPECT_TRUE(depth == 1 || depth == 2) << depth;
  }
}

TEST_F(SlideShowMovies, FadeInStartsTheFirstImageFromTheBackground) {
  settings_.framesPerSecond = 10.0f;
  settings_.fadeSeconds = 0.3f;
  settings_.fadeIn = true;
  const std::vector<std::string> images = ThreeImages();
  const SwfMovie movie = MakeShow({images[0], images[1]});
  const uint32_t fade = FramesForFade(0.3f, 10.0f);
  ASSERT_GE(fade, 3u);
  const std::vector<uint16_t> shapes = ShapeIds(movie);
  const std::vector<SwfFrame> played = PlayTimeline(movie);
  for (uint32_t k = 1; k < fade; ++k) {
    const std::map<uint16_t, DisplayedCharacter> expected = {{2, Shown(shapes[0], ExpectedFadeAlpha(k, fade))}};
    EXPECT_EQ(played[k - 1].depths, expected) << "frame " << k;
  }
  EXPECT_EQ(played[fade - 1].depths, (std::map<uint16_t, DisplayedCharacter>{{1, Shown(shapes[0])}}));
  // The first image removes nothing: there is nothing below it.
  const std::vector<int> codes = TagCodes(movie);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kRemoveObject2), 1 + 2);
}

// A fade as long as the display time: the image settles in its last frame.
TEST_F(SlideShowMovies, FadeAsLongAsTheDisplayTimeFillsIt) {
  settings_.delaySeconds = 0.5f;
  settings_.framesPerSecond = 8.0f;
  settings_.fadeSeconds = 0.5f;
  const std::vector<std::string> images = ThreeImages();
  const SwfMovie movie = MakeShow({images[0], images[1]});
  const uint32_t frames = FramesForImage(0.5f, 8.0f);
  ASSERT_EQ(FramesForFade(0.5f, 8.0f), frames);
  const std::vector<uint16_t> shapes = ShapeIds(movie);
  const std::vector<SwfFrame> played = PlayTimeline(movie);
  ASSERT_EQ(played.size(), 2 * frames);
  for (uint32_t k = 1; k < frames; ++k) EXPECT_EQ(played[frames + k - 1].depths.size(), 2u);
  EXPECT_EQ(played.back().depths, (std::map<uint16_t, DisplayedCharacter>{{1, Shown(shapes[1])}}));
}

// A fade of one frame has no step between the two images: the movie is that of a cut, byte
// for byte.
TEST_F(SlideShowMovies, AFadeOfOneFrameIsACut) {
  settings_.framesPerSecond = 12.0f;
  ASSERT_EQ(FramesForFade(0.05f, 12.0f), 1u);
  const std::vector<std::string> images = ThreeImages();
  settings_.outputPath = Path("cut.swf");
  ASSERT_EQ(Convert(images), 0) << result_.message;
  settings_.fadeSeconds = 0.05f;
  settings_.outputPath = Path("fade.swf");
  ASSERT_EQ(Convert(images), 0) << result_.message;
  EXPECT_EQ(ReadFileBytes(Path("fade.swf")), ReadFileBytes(Path("cut.swf")));
}

// An image that leaves part of the stage free fades in together with the background colour
// around it, so the image before fades out everywhere instead of staying visible around the
// new one until the fade ends. Images shown without a fade keep their plain shape.
TEST_F(SlideShowMovies, AFadingImageBringsTheBackgroundAroundIt) {
  settings_.stageWidth = 80;
  settings_.stageHeight = 60;
  settings_.fit = Fit::kContain;
  settings_.backgroundColor = 0x204060;
  settings_.framesPerSecond = 10.0f;
  settings_.fadeSeconds = 0.4f;
  const std::vector<std::string> images = {PlainPng("wide.png", 80, 60, {255, 0, 0}),
                                           PlainPng("portrait.png", 40, 60, {0, 255, 0}),
                                           PlainPng("landscape.png", 80, 30, {0, 0, 255})};
  for (const bool fadeIn : {false, true}) {
    SCOPED_TRACE(fadeIn ? "with fade-in" : "without fade-in");
    settings_.fadeIn = fadeIn;
    const SwfMovie movie = MakeShow(images);
    const auto shapes = movie.TagsWithCode(kDefineShape);
    ASSERT_EQ(shapes.size(), 3u);
    // The first image covers the stage: its plain shape, faded in or not.
    EXPECT_EQ(ParseDefineShape(shapes[0]->body).edges.size(), 4u);
    // The others: one shape of the stage's size, the bitmap at its place and the colour around.
    const struct {
      size_t image;
      int32_t x, y, width, height;  // pixels
    } fading[] = {{1, 20, 0, 40, 60}, {2, 0, 15, 80, 30}};
    for (const auto& f : fading) {
      SCOPED_TRACE(testing::Message() << "image " << f.image);
      const ShapeOutline outline = ParseShapeOutline(shapes[f.image]->body);
      EXPECT_EQ(outline.bounds.xMax, 80 * kTwips);
      EXPECT_EQ(outline.bounds.yMax, 60 * kTwips);
      ASSERT_EQ(outline.fills.size(), 2u);
      EXPECT_EQ(outline.fills[0].matrix.translateX, f.x * kTwips);
      EXPECT_EQ(outline.fills[0].matrix.translateY, f.y * kTwips);
      EXPECT_EQ(outline.fills[1].rgb, 0x204060u);
      EXPECT_TRUE(EveryFillCloses(outline));
      for (int32_t y = 0; y < 60; y += 5) {
        for (int32_t x = 0; x < 80; x += 5) {
          const bool inImage = x >= f.x && x < f.x + f.width && y >= f.y && y < f.y + f.height;
          EXPECT_EQ(FillAt(outline, (x + 0.5) * kTwips, (y + 0.5) * kTwips), inImage ? 1u : 2u)
              << "at pixel (" << x << ", " << y << ")";
        }
      }
    }
    // The shape holds the place, so no placement moves it.
    for (const SwfTag* placement : movie.TagsWithCode(kPlaceObject2)) EXPECT_FALSE(ParsePlacement(*placement).hasMatrix);
    for (const SwfFrame& frame : PlayTimeline(movie)) {
      for (const auto& [depth, shown] : frame.depths) {
        EXPECT_EQ(shown.translateX, 0);
        EXPECT_EQ(shown.translateY, 0);
      }
    }
  }
  // Without a fade the contained images keep their own shapes, moved to their place.
  settings_.fadeSeconds = 0.0f;
  settings_.fadeIn = false;
  const SwfMovie cut = MakeShow(images);
  const auto shapes = cut.TagsWithCode(kDefineShape);
  ASSERT_EQ(shapes.size(), 3u);
  for (const SwfTag* shape : shapes) EXPECT_EQ(ParseDefineShape(shape->body).edges.size(), 4u);
}

TEST_F(SlideShowMovies, EachImageKeepsItsOwnDisplayTime) {
  settings_.delaySeconds = 1.0f;
  settings_.framesPerSecond = 10.0f;
  settings_.imageDelays = {2.0f, std::nullopt, 0.25f};
  settings_.jobs = 2;
  std::vector<uint32_t> reported;
  settings_.outputPath = Path("show.swf");
  ASSERT_EQ(Convert(ThreeImages(),
                    [&](const ConversionProgress& progress) {
                      reported.push_back(progress.frames);
                      return true;
                    }),
            0);
  const SwfMovie movie = ReadSwfFile(settings_.outputPath);
  // The frame-count rule for each time: 2 s and 1 s at 10 fps take one frame more than their
  // share (the accumulator stops short), 0.25 s three frames.
  const std::vector<uint32_t> frames = {FramesForImage(2.0f, 10.0f), FramesForImage(1.0f, 10.0f),
                                        FramesForImage(0.25f, 10.0f)};
  EXPECT_EQ(reported, frames);
  EXPECT_EQ(movie.frameCount, frames[0] + frames[1] + frames[2]);
  const std::vector<uint16_t> shapes = ShapeIds(movie);
  const std::vector<SwfFrame> played = PlayTimeline(movie);
  ASSERT_EQ(played.size(), movie.frameCount);
  size_t frame = 0;
  for (size_t image = 0; image < 3; ++image) {
    for (uint32_t k = 0; k < frames[image]; ++k, ++frame) {
      EXPECT_EQ(played[frame].depths, (std::map<uint16_t, DisplayedCharacter>{{1, Shown(shapes[image])}}))
          << "frame " << frame;
    }
  }
}

TEST_F(SlideShowMovies, NoLoopStopsInTheLastFrameOnly) {
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "loop" : "no loop");
    settings_.loop = loop;
    settings_.fadeSeconds = 0.0f;
    const SwfMovie movie = MakeShow(ThreeImages());
    const std::vector<SwfFrame> played = PlayTimeline(movie);
    ASSERT_FALSE(played.empty());
    for (size_t frame = 0; frame + 1 < played.size(); ++frame) EXPECT_FALSE(played[frame].stops) << frame;
    EXPECT_EQ(played.back().stops, !loop);
    EXPECT_EQ(movie.TagsWithCode(kDoAction).size(), loop ? 0u : 1u);
    if (!loop) {
      const DoActionContents stop = ParseDoAction(movie.TagsWithCode(kDoAction)[0]->body);
      ASSERT_EQ(stop.actions.size(), 1u);
      EXPECT_EQ(stop.actions[0].code, 0x07);  // ActionStop
      EXPECT_TRUE(stop.ended);
      // The stop comes right before the last ShowFrame.
      const std::vector<int> codes = TagCodes(movie);
      EXPECT_EQ(std::vector<int>(codes.end() - 3, codes.end()), (std::vector<int>{kDoAction, kShowFrame, kEnd}));
    }
    std::filesystem::remove(FsPath(settings_.outputPath));
  }
}

// What a player shows of one image of a fitted show: where, how large, and its pixels.
struct FittedImage {
  uint16_t bitmapWidth = 0;
  uint16_t bitmapHeight = 0;
  int32_t x = 0;  // twips
  int32_t y = 0;
  std::vector<uint8_t> argb;  // 0, R, G, B per pixel
};

std::vector<FittedImage> FittedImages(const SwfMovie& movie) {
  std::vector<FittedImage> images;
  const auto bitmaps = movie.TagsWithCode(kLossless);
  const auto shapes = movie.TagsWithCode(kDefineShape);
  const auto places = movie.TagsWithCode(kPlaceObject);
  EXPECT_EQ(bitmaps.size(), places.size());
  for (size_t i = 0; i < bitmaps.size() && i < places.size(); ++i) {
    const SwfBitmap bitmap = ParseBitmapTag(*bitmaps[i]);
    const BitmapShape shape = ParseDefineShape(shapes[i]->body);
    const SwfPlacement place = ParsePlacement(*places[i]);
    FittedImage image;
    image.bitmapHeight = bitmap.bitmapHeight;
    // The shape states the shown width (a colour-mapped bitmap pads its rows).
    image.bitmapWidth = static_cast<uint16_t>(shape.bounds.xMax / kTwips);
    EXPECT_EQ(shape.bounds.yMax, bitmap.bitmapHeight * kTwips);
    image.x = place.matrix.translateX;
    image.y = place.matrix.translateY;
    image.argb = LosslessPixels(bitmap, image.bitmapWidth, image.bitmapHeight);
    images.push_back(std::move(image));
  }
  return images;
}

// Every pixel within `tolerance` of `color`.
void ExpectAll(const FittedImage& image, Rgb color, int tolerance, const std::string& what) {
  int worst = 0;
  for (size_t i = 0; i < image.argb.size(); i += 4) {
    worst = std::max({worst, std::abs(image.argb[i + 1] - color.red), std::abs(image.argb[i + 2] - color.green),
                      std::abs(image.argb[i + 3] - color.blue)});
  }
  EXPECT_LE(worst, tolerance) << what;
}

// Contain keeps each image whole, centred, one side filling the stage; cover fills the stage
// with the image's centre. Sizes and offsets are checked against the placement rule and
// against what the rule promises on its own; the pixels of plain images stay their colour.
TEST_F(SlideShowMovies, FittedImagesAreResampledToTheirPlaceOnTheStage) {
  struct Case {
    uint32_t width, height;
  };
  const std::vector<Case> cases = {{32, 32}, {100, 40}, {48, 64}, {64, 48}, {7, 3}};
  const Rgb color = {30, 140, 220};
  std::vector<std::string> inputs;
  for (size_t i = 0; i < cases.size(); ++i) {
    inputs.push_back(PlainPng("in" + std::to_string(i) + ".png", cases[i].width, cases[i].height, color));
  }
  for (const Fit fit : {Fit::kContain, Fit::kCover}) {
    SCOPED_TRACE(std::string(FitName(fit)));
    settings_.stageWidth = 64;
    settings_.stageHeight = 48;
    settings_.fit = fit;
    settings_.backgroundColor = 0x123456;
    settings_.jobs = 2;
    const SwfMovie movie = MakeShow(inputs);
    EXPECT_EQ(movie.frameSize.xMax, 64 * kTwips);
    EXPECT_EQ(movie.frameSize.yMax, 48 * kTwips);
    const auto background = movie.TagsWithCode(kSetBackground);
    ASSERT_EQ(background.size(), 1u);
    EXPECT_EQ(background[0]->body, (std::vector<uint8_t>{0x12, 0x34, 0x56}));

    const std::vector<FittedImage> shown = FittedImages(movie);
    ASSERT_EQ(shown.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
      SCOPED_TRACE("image " + std::to_string(i));
      const FittedImage& image = shown[i];
      const StagePlacement placement = PlaceOnStage(cases[i].width, cases[i].height, 64, 48, fit);
      EXPECT_EQ(image.bitmapWidth, placement.width);
      EXPECT_EQ(image.bitmapHeight, placement.height);
      EXPECT_EQ(image.x, placement.x * kTwips);
      EXPECT_EQ(image.y, placement.y * kTwips);
      if (fit == Fit::kCover) {
        EXPECT_EQ(image.bitmapWidth, 64);
        EXPECT_EQ(image.bitmapHeight, 48);
        EXPECT_EQ(image.x, 0);
        EXPECT_EQ(image.y, 0);
      } else {
        // Inside the stage, one side filling it, centred to the pixel, the shape kept within
        // a pixel's rounding.
        EXPECT_TRUE(image.bitmapWidth == 64 || image.bitmapHeight == 48);
        EXPECT_LE(image.bitmapWidth, 64);
        EXPECT_LE(image.bitmapHeight, 48);
        EXPECT_LE(std::abs(2 * image.x / kTwips + image.bitmapWidth - 64), 1);
        EXPECT_LE(std::abs(2 * image.y / kTwips + image.bitmapHeight - 48), 1);
        const double scale = std::min(64.0 / cases[i].width, 48.0 / cases[i].height);
        EXPECT_LE(std::abs(image.bitmapWidth - cases[i].width * scale), 1.0);
        EXPECT_LE(std::abs(image.bitmapHeight - cases[i].height * scale), 1.0);
      }
      ExpectAll(image, color, 1, "a plain image stays plain");
    }
    std::filesystem::remove(FsPath(settings_.outputPath));
  }
}

// Cover keeps the image's centre: of red, green and blue bands only the green one is left.
// Contain keeps the whole: the left and right thirds keep their colours.
TEST_F(SlideShowMovies, CoverCropsToTheCentreAndContainKeepsTheWhole) {
  const std::vector<Rgb> bands = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const Rgb red = bands[0], green = bands[1], blue = bands[2];
  WriteRgb8Png(Path("wide.png"), 200, 40, Bands(40, 40, {red, green, green, green, blue}));
  WriteRgb8Png(Path("bands.png"), 120, 40, Bands(40, 40, bands));
  settings_.stageWidth = 48;
  settings_.stageHeight = 48;
  settings_.fit = Fit::kCover;
  // Scaled by 1.2 the centre 40 x 40 (columns 80-119) fills the stage: green only, 40 source
  // pixels from the other bands, beyond the reach of any resampling kernel.
  std::vector<FittedImage> shown = FittedImages(MakeShow({Path("wide.png")}));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].bitmapWidth, 48);
  EXPECT_EQ(shown[0].bitmapHeight, 48);
  ExpectAll(shown[0], green, 1, "cover");

  std::filesystem::remove(FsPath(settings_.outputPath));
  settings_.fit = Fit::kContain;
  shown = FittedImages(MakeShow({Path("bands.png")}));
  ASSERT_EQ(shown.size(), 1u);
  ASSERT_EQ(shown[0].bitmapWidth, 48);
  ASSERT_EQ(shown[0].bitmapHeight, 16);
  EXPECT_EQ(shown[0].y, 16 * kTwips);
  // Columns well inside each band (16 pixels wide after scaling by 0.4) keep its colour.
  for (uint32_t band = 0; band < 3; ++band) {
    for (uint32_t y = 0; y < 16; ++y) {
      for (uint32_t x = band * 16 + 5; x < band * 16 + 11; ++x) {
        const uint8_t* pixel = &shown[0].argb[(y * 48 + x) * 4];
        EXPECT_LE(std::abs(pixel[1] - bands[band].red), 2) << x << "," << y;
        EXPECT_LE(std::abs(pixel[2] - bands[band].green), 2) << x << "," << y;
        EXPECT_LE(std::abs(pixel[3] - bands[band].blue), 2) << x << "," << y;
      }
    }
  }
}

// An independent resampling for the check below: for each output pixel, a direct sum over the
// two-dimensional Lanczos-3 window (widened by the scale factor when shrinking) in double
// precision, source coordinates clamped to the edge, opaque RGB only.
std::vector<uint8_t> ReferenceRgb(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height,
                                  const StagePlacement& placement) {
  const auto sinc = [](double x) { return x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x); };
  const auto lanczos3 = [&](double x) { return std::abs(x) < 3.0 ? sinc(x) * sinc(x / 3.0) : 0.0; };
  const double scaleX = placement.area.width / placement.width, scaleY = placement.area.height / placement.height;
  const double stretchX = std::max(1.0, scaleX), stretchY = std::max(1.0, scaleY);
  std::vector<uint8_t> out;
  for (uint32_t oy = 0; oy < placement.height; ++oy) {
    const double cy = placement.area.y + (oy + 0.5) * scaleY - 0.5;
    for (uint32_t ox = 0; ox < placement.width; ++ox) {
      const double cx = placement.area.x + (ox + 0.5) * scaleX - 0.5;
      double sum[3] = {0, 0, 0}, total = 0;
      for (int sy = int(std::floor(cy - 3 * stretchY)); sy <= int(std::ceil(cy + 3 * stretchY)); ++sy) {
        for (int sx = int(std::floor(cx - 3 * stretchX)); sx <= int(std::ceil(cx + 3 * stretchX)); ++sx) {
          const double weight = lanczos3((sx - cx) / stretchX) * lanczos3((sy - cy) / stretchY);
          const size_t row = size_t(std::clamp(sy, 0, int(height) - 1));
          const size_t at = (row * width + size_t(std::clamp(sx, 0, int(width) - 1))) * 3;
          for (int c = 0; c < 3; ++c) sum[c] += weight * rgb[at + c];
          total += weight;
        }
      }
      out.push_back(0);
      for (const double value : sum) out.push_back(uint8_t(std::floor(std::clamp(value / total, 0.0, 255.0) + 0.5)));
    }
  }
  return out;
}

// A smooth photo-like image through a whole show: the stored bitmap is the resampled image,
// within one level of the independent sum, for shrinking and enlarging, contain and cover.
TEST_F(SlideShowMovies, StoredBitmapsMatchAnIndependentResampling) {
  constexpr uint32_t kWidth = 90, kHeight = 50;
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      rgb.insert(rgb.end(), {uint8_t(x * 255 / (kWidth - 1)), uint8_t(y * 255 / (kHeight - 1)),
                             uint8_t(128 + 100 * std::sin((x + 2.0 * y) / 9.0))});
    }
  }
  WriteRgb8Png(Path("photo.png"), kWidth, kHeight, rgb);
  struct Case {
    uint32_t stageWidth, stageHeight;
    Fit fit;
  };
  for (const Case& c : {Case{64, 48, Fit::kContain}, Case{64, 48, Fit::kCover}, Case{160, 120, Fit::kContain},
                        Case{160, 120, Fit::kCover}}) {
    SCOPED_TRACE(std::to_string(c.stageWidth) + " " + std::string(FitName(c.fit)));
    settings_.stageWidth = c.stageWidth;
    settings_.stageHeight = c.stageHeight;
    settings_.fit = c.fit;
    const std::vector<FittedImage> shown = FittedImages(MakeShow({Path("photo.png")}));
    ASSERT_EQ(shown.size(), 1u);
    const StagePlacement placement = PlaceOnStage(kWidth, kHeight, c.stageWidth, c.stageHeight, c.fit);
    ASSERT_TRUE(placement.resample);
    ASSERT_EQ(shown[0].bitmapWidth, placement.width);
    ASSERT_EQ(shown[0].bitmapHeight, placement.height);
    const std::vector<uint8_t> expected = ReferenceRgb(rgb, kWidth, kHeight, placement);
    ASSERT_EQ(shown[0].argb.size(), expected.size());
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(shown[0].argb[i] - expected[i]));
    EXPECT_LE(worst, 1);
    std::filesystem::remove(FsPath(settings_.outputPath));
  }
}

// Without a stage the first image's size is the stage, and later images are fitted to it
// even while several are prepared at once.
TEST_F(SlideShowMovies, WithoutAStageTheFirstImageSetsIt) {
  settings_.fit = Fit::kCover;
  settings_.jobs = 3;
  const Rgb color = {200, 100, 50};
  const SwfMovie movie = MakeShow({PlainPng("first.png", 40, 30, color), PlainPng("wide.png", 160, 30, color),
                                   PlainPng("small.png", 8, 8, color), PlainPng("tall.png", 10, 90, color)});
  EXPECT_EQ(movie.frameSize.xMax, 40 * kTwips);
  EXPECT_EQ(movie.frameSize.yMax, 30 * kTwips);
  for (const FittedImage& image : FittedImages(movie)) {
    EXPECT_EQ(image.bitmapWidth, 40);
    EXPECT_EQ(image.bitmapHeight, 30);
    ExpectAll(image, color, 1, "plain");
  }
}

// The images waiting for the first one's size are released when it cannot be read.
TEST_F(SlideShowMovies, AnUnreadableFirstImageStopsAFittedShow) {
  settings_.fit = Fit::kContain;
  settings_.jobs = 3;
  WriteFileBytes(Path("text.png"), std::vector<uint8_t>(100, 'x'));
  const Rgb color = {1, 2, 3};
  const std::vector<std::string> rest = {PlainPng("b.png", 20, 20, color), PlainPng("c.png", 30, 20, color),
                                         PlainPng("d.png", 20, 30, color)};
  for (const std::string& first : {Path("missing.png"), Path("text.png")}) {
    SCOPED_TRACE(first);
    std::vector<std::string> inputs = {first};
    inputs.insert(inputs.end(), rest.begin(), rest.end());
    settings_.outputPath = Path("show.swf");
    EXPECT_EQ(Convert(inputs), -1);
    EXPECT_EQ(user_.inputIndexes.back(), 0u);
    EXPECT_FALSE(PathExists(settings_.outputPath));
  }
}

// With a stage and no fit, images keep their own size at the top-left corner.
TEST_F(SlideShowMovies, AStageWithoutFitKeepsTheImagesAsTheyAre) {
  settings_.stageWidth = 50;
  settings_.stageHeight = 20;
  const SwfMovie movie = MakeShow(ThreeImages());
  EXPECT_EQ(movie.frameSize.xMax, 50 * kTwips);
  EXPECT_EQ(movie.frameSize.yMax, 20 * kTwips);
  for (const FittedImage& image : FittedImages(movie)) {
    EXPECT_EQ(image.bitmapWidth, 40);
    EXPECT_EQ(image.bitmapHeight, 30);
    EXPECT_EQ(image.x, 0);
    EXPECT_EQ(image.y, 0);
  }
}

TEST_F(SlideShowMovies, BatchMoviesTakeTheStageFitAndBackground) {
  const Rgb color = {10, 20, 30};
  const std::vector<std::string> inputs = {PlainPng("wide.png", 100, 40, color), PlainPng("tall.png", 30, 90, color)};
  settings_.batchMode = true;
  settings_.outputPath = Path("out");
  settings_.stageWidth = 60;
  settings_.stageHeight = 60;
  settings_.fit = Fit::kContain;
  settings_.backgroundColor = 0x000000;
  settings_.jobs = 2;
  ASSERT_EQ(Convert(inputs), 0) << result_.message;
  for (const std::string name : {"wide.swf", "tall.swf"}) {
    SCOPED_TRACE(name);
    const SwfMovie movie = ReadSwfFile(Path("out/") + name);
    EXPECT_EQ(movie.frameSize.xMax, 60 * kTwips);
    EXPECT_EQ(movie.frameSize.yMax, 60 * kTwips);
    EXPECT_EQ(movie.TagsWithCode(kSetBackground)[0]->body, (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_TRUE(movie.TagsWithCode(kRemoveObject2).empty());
    EXPECT_TRUE(movie.TagsWithCode(kDoAction).empty());
    const std::vector<FittedImage> shown = FittedImages(movie);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].bitmapWidth == 60 || shown[0].bitmapHeight == 60);
    EXPECT_TRUE(shown[0].x > 0 || shown[0].y > 0);
    ExpectAll(shown[0], color, 1, "plain");
  }
}

// Settings the run refuses leave nothing behind.
TEST_F(SlideShowMovies, RefusedSettingsWriteNothing) {
  struct Case {
    const char* what;
    ConversionSettings settings;
    Status status;
  };
  ConversionSettings longFade;
  longFade.delaySeconds = 1.0f;
  longFade.imageDelays = {std::nullopt, 0.5f, std::nullopt};
  longFade.fadeSeconds = 0.75f;
  ConversionSettings batchFade;
  batchFade.batchMode = true;
  batchFade.fadeSeconds = 0.5f;
  ConversionSettings batchNoLoop;
  batchNoLoop.batchMode = true;
  batchNoLoop.loop = false;
  ConversionSettings badStage;
  badStage.stageWidth = 9000;
  badStage.stageHeight = 10;
  ConversionSettings tooManyFrames;
  tooManyFrames.framesPerSecond = 255.0f;
  tooManyFrames.imageDelays = {100.0f, 100.0f, 100.0f};
  const std::vector<Case> cases = {{"fade longer than an image", longFade, Status::kFadeTooLong},
                                   {"fade in batch mode", batchFade, Status::kSlideShowOnly},
                                   {"no loop in batch mode", batchNoLoop, Status::kSlideShowOnly},
                                   {"stage too wide", badStage, Status::kStageOutOfRange},
                                   {"frames beyond the header's count", tooManyFrames, Status::kTooManyFrames}};
  const std::vector<std::string> inputs = ThreeImages();
  const std::vector<std::string> before = FolderEntries(folder_.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings_ = c.settings;
    settings_.outputPath = c.settings.batchMode ? Path("out") : Path("show.swf");
    EXPECT_EQ(Convert(inputs), -1);
    EXPECT_EQ(result_.status, c.status);
    EXPECT_FALSE(result_.message.empty());
    EXPECT_EQ(FolderEntries(folder_.path()), before);
  }
  EXPECT_EQ(cases[0].status, Status::kFadeTooLong);
  EXPECT_EQ(user_.inputIndexes.front(), 1u);  // the fade names the shorter image
}

}  // namespace
}  // namespace lumapress::test
