#include "conversion/output_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/png_maker.h"
#include "support/temp_folder.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

constexpr PathStyle kPosix = PathStyle::kPosix;
constexpr PathStyle kWindows = PathStyle::kWindows;

// `name` inside `folder`, joined with this system's separator.
std::string Inside(const std::string& folder, const std::string& name) {
  return WithTrailingSeparator(folder) + name;
}

TEST(OutputPaths, PngExtensionIgnoresCase) {
  EXPECT_TRUE(EndsWithIgnoringCase("a.PNG", ".png"));
  EXPECT_TRUE(EndsWithIgnoringCase("a.pNg", ".png"));
  EXPECT_FALSE(EndsWithIgnoringCase("png", ".png"));
  EXPECT_FALSE(EndsWithIgnoringCase("a.pgn", ".png"));
}

// The batch naming rules with each system's separators.
TEST(OutputPaths, BatchMovieNames) {
  const struct {
    const char* what;
    PathStyle style;
    const char* folder;
    const char* input;
    const char* expected;
  } cases[] = {
      {"upper-case extension", kPosix, "/out/", "/pics/Photo.PNG", "/out/Photo.swf"},
      {"dots in the base name", kPosix, "/out/", "/pics/a.b.png", "/out/a.b.swf"},
      {"double extension", kPosix, "/out/", "/pics/x.png.png", "/out/x.png.swf"},
      {"bare name", kPosix, "/out/", "y.png", "/out/y.swf"},
      {"other extension", kPosix, "/out/", "/pics/z.jpg", "/out/z.swf"},
      {"no extension", kPosix, "/out/", "/pics/noext", "/out/noext.swf"},
      {"only the extension", kPosix, "/out/", "/pics/.png", "/out/.swf"},
      {"a backslash is part of a name", kPosix, "out/", "pics\\2-shapes.png", "out/pics\\2-shapes.swf"},
      {"drive and upper-case extension", kWindows, "C:\\out\\", "D:\\pics\\Photo.PNG", "C:\\out\\Photo.swf"},
      {"dots in the base name", kWindows, "C:\\out\\", "D:\\pics\\a.b.png", "C:\\out\\a.b.swf"},
      {"double extension", kWindows, "C:\\out\\", "x.png.png", "C:\\out\\x.png.swf"},
      {"relative input", kWindows, "outb\\", "pics\\2-shapes.png", "outb\\2-shapes.swf"},
      {"forward slashes", kWindows, "outb/", "pics/2-shapes.png", "outb/2-shapes.swf"},
      {"mixed separators", kWindows, "outb\\", "C:/pics\\sub/x.png", "outb\\x.swf"},
      {"drive-relative input", kWindows, "C:\\out\\", "D:photo.png", "C:\\out\\photo.swf"},
      {"network share", kWindows, "\\\\nas\\movies\\", "\\\\nas\\pics\\sun.png", "\\\\nas\\movies\\sun.swf"},
      {"other extension", kWindows, "C:\\out\\", "D:\\pics\\z.jpg", "C:\\out\\z.swf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BatchMoviePath(c.folder, c.input, c.style), c.expected) << c.what;
  }
}

TEST(OutputPaths, BatchMovieNeverNamesTheInputItself) {
  test::TempFolder folder;
  const std::string input = Inside(folder.path(), "clip.swf");
  test::WriteFileBytes(input, std::vector<uint8_t>{'x'});
  const std::string movie = BatchMoviePath(WithTrailingSeparator(folder.path()), input);
  EXPECT_NE(movie, input);
  EXPECT_EQ(movie, Inside(folder.path(), "clip.swf.swf"));
  // Also when the output folder is spelt differently.
  const std::string dotted = WithTrailingSeparator(Inside(folder.path(), "."));
  EXPECT_EQ(BatchMoviePath(dotted, input), dotted + "clip.swf.swf");
  // And for an input that does not exist.
  const std::string missing = Inside(folder.path(), "gone.swf");
  EXPECT_EQ(BatchMoviePath(WithTrailingSeparator(folder.path()), missing), missing + ".swf");
}

TEST(OutputPaths, CreateFolderPathCreatesParentsFirst) {
  test::TempFolder folder;
  const std::string movies = Inside(folder.path(), "movies");
  const std::string target = Inside(movies, "new");
  EXPECT_FALSE(PathExists(movies));
  EXPECT_TRUE(CreateFolderPath(target));
  EXPECT_TRUE(IsFolder(movies));
  EXPECT_TRUE(IsFolder(target));
  EXPECT_TRUE(CreateFolderPath(target));  // already there
}

TEST(OutputPaths, CreateFolderPathTakesNonAsciiNames) {
  test::TempFolder folder;
  const std::string target = Inside(Inside(folder.path(), "Filme-äöü"), "日本");
  EXPECT_TRUE(CreateFolderPath(target));
  EXPECT_TRUE(fs::is_directory(test::FsPath(target)));
}

TEST(OutputPaths, CreateFolderPathFailsUnderAFile) {
  test::TempFolder folder;
  const std::string file = Inside(folder.path(), "plain");
  test::WriteFileBytes(file, std::vector<uint8_t>{'x'});
  EXPECT_FALSE(CreateFolderPath(Inside(Inside(file, "sub"), "deeper")));
  EXPECT_FALSE(PathExists(Inside(file, "sub")));
}

}  // namespace
}  // namespace lumapress
