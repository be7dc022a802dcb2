#include "conversion/stage_placement.h"

#include <gtest/gtest.h>

#include <string>

namespace lumapress {
namespace {

struct PlacementCase {
  const char* what;
  uint32_t imageWidth, imageHeight, stageWidth, stageHeight;
  Fit fit;
  SourceArea area;
  uint32_t width, height;
  int32_t x, y;
  bool resample;
};

// 1 / 8191 of a pixel, the thinnest area a cover fit shows.
constexpr double kOneOver8191 = 1.0 / 8191.0;

TEST(StagePlacement, PlacesEachFit) {
  const PlacementCase kCases[] = {
      // none: the image as it is, at the top-left corner, even when larger than the stage.
      {"none, smaller", 800, 600, 1280, 720, Fit::kNone, {0, 0, 800, 600}, 800, 600, 0, 0, false},
      {"none, larger", 4000, 3000, 1280, 720, Fit::kNone, {0, 0, 4000, 3000}, 4000, 3000, 0, 0, false},
      {"none, 1 x 1 on 8191 x 8191", 1, 1, 8191, 8191, Fit::kNone, {0, 0, 1, 1}, 1, 1, 0, 0, false},

      // contain: the whole image, scaled to fit, centred with offsets rounded down.
      {"contain, portrait on landscape", 600, 800, 1280, 720, Fit::kContain, {0, 0, 600, 800}, 540, 720, 370, 0, true},
      {"contain, landscape on portrait", 800, 600, 720, 1280, Fit::kContain, {0, 0, 800, 600}, 720, 540, 0, 370, true},
      {"contain, exact fit", 1280, 720, 1280, 720, Fit::kContain, {0, 0, 1280, 720}, 1280, 720, 0, 0, false},
      {"contain, same shape, smaller", 640, 360, 1280, 720, Fit::kContain, {0, 0, 640, 360}, 1280, 720, 0, 0, true},
      {"contain, 4000 x 3000 photo", 4000, 3000, 1280, 720, Fit::kContain, {0, 0, 4000, 3000}, 960, 720, 160, 0, true},
      {"contain, 33.3 rounds down", 1000, 333, 100, 100, Fit::kContain, {0, 0, 1000, 333}, 100, 33, 0, 33, true},
      {"contain, 33.5 rounds up", 1000, 335, 100, 100, Fit::kContain, {0, 0, 1000, 335}, 100, 34, 0, 33, true},
      {"contain, odd margin rounds down", 100, 100, 101, 50, Fit::kContain, {0, 0, 100, 100}, 50, 50, 25, 0, true},
      {"contain, 1 x 8191 on 8191 x 1", 1, 8191, 8191, 1, Fit::kContain, {0, 0, 1, 8191}, 1, 1, 4095, 0, true},
      {"contain, 8191 x 1 on 1 x 8191", 8191, 1, 1, 8191, Fit::kContain, {0, 0, 8191, 1}, 1, 1, 0, 4095, true},
      {"contain, 8191 x 1 at its own size", 8191, 1, 8191, 8191, Fit::kContain, {0, 0, 8191, 1}, 8191, 1, 0, 4095, false},
      {"contain, 1 x 1 on 8191 x 8191", 1, 1, 8191, 8191, Fit::kContain, {0, 0, 1, 1}, 8191, 8191, 0, 0, true},
      {"contain, 8191 x 8191 on 1 x 1", 8191, 8191, 1, 1, Fit::kContain, {0, 0, 8191, 8191}, 1, 1, 0, 0, true},

      // cover: the stage filled; the image's middle, stage / scale in size, is what shows.
      {"cover, 2:1 on a square", 200, 100, 100, 100, Fit::kCover, {50, 0, 100, 100}, 100, 100, 0, 0, true},
      {"cover, portrait on landscape", 600, 800, 1280, 720, Fit::kCover, {0, 231.25, 600, 337.5}, 1280, 720, 0, 0, true},
      {"cover, landscape on portrait", 800, 600, 720, 1280, Fit::kCover, {231.25, 0, 337.5, 600}, 720, 1280, 0, 0, true},
      {"cover, exact fit", 1280, 720, 1280, 720, Fit::kCover, {0, 0, 1280, 720}, 1280, 720, 0, 0, false},
      {"cover, same shape, larger", 2560, 1440, 1280, 720, Fit::kCover, {0, 0, 2560, 1440}, 1280, 720, 0, 0, true},
      {"cover, 4000 x 3000 photo", 4000, 3000, 1280, 720, Fit::kCover, {0, 375, 4000, 2250}, 1280, 720, 0, 0, true},
      {"cover, 1 x 8191 on 8191 x 1", 1, 8191, 8191, 1, Fit::kCover,
       {0, (8191 - kOneOver8191) / 2, 1, kOneOver8191}, 8191, 1, 0, 0, true},
      {"cover, 1 x 1 on 8191 x 8191", 1, 1, 8191, 8191, Fit::kCover, {0, 0, 1, 1}, 8191, 8191, 0, 0, true},
      {"cover, 8191 x 8191 on 1 x 1", 8191, 8191, 1, 1, Fit::kCover, {0, 0, 8191, 8191}, 1, 1, 0, 0, true},
  };
  for (const PlacementCase& c : kCases) {
    const StagePlacement p = PlaceOnStage(c.imageWidth, c.imageHeight, c.stageWidth, c.stageHeight, c.fit);
    EXPECT_DOUBLE_EQ(p.area.x, c.area.x) << c.what;
    EXPECT_DOUBLE_EQ(p.area.y, c.area.y) << c.what;
    EXPECT_DOUBLE_EQ(p.area.width, c.area.width) << c.what;
    EXPECT_DOUBLE_EQ(p.area.height, c.area.height) << c.what;
    EXPECT_EQ(p.width, c.width) << c.what;
    EXPECT_EQ(p.height, c.height) << c.what;
    EXPECT_EQ(p.x, c.x) << c.what;
    EXPECT_EQ(p.y, c.y) << c.what;
    EXPECT_EQ(p.resample, c.resample) << c.what;
  }
}

// Whatever the sizes, a fitted image lies on the stage and its shown area within the image.
TEST(StagePlacement, FittedImagesStayOnTheStageAndAreasInTheImage) {
  const uint32_t kSides[] = {1, 2, 3, 7, 640, 719, 1280, 4000, 8191};
  for (Fit fit : {Fit::kContain, Fit::kCover}) {
    for (uint32_t iw : kSides) for (uint32_t ih : kSides) for (uint32_t sw : kSides) for (uint32_t sh : kSides) {
      const StagePlacement p = PlaceOnStage(iw, ih, sw, sh, fit);
      const std::string what = std::string(FitName(fit)) + " " + std::to_string(iw) + "x" +
                               std::to_string(ih) + " on " + std::to_string(sw) + "x" + std::to_string(sh);
      ASSERT_GE(p.width, 1u) << what;
      ASSERT_GE(p.height, 1u) << what;
      ASSERT_GE(p.x, 0) << what;
      ASSERT_GE(p.y, 0) << what;
      ASSERT_LE(p.x + p.width, sw) << what;
      ASSERT_LE(p.y + p.height, sh) << what;
      ASSERT_GE(p.area.x, 0.0) << what;
      ASSERT_GE(p.area.y, 0.0) << what;
      ASSERT_GT(p.area.width, 0.0) << what;
      ASSERT_GT(p.area.height, 0.0) << what;
      ASSERT_LE(p.area.x + p.area.width, double(iw)) << what;
      ASSERT_LE(p.area.y + p.area.height, double(ih)) << what;
      ASSERT_EQ(p.resample, p.width != iw || p.height != ih) << what;
      if (fit == Fit::kContain) {
        ASSERT_TRUE(p.width == sw || p.height == sh) << what;
      } else {
        ASSERT_TRUE(p.width == sw && p.height == sh) << what;
      }
    }
  }
}

}  // namespace
}  // namespace lumapress
