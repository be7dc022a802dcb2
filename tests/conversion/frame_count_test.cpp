#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lumapress/settings.h"

namespace lumapress {
namespace {

struct FrameCase {
  float delay;
  float fps;
  uint32_t frames;
};

// The accumulator's rounding makes these counts differ from delay x rate.
constexpr FrameCase kFrameCases[] = {
    {1.0f, 12.0f, 13},  {0.5f, 12.0f, 6},   {2.0f, 12.0f, 24},  {3.0f, 12.0f, 37},
    {5.0f, 12.0f, 61},  {1.0f, 24.0f, 24},  {2.0f, 24.0f, 49},  {1.0f, 30.0f, 30},
    {1.0f, 60.0f, 61},  {0.1f, 10.0f, 2},   {0.25f, 4.0f, 1},   {0.01f, 12.0f, 1},
    {1.0f, 12.5f, 13},
};

TEST(FrameCount, AccumulatorGivesTheFixedCounts) {
  for (const FrameCase& c : kFrameCases) {
    EXPECT_EQ(FramesForImage(c.delay, c.fps), c.frames) << "delay " << c.delay << " fps " << c.fps;
  }
}

TEST(FrameCount, FramesFollowTheUnroundedRate) {
  EXPECT_EQ(FramesForImage(1.0f, 254.9f), 255u);
}

TEST(FrameCount, ShortestDelayStillGetsAFrame) {
  EXPECT_EQ(FramesForImage(0.01f, 1.0f), 1u);
  EXPECT_EQ(FramesForImage(0.01f, 255.0f), 3u);
}

// Settings outside the accepted ranges give no count at once instead of looping for ever
// (a negative rate never reaches the delay).
TEST(FrameCount, SettingsOutOfRangeGiveZero) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float delay;
    float fps;
  } cases[] = {{1, -1}, {40000, 1000}, {1, 0}, {0, 12}, {-5, 12}, {nan, 12}, {1, nan}, {infinity, 12}, {1, infinity}, {1, 256}};
  for (const auto& c : cases) EXPECT_EQ(FramesForImage(c.delay, c.fps), 0u) << c.delay << " s at " << c.fps;
}

}  // namespace
}  // namespace lumapress
