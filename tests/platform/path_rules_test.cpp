#include "platform/path_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace lumapress {
namespace {

constexpr PathStyle kPosix = PathStyle::kPosix;
constexpr PathStyle kWindows = PathStyle::kWindows;

const char* StyleName(PathStyle style) { return style == kWindows ? "windows" : "posix"; }

struct SplitCase {
  PathStyle style;
  const char* path;
  size_t root;
  const char* lastComponent;
  const char* containingFolder;
  const char* parentFolder;
};

// Both systems' rules hold everywhere; the native one is what the program uses.
TEST(PathRules, RootsComponentsAndFolders) {
  const SplitCase cases[] = {
      {kPosix, "/movies/new/a.swf", 1, "a.swf", "/movies/new", "/movies/new"},
      {kPosix, "out/a.swf", 0, "a.swf", "out", "out"},
      {kPosix, "a.swf", 0, "a.swf", ".", ""},
      {kPosix, "/a.swf", 1, "a.swf", "/", ""},
      {kPosix, "/", 1, "", "/", ""},
      {kPosix, "out/", 0, "", "out", "out"},
      {kPosix, "pics\\2-shapes.png", 0, "pics\\2-shapes.png", ".", ""},
      {kPosix, "C:\\out\\a.swf", 0, "C:\\out\\a.swf", ".", ""},
      {kWindows, "C:\\movies\\new\\a.swf", 3, "a.swf", "C:\\movies\\new", "C:\\movies\\new"},
      {kWindows, "pics\\2-shapes.png", 0, "2-shapes.png", "pics", "pics"},
      {kWindows, "outb/pics\\2-shapes.png", 0, "2-shapes.png", "outb/pics", "outb/pics"},
      {kWindows, "C:/out/a.swf", 3, "a.swf", "C:/out", "C:/out"},
      {kWindows, "C:\\a.swf", 3, "a.swf", "C:\\", ""},
      {kWindows, "C:\\", 3, "", "C:\\", ""},
      {kWindows, "C:\\out\\", 3, "", "C:\\out", "C:\\out"},
      {kWindows, "C:a.swf", 2, "a.swf", "C:", ""},
      {kWindows, "C:", 2, "", "C:", ""},
      {kWindows, "\\a.swf", 1, "a.swf", "\\", ""},
      {kWindows, "a.swf", 0, "a.swf", ".", ""},
      {kWindows, "\\\\server\\share\\a.swf", 15, "a.swf", "\\\\server\\share\\", ""},
      {kWindows, "\\\\server\\share\\new\\a.swf", 15, "a.swf", "\\\\server\\share\\new",
       "\\\\server\\share\\new"},
      {kWindows, "//server/share/a.swf", 15, "a.swf", "//server/share/", ""},
      {kWindows, "\\\\server\\share", 14, "", "\\\\server\\share", ""},
      {kWindows, "\\\\server", 8, "", "\\\\server", ""},
      {kWindows, "1:\\a.swf", 0, "a.swf", "1:", "1:"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(std::string(StyleName(c.style)) + " " + c.path);
    EXPECT_EQ(RootLength(c.path, c.style), c.root);
    EXPECT_EQ(LastComponent(c.path, c.style), c.lastComponent);
    EXPECT_EQ(ContainingFolder(c.path, c.style), c.containingFolder);
    EXPECT_EQ(ParentFolder(c.path, c.style), c.parentFolder);
  }
}

TEST(PathRules, SeparatorsOfEachSystem) {
  EXPECT_TRUE(IsPathSeparator('/', kPosix));
  EXPECT_FALSE(IsPathSeparator('\\', kPosix));
  EXPECT_TRUE(IsPathSeparator('/', kWindows));
  EXPECT_TRUE(IsPathSeparator('\\', kWindows));
  EXPECT_EQ(PreferredSeparator(kPosix), '/');
  EXPECT_EQ(PreferredSeparator(kWindows), '\\');
#ifdef _WIN32
  EXPECT_EQ(kNativePathStyle, kWindows);
#else
  EXPECT_EQ(kNativePathStyle, kPosix);
#endif
}

TEST(PathRules, TrailingSeparatorAddedOnce) {
  const struct {
    PathStyle style;
    const char* folder;
    const char* result;
  } cases[] = {
      {kPosix, "/out", "/out/"},        {kPosix, "/out/", "/out/"},
      {kPosix, "out\\", "out\\/"},      {kPosix, "", "/"},
      {kWindows, "C:\\out", "C:\\out\\"}, {kWindows, "C:\\out\\", "C:\\out\\"},
      {kWindows, "outb", "outb\\"},     {kWindows, "outb/", "outb/"},
      {kWindows, "C:", "C:\\"},         {kWindows, "\\\\srv\\share", "\\\\srv\\share\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithTrailingSeparator(c.folder, c.style), c.result) << StyleName(c.style) << " " << c.folder;
  }
}

TEST(PathRules, DriveIsALetterAndColonOnWindowsOnly) {
  EXPECT_EQ(DrivePart("C:\\pics\\sun.png", kWindows), "C:");
  EXPECT_EQ(DrivePart("d:sun.png", kWindows), "d:");
  EXPECT_EQ(DrivePart("\\\\srv\\share\\sun.png", kWindows), "");
  EXPECT_EQ(DrivePart("C:\\pics\\sun.png", kPosix), "");
  EXPECT_EQ(DrivePart("C", kWindows), "");
}

}  // namespace
}  // namespace lumapress
