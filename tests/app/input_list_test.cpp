#include "app/input_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumapress {
namespace {

std::vector<std::string> Texts(const InputList& list) {
  std::vector<std::string> texts;
  for (const InputItem& item : list.Items()) texts.push_back(item.displayText);
  return texts;
}

InputList ListOf(std::vector<std::string> paths) {
  InputList list;
  list.Add(paths);
  return list;
}

TEST(InputList, DisplayTextShowsNameThenFolder) {
  const struct {
    const char* path;
    const char* text;
  } cases[] = {
      {"/home/ann/pics/sun.png", "sun.png (/home/ann/pics/)"},
      {"/a.b.png", "a.b.png (/)"},
      {"relative.png", "relative.png ()"},
      {"/pics/noextension", "noextension (/pics/)"},
      {"/pics/.hidden", ".hidden (/pics/)"},
      {"/my pics/x.PNG", "x.PNG (/my pics/)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemDisplayText(c.path), c.text) << c.path;
}

TEST(InputList, SplitsLikeTheRuntimeSplitter) {
  const PathParts parts = SplitPath("/d/x.tar.png");
  EXPECT_EQ(parts.drive, "");
  EXPECT_EQ(parts.folder, "/d/");
  EXPECT_EQ(parts.name, "x.tar");
  EXPECT_EQ(parts.extension, ".png");
}

TEST(InputList, AddAppendsInTheOrderGivenAndKeepsDuplicates) {
  InputList list = ListOf({"/p/b.png", "/p/a.png"});
  const std::vector<std::string> more = {"/p/b.png"};
  list.Add(more);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"b.png (/p/)", "a.png (/p/)", "b.png (/p/)"}));
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/p/b.png", "/p/a.png", "/p/b.png"}));
  EXPECT_FALSE(list.Selection());
}

TEST(InputList, DroppedFilesAddOnlyPngImages) {
  InputList list;
  const std::vector<std::string> dropped = {"/p/a.png", "/p/notes.txt", "/p/B.PNG", "/p/png"};
  EXPECT_EQ(list.AddDropped(dropped), 2u);
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/p/a.png", "/p/B.PNG"}));
}

TEST(InputList, UpAndDownMoveTheSelectionWithTheItem) {
  InputList list = ListOf({"/A.png", "/B.png", "/C.png"});
  list.Select(1);
  list.MoveSelectedUp();
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/B.png", "/A.png", "/C.png"}));
  EXPECT_EQ(list.Selection(), 0u);
  list.MoveSelectedDown();
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/A.png", "/B.png", "/C.png"}));
  EXPECT_EQ(list.Selection(), 1u);
  EXPECT_EQ(Texts(list)[1], "B.png (/)");
}

TEST(InputList, EnablingFollowsSelectionAndPosition) {
  InputList list = ListOf({"/A.png", "/B.png", "/C.png"});
  const struct {
    std::optional<size_t> selection;
    bool remove, up, down;
  } cases[] = {{std::nullopt, false, false, false},
               {0, true, false, true},
               {1, true, true, true},
               {2, true, true, false}};
  for (const auto& c : cases) {
    list.Select(c.selection);
    EXPECT_EQ(list.CanRemove(), c.remove);
    EXPECT_EQ(list.CanMoveUp(), c.up);
    EXPECT_EQ(list.CanMoveDown(), c.down);
  }
  InputList single = ListOf({"/only.png"});
  single.Select(0);
  EXPECT_FALSE(single.CanMoveUp());
  EXPECT_FALSE(single.CanMoveDown());
}

TEST(InputList, MovesPastTheEndsDoNothing) {
  InputList list = ListOf({"/A.png", "/B.png"});
  list.Select(0);
  list.MoveSelectedUp();
  list.Select(1);
  list.MoveSelectedDown();
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/A.png", "/B.png"}));
  list.Select(5);
  EXPECT_FALSE(list.Selection());
}

TEST(InputList, RemoveTakesTheSelectedItemAndClearsTheSelection) {
  InputList list = ListOf({"/A.png", "/B.png", "/C.png"});
  list.Select(1);
  list.RemoveSelected();
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/A.png", "/C.png"}));
  EXPECT_FALSE(list.Selection());
  EXPECT_FALSE(list.CanRemove());
  list.RemoveSelected();  // nothing selected: nothing happens
  EXPECT_EQ(list.Count(), 2u);
}

}  // namespace
}  // namespace lumapress
