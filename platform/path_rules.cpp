#include "platform/path_rules.h"

namespace lumapress {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The position of the first separator at or after `from`; npos when there is none.
size_t NextSeparator(std::string_view path, size_t from, PathStyle style) {
  for (size_t i = from; i < path.size(); ++i) {
    if (IsPathSeparator(path[i], style)) return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool IsPathSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

char PreferredSeparator(PathStyle style) { return style == PathStyle::kWindows ? '\\' : '/'; }

size_t LastSeparator(std::string_view path, PathStyle style) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1], style)) return i - 1;
  }
  return std::string_view::npos;
}

size_t RootLength(std::string_view path, PathStyle style) {
  if (path.empty()) return 0;
  if (style == PathStyle::kPosix) return path[0] == '/' ? 1 : 0;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    return path.size() >= 3 && IsPathSeparator(path[2], style) ? 3 : 2;
  }
  if (!IsPathSeparator(path[0], style)) return 0;
  if (path.size() < 3 || !IsPathSeparator(path[1], style) || IsPathSeparator(path[2], style)) {
    return 1;
  }
  // A network share: \\server\share, its root ending after the share's name.
  const size_t serverEnd = NextSeparator(path, 2, style);
  if (serverEnd == std::string_view::npos) return path.size();
  const size_t shareEnd = NextSeparator(path, serverEnd + 1, style);
  return shareEnd == std::string_view::npos ? path.size() : shareEnd + 1;
}

std::string_view DrivePart(std::string_view path, PathStyle style) {
  if (style == PathStyle::kWindows && path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    return path.substr(0, 2);
  }
  return {};
}

std::string_view LastComponent(std::string_view path, PathStyle style) {
  const size_t separator = LastSeparator(path, style);
  size_t start = separator == std::string_view::npos ? 0 : separator + 1;
  if (start < RootLength(path, style)) start = RootLength(path, style);
  return path.substr(start);
}

std::string ContainingFolder(std::string_view path, PathStyle style) {
  const size_t root = RootLength(path, style);
  const size_t separator = LastSeparator(path, style);
  if (separator == std::string_view::npos || separator < root) {
    return root == 0 ? std::string(".") : std::string(path.substr(0, root));
  }
  return std::string(path.substr(0, separator));
}

std::string ParentFolder(std::string_view path, PathStyle style) {
  const size_t root = RootLength(path, style);
  const size_t separator = LastSeparator(path, style);
  if (separator == std::string_view::npos || separator < root) return {};
  return std::string(path.substr(0, separator));
}

std::string WithTrailingSeparator(std::string_view folder, PathStyle style) {
  std::string result(folder);
  if (result.empty() || !IsPathSeparator(result.back(), style)) result += PreferredSeparator(style);
  return result;
}

}  // namespace lumapress
