#include "progress_bar.h"

#include <cinttypes>

namespace lumapress {
namespace {

constexpr size_t kBarWidth = 30;  // characters of the bar itself, fits an 80-column terminal

std::string Duration(double seconds) {
  const auto total = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  return text;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, bool enabled, size_t total)
    : out_(out), enabled_(enabled), total_(total), start_(std::chrono::steady_clock::now()) {
  Update(0);
}

std::string ProgressBar::Line(size_t done, size_t total, double elapsedSeconds) {
  const size_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
  line += std::to_string(done) + "/" + std::to_string(total) + " images, elapsed " +
          Duration(elapsedSeconds);
  if (done > 0 && done < total) {
    line += ", remaining " + Duration(elapsedSeconds / static_cast<double>(done) *
                                      static_cast<double>(total - done));
  }
  return line;
}

void ProgressBar::Update(size_t done) {
  if (!enabled_) return;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  std::fprintf(out_, "\r%s\x1b[K", Line(done, total_, elapsed.count()).c_str());
  std::fflush(out_);
  shown_ = true;
}

void ProgressBar::Clear() {
  if (!enabled_ || !shown_) return;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace lumapress
