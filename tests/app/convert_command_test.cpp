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

struct RecordingRunner {
  ConversionResult result = MakeResult(Status::kOk);
  int calls = 0;
  ConversionSettings settings;
  std::vector<std::string> inputs;

  ConversionRunner Runner() {
    return [this](const ConversionSettings& s, std::span<const std::string> paths,
                  DialogUser&) {
      ++calls;
      settings = s;
      inputs.assign(paths.begin(), paths.end());
      return result;
    };
  }
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
  RecordingRunner runner;
  const ConvertResult result = Convert(Fields(""), {}, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::NoInputImages);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Please add at least one input image first."});
  EXPECT_EQ(runner.calls, 0);
}

TEST(ConvertCommand, EmptyOutputNamesFolderOrFileByMode) {
  for (const auto& [batchMode, message] :
       {std::pair{true, "Please select an output folder first."},
        std::pair{false, "Please select an output file first."}}) {
    RecordingUser user;
    RecordingRunner runner;
    const ConvertResult result = Convert(Fields("", batchMode), kTwoImages, user, runner.Runner());
    EXPECT_EQ(result.outcome, ConvertOutcome::NoOutputPath);
    EXPECT_EQ(user.messages, std::vector<std::string>{message});
    EXPECT_EQ(runner.calls, 0);
  }
}

TEST(ConvertCommand, FieldErrorsComeBeforeEveryOtherCheck) {
  RecordingUser user;
  RecordingRunner runner;
  DialogFields fields = Fields("");
  fields.delay = "0";
  const ConvertResult result = Convert(fields, {}, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::InvalidField);
  EXPECT_EQ(result.invalidField, Field::Delay);
  EXPECT_EQ(user.messages,
            std::vector<std::string>{"Please enter a number between 0.01 and 100."});
  EXPECT_EQ(runner.calls, 0);
}

TEST(ConvertCommand, SuccessfulRunGetsTheSettingsAndShowsTheSuccessMessage) {
  RecordingUser user;
  RecordingRunner runner;
  DialogFields fields = Fields("/out/", true);
  fields.framesPerSecond = "12.9";
  const ConvertResult result = Convert(fields, kTwoImages, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::Converted);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Conversion completed successfully."});
  ASSERT_EQ(runner.calls, 1);
  EXPECT_EQ(runner.inputs, kTwoImages);
  EXPECT_EQ(runner.settings.outputPath, "/out/");
  EXPECT_TRUE(runner.settings.batchMode);
  EXPECT_EQ(runner.settings.framesPerSecond, 12.9f);
  EXPECT_EQ(runner.settings.delaySeconds, 1.0f);
  EXPECT_EQ(runner.settings.jpegQuality, 100);
}

TEST(ConvertCommand, StoppedRunShowsWhatStoppedIt) {
  RecordingUser user;
  RecordingRunner runner;
  runner.result = MakeResult(Status::kCannotOpenInput, {"/p/b.png"});
  const ConvertResult result = Convert(Fields("/out/a.swf"), kTwoImages, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::Stopped);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Cannot open input file /p/b.png!"});
  EXPECT_EQ(runner.calls, 1);
}

TEST(ConvertCommand, NoToTheFolderQuestionAddsNoMessage) {
  RecordingUser user;
  RecordingRunner runner;
  runner.result = MakeResult(Status::kFolderDeclined);
  const ConvertResult result = Convert(Fields("/out/a.swf"), kTwoImages, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::Stopped);
  EXPECT_TRUE(user.messages.empty());
}

TEST(ConvertCommand, SettingsTheLibraryRefusesNeverReachTheRun) {
  RecordingUser user;
  RecordingRunner runner;
  DialogFields fields = Fields("/out/a.swf");
  fields.delay = "100";
  fields.framesPerSecond = "255";  // 25 501 frames per image: three images pass 65535
  const std::vector<std::string> three = {"a.png", "b.png", "c.png"};
  const ConvertResult result = Convert(fields, three, user, runner.Runner());
  EXPECT_EQ(result.outcome, ConvertOutcome::Stopped);
  EXPECT_EQ(user.messages,
            std::vector<std::string>{"These settings make a movie of 76503 frames; a movie holds at most 65535."});
  EXPECT_EQ(runner.calls, 0);
}

}  // namespace
}  // namespace lumapress
