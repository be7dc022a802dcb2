// The slide-show settings: stage, fit, background, fades, a stop at the end and each image's
// own display time; their ranges, the texts front ends take them from, and the checks that
// tie them to the images.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "lumapress/settings.h"

namespace lumapress::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

ConversionSettings Valid() {
  ConversionSettings settings;
  settings.outputPath = "m.swf";
  return settings;
}

TEST(SlideShowSettings, EachSettingHasItsRangeAndItsStatus) {
  const struct {
    const char* what;
    void (*edit)(ConversionSettings&);
    Status status;
  } cases[] = {
      {"the first image's stage", [](ConversionSettings& s) { s.stageWidth = s.stageHeight = 0; }, Status::kOk},
      {"smallest stage", [](ConversionSettings& s) { s.stageWidth = s.stageHeight = 1; }, Status::kOk},
      {"largest stage", [](ConversionSettings& s) { s.stageWidth = s.stageHeight = 8191; }, Status::kOk},
      {"stage 0x10", [](ConversionSettings& s) { s.stageHeight = 10; }, Status::kStageOutOfRange},
      {"stage 10x0", [](ConversionSettings& s) { s.stageWidth = 10; }, Status::kStageOutOfRange},
      {"stage 9000x10", [](ConversionSettings& s) { s.stageWidth = 9000, s.stageHeight = 10; },
       Status::kStageOutOfRange},
      {"stage 10x8192", [](ConversionSettings& s) { s.stageWidth = 10, s.stageHeight = 8192; },
       Status::kStageOutOfRange},
      {"fit contain", [](ConversionSettings& s) { s.fit = Fit::kContain; }, Status::kOk},
      {"fit cover", [](ConversionSettings& s) { s.fit = Fit::kCover; }, Status::kOk},
      {"a fit that does not exist", [](ConversionSettings& s) { s.fit = static_cast<Fit>(3); }, Status::kUnknownFit},
      {"black background", [](ConversionSettings& s) { s.backgroundColor = 0; }, Status::kOk},
      {"background beyond 24 bits", [](ConversionSettings& s) { s.backgroundColor = 0x1000000; },
       Status::kBackgroundOutOfRange},
      {"no fade", [](ConversionSettings& s) { s.fadeSeconds = 0; }, Status::kOk},
      {"fade as long as the images", [](ConversionSettings& s) { s.fadeSeconds = 1; }, Status::kOk},
      {"negative fade", [](ConversionSettings& s) { s.fadeSeconds = -1; }, Status::kFadeOutOfRange},
      {"fade NaN", [](ConversionSettings& s) { s.fadeSeconds = kNaN; }, Status::kFadeOutOfRange},
      {"fade beyond the longest display time", [](ConversionSettings& s) { s.fadeSeconds = 101; },
       Status::kFadeOutOfRange},
      {"fade longer than the images", [](ConversionSettings& s) { s.fadeSeconds = 1.5f; }, Status::kFadeTooLong},
      {"fade-in", [](ConversionSettings& s) { s.fadeSeconds = 0.5f, s.fadeIn = true; }, Status::kOk},
      {"fade-in without a fade", [](ConversionSettings& s) { s.fadeIn = true; }, Status::kFadeInWithoutFade},
      {"no loop", [](ConversionSettings& s) { s.loop = false; }, Status::kOk},
      {"batch with stage, fit and background",
       [](ConversionSettings& s) {
         s.batchMode = true, s.stageWidth = 64, s.stageHeight = 48, s.fit = Fit::kCover, s.backgroundColor = 0;
       },
       Status::kOk},
      {"batch with a fade", [](ConversionSettings& s) { s.batchMode = true, s.fadeSeconds = 0.5f; },
       Status::kSlideShowOnly},
      {"batch with a fade-in", [](ConversionSettings& s) { s.batchMode = true, s.fadeIn = true; },
       Status::kSlideShowOnly},
      {"batch without a loop", [](ConversionSettings& s) { s.batchMode = true, s.loop = false; },
       Status::kSlideShowOnly},
      {"display times for every image", [](ConversionSettings& s) { s.imageDelays = {2.5f, std::nullopt, 0.5f}; },
       Status::kOk},
      {"display times for some images", [](ConversionSettings& s) { s.imageDelays = {2.5f, 1.0f}; },
       Status::kImageDelaysMismatch},
      {"a display time of 0", [](ConversionSettings& s) { s.imageDelays = {1.0f, 0.0f, 1.0f}; },
       Status::kDelayOutOfRange},
      {"a display time beyond 100 s", [](ConversionSettings& s) { s.imageDelays = {1.0f, 1.0f, 100.5f}; },
       Status::kDelayOutOfRange},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = Valid();
    c.edit(settings);
    EXPECT_EQ(CheckSettings(settings, 3).status, c.status) << c.what;
  }
}

