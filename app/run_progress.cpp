#include "app/run_progress.h"

#include <algorithm>
#include <cstdio>

#include "app/input_list.h"

namespace lumapress {

using std::chrono::duration_cast;
using std::chrono::seconds;

RunClock::RunClock(size_t imageCount, Clock::time_point start)
    : imageCount_(imageCount), start_(start), lastDone_(start) {}

void RunClock::ImagesDone(size_t imagesDone, Clock::time_point when) {
  imagesDone_ = std::min(imagesDone, imageCount_);
  lastDone_ = when;
}

seconds RunClock::Elapsed(Clock::time_point now) const {
  return duration_cast<seconds>(std::max(now - start_, Clock::duration::zero()));
}

std::optional<seconds> RunClock::Remaining(Clock::time_point now) const {
  if (imagesDone_ == 0) return std::nullopt;
  const auto done = static_cast<Clock::rep>(imagesDone_);
  const auto toGo = static_cast<Clock::rep>(imageCount_ - imagesDone_);
  const Clock::duration left = (lastDone_ - start_) * toGo / done - (now - lastDone_);
  // Rounded up: a run with a fraction of a second to go has not finished.
  return std::chrono::ceil<seconds>(std::max(left, Clock::duration::zero()));
}

std::string ImageLine(size_t imagesDone, std::span<const std::string> inputPaths) {
  if (inputPaths.empty()) return {};
  const size_t current = std::min(imagesDone, inputPaths.size() - 1);
  const PathParts parts = SplitPath(inputPaths[current]);
  return "Image " + std::to_string(current + 1) + " of " + std::to_string(inputPaths.size()) +
         ": " + parts.name + parts.extension;
}

std::string ElapsedLine(seconds elapsed) { return "Elapsed time: " + FormatDuration(elapsed); }

std::string RemainingLine(std::optional<seconds> remaining) {
  return "Remaining time: " + (remaining ? FormatDuration(*remaining) : std::string("unknown"));
}

std::string FormatDuration(seconds duration) {
  const long long total = std::max<long long>(duration.count(), 0);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                total % 60);
  return text;
}

}  // namespace lumapress
