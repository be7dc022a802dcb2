#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/run_conversion.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

namespace lumapress::test {

// Records the run's messages and answers the folder question as told.
class RecordingUser : public ConversionUser {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  // Recorded as messages too; inputIndexes says which input each one was about.
  void ShowInputMessage(const std::string& text, size_t inputIndex) override {
    messages.push_back(text);
    inputIndexes.push_back(inputIndex);
  }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    return answer;
  }
  std::vector<std::string> messages;
  std::vector<size_t> inputIndexes;
  std::vector<std::string> questions;
  bool answer = true;
};

class ConversionTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  // An opaque 8-bit RGB image of a few colours.
  std::string FlatPng(const std::string& name, uint32_t width, uint32_t height, uint8_t shade);
  // A smooth 8-bit RGB image with thousands of colours.
  std::string PhotoPng(const std::string& name, uint32_t width, uint32_t height);
  // An 8-bit RGBA image with varying alpha.
  std::string AlphaPng(const std::string& name, uint32_t width, uint32_t height);

  int Convert(const std::vector<std::string>& inputs, const ProgressCallback& progress = {}) {
    return RunConversion(settings_, inputs, user_, progress);
  }

  // Main-timeline tag codes of a movie, End tag included.
  static std::vector<int> TagCodes(const SwfMovie& movie);

  TempFolder folder_;
  ConversionSettings settings_;
  RecordingUser user_;
};

}  // namespace lumapress::test
