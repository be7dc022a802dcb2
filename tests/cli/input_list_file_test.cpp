#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "input_list_file.h"
#include "support/temp_folder.h"

namespace lumapress {
namespace {

struct ListCase {
  const char* what;
  std::string text;
  std::vector<InputEntry> expected;
};

TEST(InputListFile, ParsesOnePathPerLine) {
  const ListCase cases[] = {
      {"empty", "", {}},
      {"one line without LF", "a.png", {{"a.png", "l", 1}}},
      {"lines in order", "a.png\nb.png\n", {{"a.png", "l", 1}, {"b.png", "l", 2}}},
      {"blank lines keep the count", "\n\na.png\n\n", {{"a.png", "l", 3}}},
      {"spaces and tabs only are blank", "  \t\na.png\n", {{"a.png", "l", 2}}},
      {"comments", "# a comment\na.png\n#b.png\n", {{"a.png", "l", 2}}},
      {"a # later in the line is part of the path", "a #1.png\n", {{"a #1.png", "l", 1}}},
      {"no quoting: spaces and quotes stay", " \"my pic\".png \n", {{" \"my pic\".png ", "l", 1}}},
      {"CR LF line ends", "a.png\r\nb.png\r\n", {{"a.png", "l", 1}, {"b.png", "l", 2}}},
      {"a CR inside a line stays", "a\r.png\n", {{"a\r.png", "l", 1}}},
      {"an indented # is a path", " #a.png\n", {{" #a.png", "l", 1}}},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(ParseInputList(c.text, "l"), c.expected) << c.what;
  }
}

TEST(InputListFile, ReadsFilesAndStandardInput) {
  test::TempFolder folder;
  const std::string list = folder.path() + "/list.txt";
  std::ofstream(list) << "# images\nx.png\n\ny.png";
  EXPECT_EQ(ReadInputList(list, nullptr),
            (std::vector<InputEntry>{{"x.png", list, 2}, {"y.png", list, 4}}));

  std::FILE* input = std::tmpfile();
  ASSERT_NE(input, nullptr);
  std::fputs("z.png\n", input);
  std::rewind(input);
  EXPECT_EQ(ReadInputList("-", input), (std::vector<InputEntry>{{"z.png", "-", 1}}));
  std::fclose(input);
}

TEST(InputListFile, ListsThatCannotBeReadGiveNothing) {
  test::TempFolder folder;
  EXPECT_FALSE(ReadInputList(folder.path() + "/missing.txt", nullptr).has_value());
  EXPECT_FALSE(ReadInputList(folder.path(), nullptr).has_value()) << "a folder";
  EXPECT_FALSE(ReadInputList("", nullptr).has_value());
}

TEST(InputListFile, MessagesNameTheListAndLine) {
  EXPECT_EQ(CannotReadListMessage("list.txt"), "Cannot read input list list.txt!");
  EXPECT_EQ(CannotReadListMessage("-"), "Cannot read input list standard input!");
  EXPECT_EQ(EntryLocation({"x.png", "list.txt", 12}), "list.txt, line 12: ");
  EXPECT_EQ(EntryLocation({"x.png", "-", 3}), "standard input, line 3: ");
  EXPECT_EQ(EntryLocation({"x.png", "", 0}), "");
  const std::vector<InputEntry> entries = {{"a", "", 0}, {"b", "l", 1}};
  EXPECT_EQ(EntryPaths(entries), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace lumapress
