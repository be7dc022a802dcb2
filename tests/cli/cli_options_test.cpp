#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "progress_bar.h"
#include "support/temp_folder.h"

namespace lumapress {
namespace {

ParsedCommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "lumapress-cli");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CliOptions, DefaultsMatchTheDialog) {
  const ParsedCommandLine parsed = Parse({"a.png", "-o", "m.swf"});
  ASSERT_TRUE(parsed.options.has_value());
  const ConversionSettings& s = parsed.options->settings;
  EXPECT_EQ(s.delaySeconds, 1.0f);
  EXPECT_EQ(s.jpegQuality, 100);
  EXPECT_EQ(s.framesPerSecond, 12.0f);
  EXPECT_FALSE(s.batchMode);
  EXPECT_FALSE(s.smallest);
  EXPECT_GE(s.jobs, 1u);
  EXPECT_EQ(s.maxPixels, kDefaultMaxPixels);
  EXPECT_FALSE(s.renameCollisions);
  EXPECT_EQ(parsed.options->inputs, (std::vector<InputEntry>{{"a.png", "", 0}}));
}

TEST(CliOptions, EveryOptionReachesTheSettings) {
  const ParsedCommandLine parsed = Parse({"-b", "-o", "out", "-d", "2.5", "-q", "80", "-r", "24", "-c", "c.swf", "-y",
                                          "-j", "3", "--max-pixels", "1000000", "--rename", "--smallest", "--quiet",
                                          "a.png", "b.png"});
  ASSERT_TRUE(parsed.options.has_value());
  const CliOptions& o = *parsed.options;
  EXPECT_TRUE(o.settings.batchMode);
  EXPECT_EQ(o.settings.outputPath, "out");
  EXPECT_EQ(o.settings.delaySeconds, 2.5f);
  EXPECT_EQ(o.settings.jpegQuality, 80);
  EXPECT_EQ(o.settings.framesPerSecond, 24.0f);
  EXPECT_EQ(o.settings.controlFilePath, "c.swf");
  EXPECT_EQ(o.settings.jobs, 3u);
  EXPECT_TRUE(o.settings.smallest);
  EXPECT_EQ(o.settings.maxPixels, 1000000u);
  EXPECT_TRUE(o.settings.renameCollisions);
  EXPECT_TRUE(o.createFolder);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.inputs.size(), 2u);
}

TEST(CliOptions, JobCountsOutOfRangeStayOutOfRange) {
  for (const char* jobs : {"0", "-3", "17", "65", "99999999999"}) {
    const ParsedCommandLine parsed = Parse({"-j", jobs, "a.png", "-o", "m.swf"});
    ASSERT_TRUE(parsed.options.has_value()) << jobs;
    EXPECT_EQ(CheckOptions(*parsed.options).value_or("(none)"),
              "-j/--jobs: Please enter a number of jobs between 1 and 16.")
        << jobs;
  }
}

TEST(CliOptions, PathsAndListsKeepTheirOrder) {
  test::TempFolder folder;
  const std::string first = folder.path() + "/first.txt", second = folder.path() + "/second.txt";
  std::ofstream(first) << "b.png\nc.png\n";
  std::ofstream(second) << "# more\ne.png\n";
  const std::string secondOption = "--inputs-from=" + second;
  const ParsedCommandLine parsed =
      Parse({"a.png", "--inputs-from", first.c_str(), "d.png", "-o", "m.swf", secondOption.c_str(), "f.png"});
  ASSERT_TRUE(parsed.options.has_value());
  EXPECT_EQ(parsed.options->inputs, (std::vector<InputEntry>{{"a.png", "", 0},
                                                             {"b.png", first, 1},
                                                             {"c.png", first, 2},
                                                             {"d.png", "", 0},
                                                             {"e.png", second, 2},
                                                             {"f.png", "", 0}}));
}

TEST(CliOptions, ListAloneAndEmptyList) {
  test::TempFolder folder;
  const std::string list = folder.path() + "/list.txt";
  std::ofstream(list) << "# nothing yet\n";
  const ParsedCommandLine parsed = Parse({"--inputs-from", list.c_str(), "-o", "m.swf"});
  ASSERT_TRUE(parsed.options.has_value());
  EXPECT_EQ(CheckOptions(*parsed.options).value_or(""), "Please add at least one input image first.");
}

TEST(CliOptions, ListThatCannotBeReadIsAUsageError) {
  test::TempFolder folder;
  const std::string missing = folder.path() + "/missing.txt";
  for (const std::string& list : {missing, folder.path()}) {
    const ParsedCommandLine parsed = Parse({"a.png", "-o", "m.swf", "--inputs-from", list.c_str()});
    EXPECT_FALSE(parsed.options.has_value()) << list;
    EXPECT_EQ(parsed.exitStatus, kExitUsage) << list;
  }
}

struct CheckCase {
  const char* what;
  std::vector<const char*> args;
  const char* message;  // nullptr: passes
};

TEST(CliOptions, ChecksRunInConvertsOrder) {
  const CheckCase cases[] = {
      {"all fine", {"a.png", "-o", "m.swf"}, nullptr},
      {"range before empty list", {"-d", "0"}, "-d/--delay: Please enter a number between 0.01 and 100."},
      {"delay too long", {"a.png", "-o", "m", "-d", "100.5"}, "-d/--delay: Please enter a number between 0.01 and 100."},
      {"delay not a number", {"a.png", "-o", "m", "-d", "nan"}, "-d/--delay: Please enter a number between 0.01 and 100."},
      {"quality", {"a.png", "-o", "m", "-q", "101"}, "-q/--quality: Please enter an integer between 0 and 100."},
      {"negative quality", {"a.png", "-o", "m", "-q", "-1"}, "-q/--quality: Please enter an integer between 0 and 100."},
      {"rate", {"a.png", "-o", "m", "-r", "0.5"}, "-r/--fps: Please enter a number between 1 and 255."},
      {"rate over the header's byte", {"a.png", "-o", "m", "-r", "1000"}, "-r/--fps: Please enter a number between 1 and 255."},
      {"infinite rate", {"a.png", "-o", "m", "-r", "inf"}, "-r/--fps: Please enter a number between 1 and 255."},
      {"empty list before output", {}, "Please add at least one input image first."},
      {"no output file", {"a.png"}, "-o/--output: Please select an output file first."},
      {"no output folder", {"a.png", "-b"}, "-o/--output: Please select an output folder first."},
      {"edges of the ranges", {"a.png", "-o", "m", "-d", "0.01", "-q", "0", "-r", "255"}, nullptr},
  };
  for (const CheckCase& c : cases) {
    const ParsedCommandLine parsed = Parse(c.args);
    ASSERT_TRUE(parsed.options.has_value()) << c.what;
    const auto problem = CheckOptions(*parsed.options);
    if (c.message == nullptr) {
      EXPECT_FALSE(problem.has_value()) << c.what << ": " << problem.value_or("");
    } else {
      EXPECT_EQ(problem.value_or("(none)"), c.message) << c.what;
    }
  }
}

TEST(ProgressBar, LineShowsDoneTotalElapsedAndRemaining) {
  EXPECT_EQ(ProgressBar::Line(0, 4, 0.0), "[..............................] 0/4 images, elapsed 0:00");
  EXPECT_EQ(ProgressBar::Line(1, 4, 10.0),
            "[#######.......................] 1/4 images, elapsed 0:10, remaining 0:30");
  EXPECT_EQ(ProgressBar::Line(4, 4, 75.0), "[##############################] 4/4 images, elapsed 1:15");
}

}  // namespace
}  // namespace lumapress