TEST(SlideShowSettings, StatusesAboutOneImageNameIt) {
  ConversionSettings settings = Valid();
  settings.imageDelays = {3.0f, 2.0f, std::nullopt, 1.5f};  // the third shows for delaySeconds, 1 s
  settings.fadeSeconds = 1.25f;
  const ConversionResult tooLong = CheckSettings(settings, 4);
  EXPECT_EQ(tooLong.status, Status::kFadeTooLong);
  EXPECT_EQ(tooLong.inputIndex, 2u);
  EXPECT_EQ(tooLong.message, "The fade (1.25 s) is longer than the display time of image 3 (1 s).");

  settings.imageDelays[2] = 0.005f;
  const ConversionResult badTime = CheckSettings(settings, 4);
  EXPECT_EQ(badTime.status, Status::kDelayOutOfRange);
  EXPECT_EQ(badTime.inputIndex, 2u);
  EXPECT_EQ(badTime.message, "Please enter a number between 0.01 and 100.");
}

// Every fade joins two images and lasts no longer than either; the first image fades in only
// when asked, and then no longer than it is shown.
TEST(SlideShowSettings, FadesFitTheImagesTheyJoin) {
  const struct {
    std::vector<std::optional<float>> delays;
    float fade;
    bool fadeIn;
    Status status;
    size_t inputIndex;
  } cases[] = {
      {{0.5f, 2.0f}, 0.5f, false, Status::kOk, ConversionResult::kNoInput},
      {{0.5f, 2.0f}, 0.75f, false, Status::kFadeTooLong, 0},
      {{2.0f, 0.5f}, 0.75f, false, Status::kFadeTooLong, 1},
      {{0.5f, 2.0f, 2.0f}, 1.0f, false, Status::kFadeTooLong, 0},
      {{0.5f}, 5.0f, false, Status::kOk, ConversionResult::kNoInput},  // nothing to fade
      {{0.5f}, 0.5f, true, Status::kOk, ConversionResult::kNoInput},
      {{0.5f}, 0.6f, true, Status::kFadeTooLong, 0},
      {{2.0f, 2.0f, 2.0f, 0.3f}, 0.3f, true, Status::kOk, ConversionResult::kNoInput},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = Valid();
    settings.imageDelays = c.delays;
    settings.fadeSeconds = c.fade;
    settings.fadeIn = c.fadeIn;
    const ConversionResult result = CheckSettings(settings, c.delays.size());
    SCOPED_TRACE(testing::Message() << c.delays.size() << " images, fade " << c.fade);
    EXPECT_EQ(result.status, c.status) << result.message;
    EXPECT_EQ(result.inputIndex, c.inputIndex);
  }
}

// The frame limit counts each image's own frames.
TEST(SlideShowSettings, FramesAddUpOverTheImagesOwnTimes) {
  ConversionSettings settings = Valid();
  settings.framesPerSecond = 255;
  settings.imageDelays = {100.0f, 100.0f, 50.0f};  // about 25500 + 25500 + 12750 frames
  const uint32_t frames = FramesForImage(100, 255) * 2 + FramesForImage(50, 255);
  ASSERT_LE(frames, kMaxMovieFrames);
  EXPECT_EQ(CheckSettings(settings, 3).status, Status::kOk);
  settings.imageDelays[2] = 60.0f;
  const ConversionResult refused = CheckSettings(settings, 3);
  EXPECT_EQ(refused.status, Status::kTooManyFrames);
  EXPECT_EQ(refused.message, "These settings make a movie of " +
                                 std::to_string(FramesForImage(100, 255) * 2 + FramesForImage(60, 255)) +
                                 " frames; a movie holds at most 65535.");
  settings.batchMode = true;  // one image per movie
  EXPECT_EQ(CheckSettings(settings, 3).status, Status::kOk);
}

TEST(SlideShowSettings, FadesCountFramesAsDisplayTimesDo) {
  EXPECT_EQ(FramesForFade(0, 12), 0u);
  EXPECT_EQ(FramesForFade(-1, 12), 0u);
  EXPECT_EQ(FramesForFade(kNaN, 12), 0u);
  EXPECT_EQ(FramesForFade(1, 12), 13u);
  EXPECT_EQ(FramesForFade(0.5f, 12), 6u);
  EXPECT_EQ(FramesForFade(0.001f, 12), 1u);  // shorter than a frame: a cut
  // A fade that fits an image's display time fits its frames.
  for (const float rate : {1.0f, 12.0f, 12.5f, 24.0f, 30.0f, 60.0f, 255.0f}) {
    for (float delay = 0.01f; delay <= 5.0f; delay += 0.07f) {
      EXPECT_LE(FramesForFade(delay, rate), FramesForImage(delay, rate)) << delay << " s at " << rate;
      EXPECT_EQ(FramesForFade(delay, rate), FramesForImage(delay, rate)) << delay << " s at " << rate;
    }
  }
}

