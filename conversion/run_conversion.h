#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace lumapress {

// What one run converts into what. The dialog and the command line fill it in after
// validating the fields.
struct ConversionSettings {
  std::string outputPath;       // movie file, or the output folder in batch mode
  std::string controlFilePath;  // SWF loaded by every movie at play time; empty for none
  float delaySeconds = 1.0f;    // display time of each image, 0.01 to 100
  float framesPerSecond = 12.0f;  // 1 to 1000
  int32_t jpegQuality = 100;    // 0-99 JPEG, 100 lossless
  bool smallest = false;        // lossless data at the slowest, smallest compression
  bool batchMode = false;       // one movie per image
  unsigned jobs = 1;            // worker threads; output is byte-identical for every value
};

// The two kinds of interaction a run needs from whoever started it.
class ConversionUser {
 public:
  virtual ~ConversionUser() = default;
  // A message with one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No question; true means Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
};

struct ConversionProgress {
  size_t imagesDone = 0;
  size_t imageCount = 0;
  // About the image just converted, for summaries.
  std::string inputPath;
  std::string moviePath;   // the movie it went into (its final name)
  std::string bitmapForm;  // the bitmap tag it became, e.g. "DefineBitsLossless format 3"
  uint32_t frames = 0;     // ShowFrame tags written for it
};

// Called after each image. Returning false cancels the run after that image; files are then
// left as after a failed run.
using ProgressCallback = std::function<bool(const ConversionProgress&)>;

// Converts `inputPaths`, in order, into one movie or (batch mode) one movie per image.
// Returns 0 when every image was converted and every movie finished, -1 when the run stopped
// early (after a message to `user`, a No to the folder question, or a cancel).
// Preconditions: at least one input path; a non-empty outputPath.
int RunConversion(const ConversionSettings& settings, std::span<const std::string> inputPaths,
                  ConversionUser& user, const ProgressCallback& progress = {});

}  // namespace lumapress
