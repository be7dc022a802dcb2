// lumapress-cli run as a child process against what a hostile or unlucky user does: outputs
// that name inputs, empty option values, signals, pipes, killed runs. Each case checks what is
// on disk afterwards.

#include <gtest/gtest.h>

#ifdef _WIN32
TEST(CliSafety, NeedsPosixProcesses) {
  GTEST_SKIP() << "these cases start the program with posix_spawn, send it POSIX signals and use bash";
}
#else

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/folder_snapshot.h"
#include "support/png_maker.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

extern char** environ;

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Longest a stopped or finished child may take to exit before the test gives up on it.
constexpr auto kExitDeadline = 60s;
// Longest to wait for a conversion to reach the point a case needs.
constexpr auto kProgressDeadline = 60s;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A running lumapress-cli: no terminal, stdin from /dev/null, stdout and stderr into files.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath) {
    std::vector<std::string> argv = {LUMAPRESS_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (!exited_ && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  bool Signal(int signal) const { return !exited_ && kill(pid_, signal) == 0; }
  // The raw wait status, or -1 when it did not end in time.
  int Wait() {
    const auto deadline = std::chrono::steady_clock::now() + kExitDeadline;
    while (Running()) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(5ms);
    }
    return status_;
  }
  bool Running() {
    if (!exited_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
    return pid_ > 0 && !exited_;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = -1;
};

// Polls `condition` until it holds, the child ended, or the deadline passed.
template <typename Condition>
bool WaitUntil(Child& child, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kProgressDeadline;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    if (!child.Running()) return false;
    std::this_thread::sleep_for(2ms);
  }
  return false;
}

struct Outcome {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out;
  std::string err;
};

class CliSafetyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Noise, so that compressing its movie takes long enough to be stopped in the middle.
    large_ = new TempFolder;
    std::vector<uint8_t> rgba(size_t{kLargeSide} * kLargeSide * 4);
    std::mt19937 random(11);
    for (size_t i = 0; i < rgba.size(); i += 4) {
      const uint32_t value = random();
      rgba[i] = uint8_t(value);
      rgba[i + 1] = uint8_t(value >> 8);
      rgba[i + 2] = uint8_t(value >> 16);
      rgba[i + 3] = uint8_t(128 + (value >> 25));
    }
    WriteRgba8Png(large_->path() + "/large.png", kLargeSide, kLargeSide, rgba);
  }
  static void TearDownTestSuite() {
    delete large_;
    large_ = nullptr;
  }

  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  std::string Png(const std::string& name, uint32_t seed = 1) {
    WritePngFile(Path(name), PatternPng(kRgb, 8, 24, 16, seed));
    return Path(name);
  }
  std::string LargePng(const std::string& name) {
    fs::copy_file(large_->path() + "/large.png", Path(name));
    return Path(name);
  }

  Outcome Run(const std::vector<std::string>& args) {
    Child child(args, log_.path() + "/out", log_.path() + "/err");
    EXPECT_TRUE(child.started());
    return Finish(child);
  }

  Outcome Finish(Child& child) {
    const int raw = child.Wait();
    Outcome outcome;
    outcome.status = raw >= 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = Slurp(log_.path() + "/out");
    outcome.err = Slurp(log_.path() + "/err");
    return outcome;
  }

  static constexpr uint32_t kLargeSide = 2600;
  static TempFolder* large_;
  TempFolder folder_;
  TempFolder log_;  // the child's stdout and stderr, away from the folder under test
};

TempFolder* CliSafetyTest::large_ = nullptr;

TEST_F(CliSafetyTest, EmptyOptionValuesAreUsageErrors) {
  const std::string input = Png("a.png");
  for (const char* option : {"-q", "-d", "-r", "-j", "--max-pixels"}) {
    const Outcome outcome = Run({option, "", "-o", Path("m.swf"), input});
    EXPECT_EQ(outcome.status, 2) << option;
    EXPECT_NE(outcome.err.find("a value is needed"), std::string::npos) << option << ": " << outcome.err;
    EXPECT_FALSE(fs::exists(Path("m.swf"))) << option;
  }
}

