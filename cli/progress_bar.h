#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace lumapress {

// One self-overwriting line on a terminal: images done of total, elapsed and estimated
// remaining time. Does nothing when disabled.
class ProgressBar {
 public:
  ProgressBar(std::FILE* out, bool enabled, size_t total);

  void Update(size_t done);
  // Removes the line so that a message can be printed in its place.
  void Clear();

  // The line for `done` of `total` after `elapsedSeconds`, without the carriage return.
  static std::string Line(size_t done, size_t total, double elapsedSeconds);

 private:
  std::FILE* out_;
  bool enabled_;
  size_t total_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace lumapress
