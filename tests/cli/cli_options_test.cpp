#include <gtest/gtest.h>

#include <vector>

#include "cli_options.h"
#include "progress_bar.h"

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
  EXPECT_EQ(parsed.options->inputs, std::vector<std::string>{"a.png"});
}

TEST(CliOptions, EveryOptionReachesTheSettings) {
  const ParsedCommandLine parsed =
      Parse({"-b", "-o", "out", "-d", "2.5", "-q", "80", "-r", "24", "-c", "c.swf", "-y", "-j", "3",
             "--smallest", "--quiet", "a.png", "b.png"});
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
  EXPECT_TRUE(o.createFolder);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.inputs.size(), 2u);
}

TEST(CliOptions, ZeroJobsIsAUsageError) {
  const ParsedCommandLine parsed = Parse({"-j", "0", "a.png"});
  EXPECT_FALSE(parsed.options.has_value());
  EXPECT_EQ(parsed.exitStatus, kExitUsage);
}

struct CheckCase {
  const char* what;
  std::vector<const char*> args;
  const char* message;  // nullptr: passes
};

TEST(CliOptions, ChecksRunInConvertsOrder) {
  const CheckCase cases[] = {
      {"all fine", {"a.png", "-o", "m.swf"}, nullptr},
      {"range before empty list", {"-d", "0"}, "Please enter a delay (-d/--delay) between 0.01 and 100 seconds."},
      {"delay too long", {"a.png", "-o", "m", "-d", "100.5"}, "Please enter a delay (-d/--delay) between 0.01 and 100 seconds."},
      {"quality", {"a.png", "-o", "m", "-q", "101"}, "Please enter a quality (-q/--quality) between 0 and 100."},
      {"negative quality", {"a.png", "-o", "m", "-q", "-1"}, "Please enter a quality (-q/--quality) between 0 and 100."},
      {"rate", {"a.png", "-o", "m", "-r", "0.5"}, "Please enter a frame rate (-r/--fps) between 1 and 1000."},
      {"empty list before output", {}, "Please add at least one input image first."},
      {"no output file", {"a.png"}, "Please select an output file first."},
      {"no output folder", {"a.png", "-b"}, "Please select an output folder first."},
      {"edges of the ranges", {"a.png", "-o", "m", "-d", "0.01", "-q", "0", "-r", "1000"}, nullptr},
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
