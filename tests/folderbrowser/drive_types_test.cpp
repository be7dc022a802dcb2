#include "folderbrowser/drive_types.h"

#include <gtest/gtest.h>

namespace lumapress {
namespace {

TEST(DriveTypes, EachTypeGivesItsKind) {
  const struct {
    const char* root;
    unsigned type;
    const char* text;
    const char* path;
    VolumeKind kind;
  } cases[] = {
      {"A:\\", kDriveUnknown, "A:", "A:\\", VolumeKind::Hidden},
      {"B:\\", kDriveNoRootDir, "B:", "B:\\", VolumeKind::Hidden},
      {"C:\\", kDriveFixed, "C:", "C:\\", VolumeKind::Fixed},
      {"D:\\", kDriveCdRom, "D:", "D:\\", VolumeKind::CdRom},
      {"E:\\", kDriveRemovable, "E:", "E:\\", VolumeKind::Removable},
      {"R:\\", kDriveRamDisk, "R:", "R:\\", VolumeKind::RamDisk},
      {"Z:\\", kDriveRemote, "Z:", "Z:\\", VolumeKind::Network},
      {"Y:", kDriveFixed, "Y:", "Y:\\", VolumeKind::Fixed},
      {"X:\\", 7, "X:", "X:\\", VolumeKind::Hidden},
  };
  for (const auto& c : cases) {
    const Drive drive = DriveFromRoot(c.root, c.type);
    EXPECT_EQ(drive.text, c.text) << c.root;
    EXPECT_EQ(drive.path, c.path) << c.root;
    EXPECT_EQ(drive.kind, c.kind) << c.root;
  }
}

TEST(DriveTypes, RemoteNamesBecomeSharesOfTheirServer) {
  const struct {
    const char* remoteName;
    const char* server;  // null: not a share
    const char* name;
    const char* path;
  } cases[] = {
      {"\\\\nas\\photos", "nas", "photos", "\\\\nas\\photos\\"},
      {"\\\\nas\\photos\\", "nas", "photos", "\\\\nas\\photos\\"},
      {"//nas/music", "nas", "music", "\\\\nas\\music\\"},
      {"\\\\nas\\photos\\2024", "nas", "photos\\2024", "\\\\nas\\photos\\2024\\"},
      {"\\\\nas", nullptr, "", ""},
      {"\\\\nas\\", nullptr, "", ""},
      {"\\\\\\share", nullptr, "", ""},
      {"C:\\share", nullptr, "", ""},
      {"", nullptr, "", ""},
  };
  for (const auto& c : cases) {
    const auto share = ShareFromRemoteName(c.remoteName);
    ASSERT_EQ(share.has_value(), c.server != nullptr) << c.remoteName;
    if (!share) continue;
    EXPECT_EQ(share->server, c.server) << c.remoteName;
    EXPECT_EQ(share->name, c.name) << c.remoteName;
    EXPECT_EQ(share->path, c.path) << c.remoteName;
  }
}

}  // namespace
}  // namespace lumapress
