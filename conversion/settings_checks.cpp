#include <cmath>
#include <string>

#include "lumapress/settings.h"

namespace lumapress {

Status CheckDelay(float delaySeconds) {
  // Written so that NaN fails every comparison and lands outside the range.
  return delaySeconds >= kMinDelaySeconds && delaySeconds <= kMaxDelaySeconds ? Status::kOk
                                                                               : Status::kDelayOutOfRange;
}

Status CheckJpegQuality(int32_t jpegQuality) {
  return jpegQuality >= kMinJpegQuality && jpegQuality <= kMaxJpegQuality ? Status::kOk
                                                                          : Status::kQualityOutOfRange;
}

Status CheckFrameRate(float framesPerSecond) {
  return framesPerSecond >= kMinFramesPerSecond && framesPerSecond <= kMaxFramesPerSecond
             ? Status::kOk
             : Status::kFrameRateOutOfRange;
}

Status CheckJobs(unsigned jobs) {
  return jobs >= kMinJobs && jobs <= kMaxJobs ? Status::kOk : Status::kJobsOutOfRange;
}

Status CheckMaxPixels(uint64_t maxPixels) {
  return maxPixels >= kMinMaxPixels && maxPixels <= kMaxMaxPixels ? Status::kOk : Status::kMaxPixelsOutOfRange;
}

ConversionResult CheckSettings(const ConversionSettings& settings, size_t inputCount) {
  for (const Status status : {CheckDelay(settings.delaySeconds), CheckJpegQuality(settings.jpegQuality),
                              CheckFrameRate(settings.framesPerSecond), CheckJobs(settings.jobs),
                              CheckMaxPixels(settings.maxPixels)}) {
    if (status != Status::kOk) return MakeResult(status);
  }
  if (inputCount == 0) return MakeResult(Status::kNoInputs);
  if (settings.outputPath.empty()) {
    return MakeResult(settings.batchMode ? Status::kNoOutputFolder : Status::kNoOutputFile);
  }
  // A batch movie holds one image; a slide show all of them.
  const uint64_t imagesPerMovie = settings.batchMode ? 1 : inputCount;
  const uint64_t frames = uint64_t{FramesForImage(settings.delaySeconds, settings.framesPerSecond)} * imagesPerMovie;
  if (frames > kMaxMovieFrames) {
    return MakeResult(Status::kTooManyFrames, {std::to_string(frames), std::to_string(kMaxMovieFrames)});
  }
  return {};
}

}  // namespace lumapress
