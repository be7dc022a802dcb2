#include "folderbrowser/mount_table.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace lumapress {
namespace {

// File systems that hold no user files.
constexpr std::array<std::string_view, 27> kPseudoTypes = {
    "proc",       "sysfs",       "devtmpfs",   "devpts",       "cgroup",     "cgroup2",
    "securityfs", "pstore",      "bpf",        "debugfs",      "tracefs",    "configfs",
    "fusectl",    "mqueue",      "hugetlbfs",  "autofs",       "binfmt_misc", "rpc_pipefs",
    "nsfs",       "efivarfs",    "selinuxfs",  "ramfs",        "squashfs",   "fuse.gvfsd-fuse",
    "fuse.portal", "nfsd",       "overlay"};

// Folders the system mounts its own things on; a user's volumes live elsewhere.
constexpr std::array<std::string_view, 13> kSystemFolders = {
    "/proc", "/sys", "/dev", "/run", "/boot", "/etc", "/tmp",
    "/var",  "/usr", "/snap", "/lib", "/bin", "/sbin"};

constexpr std::array<std::string_view, 2> kRemovableFolders = {"/media", "/run/media"};

constexpr std::array<std::string_view, 6> kNetworkTypes = {"cifs", "smb3", "smbfs",
                                                           "nfs",  "nfs4", "fuse.sshfs"};

constexpr std::array<std::string_view, 2> kDiscTypes = {"iso9660", "udf"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& set, std::string_view value) {
  return std::find(set.begin(), set.end(), value) != set.end();
}

// True when `path` is `folder` or lies below it.
template <size_t N>
bool UnderAny(const std::array<std::string_view, N>& folders, std::string_view path) {
  return std::any_of(folders.begin(), folders.end(), [path](std::string_view folder) {
    return path.starts_with(folder) &&
           (path.size() == folder.size() || path[folder.size()] == '/');
  });
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string WithoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::string Unescape(std::string_view field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

}  // namespace

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    mounts.push_back({Unescape(device), Unescape(mountPoint), type});
  }
  return mounts;
}

VolumeKind ClassifyMount(const MountEntry& mount) {
  if (Contains(kNetworkTypes, mount.type)) return VolumeKind::Network;
  if (Contains(kPseudoTypes, mount.type) || mount.mountPoint == "/") return VolumeKind::Hidden;
  const bool removable = UnderAny(kRemovableFolders, mount.mountPoint);
  if (!removable && UnderAny(kSystemFolders, mount.mountPoint)) return VolumeKind::Hidden;
  if (Contains(kDiscTypes, mount.type)) return VolumeKind::CdRom;
  if (removable) return VolumeKind::Removable;
  if (mount.type == "tmpfs") return VolumeKind::RamDisk;
  return VolumeKind::Fixed;
}

NetworkShare SplitNetworkDevice(const MountEntry& mount) {
  std::string device = mount.device;
  std::replace(device.begin(), device.end(), '\\', '/');
  if (device.starts_with("//")) {  // SMB: //server/share
    const std::string rest = device.substr(2);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos) return {rest, ""};
    return {rest.substr(0, slash), rest.substr(slash + 1)};
  }
  // NFS and sshfs: server:path, the server possibly a bracketed IPv6 address.
  size_t colon = device.find(':', device.starts_with("[") ? device.find(']') : 0);
  if (colon == std::string::npos) return {device, ""};
  // sshfs without a path mounts the remote home folder.
  std::string share = colon + 1 < device.size() ? device.substr(colon + 1) : std::string(1, '~');
  return {device.substr(0, colon), std::move(share)};
}

std::vector<Drive> MountedDrives(const std::vector<MountEntry>& mounts, const std::string& home) {
  std::vector<Drive> drives;
  auto add = [&](const std::string& folder, VolumeKind kind) {
    const std::string path = WithSlash(folder);
    if (std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.path == path; })) return;
    drives.push_back({WithoutSlash(folder), path, kind});
  };
  add("/", VolumeKind::Fixed);
  if (!home.empty()) add(home, VolumeKind::Fixed);
  for (const MountEntry& mount : mounts) {
    const VolumeKind kind = ClassifyMount(mount);
    if (kind != VolumeKind::Hidden && kind != VolumeKind::Network) add(mount.mountPoint, kind);
  }
  return drives;
}

std::vector<SharedFolder> MountedShares(const std::vector<MountEntry>& mounts) {
  std::vector<SharedFolder> shares;
  for (const MountEntry& mount : mounts) {
    if (ClassifyMount(mount) != VolumeKind::Network) continue;
    NetworkShare share = SplitNetworkDevice(mount);
    shares.push_back({std::move(share.server), share.share.empty() ? mount.mountPoint : share.share,
                      WithSlash(mount.mountPoint)});
  }
  return shares;
}

}  // namespace lumapress
