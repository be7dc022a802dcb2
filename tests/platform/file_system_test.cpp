#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <stdio.h>  // renameat2 and RENAME_NOREPLACE (glibc)

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_rules.h"
#include "support/png_maker.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"
#include "common/stdio_file.h"

#if defined(__linux__) && defined(RENAME_NOREPLACE)
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::atomic<int> refusalErrno{0};  // 0: the C library's renameat2
std::atomic<int> refusedCalls{0};

}  // namespace

// Calls from the platform code in this binary bind here before the C library's definition.
extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
  if (const int answer = refusalErrno.load(); answer != 0 && (flags & RENAME_NOREPLACE) != 0) {
    ++refusedCalls;
    errno = answer;
    return -1;
  }
  using Real = int (*)(int, const char*, int, const char*, unsigned int);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat2"));
  if (real == nullptr) {
    errno = ENOSYS;
    return -1;
  }
  return real(fromFolder, from, toFolder, to, flags);
}

#endif

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

// RenameIfFree refuses `to` while a file is there, leaving both files, and moves once it is gone.
void ExpectRenameIfFreeWaitsForAFreeName(const std::string& from, const std::string& to) {
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

TEST_P(FileSystemTest, RenameIfFreeLeavesATakenNameAlone) {
  ExpectRenameIfFreeWaitsForAFreeName(Path(".new"), Path(".swf"));
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

#if defined(__linux__) && defined(RENAME_NOREPLACE)

// Where the file system cannot refuse to replace (a FUSE driver answers EINVAL, a sandbox
// EPERM), RenameIfFree looks the name up before it moves. This binary's renameat2 answers so
// on request.
class RenameFallbackTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    refusedCalls = 0;
    refusalErrno = GetParam();
  }
  void TearDown() override { refusalErrno = 0; }
  std::string Path(const std::string& name) const { return Inside(folder_.path(), name); }

  test::TempFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(CannotRefuse, RenameFallbackTest, testing::Values(EINVAL, ENOSYS, ENOTSUP, EPERM));

TEST_P(RenameFallbackTest, LooksBeforeMovingAndLeavesATakenNameAlone) {
  ExpectRenameIfFreeWaitsForAFreeName(Path("movie.new"), Path("movie.swf"));
  EXPECT_GT(refusedCalls.load(), 0) << "the refusing renameat2 was not the one called";
}

TEST_P(RenameFallbackTest, ADanglingLinkAtTheNameCountsAsTaken) {
  const std::string from = Path("movie.new");
  const std::string to = Path("movie.swf");
  Write(from, "new");
  ASSERT_EQ(::symlink("nowhere.swf", to.c_str()), 0);
  EXPECT_FALSE(RenameIfFree(from, to));
  EXPECT_FALSE(PathExists(Path("nowhere.swf"))) << "nothing was written through the link";
  EXPECT_EQ(Text(from), "new");
}

TEST(RenameRefusal, OtherErrorsAreNotTakenForACannotRefuse) {
  test::TempFolder folder;
  const std::string from = Inside(folder.path(), "movie.new");
  const std::string to = Inside(folder.path(), "movie.swf");
  Write(from, "new");
  refusalErrno = EACCES;  // a real refusal to move: no second try
  EXPECT_FALSE(RenameIfFree(from, to));
  refusalErrno = 0;
  EXPECT_FALSE(PathExists(to));
  EXPECT_EQ(Text(from), "new");
}

#endif  // __linux__ && RENAME_NOREPLACE

}  // namespace
}  // namespace lumapress
