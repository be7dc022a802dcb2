#include <gtest/gtest.h>

#include <fstream>
#include <optional>
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

TEST(CliOptions, SlideShowOptionsReachTheSettings) {
  ParsedCommandLine parsed = Parse({"a.png", "b.png", "-o", "m.swf"});
  ASSERT_TRUE(parsed.options.has_value());
  const ConversionSettings defaults = parsed.options->settings;
  EXPECT_EQ(defaults.stageWidth, 0u);
  EXPECT_EQ(defaults.stageHeight, 0u);
  EXPECT_EQ(defaults.fit, Fit::kNone);
  EXPECT_EQ(defaults.backgroundColor, 0xFFFFFFu);
  EXPECT_EQ(defaults.fadeSeconds, 0.0f);
  EXPECT_FALSE(defaults.fadeIn);
  EXPECT_TRUE(defaults.loop);
  EXPECT_TRUE(defaults.imageDelays.empty());

  parsed = Parse({"a.png", "b.png", "-o", "m.swf", "--stage", "1280x720", "--fit", "cover", "--background", "1a2B3c",
                  "--fade", "0.5", "--fade-in", "--no-loop"});
  ASSERT_TRUE(parsed.options.has_value());
  const ConversionSettings& s = parsed.options->settings;
  EXPECT_EQ(s.stageWidth, 1280u);
  EXPECT_EQ(s.stageHeight, 720u);
  EXPECT_EQ(s.fit, Fit::kCover);
  EXPECT_EQ(s.backgroundColor, 0x1A2B3Cu);
  EXPECT_EQ(s.fadeSeconds, 0.5f);
  EXPECT_TRUE(s.fadeIn);
  EXPECT_FALSE(s.loop);
  EXPECT_FALSE(CheckOptions(*parsed.options).has_value());
}

TEST(CliOptions, ListLinesCarryTheirImagesDisplayTimes) {
  test::TempFolder folder;
  const std::string list = folder.path() + "/list.txt";
  std::ofstream(list) << "b.png\t2.5\nc.png\n";
  ParsedCommandLine parsed = Parse({"a.png", "--inputs-from", list.c_str(), "-o", "m.swf", "-d", "3"});
  ASSERT_TRUE(parsed.options.has_value());
  EXPECT_EQ(parsed.options->settings.imageDelays, (std::vector<std::optional<float>>{std::nullopt, 2.5f, std::nullopt}));
  EXPECT_EQ(ImageDelay(parsed.options->settings, 0), 3.0f);
  EXPECT_EQ(ImageDelay(parsed.options->settings, 1), 2.5f);

  // A fade longer than a list line's time.
  parsed = Parse({"a.png", "--inputs-from", list.c_str(), "-o", "m.swf", "--fade", "2.75"});
  ASSERT_TRUE(parsed.options.has_value());
  EXPECT_EQ(CheckOptions(*parsed.options).value_or("(none)"),
            "--fade: The fade (2.75 s) is longer than the display time of image 1 (1 s).");
}

TEST(CliOptions, BadSlideShowTextsAreUsageErrors) {
  test::TempFolder folder;
  const std::string list = folder.path() + "/list.txt";
  std::ofstream(list) << "b.png\t2.5\n# c\nc.png\t-1\n";
  const std::vector<std::vector<const char*>> cases = {
      {"--stage", "0x10"}, {"--stage", "9000x10"}, {"--stage", "12"}, {"--fit", "bogus"},
      {"--background", "12345G"}, {"--background", "FFF"}, {"--inputs-from", list.c_str()}};
  for (std::vector<const char*> args : cases) {
    args.insert(args.begin(), {"a.png", "-o", "m.swf"});
    const ParsedCommandLine parsed = Parse(args);
    EXPECT_FALSE(parsed.options.has_value()) << args[3] << " " << args[4];
    EXPECT_EQ(parsed.exitStatus, kExitUsage) << args[3] << " " << args[4];
  }
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
      {"negative fade", {"a.png", "-o", "m", "--fade", "-1"}, "--fade: Please enter a fade time between 0 and 100 seconds."},
      {"fade longer than the images", {"a.png", "b.png", "-o", "m", "--fade", "1.5"},
       "--fade: The fade (1.5 s) is longer than the display time of image 2 (1 s)."},
      {"fade-in without a fade", {"a.png", "-o", "m", "--fade-in"}, "--fade-in: A fade-in needs a fade time above 0."},
      {"fade in batch mode", {"a.png", "-o", "m", "-b", "--fade", "0.5"},
       "-b/--batch: Fades and stopping on the last image are for slide shows, not for batch mode."},
      {"no loop in batch mode", {"a.png", "-o", "m", "-b", "--no-loop"},
       "-b/--batch: Fades and stopping on the last image are for slide shows, not for batch mode."},
      {"batch with a stage", {"a.png", "-o", "m", "-b", "--stage", "64x48", "--fit", "contain", "--background", "000000"},
       nullptr},
      {"fade as long as the images", {"a.png", "b.png", "-o", "m", "--fade", "1", "--fade-in", "--no-loop"}, nullptr},
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
