#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_rules.h"
#include "support/png_maker.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"
#include "common/stdio_file.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

std::string Inside(const std::string& folder, const std::string& name) {
  return WithTrailingSeparator(folder) + name;
}

std::string Text(const std::string& path) {
  const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void Write(const std::string& path, const std::string& text) {
  test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Plain ASCII and a name no single ANSI code page holds.
class FileSystemTest : public testing::TestWithParam<const char*> {
 protected:
  std::string Path(const std::string& suffix) const { return Inside(folder_.path(), GetParam() + suffix); }

  test::TempFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(Names, FileSystemTest, testing::Values("plain", "Bild-äöü-日本"));

TEST_P(FileSystemTest, OpensWritesAndReadsBack) {
  const std::string path = Path(".bin");
  UniqueFile file(OpenFile(path, "wb"));
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite("a\nb\x1a", 1, 4, file.get()), 4u);
  file.reset();
  EXPECT_TRUE(fs::exists(test::FsPath(path))) << "the name on disk is the UTF-8 name";
  EXPECT_EQ(Text(path), std::string("a\nb\x1a")) << "binary mode keeps every byte";
  EXPECT_EQ(FileSize(path), 4u);
  EXPECT_TRUE(PathExists(path));
  EXPECT_FALSE(IsFolder(path));
}

TEST_P(FileSystemTest, ExclusiveCreationRefusesAnExistingFile) {
  const std::string path = Path(".x");
  UniqueFile first(OpenFile(path, "wbx"));
  ASSERT_NE(first, nullptr);
  ASSERT_GE(std::fputs("first", first.get()), 0);
  first.reset();
  errno = 0;
  EXPECT_EQ(OpenFile(path, "wbx"), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(Text(path), "first") << "the file already there is left alone";
}

TEST_P(FileSystemTest, RenameReplacesTheTargetInOneStep) {
  const std::string from = Path(".new");
  const std::string to = Path(".swf");
  Write(from, "new");
  Write(to, "old");
  EXPECT_TRUE(RenameReplacing(from, to));
  EXPECT_EQ(Text(to), "new");
  EXPECT_FALSE(PathExists(from));
  EXPECT_FALSE(RenameReplacing(from, to)) << "nothing left to move";
  EXPECT_EQ(Text(to), "new");
}

TEST_P(FileSystemTest, RenameIfFreeLeavesATakenNameAlone) {
  const std::string from = Path(".new");
  const std::string to = Path(".swf");
  Write(from, "new");
  Write(to, "old");
  EXPECT_FALSE(RenameIfFree(from, to));
  EXPECT_EQ(Text(to), "old");
  EXPECT_EQ(Text(from), "new") << "the file to move stays where it was";

  ASSERT_TRUE(RemoveFile(to));
  EXPECT_TRUE(RenameIfFree(from, to));
  EXPECT_EQ(Text(to), "new");
  EXPECT_FALSE(PathExists(from));
}

TEST_P(FileSystemTest, FoldersAreCreatedOnceAndFilesRemoved) {
  const std::string folder = Path("-folder");
  EXPECT_TRUE(CreateFolder(folder));
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_FALSE(CreateFolder(folder)) << "already there";
  EXPECT_FALSE(FileSize(folder).has_value());

  const std::string file = Inside(folder, "x");
  Write(file, "x");
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(RemoveFile(file));
  EXPECT_FALSE(FileSize(file).has_value());
}

TEST_P(FileSystemTest, SameFileSeesThroughOtherSpellings) {
  const std::string path = Path(".png");
  Write(path, "x");
  EXPECT_TRUE(SameFile(path, path));
  EXPECT_TRUE(SameFile(path, Inside(Inside(folder_.path(), "."), GetParam() + std::string(".png"))));
  EXPECT_FALSE(SameFile(path, Path(".other")));
  EXPECT_TRUE(SameFile(Path(".gone"), Inside(Inside(folder_.path(), "."), GetParam() + std::string(".gone"))))
      << "names that do not exist compare as normalised paths";
#ifdef _WIN32
  std::string upper = path;
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  EXPECT_TRUE(SameFile(path, upper)) << "Windows ignores the case of letters";
  std::string slashes = path;
  for (char& c : slashes) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(SameFile(path, slashes));
#endif
}

TEST_P(FileSystemTest, HiddenFilesAreHiddenTheSystemsWay) {
  const std::string visible = Path(".swf");
  Write(visible, "x");
  EXPECT_FALSE(IsHidden(visible));
  const std::string dotted = Inside(folder_.path(), "." + std::string(GetParam()) + ".part");
  Write(dotted, "x");
  SetHidden(dotted, true);
  EXPECT_TRUE(IsHidden(dotted));
#ifdef _WIN32
  // The attribute hides any name there, and can be taken away again. (What a leading dot
  // means is left open: nothing on Windows, hidden under wine.)
  SetHidden(visible, true);
  EXPECT_TRUE(IsHidden(visible));
  SetHidden(visible, false);
  EXPECT_FALSE(IsHidden(visible));
#endif
}

}  // namespace
}  // namespace lumapress
