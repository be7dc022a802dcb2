// The library's checks of a run's settings, its one status table, and what a run does with
// settings it refuses: nothing on disk, an answer at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "conversion_fixture.h"
#include "lumapress/convert.h"
#include "lumapress/version.h"

namespace lumapress::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

ConversionSettings Valid() {
  ConversionSettings settings;
  settings.outputPath = "m.swf";
  return settings;
}

TEST(SettingsChecks, EachSettingHasItsRangeAndItsStatus) {
  const struct {
    const char* what;
    void (*edit)(ConversionSettings&);
    Status status;
  } cases[] = {
      {"defaults", [](ConversionSettings&) {}, Status::kOk},
      {"shortest delay", [](ConversionSettings& s) { s.delaySeconds = 0.01f; }, Status::kOk},
      {"longest delay", [](ConversionSettings& s) { s.delaySeconds = 100; }, Status::kOk},
      {"delay 0", [](ConversionSettings& s) { s.delaySeconds = 0; }, Status::kDelayOutOfRange},
      {"negative delay", [](ConversionSettings& s) { s.delaySeconds = -1; }, Status::kDelayOutOfRange},
      {"delay NaN", [](ConversionSettings& s) { s.delaySeconds = kNaN; }, Status::kDelayOutOfRange},
      {"delay infinite", [](ConversionSettings& s) { s.delaySeconds = kInfinity; }, Status::kDelayOutOfRange},
      {"quality 0", [](ConversionSettings& s) { s.jpegQuality = 0; }, Status::kOk},
      {"quality -1", [](ConversionSettings& s) { s.jpegQuality = -1; }, Status::kQualityOutOfRange},
      {"quality 101", [](ConversionSettings& s) { s.jpegQuality = 101; }, Status::kQualityOutOfRange},
      {"rate 1", [](ConversionSettings& s) { s.framesPerSecond = 1; }, Status::kOk},
      {"rate 255.9", [](ConversionSettings& s) { s.framesPerSecond = 255.9f; }, Status::kFrameRateOutOfRange},
      {"negative rate", [](ConversionSettings& s) { s.framesPerSecond = -1; }, Status::kFrameRateOutOfRange},
      {"rate NaN", [](ConversionSettings& s) { s.framesPerSecond = kNaN; }, Status::kFrameRateOutOfRange},
      {"rate -infinity", [](ConversionSettings& s) { s.framesPerSecond = -kInfinity; }, Status::kFrameRateOutOfRange},
      {"no jobs", [](ConversionSettings& s) { s.jobs = 0; }, Status::kJobsOutOfRange},
      {"most jobs", [](ConversionSettings& s) { s.jobs = kMaxJobs; }, Status::kOk},
      {"too many jobs", [](ConversionSettings& s) { s.jobs = kMaxJobs + 1; }, Status::kJobsOutOfRange},
      {"no pixels", [](ConversionSettings& s) { s.maxPixels = 0; }, Status::kMaxPixelsOutOfRange},
      {"one pixel", [](ConversionSettings& s) { s.maxPixels = 1; }, Status::kOk},
      {"the largest bitmap", [](ConversionSettings& s) { s.maxPixels = kMaxMaxPixels; }, Status::kOk},
      {"beyond the largest bitmap", [](ConversionSettings& s) { s.maxPixels = kMaxMaxPixels + 1; },
       Status::kMaxPixelsOutOfRange},
      {"no output file", [](ConversionSettings& s) { s.outputPath.clear(); }, Status::kNoOutputFile},
      {"no output folder", [](ConversionSettings& s) { s.outputPath.clear(); s.batchMode = true; },
       Status::kNoOutputFolder},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = Valid();
    c.edit(settings);
    EXPECT_EQ(CheckSettings(settings, 1).status, c.status) << c.what;
  }
}

TEST(SettingsChecks, RangesComeFirstThenTheListThenTheOutput) {
  ConversionSettings settings;
  settings.delaySeconds = 0;
  EXPECT_EQ(CheckSettings(settings, 0).status, Status::kDelayOutOfRange);
  settings.delaySeconds = 1;
  EXPECT_EQ(CheckSettings(settings, 0).status, Status::kNoInputs);
  EXPECT_EQ(CheckSettings(settings, 1).status, Status::kNoOutputFile);
}

