#include "folderbrowser/folder_tree.h"

#include <algorithm>
#include <cctype>

#include "folderbrowser/mount_table.h"

namespace lumapress {
namespace {

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string WithoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

int DriveImage(VolumeKind kind) {
  switch (kind) {
    case VolumeKind::Removable: return kRemovableImage;
    case VolumeKind::CdRom: return kCdRomImage;
    case VolumeKind::RamDisk: return kRamDiskImage;
    default: return kFixedImage;
  }
}

}  // namespace

std::string NormaliseNodeText(std::string_view text) {
  std::string shown(text);
  if (std::any_of(shown.begin(), shown.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
    return shown;
  }
  for (char& c : shown) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (!shown.empty() && shown[0] >= 'a' && shown[0] <= 'z') {
    shown[0] = static_cast<char>(shown[0] - 'a' + 'A');
  }
  return shown;
}

FolderTree::FolderTree(FolderSource& source) : source_(source) { root_.kind = Kind::Root; }

FolderTree::~FolderTree() { DeleteAll(); }

FolderTree::Node& FolderTree::Insert(Node& parent, Kind kind, std::string_view name, int image,
                                     int selectedImage) {
  auto node = std::make_unique<Node>();
  node->kind = kind;
  node->name = std::string(name);
  node->text = NormaliseNodeText(name);
  node->image = image;
  node->selectedImage = selectedImage < 0 ? image : selectedImage;
  node->parent = &parent;
  parent.children.push_back(std::move(node));
  return *parent.children.back();
}

void FolderTree::Initialise() {
  std::vector<std::string> anchors;
  auto addDrive = [&](const std::string& path, int image) {
    const std::string anchor = WithSlash(path);
    if (std::find(anchors.begin(), anchors.end(), anchor) != anchors.end()) return;
    anchors.push_back(anchor);
    Insert(root_, Kind::Drive, WithoutSlash(path), image, -1).anchor = anchor;
  };
  addDrive("/", kFixedImage);
  if (const std::string home = source_.HomeFolder(); !home.empty()) addDrive(home, kFixedImage);
  for (const MountEntry& mount : ParseMountTable(source_.MountTable())) {
    const VolumeKind kind = ClassifyMount(mount);
    if (kind != VolumeKind::Hidden && kind != VolumeKind::Network) {
      addDrive(mount.mountPoint, DriveImage(kind));
    }
  }
  networkRoot_ = &Insert(root_, Kind::NetworkRoot, kNetworkRootText, kNetworkImage, -1);
}

std::vector<FolderTree::Node*> FolderTree::Expand(Node& node) {
  std::vector<Node*> added;
  if (node.children.empty()) {
    added = PopulateChildren(node);
    if (selected_ != &node) selected_ = &node;
  }
  return added;
}

std::vector<FolderTree::Node*> FolderTree::PopulateChildren(Node& node) {
  std::vector<Node*> added;
  if (node.kind == Kind::NetworkRoot || node.kind == Kind::Server) {
    added = EnumerateNetwork(node);
  } else {
    for (const std::string& name : source_.SubFolders(NodePath(node))) {
      if (name == "." || name == "..") continue;
      added.push_back(&Insert(node, Kind::Folder, name, kFolderImage, kOpenFolderImage));
    }
  }
  if (added.empty()) node.mayHaveChildren = false;
  return added;
}

std::vector<FolderTree::Node*> FolderTree::EnumerateNetwork(Node& node) {
  std::vector<Node*> added;
  for (const MountEntry& mount : ParseMountTable(source_.MountTable())) {
    if (ClassifyMount(mount) != VolumeKind::Network) continue;
    const NetworkShare share = SplitNetworkDevice(mount);
    if (node.kind == Kind::NetworkRoot) {
      // One node per server, in the order the servers first appear.
      const bool known = std::any_of(added.begin(), added.end(),
                                     [&](const Node* server) { return server->name == share.server; });
      if (!known) added.push_back(&Insert(node, Kind::Server, share.server, kServerImage, -1));
    } else if (share.server == node.name) {
      Node& shareNode = Insert(node, Kind::Share, share.share.empty() ? mount.mountPoint : share.share,
                               kFolderImage, kOpenFolderImage);
      shareNode.anchor = WithSlash(mount.mountPoint);
      added.push_back(&shareNode);
    }
  }
  return added;
}

std::string FolderTree::NodePath(const Node& node) const {
  if (!CanChoose(&node)) return {};
  std::string path;
  for (const Node* n = &node; n != nullptr && n != &root_; n = n->parent) {
    if (!n->anchor.empty()) return n->anchor + path;
    path = n->name + "/" + path;
  }
  return path;
}

bool FolderTree::CanChoose(const Node* node) {
  return node != nullptr &&
         (node->kind == Kind::Drive || node->kind == Kind::Folder || node->kind == Kind::Share);
}

void FolderTree::DeleteAll(const std::function<void(const Node&)>& onDelete) {
  selected_ = nullptr;
  networkRoot_ = nullptr;
  Node* current = root_.children.empty() ? nullptr : root_.children.front().get();
  while (current != nullptr) {
    while (!current->children.empty()) current = current->children.front().get();
    Node* parent = current->parent;
    auto& siblings = parent->children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [current](const auto& child) { return child.get() == current; });
    Node* next = it + 1 != siblings.end() ? (it + 1)->get() : nullptr;
    Node* previous = it != siblings.begin() ? (it - 1)->get() : nullptr;
    if (onDelete) onDelete(*current);
    siblings.erase(it);
    current = next != nullptr ? next : previous != nullptr ? previous : parent;
    if (current == &root_) current = root_.children.empty() ? nullptr : root_.children.front().get();
  }
}

}  // namespace lumapress
