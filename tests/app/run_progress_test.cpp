#include "app/run_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumapress {
namespace {

using namespace std::chrono_literals;
using Clock = RunClock::Clock;

TEST(RunProgress, ImageLineNamesTheImageUnderWay) {
  const std::vector<std::string> paths = {"/pics/a.png", "/pics/holiday/Beach.PNG", "c.png"};
  const struct {
    size_t done;
    const char* line;
  } cases[] = {
      {0, "Image 1 of 3: a.png"},
      {1, "Image 2 of 3: Beach.PNG"},
      {2, "Image 3 of 3: c.png"},
      {3, "Image 3 of 3: c.png"},  // all done: the movie is being finished
  };
  for (const auto& c : cases) EXPECT_EQ(ImageLine(c.done, paths), c.line) << c.done;
  EXPECT_EQ(ImageLine(0, {}), "");
}

TEST(RunProgress, DurationsShowHoursMinutesAndSeconds) {
  const struct {
    std::chrono::seconds duration;
    const char* text;
  } cases[] = {
      {0s, "0:00:00"}, {7s, "0:00:07"}, {61s, "0:01:01"}, {3600s, "1:00:00"},
      {43439s, "12:03:59"}, {-5s, "0:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.duration), c.text) << c.text;
}

TEST(RunProgress, TimeLinesSayUnknownUntilThereIsAPace) {
  EXPECT_EQ(ElapsedLine(3s), "Elapsed time: 0:00:03");
  EXPECT_EQ(RemainingLine(std::nullopt), "Remaining time: unknown");
  EXPECT_EQ(RemainingLine(16s), "Remaining time: 0:00:16");
}

TEST(RunProgress, RemainingTimeFollowsThePaceOfTheImagesDone) {
  const Clock::time_point start{};
  RunClock clock(4, start);
  EXPECT_EQ(clock.Elapsed(start + 1500ms), 1s);
  EXPECT_EQ(clock.Remaining(start + 1500ms), std::nullopt) << "no image done yet";

  clock.ImagesDone(1, start + 2s);  // 2 s per image, three to go
  EXPECT_EQ(clock.Remaining(start + 2s), 6s);
  EXPECT_EQ(clock.Remaining(start + 3s), 5s) << "counts down between images";
  EXPECT_EQ(clock.Remaining(start + 2500ms), 6s) << "a part of a second left is rounded up";
  EXPECT_EQ(clock.Remaining(start + 30s), 0s) << "a slow image never gives a negative time";

  clock.ImagesDone(3, start + 12s);  // 4 s per image now, one to go
  EXPECT_EQ(clock.Remaining(start + 12s), 4s);
  EXPECT_EQ(clock.Elapsed(start + 12s), 12s);

  clock.ImagesDone(4, start + 13s);
  EXPECT_EQ(clock.Remaining(start + 13s), 0s);
}

}  // namespace
}  // namespace lumapress
