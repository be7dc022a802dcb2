#include "app/input_list.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace lumapress {

PathParts SplitPath(std::string_view path, PathStyle style) {
  PathParts parts;
  parts.drive = std::string(DrivePart(path, style));
  const std::string_view last = LastComponent(path, style);
  const size_t nameStart = path.size() - last.size();
  parts.folder = std::string(path.substr(parts.drive.size(), nameStart - parts.drive.size()));
  const size_t dot = last.rfind('.');
  parts.name = std::string(last.substr(0, dot));
  if (dot != std::string_view::npos) parts.extension = std::string(last.substr(dot));
  return parts;
}

std::string ItemDisplayText(std::string_view path, PathStyle style) {
  const PathParts parts = SplitPath(path, style);
  return parts.name + parts.extension + " (" + parts.drive + parts.folder + ")";
}

bool HasPngExtension(std::string_view path) {
  constexpr std::string_view kPng = ".png";
  if (path.size() < kPng.size()) return false;
  return std::equal(kPng.begin(), kPng.end(), path.end() - kPng.size(), [](char a, char b) {
    return a == std::tolower(static_cast<unsigned char>(b));
  });
}

void InputList::Add(std::span<const std::string> paths) {
  for (const std::string& path : paths) items_.push_back({ItemDisplayText(path), path});
}

size_t InputList::AddDropped(std::span<const std::string> paths) {
  size_t added = 0;
  for (const std::string& path : paths) {
    if (!HasPngExtension(path)) continue;
    items_.push_back({ItemDisplayText(path), path});
    ++added;
  }
  return added;
}

void InputList::Select(std::optional<size_t> index) {
  selection_ = index && *index < items_.size() ? index : std::nullopt;
}

void InputList::RemoveSelected() {
  if (!CanRemove()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*selection_));
  selection_.reset();
}

void InputList::MoveSelectedUp() {
  if (CanMoveUp()) MoveSelected(*selection_ - 1);
}

void InputList::MoveSelectedDown() {
  if (CanMoveDown()) MoveSelected(*selection_ + 1);
}

void InputList::MoveSelected(size_t to) {
  std::swap(items_[*selection_], items_[to]);
  selection_ = to;
}

std::vector<std::string> InputList::Paths() const {
  std::vector<std::string> paths;
  paths.reserve(items_.size());
  for (const InputItem& item : items_) paths.push_back(item.path);
  return paths;
}

}  // namespace lumapress
