#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumapress {

// One line of /proc/self/mounts, with the octal escapes (\040 for a space) decoded.
struct MountEntry {
  std::string device;
  std::string mountPoint;
  std::string type;
};
std::vector<MountEntry> ParseMountTable(std::string_view text);

// How the folder browser shows a mount.
enum class VolumeKind {
  Hidden,     // pseudo file systems, system folders and the root (listed on its own)
  Fixed,      // a local disk
  Removable,  // under /media or /run/media
  CdRom,      // iso9660 or udf
  RamDisk,    // tmpfs mounted outside the system's folders
  Network,    // cifs, smb3, nfs, nfs4, sshfs
};
VolumeKind ClassifyMount(const MountEntry& mount);

// A network mount's server and the share on it ("//nas/photos" -> nas, photos;
// "nas:/srv/data" -> nas, /srv/data; "ann@box:" -> ann@box, ~).
struct NetworkShare {
  std::string server;
  std::string share;
};
NetworkShare SplitNetworkDevice(const MountEntry& mount);

}  // namespace lumapress
