#include "folderbrowser/folder_tree.h"

#include <algorithm>
#include <cctype>

namespace lumapress {
namespace {

int DriveImage(VolumeKind kind) {
  switch (kind) {
    case VolumeKind::Removable: return kRemovableImage;
    case VolumeKind::CdRom: return kCdRomImage;
    case VolumeKind::RamDisk: return kRamDiskImage;
    case VolumeKind::Network: return kServerImage;
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
  for (const Drive& drive : source_.Drives()) {
    if (drive.kind == VolumeKind::Hidden || drive.path.empty()) continue;
    Insert(root_, Kind::Drive, drive.text, DriveImage(drive.kind), -1).anchor = drive.path;
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
  for (const SharedFolder& share : source_.SharedFolders()) {
    if (share.path.empty()) continue;
    if (node.kind == Kind::NetworkRoot) {
      // One node per server, in the order the servers first appear.
      const bool known = std::any_of(added.begin(), added.end(),
                                     [&](const Node* server) { return server->name == share.server; });
      if (!known) added.push_back(&Insert(node, Kind::Server, share.server, kServerImage, -1));
    } else if (share.server == node.name) {
      Node& shareNode = Insert(node, Kind::Share, share.name, kFolderImage, kOpenFolderImage);
      shareNode.anchor = share.path;
      added.push_back(&shareNode);
    }
  }
  return added;
}

std::string FolderTree::NodePath(const Node& node) const {
  if (!CanChoose(&node)) return {};
  // Folder names are joined with the separator their drive or share ends in ('/' or '\').
  std::vector<const Node*> folders;
  const Node* anchored = &node;
  for (; anchored != nullptr && anchored->anchor.empty(); anchored = anchored->parent) {
    folders.push_back(anchored);
  }
  if (anchored == nullptr) return {};
  std::string path = anchored->anchor;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) path += (*it)->name + path.back();
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
