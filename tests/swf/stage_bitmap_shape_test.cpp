#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/swf_shape_outline.h"
#include "swf_test_files.h"

namespace lumapress::test {
namespace {

constexpr uint32_t kBitmap = 1;
constexpr uint32_t kColour = 2;

struct StageCase {
  const char* name;
  int32_t stageWidth, stageHeight;
  int32_t x, y, width, height;  // the bitmap on the stage, pixels
};

ShapeOutline WrittenShape(const StageCase& c, uint32_t rgb) {
  const SwfMovie movie = FinishedMovie(c.stageWidth, c.stageHeight, [&](SwfWriter& w) {
    const int32_t bitmapId = w.NewCharacterId();
    const int32_t shapeId =
        w.DefineStageBitmapShape(c.stageWidth, c.stageHeight, c.x, c.y, c.width, c.height, bitmapId, rgb);
    w.PlaceObject(shapeId, 1);
    w.ShowFrame();
  });
  const auto shapes = movie.TagsWithCode(2);
  if (shapes.size() != 1) throw SwfFormatError("expected one DefineShape");
  return ParseShapeOutline(shapes[0]->body);
}

// Sample points: the middle of every stage pixel of a coarse grid, and points half a pixel
// either side of each of the bitmap's edges, where a wrong side of a fill would show.
std::vector<double> Samples(int32_t begin, int32_t end, int32_t stageEnd) {
  std::vector<double> pixels;
  for (int32_t step = 0; step <= 16; ++step) pixels.push_back(stageEnd * step / 16.0);
  for (const int32_t edge : {begin, end}) {
    pixels.push_back(edge - 0.5);
    pixels.push_back(edge + 0.5);
  }
  pixels.push_back(-0.5);
  pixels.push_back(stageEnd + 0.5);
  std::vector<double> twips;
  for (const double pixel : pixels) twips.push_back(pixel * 20 + 0.25);  // never on an edge
  return twips;
}

// Every point of the stage is the bitmap's where the bitmap is and the colour's elsewhere;
// nothing lies outside the stage. Checked from the written edges alone.
TEST(StageBitmapShape, TheBitmapAndTheColourShareTheStageWithoutOverlap) {
  const StageCase cases[] = {
      {"portrait contained in a landscape stage", 320, 240, 100, 0, 120, 240},
      {"landscape contained in a portrait stage", 240, 320, 0, 70, 240, 180},
      {"smaller image at the corner", 320, 240, 0, 0, 100, 50},
      {"smaller image in the middle", 320, 240, 10, 20, 300, 200},
      {"wider than the stage, shorter", 320, 240, 0, 0, 400, 100},
      {"taller than the stage, narrower", 320, 240, 0, 0, 100, 400},
      {"one pixel", 8, 8, 3, 4, 1, 1},
      {"largest stage", 8191, 8191, 1, 8190, 8190, 1},
  };
  for (const StageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ShapeOutline outline = WrittenShape(c, 0x123456);
    EXPECT_EQ(outline.bounds.xMin, 0);
    EXPECT_EQ(outline.bounds.yMin, 0);
    EXPECT_EQ(outline.bounds.xMax, c.stageWidth * 20);
    EXPECT_EQ(outline.bounds.yMax, c.stageHeight * 20);
    ASSERT_EQ(outline.fills.size(), 2u);
    EXPECT_EQ(outline.fills[0].type, 0x41);
    EXPECT_EQ(outline.fills[0].bitmapId, 1);
    EXPECT_EQ(outline.fills[0].matrix.scaleX, 20 * 65536);
    EXPECT_EQ(outline.fills[0].matrix.scaleY, 20 * 65536);
    EXPECT_EQ(outline.fills[0].matrix.translateX, c.x * 20);
    EXPECT_EQ(outline.fills[0].matrix.translateY, c.y * 20);
    EXPECT_EQ(outline.fills[1].type, 0x00);
    EXPECT_EQ(outline.fills[1].rgb, 0x123456u);
    EXPECT_TRUE(EveryFillCloses(outline));
    for (const double x : Samples(c.x, c.x + c.width, c.stageWidth)) {
      for (const double y : Samples(c.y, c.y + c.height, c.stageHeight)) {
        const bool onStage = x > 0 && y > 0 && x < c.stageWidth * 20 && y < c.stageHeight * 20;
        const bool onBitmap = x > c.x * 20 && y > c.y * 20 && x < (c.x + c.width) * 20 && y < (c.y + c.height) * 20;
        const uint32_t expected = !onStage ? 0 : onBitmap ? kBitmap : kColour;
        ASSERT_EQ(FillAt(outline, x, y), expected) << "at (" << x << ", " << y << ") twips";
      }
    }
  }
}

TEST(StageBitmapShape, AnImageCoveringTheStageLeavesNoColour) {
  const ShapeOutline outline = WrittenShape({"cover", 320, 240, 0, 0, 320, 240}, 0xFFFFFF);
  EXPECT_TRUE(EveryFillCloses(outline));
  EXPECT_EQ(outline.edges.size(), 4u);
  for (const OutlineEdge& edge : outline.edges) {
    EXPECT_TRUE((edge.fill0 == kBitmap) != (edge.fill1 == kBitmap));
    EXPECT_NE(edge.fill0, kColour);
    EXPECT_NE(edge.fill1, kColour);
  }
}

}  // namespace
}  // namespace lumapress::test
