#include "app/convert_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumapress {
namespace {

class RecordingUser : public DialogUser {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    messages.push_back(question);
    return true;
  }
  std::vector<std::string> messages;
};

DialogFields Fields(const std::string& output, bool batchMode = false) {
  DialogFields fields = ShowSettings(DefaultSettings());
  fields.outputPath = output;
  fields.batchMode = batchMode;
  return fields;
}

const std::vector<std::string> kTwoImages = {"/p/a.png", "/p/b.png"};

TEST(ConvertCommand, EmptyListAndEmptyOutputShowOnlyTheListMessage) {
  RecordingUser user;
  const ConvertCheck check = CheckConvert(Fields(""), {}, user);
  EXPECT_EQ(check.outcome, ConvertOutcome::NoInputImages);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Please add at least one input image first."});
}

TEST(ConvertCommand, EmptyOutputNamesFolderOrFileByMode) {
  for (const auto& [batchMode, message] :
       {std::pair{true, "Please select an output folder first."},
        std::pair{false, "Please select an output file first."}}) {
    RecordingUser user;
    const ConvertCheck check = CheckConvert(Fields("", batchMode), kTwoImages, user);
    EXPECT_EQ(check.outcome, ConvertOutcome::NoOutputPath);
    EXPECT_EQ(user.messages, std::vector<std::string>{message});
  }
}

TEST(ConvertCommand, FieldErrorsComeBeforeEveryOtherCheck) {
  RecordingUser user;
  DialogFields fields = Fields("");
  fields.delay = "0";
  const ConvertCheck check = CheckConvert(fields, {}, user);
  EXPECT_EQ(check.outcome, ConvertOutcome::InvalidField);
  EXPECT_EQ(check.invalidField, Field::Delay);
  EXPECT_EQ(user.messages,
            std::vector<std::string>{"Please enter a number between 0.01 and 100."});
}

TEST(ConvertCommand, PassedChecksHandOverTheSettingsWithoutAMessage) {
  RecordingUser user;
  DialogFields fields = Fields("/out/", true);
  fields.framesPerSecond = "12.9";
  const ConvertCheck check = CheckConvert(fields, kTwoImages, user);
  EXPECT_EQ(check.outcome, ConvertOutcome::Ready);
  EXPECT_FALSE(check.invalidField);
  EXPECT_TRUE(user.messages.empty());
  EXPECT_EQ(check.settings.outputPath, "/out/");
  EXPECT_TRUE(check.settings.batchMode);
  EXPECT_EQ(check.settings.framesPerSecond, 12.9f);
  EXPECT_EQ(check.settings.delaySeconds, 1.0f);
  EXPECT_EQ(check.settings.jpegQuality, 100);
}

TEST(ConvertCommand, SettingsTheLibraryRefusesNeverReachTheRun) {
  RecordingUser user;
  DialogFields fields = Fields("/out/a.swf");
  fields.delay = "100";
  fields.framesPerSecond = "255";  // 25 501 frames per image: three images pass 65535
  const std::vector<std::string> three = {"a.png", "b.png", "c.png"};
  const ConvertCheck check = CheckConvert(fields, three, user);
  EXPECT_EQ(check.outcome, ConvertOutcome::Stopped);
  EXPECT_EQ(user.messages,
            std::vector<std::string>{"These settings make a movie of 76503 frames; a movie holds at most 65535."});
}

TEST(ConvertCommand, SlideShowFieldsReachTheSettings) {
  RecordingUser user;
  DialogFields fields = Fields("/out/show.swf");
  fields.delay = "2";
  fields.stageSize = "1280x720";
  fields.fit = "contain";
  fields.background = "102030";
  fields.fade = "0.75";
  fields.fadeIn = true;
  fields.stopOnLastImage = true;
  const ConvertCheck check = CheckConvert(fields, kTwoImages, user);
  ASSERT_EQ(check.outcome, ConvertOutcome::Ready) << (user.messages.empty() ? "" : user.messages[0]);
  EXPECT_TRUE(user.messages.empty());
  EXPECT_EQ(check.settings.stageWidth, 1280u);
  EXPECT_EQ(check.settings.stageHeight, 720u);
  EXPECT_EQ(check.settings.fit, Fit::kContain);
  EXPECT_EQ(check.settings.backgroundColor, 0x102030u);
  EXPECT_EQ(check.settings.fadeSeconds, 0.75f);
  EXPECT_TRUE(check.settings.fadeIn);
  EXPECT_FALSE(check.settings.loop);
  EXPECT_TRUE(check.settings.imageDelays.empty()) << "every image shown for the delay";
}