TEST_F(CliSafetyTest, AMovieThatWouldReplaceAnInputIsRefused) {
  const std::string input = Png("self.png");
  const FolderSnapshot before = SnapshotFolder(folder_.path());
  for (const std::string& output : {Path("self.png"), folder_.path() + "/./self.png"}) {
    const Outcome outcome = Run({"-o", output, input});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "The movie " + output + " would replace the input file " + input + "!\n");
    EXPECT_EQ(outcome.out, "");
  }
  const Outcome batch = Run({"-b", "-o", Path("out"), input, Png("d.png"), input});
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(batch.err, "The images " + input + " and " + input + " would both become the movie " + Path("out/self.swf") +
                           "!\n");
  fs::remove(Path("d.png"));
  EXPECT_EQ(SnapshotFolder(folder_.path()), before);
}

TEST_F(CliSafetyTest, RenameGivesCollidingMoviesDistinctNames) {
  fs::create_directories(Path("d1"));
  fs::create_directories(Path("d2"));
  const Outcome outcome = Run({"-y", "-b", "--rename", "-o", Path("out"), Png("d1/a.png", 1), Png("d2/a.png", 2)});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadSwfFile(Path("out/a.swf")).frameCount, 13);
  EXPECT_EQ(ReadSwfFile(Path("out/a-2.swf")).frameCount, 13);
}

TEST_F(CliSafetyTest, ImagesOverThePixelLimitStopTheRun) {
  const std::string input = Png("a.png");
  const Outcome outcome = Run({"--max-pixels", "383", "-o", Path("m.swf"), input});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Image " + input + " is too large! (24 x 16 pixels = 384; the limit is 383 pixels)\n");
  EXPECT_FALSE(fs::exists(Path("m.swf")));
  EXPECT_EQ(Run({"--max-pixels", "384", "-o", Path("m.swf"), input}).status, 0);
}

// --yes creates the folder when the first image is known to be readable; a later failure takes
// the folders away again when nothing is in them.
TEST_F(CliSafetyTest, FoldersCreatedWithYesGoWhenTheRunFails) {
  const Outcome single = Run({"-y", "-o", Path("new/deeper/m.swf"), Png("a.png"), Path("missing.png")});
  EXPECT_EQ(single.status, 1);
  EXPECT_FALSE(fs::exists(Path("new")));
  const Outcome batch = Run({"-y", "-b", "-o", Path("out/deeper"), Path("a.png"), Path("missing.png")});
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(ReadSwfFile(Path("out/deeper/a.swf")).frameCount, 13) << "a finished movie keeps its folder";
}

// Inputs that can be read only once (bash's process substitution gives /dev/fd/N pipes) convert
// into a folder still to be created, the same at any number of jobs.
TEST_F(CliSafetyTest, InputsFromPipesConvertAtAnyJobCount) {
  const std::string a = Png("a.png", 1), b = Png("b.png", 2);
  const auto quote = [](const std::string& text) { return "'" + text + "'"; };
  for (const char* jobs : {"1", "2"}) {
    const std::string out = Path(std::string("pipes") + jobs);
    const std::string command = "exec " + quote(LUMAPRESS_CLI_PATH) + " --yes -b -j " + jobs + " -o " + quote(out) +
                                " <(cat " + quote(a) + ") <(cat " + quote(b) + ")";
    const int raw = std::system(("bash -c " + quote(command) + " </dev/null >" + quote(log_.path() + "/out") + " 2>" +
                                 quote(log_.path() + "/err"))
                                    .c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << jobs << " jobs: " << Slurp(log_.path() + "/err");
    std::vector<std::string> movies;
    for (const fs::directory_entry& entry : fs::directory_iterator(out)) movies.push_back(entry.path().string());
    EXPECT_EQ(movies.size(), 2u) << jobs << " jobs";
  }
  ASSERT_EQ(Run({"-b", "-o", Path("files"), "-y", a, b}).status, 0);
  const FolderSnapshot fromFiles = SnapshotFolder(Path("files"));
  std::vector<std::string> expected;
  for (const auto& [name, bytes] : fromFiles) expected.push_back(bytes);
  for (const char* folder : {"pipes1", "pipes2"}) {
    std::vector<std::string> got;
    for (const auto& [name, bytes] : SnapshotFolder(Path(folder))) got.push_back(bytes);
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected) << folder;
  }
}