// The header's FrameCount is 16 bits: a slide show's frames add up over its images, a batch
// movie holds one image.
TEST(SettingsChecks, MoviesOverTheFrameCountAreRefusedBeforehand) {
  ConversionSettings settings = Valid();
  settings.delaySeconds = 3;  // 37 frames at 12 fps
  EXPECT_EQ(CheckSettings(settings, 1771).status, Status::kOk) << "65527 frames";
  const ConversionResult refused = CheckSettings(settings, 1772);
  EXPECT_EQ(refused.status, Status::kTooManyFrames);
  EXPECT_EQ(refused.message, "These settings make a movie of 65564 frames; a movie holds at most 65535.");
  settings.batchMode = true;
  EXPECT_EQ(CheckSettings(settings, 100000).status, Status::kOk);
  settings.delaySeconds = 100;
  settings.framesPerSecond = 255;
  EXPECT_EQ(CheckSettings(settings, 1).status, Status::kOk) << FramesForImage(100, 255) << " frames";
}

TEST(StatusTexts, EveryStatusHasItsOwnText) {
  std::vector<std::string> seen;
  for (int i = 0; i <= static_cast<int>(Status::kFadeTooLong); ++i) {
    const std::string text(StatusText(static_cast<Status>(i)));
    EXPECT_FALSE(text.empty()) << i;
    if (text.find("between") == std::string::npos) {  // the range texts share their form
      EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << text;
    }
    seen.push_back(text);
  }
}

TEST(StatusTexts, ValuesFillTheMarksInOrder) {
  const struct {
    Status status;
    std::vector<std::string> values;
    const char* message;
  } cases[] = {
      {Status::kCannotOpenInput, {"a.png"}, "Cannot open input file a.png!"},
      {Status::kImageTooLarge, {"big.png"}, "Image big.png is too large!"},
      {Status::kOutputCollision, {"d1/a.png", "d2/a.png", "out/a.swf"},
       "The images d1/a.png and d2/a.png would both become the movie out/a.swf!"},
      {Status::kCannotOpenInput, {}, "Cannot open input file !"},
      {Status::kNotPngImage, {"a.png"}, "PNG reader initialisation failed."},
      {Status::kDelayOutOfRange, {}, "Please enter a number between 0.01 and 100."},
      {Status::kQualityOutOfRange, {}, "Please enter an integer between 0 and 100."},
      {Status::kFrameRateOutOfRange, {}, "Please enter a number between 1 and 255."},
      {Status::kJobsOutOfRange, {}, "Please enter a number of jobs between 1 and 16."},
      {Status::kMaxPixelsOutOfRange, {}, "Please enter a number of pixels between 1 and 4294836225."},
      {Status::kOk, {}, "Conversion completed successfully."},
  };
  for (const auto& c : cases) {
    std::string message;
    switch (c.values.size()) {
      case 0: message = StatusMessage(c.status); break;
      case 1: message = StatusMessage(c.status, {c.values[0]}); break;
      default: message = StatusMessage(c.status, {c.values[0], c.values[1], c.values[2]}); break;
    }
    EXPECT_EQ(message, c.message);
  }
}

TEST(Version, TheLibraryReportsTheVersionItWasBuiltAs) {
  EXPECT_STREQ(Version(), LUMAPRESS_VERSION_STRING);
  EXPECT_EQ(std::string(Version()).rfind(std::to_string(LUMAPRESS_VERSION_MAJOR) + "." +
                                             std::to_string(LUMAPRESS_VERSION_MINOR), 0),
            0u);
}

// Refused settings come back at once, before any input is opened or output touched.
TEST_F(ConversionTest, RefusedSettingsTouchNothing) {
  const std::string input = FlatPng("a.png", 4, 4, 1);
  for (const float rate : {-1.0f, 0.0f, kNaN, 1000.0f}) {
    settings_.framesPerSecond = rate;
    settings_.outputPath = Path("new/m.swf");
    EXPECT_EQ(Convert({input}), -1) << rate;
    EXPECT_EQ(result_.status, Status::kFrameRateOutOfRange) << rate;
    EXPECT_TRUE(user_.questions.empty()) << "no folder question for " << rate;
    EXPECT_FALSE(std::filesystem::exists(Path("new"))) << rate;
  }
}

}  // namespace
}  // namespace lumapress::test
