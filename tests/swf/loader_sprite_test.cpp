#include <gtest/gtest.h>

#include <string>

#include "swf_test_files.h"

namespace lumapress::test {
namespace {

TEST(SwfLoaderSprite, TagBytes) {
  const ByteCase<SwfWriter> cases[] = {
      {"c.swf as the first character",
       [](SwfWriter& w) { EXPECT_EQ(w.DefineLoaderSprite("c.swf"), 1); },
       "FF 09 24 00 00 00 01 00 01 00 3F 03 16 00 00 00 96 0D 00 00 63 2E 73 77 66 00 00 74 68 69 "
       "73 00 1C 9A 01 00 40 00 40 00 00 00"},
      {"empty path",
       [](SwfWriter& w) { EXPECT_EQ(w.DefineLoaderSprite(""), 1); },
       "FF 09 1F 00 00 00 01 00 01 00 3F 03 11 00 00 00 96 08 00 00 00 00 74 68 69 73 00 1C 9A 01 "
       "00 40 00 40 00 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(BytesAfterHeader(c.write)), Hex(c.expectedHex));
  }
}

TEST(SwfLoaderSprite, SpriteReadsBackAndItsFrameIsNotCounted) {
  const std::string path = "C:\\movies\\control file.swf";
  const SwfMovie movie = FinishedMovie(320, 240, [&](SwfWriter& w) {
    w.SetBackgroundColor(255, 255, 255);
    const int32_t spriteId = w.DefineLoaderSprite(path);
    EXPECT_EQ(spriteId, 1);
    w.PlaceObject(spriteId, 65535);
    EXPECT_EQ(w.NewCharacterId(), 2);
    w.ShowFrame();
    w.ShowFrame();
  });
  EXPECT_EQ(movie.frameCount, 2);
  const auto sprites = movie.TagsWithCode(39);
  ASSERT_EQ(sprites.size(), 1u);
  const SwfTag& sprite = *sprites[0];
  EXPECT_TRUE(sprite.longForm);
  EXPECT_EQ(ToHex(std::span(sprite.body).first(4)), "01 00 01 00");
  ASSERT_EQ(sprite.spriteTags.size(), 3u);
  EXPECT_EQ(sprite.spriteTags[0].code, 12);
  EXPECT_EQ(sprite.spriteTags[1].code, 1);
  EXPECT_EQ(sprite.spriteTags[2].code, 0);
  const DoActionContents contents = ParseDoAction(sprite.spriteTags[0].body);
  EXPECT_EQ(contents.pushedStrings, (std::vector<std::string>{path, "this"}));
  ASSERT_EQ(contents.actions.size(), 3u);
  EXPECT_EQ(contents.actions[1].code, 0x1C);
  EXPECT_EQ(contents.actions[2].code, 0x9A);
  EXPECT_EQ(ToHex(contents.actions[2].payload), "40");
  EXPECT_TRUE(contents.ended);
  EXPECT_EQ(contents.trailingBytes, 0u);
}

TEST(SwfLoaderSprite, PathsTooLongForThePushLengthAreRefused) {
  const std::string longest(SwfWriter::kMaxLoaderUrlBytes, 'p');
  const auto written = BytesAfterHeader([&](SwfWriter& w) {
    EXPECT_EQ(w.DefineLoaderSprite(longest), 1);
  });
  // Sprite header 6, ids 4, DoAction header 6, push header 3, values (path + 8),
  // GetVariable, GetURL2 and end flag 6, ShowFrame and End 4.
  ASSERT_EQ(written.size(), 6 + 4 + 6 + 3 + (longest.size() + 8) + 6 + 4);
  EXPECT_EQ(ToHex(std::span(written).subspan(16, 3)), "96 FF FF");

  const auto refused = BytesAfterHeader([&](SwfWriter& w) {
    EXPECT_EQ(w.DefineLoaderSprite(longest + "p"), -1);
    EXPECT_EQ(w.NewCharacterId(), 1) << "a refused sprite uses no id";
  });
  EXPECT_TRUE(refused.empty());
}

}  // namespace
}  // namespace lumapress::test