struct SignalCase {
  const char* what;
  int signal;
  int exitStatus;
  bool batch;
  bool newFolder;  // -y into a folder the run creates
};

// A signal stops the conversion within moments even inside one large image: the CLI removes its
// temporary file, keeps the movies it finished and the earlier movie, removes a folder it
// created and left empty, and exits with 128 + the signal's number.
TEST_F(CliSafetyTest, SignalsStopTheRunAndLeaveNoPartialMovie) {
  const SignalCase cases[] = {
      {"SIGINT, one movie", SIGINT, 130, false, false},
      {"SIGTERM, batch", SIGTERM, 143, true, false},
      {"SIGHUP, one movie in a new folder", SIGHUP, 129, false, true},
  };
  const std::string small = Png("small.png");
  const std::string large = LargePng("large.png");
  for (const SignalCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = Path(c.newFolder ? "new" : "out");
    fs::remove_all(out);
    if (!c.newFolder) fs::create_directory(out);
    const std::string movie = c.batch ? out : out + "/show.swf";
    if (!c.batch && !c.newFolder) std::ofstream(movie) << "CWS\x06 an earlier movie";
    std::vector<std::string> args = {"-o", movie, "-j", "1", "-y", small, large, small};
    if (c.batch) {
      args.insert(args.begin(), "-b");
      args.back() = Png("third.png", 3);  // a batch movie per name
    }
    const FolderSnapshot before = SnapshotFolder(folder_.path());

    Child child(args, log_.path() + "/out", log_.path() + "/err");
    ASSERT_TRUE(child.started());
    // The large image's movie is being written: its temporary file is there (batch: after
    // small.swf was committed).
    ASSERT_TRUE(WaitUntil(child, [&] {
      if (!fs::exists(out)) return false;
      return !TemporaryFilesIn(out).empty() && (!c.batch || fs::exists(out + "/small.swf"));
    })) << "the conversion ended before it could be stopped";
    ASSERT_TRUE(child.Signal(c.signal));
    const Outcome outcome = Finish(child);

    EXPECT_EQ(outcome.status, c.exitStatus);
    EXPECT_EQ(outcome.err, "The conversion was cancelled.\n");
    FolderSnapshot expected = before;
    if (c.batch) {
      EXPECT_EQ(ReadSwfFile(out + "/small.swf").frameCount, 13);
      expected["out/small.swf"] = SnapshotFolder(out)["small.swf"];
    }
    EXPECT_EQ(SnapshotFolder(folder_.path()), expected) << "inputs, earlier movie and folders as they were";
    fs::remove(Path("third.png"));
  }
}

// SIGKILL cannot be caught: the temporary file stays until the next run to the same movie.
TEST_F(CliSafetyTest, TheNextRunRemovesWhatAKilledRunLeft) {
  fs::create_directory(Path("out"));
  const std::string movie = Path("out/show.swf");
  {
    Child child({"-o", movie, LargePng("large.png")}, log_.path() + "/out", log_.path() + "/err");
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(WaitUntil(child, [&] { return !TemporaryFilesIn(Path("out")).empty(); }));
    ASSERT_TRUE(child.Signal(SIGKILL));
    EXPECT_EQ(child.Wait() & 0x7F, SIGKILL);
  }
  EXPECT_EQ(TemporaryFilesIn(Path("out")).size(), 1u);
  const Outcome outcome = Run({"-o", movie, Png("a.png")});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(TemporaryFilesIn(Path("out")).empty());
  EXPECT_EQ(ReadSwfFile(movie).frameCount, 13);
}

}  // namespace
}  // namespace lumapress::test

#endif  // _WIN32
