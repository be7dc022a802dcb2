#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/png_maker.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class CliProgramTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  // Runs lumapress-cli without a terminal: stdin from /dev/null, output into files.
  Outcome Run(const std::vector<std::string>& args) {
    std::string command = Quote(LUMAPRESS_CLI_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " </dev/null >" + Quote(Path("stdout.txt")) + " 2>" + Quote(Path("stderr.txt"));
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = Slurp(Path("stdout.txt"));
    outcome.err = Slurp(Path("stderr.txt"));
    return outcome;
  }

  std::string Png(const std::string& name, uint32_t seed, int colorType = kRgb) {
    WritePngFile(Path(name), PatternPng(colorType, 8, 24, 16, seed));
    return Path(name);
  }

  TempFolder folder_;
};

struct UsageCase {
  const char* what;
  std::vector<std::string> args;
  const char* message;
};

TEST_F(CliProgramTest, UsageErrorsExitWithTwo) {
  const UsageCase cases[] = {
      {"empty list", {"-o", "m.swf"}, "Please add at least one input image first.\n"},
      {"no output file", {"a.png"}, "-o/--output: Please select an output file first.\n"},
      {"no output folder", {"-b", "a.png"}, "-o/--output: Please select an output folder first.\n"},
      {"delay", {"-d", "0", "a.png", "-o", "m"}, "-d/--delay: Please enter a number between 0.01 and 100.\n"},
      {"quality", {"-q", "101", "a.png", "-o", "m"}, "-q/--quality: Please enter an integer between 0 and 100.\n"},
      {"rate", {"--fps", "256", "a.png", "-o", "m"}, "-r/--fps: Please enter a number between 1 and 255.\n"},
      {"jobs", {"-j", "0", "a.png", "-o", "m"}, "-j/--jobs: Please enter a number of jobs between 1 and 16.\n"},
      {"frames", {"-d", "100", "-r", "255", "a.png", "b.png", "c.png", "-o", "m"},
       "These settings make a movie of 76503 frames; a movie holds at most 65535.\n"},
  };
  for (const UsageCase& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.status, 2) << c.what;
    EXPECT_EQ(outcome.err, c.message) << c.what;
    EXPECT_EQ(outcome.out, "") << c.what;
  }
  EXPECT_EQ(Run({"--no-such-option"}).status, 2);
  EXPECT_EQ(Run({"-q", "high", "a.png"}).status, 2);
}

TEST_F(CliProgramTest, HelpAndVersionExitWithZero) {
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--control-file"), std::string::npos);
  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("lumapress-cli ", 0), 0u);
}

TEST_F(CliProgramTest, ConvertsAndKeepsDiagnosticsOffStdout) {
  const Outcome outcome = Run({"-o", Path("m.swf"), Png("a.png", 1), Png("b.png", 2, kRgba)});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Conversion completed successfully.\n");
  EXPECT_EQ(outcome.err, "");  // no terminal, so no progress bar
  EXPECT_EQ(ReadSwfFile(Path("m.swf")).frameCount, 26);

  const Outcome quiet = Run({"--quiet", "-o", Path("q.swf"), Path("a.png")});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");

  const Outcome verbose = Run({"--verbose", "-o", Path("v.swf"), Path("a.png")});
  EXPECT_EQ(verbose.status, 0);
  EXPECT_NE(verbose.out.find("- done."), std::string::npos);  // the compression statistics
  EXPECT_NE(verbose.out.find(Path("a.png") + ": DefineBitsLossless"), std::string::npos);
  EXPECT_NE(verbose.out.find(Path("v.swf") + ": 1 image, 13 frames"), std::string::npos);
}

TEST_F(CliProgramTest, StoppedRunExitsWithOne) {
  const Outcome outcome = Run({"-o", Path("m.swf"), Png("a.png", 1), Path("missing.png")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Cannot open input file " + Path("missing.png") + "! (No such file or directory)\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_FALSE(fs::exists(Path("m.swf")));
}

TEST_F(CliProgramTest, MissingFolderNeedsYesWithoutATerminal) {
  const std::string input = Png("a.png", 1);
  const Outcome refused = Run({"-b", "-o", Path("new/deeper"), input});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("The specified output directory doesn't exist.\nWould you like to create it?"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(Path("new")));

  const Outcome created = Run({"--yes", "-b", "-o", Path("new/deeper"), input});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(ReadSwfFile(Path("new/deeper/a.swf")).frameCount, 13);
}

TEST_F(CliProgramTest, JobCountGivesByteIdenticalFiles) {
  std::vector<std::string> inputs;
  for (uint32_t i = 0; i < 5; ++i) inputs.push_back(Png("i" + std::to_string(i) + ".png", i, i % 2 ? kRgba : kRgb));
  for (const char* quality : {"70", "100"}) {
    for (const char* jobs : {"1", "4"}) {
      std::vector<std::string> single = {"-q", quality, "-j", jobs, "-o", Path(std::string("s") + jobs + ".swf")};
      single.insert(single.end(), inputs.begin(), inputs.end());
      ASSERT_EQ(Run(single).status, 0);
      std::vector<std::string> batch = {"-y", "-b", "-q", quality, "-j", jobs, "-o", Path(std::string("b") + jobs)};
      batch.insert(batch.end(), inputs.begin(), inputs.end());
      ASSERT_EQ(Run(batch).status, 0);
    }
    EXPECT_EQ(Slurp(Path("s1.swf")), Slurp(Path("s4.swf"))) << "quality " << quality;
    for (uint32_t i = 0; i < 5; ++i) {
      const std::string name = "/i" + std::to_string(i) + ".swf";
      EXPECT_EQ(Slurp(Path("b1") + name), Slurp(Path("b4") + name)) << name << " quality " << quality;
    }
  }
}

}  // namespace
}  // namespace lumapress::test
