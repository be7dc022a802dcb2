#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "folderbrowser/folder_source.h"

namespace lumapress {

// How the folder browser sees a Linux system: the mount table (/proc/self/mounts) and the
// home folder become drives and shares.

// One line of /proc/self/mounts, with the octal escapes (\040 for a space) decoded.
struct MountEntry {
  std::string device;
  std::string mountPoint;
  std::string type;
};
std::vector<MountEntry> ParseMountTable(std::string_view text);

// How the folder browser shows a mount: Hidden for pseudo file systems, system folders and
// the root (listed on its own); Removable under /media or /run/media; CdRom for iso9660 or udf;
// RamDisk for tmpfs outside the system's folders; Network for cifs, smb3, nfs, nfs4, sshfs.
VolumeKind ClassifyMount(const MountEntry& mount);

// A network mount's server and the share on it ("//nas/photos" -> nas, photos;
// "nas:/srv/data" -> nas, /srv/data; "ann@box:" -> ann@box, ~).
struct NetworkShare {
  std::string server;
  std::string share;
};
NetworkShare SplitNetworkDevice(const MountEntry& mount);

// The drives: the root, the home folder (when given), then each mounted local volume; each
// folder once.
std::vector<Drive> MountedDrives(const std::vector<MountEntry>& mounts, const std::string& home);

// The network mounts as shares, in the table's order.
std::vector<SharedFolder> MountedShares(const std::vector<MountEntry>& mounts);

}  // namespace lumapress
