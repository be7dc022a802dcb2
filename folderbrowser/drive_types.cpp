#include "folderbrowser/drive_types.h"

#include <string>

namespace lumapress {
namespace {

VolumeKind KindOf(unsigned driveType) {
  switch (driveType) {
    case kDriveRemovable: return VolumeKind::Removable;
    case kDriveFixed: return VolumeKind::Fixed;
    case kDriveRemote: return VolumeKind::Network;
    case kDriveCdRom: return VolumeKind::CdRom;
    case kDriveRamDisk: return VolumeKind::RamDisk;
    default: return VolumeKind::Hidden;
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

Drive DriveFromRoot(std::string_view root, unsigned driveType) {
  std::string path(root);
  if (path.empty() || !IsSeparator(path.back())) path += '\\';
  std::string text(root);
  while (!text.empty() && IsSeparator(text.back())) text.pop_back();
  return {text, path, KindOf(driveType)};
}

std::optional<SharedFolder> ShareFromRemoteName(std::string_view remoteName) {
  if (remoteName.size() < 2 || !IsSeparator(remoteName[0]) || !IsSeparator(remoteName[1])) {
    return std::nullopt;
  }
  const std::string_view rest = remoteName.substr(2);
  size_t serverEnd = 0;
  while (serverEnd < rest.size() && !IsSeparator(rest[serverEnd])) ++serverEnd;
  if (serverEnd == 0 || serverEnd + 1 >= rest.size()) return std::nullopt;
  std::string_view share = rest.substr(serverEnd + 1);
  while (!share.empty() && IsSeparator(share.back())) share.remove_suffix(1);
  if (share.empty()) return std::nullopt;
  return SharedFolder{std::string(rest.substr(0, serverEnd)), std::string(share),
                      "\\\\" + std::string(rest.substr(0, serverEnd)) + "\\" + std::string(share) + "\\"};
}

}  // namespace lumapress
