#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "lumapress/settings.h"

namespace lumapress {
namespace {

// A number in a message as a person writes it: 0.5, 2, 12.5.
std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

ConversionResult AboutImage(ConversionResult result, size_t index) {
  result.inputIndex = index;
  return result;
}

// Each fade lasts no longer than either image it joins is shown (the first image's fade-in no
// longer than that image), so a fade's frames always fit in the incoming image's.
ConversionResult CheckFadeLengths(const ConversionSettings& settings, size_t inputCount) {
  for (size_t index = settings.fadeIn ? 0 : 1; index < inputCount; ++index) {
    size_t shorter = index;
    if (index > 0 && ImageDelay(settings, index - 1) < ImageDelay(settings, index)) shorter = index - 1;
    const float shown = ImageDelay(settings, shorter);
    if (settings.fadeSeconds > shown) {
      return AboutImage(MakeResult(Status::kFadeTooLong, {NumberText(settings.fadeSeconds),
                                                          std::to_string(shorter + 1), NumberText(shown)}),
                        shorter);
    }
  }
  return {};
}

// The frames of the longest movie: every image's in a slide show, one image's in batch mode.
uint64_t LongestMovieFrames(const ConversionSettings& settings, size_t inputCount) {
  uint64_t total = 0;
  uint64_t longestImage = 0;
  for (size_t index = 0; index < inputCount; ++index) {
    const uint64_t frames = FramesForImage(ImageDelay(settings, index), settings.framesPerSecond);
    total += frames;
    longestImage = std::max(longestImage, frames);
  }
  return settings.batchMode ? longestImage : total;
}

}  // namespace

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

Status CheckStageSize(uint32_t width, uint32_t height) {
  if (width == 0 && height == 0) return Status::kOk;
  const auto inRange = [](uint32_t side) { return side >= kMinStageSide && side <= kMaxStageSide; };
  return inRange(width) && inRange(height) ? Status::kOk : Status::kStageOutOfRange;
}

Status CheckFit(Fit fit) {
  switch (fit) {
    case Fit::kNone:
    case Fit::kContain:
    case Fit::kCover: return Status::kOk;
  }
  return Status::kUnknownFit;
}

Status CheckBackgroundColor(uint32_t rgb) {
  return rgb <= kMaxBackgroundColor ? Status::kOk : Status::kBackgroundOutOfRange;
}

Status CheckFade(float fadeSeconds) {
  return fadeSeconds >= kMinFadeSeconds && fadeSeconds <= kMaxFadeSeconds ? Status::kOk : Status::kFadeOutOfRange;
}

float ImageDelay(const ConversionSettings& settings, size_t index) {
  if (index < settings.imageDelays.size() && settings.imageDelays[index]) return *settings.imageDelays[index];
  return settings.delaySeconds;
}

ConversionResult CheckSettings(const ConversionSettings& settings, size_t inputCount) {
  for (const Status status :
       {CheckDelay(settings.delaySeconds), CheckJpegQuality(settings.jpegQuality),
        CheckFrameRate(settings.framesPerSecond), CheckJobs(settings.jobs), CheckMaxPixels(settings.maxPixels),
        CheckStageSize(settings.stageWidth, settings.stageHeight), CheckFit(settings.fit),
        CheckBackgroundColor(settings.backgroundColor), CheckFade(settings.fadeSeconds)}) {
    if (status != Status::kOk) return MakeResult(status);
  }
  if (!settings.imageDelays.empty() && settings.imageDelays.size() != inputCount) {
    return MakeResult(Status::kImageDelaysMismatch,
                      {std::to_string(settings.imageDelays.size()), std::to_string(inputCount)});
  }
  for (size_t index = 0; index < settings.imageDelays.size(); ++index) {
    if (const auto& delay = settings.imageDelays[index]; delay && CheckDelay(*delay) != Status::kOk) {
      return AboutImage(MakeResult(Status::kDelayOutOfRange), index);
    }
  }
  if (inputCount == 0) return MakeResult(Status::kNoInputs);
  if (settings.outputPath.empty()) {
    return MakeResult(settings.batchMode ? Status::kNoOutputFolder : Status::kNoOutputFile);
  }
  if (settings.batchMode && (settings.fadeSeconds > 0 || settings.fadeIn || !settings.loop)) {
    return MakeResult(Status::kSlideShowOnly);
  }
  if (settings.fadeIn && !(settings.fadeSeconds > 0)) return MakeResult(Status::kFadeInWithoutFade);
  if (settings.fadeSeconds > 0) {
    if (ConversionResult fades = CheckFadeLengths(settings, inputCount); !fades.ok()) return fades;
  }
  if (const uint64_t frames = LongestMovieFrames(settings, inputCount); frames > kMaxMovieFrames) {
    return MakeResult(Status::kTooManyFrames, {std::to_string(frames), std::to_string(kMaxMovieFrames)});
  }
  return {};
}

}  // namespace lumapress
