#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "support/swf_timeline.h"
#include "swf_test_files.h"

namespace lumapress::test {
namespace {

TEST(SwfDisplayListTags, TagBytes) {
  const ByteCase<SwfWriter> cases[] = {
      {"white background", [](SwfWriter& w) { w.SetBackgroundColor(255, 255, 255); },
       "43 02 FF FF FF"},
      {"background keeps the low 8 bits", [](SwfWriter& w) { w.SetBackgroundColor(0x112, 0x34, -1); },
       "43 02 12 34 FF"},
      {"PlaceObject(2, 1)", [](SwfWriter& w) { w.PlaceObject(2, 1); }, "05 01 02 00 01 00 00"},
      {"PlaceObject(1, 65535)", [](SwfWriter& w) { w.PlaceObject(1, 65535); },
       "05 01 01 00 FF FF 00"},
      {"PlaceObject(2, 1) at the origin", [](SwfWriter& w) { w.PlaceObject(2, 1, 0, 0); },
       "05 01 02 00 01 00 00"},
      {"PlaceObject(3, 1) moved by (200, -100) twips", [](SwfWriter& w) { w.PlaceObject(3, 1, 200, -100); },
       "08 01 03 00 01 00 12 C8 CE 00"},
      {"PlaceObject2 of character 3 on depth 2 at half opacity",
       [](SwfWriter& w) {
         PlaceObject2Fields fields;
         fields.depth = 2;
         fields.characterId = 3;
         fields.hasColorTransform = true;
         fields.colorTransform = ColorTransform::Alpha(128);
         w.PlaceObject2(fields);
       },
       "8B 06 0A 02 00 03 00 69 00 40 10 02 00"},
      {"PlaceObject2 moving depth 2 to a quarter opacity",
       [](SwfWriter& w) {
         PlaceObject2Fields fields;
         fields.depth = 2;
         fields.move = true;
         fields.hasColorTransform = true;
         fields.colorTransform = ColorTransform::Alpha(64);
         w.PlaceObject2(fields);
       },
       "89 06 09 02 00 69 00 40 10 01 00"},
      {"PlaceObject2 of character 5 on depth 1 moved by (200, -100) twips",
       [](SwfWriter& w) {
         PlaceObject2Fields fields;
         fields.depth = 1;
         fields.characterId = 5;
         fields.hasMatrix = true;
         fields.translateX = 200;
         fields.translateY = -100;
         w.PlaceObject2(fields);
       },
       "89 06 06 01 00 05 00 12 C8 CE 00"},
      {"colour transform without terms", [](SwfWriter& w) { w.WriteColorTransformWithAlpha({}); }, "00"},
      {"colour transform adding -1 to red",
       [](SwfWriter& w) {
         ColorTransform darker;
         darker.redAdd = -1;
         w.WriteColorTransformWithAlpha(darker);
       },
       "8B 00"},
      {"RemoveDepth(1)", [](SwfWriter& w) { w.RemoveDepth(1); }, "02 07 01 00"},
      {"ShowFrame", [](SwfWriter& w) { w.ShowFrame(); }, "40 00"},
      {"DefineBitmapShape(320, 240, 1) as shape 2",
       [](SwfWriter& w) {
         w.NewCharacterId();
         EXPECT_EQ(w.DefineBitmapShape(320, 240, 1), 2);
       },
       "A8 00 02 00 70 00 0C 80 00 00 96 00 01 41 01 00 D9 40 00 05 00 00 00 00 10 0D CC 80 25 81 "
       "F0 9C 03 C6 D4 0F 06 40 3C 52 C0 00"},
      {"DefineBitmapShape(100, 50, 1) as shape 2",
       [](SwfWriter& w) {
         w.NewCharacterId();
         EXPECT_EQ(w.DefineBitmapShape(100, 50, 1), 2);
       },
       "A5 00 02 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 00 00 10 0D 8F A0 7D 1E 88 "
       "30 E5 83 1D 0F A1 CA FA 00"},
      {"numfiles block for 3 images",
       [](SwfWriter& w) {
         w.BeginDoAction();
         EXPECT_TRUE(w.ActionPushString("numfiles"));
         EXPECT_TRUE(w.ActionPushString("3"));
         w.ActionSetVariable();
         w.EndDoAction();
       },
       "3F 03 15 00 00 00 96 0A 00 00 6E 75 6D 66 69 6C 65 73 00 96 03 00 00 33 00 1D 00"},
      {"push of an empty string", [](SwfWriter& w) { EXPECT_TRUE(w.ActionPushString("")); },
       "96 02 00 00 00"},
      {"SetVariable", [](SwfWriter& w) { w.ActionSetVariable(); }, "1D"},
      {"DoAction of ActionStop",
       [](SwfWriter& w) {
         w.BeginDoAction();
         w.ActionStop();
         w.EndDoAction();
       },
       "3F 03 02 00 00 00 07 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(BytesAfterHeader(c.write)), Hex(c.expectedHex));
  }
}

TEST(SwfDisplayListTags, PushOfAStringTooLongForItsLengthIsRefused) {
  const std::string longest(SwfWriter::kMaxPushStringBytes, 'a');
  const auto fits = BytesAfterHeader([&](SwfWriter& w) { EXPECT_TRUE(w.ActionPushString(longest)); });
  ASSERT_EQ(fits.size(), longest.size() + 5);
  EXPECT_EQ(ToHex(std::span(fits).first(4)), "96 FF FF 00");
  const auto refused = BytesAfterHeader(
      [&](SwfWriter& w) { EXPECT_FALSE(w.ActionPushString(longest + "b")); });
  EXPECT_TRUE(refused.empty());
}

// Follows the outline from its start and checks it turns at the rectangle's four corners, in
// the order bottom-right, bottom-left, top-left, top-right, and returns to the start.
void ExpectRectangleOutline(const BitmapShape& shape, int32_t w, int32_t h) {
  ASSERT_TRUE(shape.moveTo);
  EXPECT_EQ(shape.moveX, w);
  EXPECT_EQ(shape.moveY, h);
  std::pair<int64_t, int64_t> at{shape.moveX, shape.moveY};
  std::vector<std::pair<int64_t, int64_t>> corners;
  std::pair<int, int> direction{0, 0};
  for (const ShapeEdge& edge : shape.edges) {
    EXPECT_LE(edge.numBits, 17);
    EXPECT_TRUE(edge.dx == 0 || edge.dy == 0) << "rectangle edges are axis-aligned";
    const std::pair<int, int> heading{(edge.dx > 0) - (edge.dx < 0), (edge.dy > 0) - (edge.dy < 0)};
    if (heading != direction && direction != std::pair{0, 0}) corners.push_back(at);
    direction = heading;
    at.first += edge.dx;
    at.second += edge.dy;
  }
  corners.push_back(at);
  const std::vector<std::pair<int64_t, int64_t>> expected = {{0, h}, {0, 0}, {w, 0}, {w, h}};
  EXPECT_EQ(corners, expected);
}

TEST(SwfDisplayListTags, LargeBitmapShapesReadBackAsClosedRectangles) {
  const struct {
    int32_t width, height;
    bool longForm;
  } cases[] = {{320, 240, false}, {3276, 3276, false}, {4000, 4000, false},
               {4000, 100, false}, {65535, 65535, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const SwfMovie movie = FinishedMovie(c.width, c.height, [&](SwfWriter& w) {
      w.SetBackgroundColor(255, 255, 255);
      const int32_t bitmapId = w.NewCharacterId();
      const int32_t shapeId = w.DefineBitmapShape(c.width, c.height, bitmapId);
      w.PlaceObject(shapeId, 1);
      w.ShowFrame();
    });
    const auto shapes = movie.TagsWithCode(2);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->longForm, c.longForm);
    const BitmapShape shape = ParseDefineShape(shapes[0]->body);
    const int32_t w = c.width * 20, h = c.height * 20;
    EXPECT_EQ(shape.shapeId, 2);
    EXPECT_EQ(shape.bounds.xMin, 0);
    EXPECT_EQ(shape.bounds.xMax, w);
    EXPECT_EQ(shape.bounds.yMin, 0);
    EXPECT_EQ(shape.bounds.yMax, h);
    EXPECT_EQ(shape.fillStyleType, 0x41);
    EXPECT_EQ(shape.bitmapId, 1);
    EXPECT_EQ(shape.bitmapMatrix.scaleX, 20 * 65536);
    EXPECT_EQ(shape.bitmapMatrix.scaleY, 20 * 65536);
    EXPECT_FALSE(shape.bitmapMatrix.hasRotate);
    EXPECT_EQ(shape.bitmapMatrix.translateBits, 0);
    EXPECT_EQ(shape.numFillBits, 1);
    EXPECT_EQ(shape.numLineBits, 0);
    EXPECT_EQ(shape.styleChanges, 1);
    EXPECT_EQ(shape.fillStyle0, 1u);
    EXPECT_EQ(shape.trailingBytes, 0u);
    ExpectRectangleOutline(shape, w, h);
    EXPECT_EQ(movie.frameCount, 1);
    EXPECT_EQ(movie.fileLength, movie.bytes.size());
  }
}

TEST(SwfDisplayListTags, NumfilesActionReadsBack) {
  const SwfMovie movie = FinishedMovie(10, 10, [](SwfWriter& w) {
    w.BeginDoAction();
    w.ActionPushString("numfiles");
    w.ActionPushString("12");
    w.ActionSetVariable();
    w.EndDoAction();
  });
  const auto actions = movie.TagsWithCode(12);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_TRUE(actions[0]->longForm);
  const DoActionContents contents = ParseDoAction(actions[0]->body);
  EXPECT_EQ(contents.pushedStrings, (std::vector<std::string>{"numfiles", "12"}));
  ASSERT_EQ(contents.actions.size(), 3u);
  EXPECT_EQ(contents.actions[2].code, 0x1D);
  EXPECT_TRUE(contents.ended);
  EXPECT_EQ(contents.trailingBytes, 0u);
}

// A fade's display list as a player sees it: placements with translations and alpha, a move
// that changes only the alpha, removals, and a stop in the last frame.
TEST(SwfDisplayListTags, PlacementsAndStopPlayBack) {
  const SwfMovie movie = FinishedMovie(10, 10, [](SwfWriter& w) {
    const int32_t first = w.DefineBitmapShape(10, 10, w.NewCharacterId());
    const int32_t second = w.DefineBitmapShape(10, 10, w.NewCharacterId());
    w.PlaceObject(first, 1, 40, -20);
    w.ShowFrame();
    PlaceObject2Fields incoming;
    incoming.depth = 2;
    incoming.characterId = second;
    incoming.hasMatrix = true;
    incoming.translateX = 100;
    incoming.translateY = 60;
    incoming.hasColorTransform = true;
    incoming.colorTransform = ColorTransform::Alpha(85);
    w.PlaceObject2(incoming);
    w.ShowFrame();
    PlaceObject2Fields fading;
    fading.depth = 2;
    fading.move = true;
    fading.hasColorTransform = true;
    fading.colorTransform = ColorTransform::Alpha(171);
    w.PlaceObject2(fading);
    w.ShowFrame();
    w.RemoveDepth(1);
    w.RemoveDepth(2);
    w.PlaceObject(second, 1);
    w.BeginDoAction();
    w.ActionStop();
    w.EndDoAction();
    w.ShowFrame();
  });
  const std::vector<SwfFrame> frames = PlayTimeline(movie);
  ASSERT_EQ(frames.size(), 4u);
  using Depths = std::map<uint16_t, DisplayedCharacter>;
  const DisplayedCharacter first{2, 40, -20, 256, {}};
  EXPECT_EQ(frames[0].depths, (Depths{{1, first}}));
  EXPECT_EQ(frames[1].depths, (Depths{{1, first}, {2, {4, 100, 60, 85, {}}}}));
  EXPECT_EQ(frames[2].depths, (Depths{{1, first}, {2, {4, 100, 60, 171, {}}}}));
  EXPECT_EQ(frames[3].depths, (Depths{{1, {4, 0, 0, 256, {}}}}));
  EXPECT_FALSE(frames[2].stops);
  EXPECT_TRUE(frames[3].stops);
  const SwfPlacement fade = ParsePlacement(*movie.TagsWithCode(26)[1]);
  EXPECT_TRUE(fade.move);
  EXPECT_FALSE(fade.hasCharacter);
  EXPECT_TRUE(fade.colorTransform.hasMultTerms);
  EXPECT_FALSE(fade.colorTransform.hasAddTerms);
  EXPECT_EQ(fade.colorTransform.mult[0], 256);
  EXPECT_EQ(fade.trailingBytes, 0u);
}

TEST(SwfDisplayListTags, PlayingRefusesWhatPlayersWouldNot) {
  const struct {
    const char* what;
    std::function<void(SwfWriter&)> write;
  } cases[] = {
      {"an undefined character", [](SwfWriter& w) { w.PlaceObject(7, 1); }},
      {"an occupied depth",
       [](SwfWriter& w) {
         const int32_t shape = w.DefineBitmapShape(10, 10, w.NewCharacterId());
         w.PlaceObject(shape, 1);
         w.PlaceObject(shape, 1);
       }},
      {"removing an empty depth", [](SwfWriter& w) { w.RemoveDepth(2); }},
      {"moving an empty depth",
       [](SwfWriter& w) {
         PlaceObject2Fields move;
         move.depth = 2;
         move.move = true;
         w.PlaceObject2(move);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SwfMovie movie = FinishedMovie(10, 10, [&](SwfWriter& w) {
      c.write(w);
      w.ShowFrame();
    });
    EXPECT_THROW(PlayTimeline(movie), SwfFormatError);
  }
}

}  // namespace
}  // namespace lumapress::test
