#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace lumapress {

// The clock of one run as the progress panel shows it: the time since the start, and the time
// left estimated from the pace of the images done so far.
class RunClock {
 public:
  using Clock = std::chrono::steady_clock;

  RunClock(size_t imageCount, Clock::time_point start);

  // `imagesDone` images are finished at `when`.
  void ImagesDone(size_t imagesDone, Clock::time_point when);

  std::chrono::seconds Elapsed(Clock::time_point now) const;
  // Nothing until the first image is done; then the average time per image so far times the
  // images left, less the time since the last one finished (never below zero).
  std::optional<std::chrono::seconds> Remaining(Clock::time_point now) const;

 private:
  size_t imageCount_;
  Clock::time_point start_;
  size_t imagesDone_ = 0;
  Clock::time_point lastDone_;
};

// "Image 3 of 10: beach.png": the image being converted once `imagesDone` are finished (the
// last one once all are).
std::string ImageLine(size_t imagesDone, std::span<const std::string> inputPaths);

// "Elapsed time: 0:00:07".
std::string ElapsedLine(std::chrono::seconds elapsed);
// "Remaining time: 0:00:16", or "Remaining time: unknown" while nothing is known.
std::string RemainingLine(std::optional<std::chrono::seconds> remaining);

// Hours, minutes and seconds: "0:00:07", "12:03:59".
std::string FormatDuration(std::chrono::seconds duration);

}  // namespace lumapress
