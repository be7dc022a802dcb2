#include "app/convert_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumapress {
namespace {

class RecordingUser : public ConversionUser {
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
  EXPECT_EQ(user.messages, std::vector<std::string>{kNoInputMessage});
}

TEST(ConvertCommand, EmptyOutputNamesFolderOrFileByMode) {
  for (const auto& [batchMode, message] :
       {std::pair{true, kNoOutputFolderMessage}, std::pair{false, kNoOutputFileMessage}}) {
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

TEST(ConvertCommand, OnlyACompleteRunShowsTheSuccessMessage) {
  const struct {
    int status;
    ConvertOutcome outcome;
    std::vector<std::string> messages;
  } cases[] = {
      {0, ConvertOutcome::Converted, {kConvertedMessage}},
      {-1, ConvertOutcome::Stopped, {}},  // the run has told the user why
  };
  for (const auto& c : cases) {
    RecordingUser user;
    EXPECT_EQ(ReportRunEnd(c.status, user), c.outcome) << c.status;
    EXPECT_EQ(user.messages, c.messages) << c.status;
  }
}

}  // namespace
}  // namespace lumapress
