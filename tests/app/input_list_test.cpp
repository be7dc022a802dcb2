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

constexpr PathStyle kPosix = PathStyle::kPosix;
constexpr PathStyle kWindows = PathStyle::kWindows;

// Each system's separators; the native ones are what the list uses.
TEST(InputList, DisplayTextShowsNameThenFolder) {
  const struct {
    PathStyle style;
    const char* path;
    const char* text;
  } cases[] = {
      {kPosix, "/home/ann/pics/sun.png", "sun.png (/home/ann/pics/)"},
      {kPosix, "/a.b.png", "a.b.png (/)"},
      {kPosix, "relative.png", "relative.png ()"},
      {kPosix, "/pics/noextension", "noextension (/pics/)"},
      {kPosix, "/pics/.hidden", ".hidden (/pics/)"},
      {kPosix, "/my pics/x.PNG", "x.PNG (/my pics/)"},
      {kPosix, "/pics/a\\b.png", "a\\b.png (/pics/)"},
      {kWindows, "C:\\pics\\sun.png", "sun.png (C:\\pics\\)"},
      {kWindows, "C:\\a.b.png", "a.b.png (C:\\)"},
      {kWindows, "relative.png", "relative.png ()"},
      {kWindows, "pics\\2-shapes.png", "2-shapes.png (pics\\)"},
      {kWindows, "C:/pics/sun.png", "sun.png (C:/pics/)"},
      {kWindows, "D:sun.png", "sun.png (D:)"},
      {kWindows, "\\\\nas\\pics\\sun.png", "sun.png (\\\\nas\\pics\\)"},
      {kWindows, "C:\\Bilder-äöü\\日本.PNG", "日本.PNG (C:\\Bilder-äöü\\)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemDisplayText(c.path, c.style), c.text) << c.path;
}

TEST(InputList, SplitsLikeTheRuntimeSplitter) {
  const struct {
    PathStyle style;
    const char* path;
    const char* drive;
    const char* folder;
    const char* name;
    const char* extension;
  } cases[] = {
      {kPosix, "/d/x.tar.png", "", "/d/", "x.tar", ".png"},
      {kPosix, "C:\\d\\x.png", "", "", "C:\\d\\x", ".png"},
      {kWindows, "C:\\d\\x.tar.png", "C:", "\\d\\", "x.tar", ".png"},
      {kWindows, "C:x", "C:", "", "x", ""},
      {kWindows, "\\\\srv\\share\\x.png", "", "\\\\srv\\share\\", "x", ".png"},
      {kWindows, "d\\x.y\\z", "", "d\\x.y\\", "z", ""},
  };
  for (const auto& c : cases) {
    const PathParts parts = SplitPath(c.path, c.style);
    EXPECT_EQ(parts.drive, c.drive) << c.path;
    EXPECT_EQ(parts.folder, c.folder) << c.path;
    EXPECT_EQ(parts.name, c.name) << c.path;
    EXPECT_EQ(parts.extension, c.extension) << c.path;
  }
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
