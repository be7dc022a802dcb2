#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
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

TEST(InputListFile, ALineMayEndWithATabAndADisplayTime) {
  const ListCase cases[] = {
      {"path and time", "a.png\t2.5\n", {{"a.png", "l", 1, "2.5"}}},
      {"CR LF after the time", "a.png\t2.5\r\nb.png\r\n", {{"a.png", "l", 1, "2.5"}, {"b.png", "l", 2}}},
      {"the last tab separates", "a\tb.png\t1\n", {{"a\tb.png", "l", 1, "1"}}},
      {"an empty time is kept for the check", "a.png\t\n", {{"a.png", "l", 1, ""}}},
      {"a time that is no number is kept for the check", "a.png\tsoon\n", {{"a.png", "l", 1, "soon"}}},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(ParseInputList(c.text, "l"), c.expected) << c.what;
  }
}

struct TimesCase {
  const char* what;
  std::string text;
  std::vector<std::optional<float>> times;
  const char* problem;  // "" when the times are read
};

TEST(InputListFile, DisplayTimesAreReadByTheLibrarysRules) {
  const TimesCase cases[] = {
      {"no times at all", "a.png\nb.png\n", {}, ""},
      {"some times", "a.png\t2.5\nb.png\nc.png\t 0.25 \n", {2.5f, std::nullopt, 0.25f}, ""},
      {"edges of the range", "a.png\t0.01\nb.png\t100\n", {0.01f, 100.0f}, ""},
      {"not a number", "a.png\n\nb.png\tsoon\n",
       {},
       "list.txt, line 3: display time \"soon\": Please enter a number between 0.01 and 100."},
      {"too long", "a.png\t100.5\n",
       {},
       "list.txt, line 1: display time \"100.5\": Please enter a number between 0.01 and 100."},
      {"zero", "a.png\t0\n", {}, "list.txt, line 1: display time \"0\": Please enter a number between 0.01 and 100."},
      {"empty", "a.png\t\n", {}, "list.txt, line 1: display time \"\": Please enter a number between 0.01 and 100."},
      {"trailing text", "a.png\t2s\n", {}, "list.txt, line 1: display time \"2s\": Please enter a number between 0.01 and 100."},
  };
  for (const TimesCase& c : cases) {
    std::string problem;
    const auto entries = ParseInputList(c.text, "list.txt");
    EXPECT_EQ(EntryDisplayTimes(entries, problem), c.times) << c.what;
    EXPECT_EQ(problem, c.problem) << c.what;
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
