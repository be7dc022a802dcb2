#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lumapress/convert.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"

namespace lumapress::test {

// What a front end would show of a run: its closing message (none after a No to the folder
// question) and the questions asked, answered as told.
struct RecordingUser {
  std::vector<std::string> messages;
  std::vector<size_t> inputIndexes;  // for each message about one input, which one
  std::vector<std::string> questions;
  bool answer = true;
};

using ProgressCallback = std::function<bool(const ConversionProgress&)>;

class ConversionTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  // An opaque 8-bit RGB image of a few colours.
  std::string FlatPng(const std::string& name, uint32_t width, uint32_t height, uint8_t shade);
  // A smooth 8-bit RGB image with thousands of colours.
  std::string PhotoPng(const std::string& name, uint32_t width, uint32_t height);
  // An 8-bit RGBA image with varying alpha.
  std::string AlphaPng(const std::string& name, uint32_t width, uint32_t height);

  // 0 when the run converted everything, else -1 with its message recorded.
  int Convert(const std::vector<std::string>& inputs, const ProgressCallback& progress = {}) {
    ConversionCallbacks callbacks;
    callbacks.progress = progress;
    callbacks.createFolder = [this](std::string_view question) {
      user_.questions.emplace_back(question);
      return user_.answer;
    };
    result_ = RunConversion(settings_, inputs, callbacks);
    if (result_.ok()) return 0;
    if (result_.status != Status::kFolderDeclined && result_.status != Status::kCancelled) {
      user_.messages.push_back(result_.message);
      if (result_.inputIndex != ConversionResult::kNoInput) user_.inputIndexes.push_back(result_.inputIndex);
    }
    return -1;
  }

  // Main-timeline tag codes of a movie, End tag included.
  static std::vector<int> TagCodes(const SwfMovie& movie);

  TempFolder folder_;
  ConversionSettings settings_;
  RecordingUser user_;
  ConversionResult result_;
};

}  // namespace lumapress::test
