#include "conversion/output_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

struct PathCase {
  const char* what;
  const char* input;
  const char* expected;
};

TEST(OutputPaths, FolderPartIsTextBeforeLastSlash) {
  constexpr PathCase kCases[] = {
      {"nested", "/movies/new/a.swf", "/movies/new"},
      {"bare name", "a.swf", ""},
      {"root", "/a.swf", ""},
      {"trailing slash", "out/", "out"},
      {"relative", "out/a.swf", "out"},
  };
  for (const PathCase& c : kCases) EXPECT_EQ(FolderPart(c.input), c.expected) << c.what;
}

TEST(OutputPaths, ResolvedFolderNamesTheWorkingFolderOrRoot) {
  EXPECT_EQ(ResolvedFolder("", false), ".");
  EXPECT_EQ(ResolvedFolder("", true), "/");
  EXPECT_EQ(ResolvedFolder("out", true), "out");
}

TEST(OutputPaths, TrailingSlashAddedOnce) {
  EXPECT_EQ(WithTrailingSlash("/out"), "/out/");
  EXPECT_EQ(WithTrailingSlash("/out/"), "/out/");
}

TEST(OutputPaths, PngExtensionIgnoresCase) {
  EXPECT_TRUE(EndsWithIgnoringCase("a.PNG", ".png"));
  EXPECT_TRUE(EndsWithIgnoringCase("a.pNg", ".png"));
  EXPECT_FALSE(EndsWithIgnoringCase("png", ".png"));
  EXPECT_FALSE(EndsWithIgnoringCase("a.pgn", ".png"));
}

TEST(OutputPaths, BatchMovieNames) {
  constexpr PathCase kCases[] = {
      {"upper-case extension", "/pics/Photo.PNG", "/out/Photo.swf"},
      {"dots in the base name", "/pics/a.b.png", "/out/a.b.swf"},
      {"double extension", "/pics/x.png.png", "/out/x.png.swf"},
      {"bare name", "y.png", "/out/y.swf"},
      {"other extension", "/pics/z.jpg", "/out/z.swf"},
      {"no extension", "/pics/noext", "/out/noext.swf"},
      {"only the extension", "/pics/.png", "/out/.swf"},
  };
  for (const PathCase& c : kCases) EXPECT_EQ(BatchMoviePath("/out/", c.input), c.expected) << c.what;
}

TEST(OutputPaths, BatchMovieNeverNamesTheInputItself) {
  test::TempFolder folder;
  const std::string input = folder.path() + "/clip.swf";
  std::ofstream(input) << "not a png";
  const std::string movie = BatchMoviePath(folder.path() + "/", input);
  EXPECT_NE(movie, input);
  EXPECT_EQ(movie, folder.path() + "/clip.swf.swf");
  // Also when the output folder is spelt differently.
  EXPECT_EQ(BatchMoviePath(folder.path() + "/./", input), folder.path() + "/./clip.swf.swf");
}

TEST(OutputPaths, CreateFolderPathCreatesParentsFirst) {
  test::TempFolder folder;
  const std::string target = folder.path() + "/movies/new";
  EXPECT_FALSE(PathExists(folder.path() + "/movies"));
  EXPECT_TRUE(CreateFolderPath(target));
  EXPECT_TRUE(fs::is_directory(folder.path() + "/movies"));
  EXPECT_TRUE(fs::is_directory(target));
  EXPECT_TRUE(CreateFolderPath(target));  // already there
}

TEST(OutputPaths, CreateFolderPathFailsUnderAFile) {
  test::TempFolder folder;
  const std::string file = folder.path() + "/plain";
  std::ofstream(file) << "x";
  EXPECT_FALSE(CreateFolderPath(file + "/sub/deeper"));
  EXPECT_FALSE(PathExists(file + "/sub"));
}

}  // namespace
}  // namespace lumapress
