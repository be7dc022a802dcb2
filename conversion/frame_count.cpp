#include <cmath>

#include "lumapress/settings.h"

namespace lumapress {
namespace {

// ShowFrame tags until `seconds` are covered at this rate, at least one.
uint32_t FramesCovering(float seconds, float framesPerSecond) {
  uint32_t frames = 0;
  float accumulator = 0.0f;
  for (;;) {
    ++frames;
    // Both operations in double precision on the single-precision operands; the sum is
    // compared unrounded, and only the stored accumulator is rounded to single precision.
    const double sum = 1.0 / static_cast<double>(framesPerSecond) + static_cast<double>(accumulator);
    accumulator = static_cast<float>(sum);
    if (!(sum < static_cast<double>(seconds))) return frames;
  }
}

}  // namespace

uint32_t FramesForImage(float delaySeconds, float framesPerSecond) {
  if (CheckDelay(delaySeconds) != Status::kOk || CheckFrameRate(framesPerSecond) != Status::kOk) return 0;
  return FramesCovering(delaySeconds, framesPerSecond);
}

uint32_t FramesForFade(float fadeSeconds, float framesPerSecond) {
  if (!(fadeSeconds > 0) || CheckFade(fadeSeconds) != Status::kOk || CheckFrameRate(framesPerSecond) != Status::kOk) {
    return 0;
  }
  return FramesCovering(fadeSeconds, framesPerSecond);
}

}  // namespace lumapress
