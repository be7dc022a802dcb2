#include "conversion/frame_count.h"

#include <gtest/gtest.h>

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
    {1.0f, 12.5f, 13},  {100.0f, 1000.0f, 100044},
};

TEST(FrameCount, AccumulatorGivesTheFixedCounts) {
  for (const FrameCase& c : kFrameCases) {
    EXPECT_EQ(FramesForImage(c.delay, c.fps), c.frames) << "delay " << c.delay << " fps " << c.fps;
  }
}

TEST(FrameCount, FramesFollowTheUnroundedRate) {
  EXPECT_EQ(FramesForImage(1.0f, 999.9f), 1000u);
}

TEST(FrameCount, AlwaysAtLeastOneFrame) {
  EXPECT_EQ(FramesForImage(0.0f, 1.0f), 1u);
  EXPECT_EQ(FramesForImage(-5.0f, 1000.0f), 1u);
}

}  // namespace
}  // namespace lumapress
