#pragma once

#include <optional>
#include <string_view>

#include "folderbrowser/folder_source.h"

namespace lumapress {

// Windows drive types, as GetDriveType reports them.
enum WindowsDriveType : unsigned {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

// The drive for a root such as "C:\" of the given type: shown as "C:"; Hidden when its type
// cannot be determined or it has no root folder.
Drive DriveFromRoot(std::string_view root, unsigned driveType);

// A connected network resource's remote name ("\\nas\photos") as a share of its server;
// nothing when the name is not of that form.
std::optional<SharedFolder> ShareFromRemoteName(std::string_view remoteName);

}  // namespace lumapress