TEST(ConvertCommand, BatchModeTakesTheStageFitAndBackground) {
  RecordingUser user;
  DialogFields fields = Fields("/out/", true);
  fields.stageSize = "640x480";
  fields.fit = "cover";
  fields.background = "000000";
  const ConvertCheck check = CheckConvert(fields, kTwoImages, user);
  ASSERT_EQ(check.outcome, ConvertOutcome::Ready);
  EXPECT_EQ(check.settings.stageWidth, 640u);
  EXPECT_EQ(check.settings.fit, Fit::kCover);
  EXPECT_EQ(check.settings.backgroundColor, 0u);
}

TEST(ConvertCommand, SlideShowSettingsTheLibraryRefusesShowItsMessage) {
  const struct {
    const char* what;
    bool batchMode;
    const char* fade;
    bool fadeIn;
    bool stopOnLastImage;
    const char* message;
  } cases[] = {
      {"batch with a fade", true, "0.5", false, false,
       "Fades and stopping on the last image are for slide shows, not for batch mode."},
      {"batch stopping on the last image", true, "0", false, true,
       "Fades and stopping on the last image are for slide shows, not for batch mode."},
      {"batch with a fade-in", true, "0", true, false,
       "Fades and stopping on the last image are for slide shows, not for batch mode."},
      {"fade-in without a fade", false, "0", true, false, "A fade-in needs a fade time above 0."},
      {"fade longer than the images are shown", false, "1.5", false, false,
       "The fade (1.5 s) is longer than the display time of image 2 (1 s)."},
  };
  for (const auto& c : cases) {
    RecordingUser user;
    DialogFields fields = Fields(c.batchMode ? "/out/" : "/out/show.swf", c.batchMode);
    fields.fade = c.fade;
    fields.fadeIn = c.fadeIn;
    fields.stopOnLastImage = c.stopOnLastImage;
    const ConvertCheck check = CheckConvert(fields, kTwoImages, user);
    EXPECT_EQ(check.outcome, ConvertOutcome::Stopped) << c.what;
    EXPECT_FALSE(check.invalidField) << c.what;
    EXPECT_EQ(user.messages, std::vector<std::string>{c.message}) << c.what;
  }
}

TEST(ConvertCommand, ABadSlideShowFieldFocusesItWithTheLibrarysMessage) {
  RecordingUser user;
  DialogFields fields = Fields("/out/show.swf");
  fields.background = "12345G";
  const ConvertCheck check = CheckConvert(fields, kTwoImages, user);
  EXPECT_EQ(check.outcome, ConvertOutcome::InvalidField);
  EXPECT_EQ(check.invalidField, Field::Background);
  EXPECT_EQ(user.messages, std::vector<std::string>{
                               "Please enter a background colour as six hexadecimal digits RRGGBB."});
}

TEST(ConvertCommand, TheRunsEndIsToldUnlessTheUserAlreadyKnows) {
  const struct {
    ConversionResult result;
    ConvertOutcome outcome;
    std::vector<std::string> messages;
  } cases[] = {
      {MakeResult(Status::kOk), ConvertOutcome::Converted, {"Conversion completed successfully."}},
      {MakeResult(Status::kCannotOpenInput, {"/p/b.png"}), ConvertOutcome::Stopped, {"Cannot open input file /p/b.png!"}},
      {MakeResult(Status::kFolderDeclined), ConvertOutcome::Stopped, {}},  // they answered No
      {MakeResult(Status::kCancelled), ConvertOutcome::Stopped, {}},       // they pressed Cancel
  };
  for (const auto& c : cases) {
    RecordingUser user;
    EXPECT_EQ(ReportRunEnd(c.result, user), c.outcome) << c.result.message;
    EXPECT_EQ(user.messages, c.messages) << c.result.message;
  }
}

}  // namespace
}  // namespace lumapress
