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
