// RenameIfFree where the file system cannot refuse to replace (a FUSE driver answers EINVAL,
// a sandbox EPERM): this test binary's own renameat2 answers so on request, and the name must
// then be looked up before the move.
#include <gtest/gtest.h>
#include <stdio.h>  // renameat2 and RENAME_NOREPLACE (glibc 2.28 and later)

#if defined(__linux__) && defined(RENAME_NOREPLACE)

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_rules.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

namespace {

std::atomic<int> refusalErrno{0};  // 0: the real renameat2
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

namespace lumapress {
namespace {

std::string Text(const std::string& path) {
  const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void Write(const std::string& path, const std::string& text) {
  test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

class RenameFallbackTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    refusedCalls = 0;
    refusalErrno = GetParam();
  }
  void TearDown() override { refusalErrno = 0; }
  std::string Path(const std::string& name) const { return WithTrailingSeparator(folder_.path()) + name; }

  test::TempFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(CannotRefuse, RenameFallbackTest, testing::Values(EINVAL, ENOSYS, ENOTSUP, EPERM));

TEST_P(RenameFallbackTest, LooksBeforeMovingAndLeavesATakenNameAlone) {
  const std::string from = Path("movie.new");
  const std::string to = Path("movie.swf");
  Write(from, "new");
  Write(to, "old");
  EXPECT_FALSE(RenameIfFree(from, to));
  EXPECT_GT(refusedCalls.load(), 0) << "the refusing renameat2 was not the one called";
  EXPECT_EQ(Text(to), "old");
  EXPECT_EQ(Text(from), "new") << "the file to move stays where it was";

  ASSERT_TRUE(RemoveFile(to));
  EXPECT_TRUE(RenameIfFree(from, to));
  EXPECT_EQ(Text(to), "new");
  EXPECT_FALSE(PathExists(from));
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
  const std::string from = WithTrailingSeparator(folder.path()) + "movie.new";
  const std::string to = WithTrailingSeparator(folder.path()) + "movie.swf";
  Write(from, "new");
  refusalErrno = EACCES;  // a real refusal to move: no second try
  EXPECT_FALSE(RenameIfFree(from, to));
  refusalErrno = 0;
  EXPECT_FALSE(PathExists(to));
  EXPECT_EQ(Text(from), "new");
}

}  // namespace
}  // namespace lumapress

#endif  // __linux__ && RENAME_NOREPLACE
