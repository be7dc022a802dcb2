#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "folderbrowser/folder_source.h"

namespace lumapress {

// Pictures of the tree, by index into the tree's image list.
enum FolderImage : int {
  kOpenFolderImage = 0,  // a folder or share while selected
  kFolderImage = 1,
  kRemovableImage = 2,
  kFixedImage = 3,
  kCdRomImage = 4,
  kRamDiskImage = 5,
  kNetworkImage = 6,  // the "Network Neighborhood" root
  kServerImage = 7,
  kFolderImageCount = 8,
};

inline constexpr const char* kNetworkRootText = "Network Neighborhood";

// A text without lower-case letters is shown capitalised (FOTOS -> Fotos); others as they are.
std::string NormaliseNodeText(std::string_view text);

// The folder browser's tree without any window: drives, then network servers and their
// shares, with folders listed when a node is first expanded.
class FolderTree {
 public:
  enum class Kind { Root, Drive, Folder, NetworkRoot, Server, Share };

  struct Node {
    Kind kind = Kind::Folder;
    std::string text;    // as shown
    std::string name;    // the folder's real name, used in paths
    std::string anchor;  // drives and shares: their absolute path, ending in a separator
    int image = kFolderImage;
    int selectedImage = kOpenFolderImage;
    bool mayHaveChildren = true;  // shows an expand button
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
  };

  explicit FolderTree(FolderSource& source);
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  // Inserts the source's drives (hidden ones left out) and the network root.
  void Initialise();

  const std::vector<std::unique_ptr<Node>>& Roots() const { return root_.children; }
  Node* NetworkRoot() const { return networkRoot_; }

  // The node about to expand: lists its children if it has none yet and then selects it.
  // Returns the children added now (none when it was listed before or has none).
  std::vector<Node*> Expand(Node& node);

  void Select(Node* node) { selected_ = node; }
  Node* Selected() const { return selected_; }

  // The folder a node stands for, ending in its drive's separator; empty for the network root
  // and servers.
  std::string NodePath(const Node& node) const;
  // Whether OK may take this node: drives, folders and shares, not servers or the network root.
  static bool CanChoose(const Node* node);

  // Deletes every node depth first, leaves before their parents, calling `onDelete` for each
  // just before it goes.
  void DeleteAll(const std::function<void(const Node&)>& onDelete = {});

 private:
  Node& Insert(Node& parent, Kind kind, std::string_view name, int image, int selectedImage);
  std::vector<Node*> PopulateChildren(Node& node);
  std::vector<Node*> EnumerateNetwork(Node& node);

  FolderSource& source_;
  Node root_;
  Node* networkRoot_ = nullptr;
  Node* selected_ = nullptr;
};

}  // namespace lumapress
