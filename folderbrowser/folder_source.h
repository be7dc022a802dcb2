#pragma once

#include <string>
#include <vector>

namespace lumapress {

// What kind of volume a drive is, which decides its picture.
enum class VolumeKind {
  Hidden,     // not shown: pseudo file systems, system folders, drives without a root
  Fixed,      // a local disk
  Removable,  // a stick or card
  CdRom,      // a disc drive
  RamDisk,    // memory
  Network,    // a share on another machine
};

// A drive of the tree's top level.
struct Drive {
  std::string text;  // as shown: "/media/ann/STICK", "C:"
  std::string path;  // the folder it stands for, ending in a separator: "/media/ann/STICK/", "C:\"
  VolumeKind kind = VolumeKind::Fixed;
};

// A folder that a server in the network shares.
struct SharedFolder {
  std::string server;  // as shown under the network root
  std::string name;    // as shown under its server
  std::string path;    // where it is reached, ending in a separator: "/mnt/photos/", "\\nas\photos\"
};

// What the folder browser asks of the operating system; tests put a fake in its place.
class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // The drives, in the order they are to be shown.
  virtual std::vector<Drive> Drives() = 0;
  // The shares that can be reached, in the order they are to be shown.
  virtual std::vector<SharedFolder> SharedFolders() = 0;
  // Names of the folders directly inside `path` (which ends in a separator), in the order
  // they are to be shown; empty when the folder has none or cannot be listed.
  virtual std::vector<std::string> SubFolders(const std::string& path) = 0;
};

// The running system. Linux: the root, the home folder and the mounted volumes of
// /proc/self/mounts, network mounts as shares. Windows: the drive letters, and the network
// shares the user is connected to.
class SystemFolderSource final : public FolderSource {
 public:
  std::vector<Drive> Drives() override;
  std::vector<SharedFolder> SharedFolders() override;
  std::vector<std::string> SubFolders(const std::string& path) override;
};

}  // namespace lumapress
