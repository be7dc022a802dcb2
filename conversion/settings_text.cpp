#include <charconv>
#include <cstdio>
#include <string>
#include <system_error>

#include "lumapress/settings.h"

namespace lumapress {
namespace {

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The whole of `text` as a decimal number of digits only.
bool ParseDigits(std::string_view text, uint32_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

constexpr struct {
  Fit fit;
  std::string_view name;
} kFitNames[] = {{Fit::kNone, "none"}, {Fit::kContain, "contain"}, {Fit::kCover, "cover"}};

}  // namespace

Status ParseStageSize(std::string_view text, uint32_t& width, uint32_t& height) {
  text = Trim(text);
  if (text.empty()) {
    width = height = 0;
    return Status::kOk;
  }
  const size_t times = text.find_first_of("xX");
  uint32_t w = 0, h = 0;
  if (times == std::string_view::npos || !ParseDigits(text.substr(0, times), w) ||
      !ParseDigits(text.substr(times + 1), h) || w == 0 || h == 0 || CheckStageSize(w, h) != Status::kOk) {
    return Status::kStageOutOfRange;
  }
  width = w;
  height = h;
  return Status::kOk;
}

Status ParseFit(std::string_view text, Fit& fit) {
  text = Trim(text);
  for (const auto& entry : kFitNames) {
    if (text == entry.name) {
      fit = entry.fit;
      return Status::kOk;
    }
  }
  return Status::kUnknownFit;
}

std::string_view FitName(Fit fit) {
  for (const auto& entry : kFitNames) {
    if (entry.fit == fit) return entry.name;
  }
  return "unknown";
}

Status ParseBackgroundColor(std::string_view text, uint32_t& rgb) {
  text = Trim(text);
  if (text.starts_with('#')) text.remove_prefix(1);
  constexpr size_t kDigits = 6;
  uint32_t value = 0;
  if (text.size() != kDigits || text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
    return Status::kBackgroundOutOfRange;
  }
  std::from_chars(text.data(), text.data() + text.size(), value, 16);
  rgb = value;
  return Status::kOk;
}

std::string BackgroundColorText(uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(rgb & kMaxBackgroundColor));
  return text;
}

Status ParseDisplayTime(std::string_view text, float& seconds) {
  text = Trim(text);
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      CheckDelay(value) != Status::kOk) {
    return Status::kDelayOutOfRange;
  }
  seconds = value;
  return Status::kOk;
}

}  // namespace lumapress