TEST(SlideShowSettings, StageSizesFromText) {
  const struct {
    const char* text;
    Status status;
    uint32_t width, height;
  } cases[] = {
      {"1280x720", Status::kOk, 1280, 720},
      {" 640X480 ", Status::kOk, 640, 480},
      {"1x8191", Status::kOk, 1, 8191},
      {"", Status::kOk, 0, 0},
      {"0x10", Status::kStageOutOfRange, 7, 7},
      {"9000x10", Status::kStageOutOfRange, 7, 7},
      {"10x", Status::kStageOutOfRange, 7, 7},
      {"x10", Status::kStageOutOfRange, 7, 7},
      {"10*10", Status::kStageOutOfRange, 7, 7},
      {"10x10x10", Status::kStageOutOfRange, 7, 7},
      {"-10x10", Status::kStageOutOfRange, 7, 7},
      {"+10x10", Status::kStageOutOfRange, 7, 7},
      {"10 x 10", Status::kStageOutOfRange, 7, 7},
      {"99999999999x1", Status::kStageOutOfRange, 7, 7},
  };
  for (const auto& c : cases) {
    uint32_t width = 7, height = 7;
    EXPECT_EQ(ParseStageSize(c.text, width, height), c.status) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    EXPECT_EQ(height, c.height) << c.text;
  }
}

TEST(SlideShowSettings, FitsAndColoursFromText) {
  for (const Fit fit : {Fit::kNone, Fit::kContain, Fit::kCover}) {
    Fit parsed = Fit::kNone;
    EXPECT_EQ(ParseFit(FitName(fit), parsed), Status::kOk);
    EXPECT_EQ(parsed, fit);
  }
  Fit fit = Fit::kCover;
  EXPECT_EQ(ParseFit("bogus", fit), Status::kUnknownFit);
  EXPECT_EQ(ParseFit("Contain", fit), Status::kUnknownFit);
  EXPECT_EQ(fit, Fit::kCover) << "unchanged after a refusal";

  const struct {
    const char* text;
    Status status;
    uint32_t rgb;
  } colours[] = {
      {"FFFFFF", Status::kOk, 0xFFFFFF}, {"102030", Status::kOk, 0x102030},
      {"#a0b1c2", Status::kOk, 0xA0B1C2}, {" 000000 ", Status::kOk, 0},
      {"12345G", Status::kBackgroundOutOfRange, 7}, {"FFF", Status::kBackgroundOutOfRange, 7},
      {"1234567", Status::kBackgroundOutOfRange, 7}, {"", Status::kBackgroundOutOfRange, 7},
      {"0x1234", Status::kBackgroundOutOfRange, 7}, {"-12345", Status::kBackgroundOutOfRange, 7},
  };
  for (const auto& c : colours) {
    uint32_t rgb = 7;
    EXPECT_EQ(ParseBackgroundColor(c.text, rgb), c.status) << c.text;
    EXPECT_EQ(rgb, c.rgb) << c.text;
  }
  EXPECT_EQ(BackgroundColorText(0xFFFFFF), "FFFFFF");
  EXPECT_EQ(BackgroundColorText(0x0A0B0C), "0A0B0C");
}

TEST(SlideShowSettings, DisplayTimesFromText) {
  const struct {
    const char* text;
    Status status;
    float seconds;
  } cases[] = {
      {"2.5", Status::kOk, 2.5f},   {" 1 ", Status::kOk, 1.0f},          {"0.01", Status::kOk, 0.01f},
      {"100", Status::kOk, 100.0f}, {"0", Status::kDelayOutOfRange, 7}, {"-1", Status::kDelayOutOfRange, 7},
      {"2,5", Status::kDelayOutOfRange, 7}, {"abc", Status::kDelayOutOfRange, 7},
      {"", Status::kDelayOutOfRange, 7},    {"1s", Status::kDelayOutOfRange, 7},
      {"nan", Status::kDelayOutOfRange, 7}, {"inf", Status::kDelayOutOfRange, 7},
  };
  for (const auto& c : cases) {
    float seconds = 7;
    EXPECT_EQ(ParseDisplayTime(c.text, seconds), c.status) << c.text;
    EXPECT_EQ(seconds, c.seconds) << c.text;
  }
}

TEST(SlideShowSettings, MessagesNameWhatIsAccepted) {
  EXPECT_EQ(StatusMessage(Status::kStageOutOfRange),
            "Please enter a stage size as WIDTHxHEIGHT, each side from 1 to 8191 pixels.");
  EXPECT_EQ(StatusMessage(Status::kFadeOutOfRange), "Please enter a fade time between 0 and 100 seconds.");
  EXPECT_EQ(StatusMessage(Status::kUnknownFit), "Please choose a fit of none, contain or cover.");
  EXPECT_EQ(StatusMessage(Status::kBackgroundOutOfRange),
            "Please enter a background colour as six hexadecimal digits RRGGBB.");
  EXPECT_EQ(CheckSettings([] {
              ConversionSettings s = Valid();
              s.imageDelays = {1.0f};
              return s;
            }(),
                          2)
                .message,
            "Display times were given for 1 images, but there are 2.");
}

}  // namespace
}  // namespace lumapress::test
