#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_rules.h"

namespace lumapress {

// A path cut the way the list shows it: drive ("C:" on Windows, else empty), folder with its
// final separator, file name, and extension from the last dot of the last component.
struct PathParts {
  std::string drive;
  std::string folder;
  std::string name;
  std::string extension;
};
PathParts SplitPath(std::string_view path, PathStyle style = kNativePathStyle);

// "sun.png (/home/ann/pics/)", "sun.png (C:\pics\)": name and extension, then drive and
// folder in parentheses.
std::string ItemDisplayText(std::string_view path, PathStyle style = kNativePathStyle);

// True when the path ends in ".png" in any case.
bool HasPngExtension(std::string_view path);

struct InputItem {
  std::string displayText;
  std::string path;  // as the file chooser returned it
};

// The ordered input images and the single selection. Items keep the order in which they
// were added or moved; duplicates are allowed.
class InputList {
 public:
  // Appends every path in order.
  void Add(std::span<const std::string> paths);
  // Appends the PNG files among `paths` (as dropped onto the list); returns how many.
  size_t AddDropped(std::span<const std::string> paths);

  void Select(std::optional<size_t> index);
  std::optional<size_t> Selection() const { return selection_; }

  bool CanRemove() const { return selection_.has_value(); }
  bool CanMoveUp() const { return selection_ && *selection_ >= 1; }
  bool CanMoveDown() const { return selection_ && *selection_ + 1 < items_.size(); }

  // Removes the selected item; nothing is selected afterwards.
  void RemoveSelected();
  // Move the selected item one place; it stays selected.
  void MoveSelectedUp();
  void MoveSelectedDown();

  const std::vector<InputItem>& Items() const { return items_; }
  size_t Count() const { return items_.size(); }
  std::vector<std::string> Paths() const;

 private:
  void MoveSelected(size_t to);

  std::vector<InputItem> items_;
  std::optional<size_t> selection_;
};

}  // namespace lumapress
