#include "app/output_path.h"

#include <algorithm>
#include <cctype>

namespace lumapress {
namespace {

constexpr std::string_view kMovieExtension = ".swf";

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

std::string OutputPathForMode(std::string_view text, bool batchMode) {
  const bool hasExtension = EndsWithIgnoringCase(text, kMovieExtension);
  if (batchMode) {
    if (hasExtension) text.remove_suffix(kMovieExtension.size());
    return std::string(text);
  }
  std::string result(text);
  if (!hasExtension) result += kMovieExtension;
  return result;
}

std::string WithDefaultExtension(std::string_view path, std::string_view extension, PathStyle style) {
  const std::string_view last = LastComponent(path, style);
  std::string result(path);
  if (!last.empty() && last.find('.') == std::string_view::npos) result += extension;
  return result;
}

}  // namespace lumapress
