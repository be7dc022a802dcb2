#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/png_maker.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

// A batch cut into one task per image and run by GNU parallel writes the same movies as one
// run over the whole list: what makes spreading a batch over job runners and machines safe.
namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int Shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class JobRunnerTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  // Images of every 8-bit colour type, with and without alpha, listed in list.txt.
  std::vector<std::string> WriteImagesAndList(int count) {
    const int colorTypes[] = {kRgb, kRgba, kGray, kGrayAlpha, kPalette};
    fs::create_directory(Path("images"));
    std::ofstream list(Path("list.txt"));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      const std::string name = "image " + std::to_string(i);  // a space, as real names have
      WritePngFile(Path("images/" + name + ".png"),
                   PatternPng(colorTypes[i % 5], 8, 20 + i, 12 + 2 * i, static_cast<uint32_t>(i)));
      list << Path("images/" + name + ".png") << '\n';
      names.push_back(name);
    }
    return names;
  }

  TempFolder folder_;
};

TEST_F(JobRunnerTest, GnuParallelWritesTheSameMoviesAsOneRun) {
  ASSERT_EQ(Shell("parallel --version >/dev/null 2>&1"), 0) << "GNU parallel is needed (scripts/install-deps)";
  const std::vector<std::string> names = WriteImagesAndList(10);
  const std::string cli = Quote(LUMAPRESS_CLI_PATH);
  for (const char* quality : {"80", "100"}) {
    const std::string one = Path(std::string("one-") + quality), tasks = Path(std::string("tasks-") + quality);
    fs::create_directory(one);
    fs::create_directory(tasks);
    ASSERT_EQ(Shell(cli + " --quiet -q " + quality + " -b -o " + Quote(one) + " --inputs-from " +
                    Quote(Path("list.txt"))),
              0);
    // Two job slots, one image per task, one job per task.
    ASSERT_EQ(Shell("parallel --will-cite -j 2 " + cli + " --quiet -j 1 -q " + quality + " -b -o " +
                    Quote(tasks) + " {} :::: " + Quote(Path("list.txt")) + " </dev/null"),
              0);
    for (const std::string& name : names) {
      const std::vector<uint8_t> expected = ReadFileBytes(one + "/" + name + ".swf");
      EXPECT_EQ(ReadSwfFile(one + "/" + name + ".swf").frameCount, 13) << name;
      EXPECT_EQ(ReadFileBytes(tasks + "/" + name + ".swf"), expected) << name << ", quality " << quality;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(tasks), fs::directory_iterator()), 10)
        << "only the movies, no temporary files";
  }
}

}  // namespace
}  // namespace lumapress::test
