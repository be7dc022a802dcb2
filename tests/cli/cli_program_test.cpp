#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumapress/settings.h"
#include "platform/utf8_text.h"
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

#ifdef _WIN32
// cmd.exe: double quotes around each word (the test's words hold none).
std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// Runs a command line through cmd.exe as UTF-8 and returns the program's exit status. cmd
// strips the first and last quote of a line that starts with one, hence the outer pair.
int RunCommand(const std::string& command) {
  return _wsystem(WideFromUtf8("\"" + command + "\"").c_str());
}

constexpr char kNoInput[] = "NUL";

// The program's text output, with the C runtime's "\r\n" line ends back to "\n".
std::string TextOutput(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}
#else
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int RunCommand(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

constexpr char kNoInput[] = "/dev/null";

std::string TextOutput(std::string text) { return text; }
#endif

class CliProgramTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  // Runs lumapress-cli without a terminal: stdin from `input` (nothing unless given), output
  // into files.
  Outcome Run(const std::vector<std::string>& args, const std::string& input = kNoInput) {
    std::string command = Quote(LUMAPRESS_CLI_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " <" + (input == kNoInput ? input : Quote(input)) + " >" + Quote(Path("stdout.txt")) +
               " 2>" + Quote(Path("stderr.txt"));
    Outcome outcome;
    outcome.status = RunCommand(command);
    outcome.out = TextOutput(ReadFileText(Path("stdout.txt")));
    outcome.err = TextOutput(ReadFileText(Path("stderr.txt")));
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
  std::string message;
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

TEST_F(CliProgramTest, BadSlideShowValuesExitWithTwo) {
  std::ofstream(Path("list.txt")) << "a.png\t2\n# comment\nb.png\t2,5\n";
  const UsageCase cases[] = {
      {"stage side 0", {"--stage", "0x10", "a.png", "-o", "m"},
       "--stage: Please enter a stage size as WIDTHxHEIGHT, each side from 1 to 8191 pixels.\n"},
      {"stage side too long", {"--stage", "9000x10", "a.png", "-o", "m"},
       "--stage: Please enter a stage size as WIDTHxHEIGHT, each side from 1 to 8191 pixels.\n"},
      {"fit", {"--fit", "bogus", "a.png", "-o", "m"}, "--fit: Please choose a fit of none, contain or cover.\n"},
      {"negative fade", {"--fade", "-1", "a.png", "-o", "m"},
       "--fade: Please enter a fade time between 0 and 100 seconds.\n"},
      {"fade longer than a picture", {"--fade", "1.5", "a.png", "b.png", "-o", "m"},
       "--fade: The fade (1.5 s) is longer than the display time of image 2 (1 s).\n"},
      {"background", {"--background", "12345G", "a.png", "-o", "m"},
       "--background: Please enter a background colour as six hexadecimal digits RRGGBB.\n"},
      {"list line with a bad time", {"--inputs-from", Path("list.txt"), "-o", "m"},
       Path("list.txt") + ", line 3: display time \"2,5\": Please enter a number between 0.01 and 100.\n"},
      {"fade in batch mode", {"-b", "--fade", "0.5", "a.png", "-o", "m"},
       "-b/--batch: Fades and stopping on the last image are for slide shows, not for batch mode.\n"},
      {"no loop in batch mode", {"-b", "--no-loop", "a.png", "-o", "m"},
       "-b/--batch: Fades and stopping on the last image are for slide shows, not for batch mode.\n"},
  };
  for (const UsageCase& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.status, 2) << c.what;
    EXPECT_EQ(outcome.err, c.message) << c.what;
    EXPECT_EQ(outcome.out, "") << c.what;
    EXPECT_FALSE(fs::exists(Path("m"))) << c.what;
  }
}

TEST_F(CliProgramTest, SlideShowOptionsMakeTheShow) {
  Png("a.png", 1);
  Png("b.png", 2);
  std::ofstream(Path("list.txt")) << Path("a.png") << "\t2\n" << Path("b.png") << "\n";
  const Outcome outcome = Run({"--stage", "64x48", "--fit", "contain", "--background", "102030", "--fade", "0.5",
                               "--fade-in", "--no-loop", "--inputs-from", Path("list.txt"), "-o", Path("m.swf")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const SwfMovie movie = ReadSwfFile(Path("m.swf"));
  EXPECT_EQ(movie.frameSize.xMax, 64 * 20);
  EXPECT_EQ(movie.frameSize.yMax, 48 * 20);
  EXPECT_EQ(movie.frameCount, FramesForImage(2.0f, 12.0f) + FramesForImage(1.0f, 12.0f));
  EXPECT_EQ(movie.TagsWithCode(9)[0]->body, (std::vector<uint8_t>{0x10, 0x20, 0x30}));  // SetBackgroundColor
  EXPECT_FALSE(movie.TagsWithCode(26).empty());  // PlaceObject2 of the fades
  EXPECT_EQ(movie.TagsWithCode(12).size(), 1u);  // DoAction with the stop
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

TEST_F(CliProgramTest, InputListsJoinTheCommandLineInOrder) {
  Png("a.png", 1);
  Png("b.png", 2, kRgba);
  Png("c.png", 3);
  std::ofstream(Path("list.txt")) << "# middle\n" << Path("b.png") << "\n\n";
  std::ofstream(Path("stdin.txt")) << Path("c.png") << "\n";
  const Outcome outcome = Run({"--verbose", "-o", Path("m.swf"), Path("a.png"), "--inputs-from",
                               Path("list.txt"), "--inputs-from", "-"},
                              Path("stdin.txt"));
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const size_t a = outcome.out.find(Path("a.png") + ":"), b = outcome.out.find(Path("b.png") + ":"),
               c = outcome.out.find(Path("c.png") + ":");
  EXPECT_TRUE(a < b && b < c && c != std::string::npos) << outcome.out;
  EXPECT_EQ(ReadSwfFile(Path("m.swf")).frameCount, 39);
}

TEST_F(CliProgramTest, BadListLineNamesTheListAndLine) {
  Png("a.png", 1);
  std::ofstream(Path("list.txt")) << Path("a.png") << "\n# skipped\n\n" << Path("missing.png") << "\n";
  for (const bool batch : {false, true}) {
    std::vector<std::string> args = {"-y", "-o", Path(batch ? "out" : "m.swf"), "--inputs-from", Path("list.txt")};
    if (batch) args.push_back("-b");
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1) << batch;
    EXPECT_EQ(outcome.err, Path("list.txt") + ", line 4: Cannot open input file " + Path("missing.png") +
                               "! (No such file or directory)\n")
        << batch;
    EXPECT_FALSE(fs::exists(Path("m.swf")));
    EXPECT_FALSE(fs::exists(Path("out/missing.swf")));
  }
  std::ofstream(Path("stdin.txt")) << "\n" << Path("missing.png") << "\n";
  const Outcome fromStdin = Run({"-o", Path("m.swf"), "--inputs-from", "-"}, Path("stdin.txt"));
  EXPECT_EQ(fromStdin.status, 1);
  EXPECT_EQ(fromStdin.err, "standard input, line 2: Cannot open input file " + Path("missing.png") +
                               "! (No such file or directory)\n");
}

TEST_F(CliProgramTest, ListThatCannotBeReadIsAUsageError) {
  const std::string input = Png("a.png", 1);
  const Outcome outcome = Run({"-o", Path("m.swf"), input, "--inputs-from", Path("missing.txt")});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err, "Cannot read input list " + Path("missing.txt") + "!\n");
  EXPECT_FALSE(fs::exists(Path("m.swf")));
}

// Far more images than a command line comfortably holds, all through one list, into one
// movie of one frame per image.
TEST_F(CliProgramTest, TenThousandImagesThroughAList) {
  constexpr int kImages = 10000;
  const std::vector<uint8_t> pixel = EncodePng(Rgb8Png(1, 1, std::vector<uint8_t>{10, 200, 30}));
  fs::create_directory(Path("images"));
  {
    std::ofstream list(Path("list.txt"));
    for (int i = 0; i < kImages; ++i) {
      const std::string image = Path("images/image-with-a-longish-name-" + std::to_string(i) + ".png");
      WriteFileBytes(image, pixel);
      list << image << '\n';
    }
  }
  const Outcome outcome =
      Run({"--quiet", "-j", "1", "-d", "0.01", "-o", Path("m.swf"), "--inputs-from", Path("list.txt")});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadSwfFile(Path("m.swf")).frameCount, kImages);
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
    EXPECT_EQ(ReadFileText(Path("s1.swf")), ReadFileText(Path("s4.swf"))) << "quality " << quality;
    for (uint32_t i = 0; i < 5; ++i) {
      const std::string name = "/i" + std::to_string(i) + ".swf";
      EXPECT_EQ(ReadFileText(Path("b1") + name), ReadFileText(Path("b4") + name)) << name << " quality " << quality;
    }
  }
}

// Names outside ASCII (and outside any one ANSI code page) reach the program and the files.
TEST_F(CliProgramTest, ConvertsNonAsciiFileNames) {
  const std::string input = Png("Bild-äöü-日本.png", 3, kRgba);
  const Outcome single = Run({"-o", Path("Film-äöü-日本.swf"), input});
  EXPECT_EQ(single.status, 0) << single.err;
  EXPECT_EQ(ReadSwfFile(Path("Film-äöü-日本.swf")).frameCount, 13);

  const Outcome batch = Run({"-y", "-b", "-o", Path("Filme-äöü"), input});
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(ReadSwfFile(Path("Filme-äöü/Bild-äöü-日本.swf")).frameCount, 13);
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(FsPath(Path("Filme-äöü")))) {
    written.push_back(Utf8Path(entry.path().filename()));
  }
  EXPECT_EQ(written, std::vector<std::string>{"Bild-äöü-日本.swf"}) << "no temporary file is left";

  const Outcome missing = Run({"-o", Path("x.swf"), Path("Fehlt-äöü.png")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot open input file " + Path("Fehlt-äöü.png") + "! (No such file or directory)\n");
}

}  // namespace
}  // namespace lumapress::test
