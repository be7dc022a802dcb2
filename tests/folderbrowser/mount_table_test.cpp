#include "folderbrowser/mount_table.h"

#include <gtest/gtest.h>

namespace lumapress {
namespace {

TEST(MountTable, ParsesLinesAndDecodesEscapes) {
  const auto mounts = ParseMountTable(
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sdb1 /media/ann/MY\\040STICK vfat rw 0 0\n"
      "\n"
      "broken-line\n"
      "//nas/photos /mnt/photos cifs rw 0 0\n");
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].device, "/dev/sda1");
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[0].type, "ext4");
  EXPECT_EQ(mounts[1].mountPoint, "/media/ann/MY STICK");
  EXPECT_EQ(mounts[2].type, "cifs");
}

TEST(MountTable, ClassifiesMountsByKind) {
  const struct {
    MountEntry mount;
    VolumeKind kind;
  } cases[] = {
      {{"/dev/sda1", "/", "ext4"}, VolumeKind::Hidden},
      {{"proc", "/proc", "proc"}, VolumeKind::Hidden},
      {{"tmpfs", "/run/user/1000", "tmpfs"}, VolumeKind::Hidden},
      {{"tmpfs", "/dev/shm", "tmpfs"}, VolumeKind::Hidden},
      {{"tmpfs", "/tmp", "tmpfs"}, VolumeKind::Hidden},
      {{"/dev/sda2", "/boot/efi", "vfat"}, VolumeKind::Hidden},
      {{"/dev/loop3", "/snap/core/1", "squashfs"}, VolumeKind::Hidden},
      {{"gvfsd-fuse", "/home/ann/.gvfs", "fuse.gvfsd-fuse"}, VolumeKind::Hidden},
      {{"/dev/sdc1", "/data", "ext4"}, VolumeKind::Fixed},
      {{"/dev/sdc2", "/tmpdata", "xfs"}, VolumeKind::Fixed},
      {{"/dev/sdb1", "/media/ann/STICK", "vfat"}, VolumeKind::Removable},
      {{"/dev/sdb1", "/run/media/ann/STICK", "exfat"}, VolumeKind::Removable},
      {{"/dev/sr0", "/media/ann/DISC", "iso9660"}, VolumeKind::CdRom},
      {{"/dev/sr0", "/mnt/dvd", "udf"}, VolumeKind::CdRom},
      {{"tmpfs", "/mnt/ram", "tmpfs"}, VolumeKind::RamDisk},
      {{"//nas/photos", "/mnt/photos", "cifs"}, VolumeKind::Network},
      {{"nas:/srv/data", "/mnt/data", "nfs4"}, VolumeKind::Network},
      {{"ann@box:", "/home/ann/box", "fuse.sshfs"}, VolumeKind::Network},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyMount(c.mount), c.kind) << c.mount.mountPoint << " " << c.mount.type;
  }
}

TEST(MountTable, SplitsNetworkDevicesIntoServerAndShare) {
  const struct {
    MountEntry mount;
    const char* server;
    const char* share;
  } cases[] = {
      {{"//nas/photos", "/mnt/p", "cifs"}, "nas", "photos"},
      {{"//nas/photos/2024", "/mnt/p", "cifs"}, "nas", "photos/2024"},
      {{"\\\\nas\\music", "/mnt/m", "smb3"}, "nas", "music"},
      {{"nas:/srv/data", "/mnt/d", "nfs"}, "nas", "/srv/data"},
      {{"[fe80::1]:/export", "/mnt/e", "nfs4"}, "[fe80::1]", "/export"},
      {{"ann@box:", "/mnt/b", "fuse.sshfs"}, "ann@box", "~"},
      {{"ann@box:/var/www", "/mnt/w", "fuse.sshfs"}, "ann@box", "/var/www"},
  };
  for (const auto& c : cases) {
    const NetworkShare share = SplitNetworkDevice(c.mount);
    EXPECT_EQ(share.server, c.server) << c.mount.device;
    EXPECT_EQ(share.share, c.share) << c.mount.device;
  }
}

TEST(MountTable, DrivesAreRootHomeThenLocalVolumesEachOnce) {
  const auto mounts = ParseMountTable(
      "/dev/vda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/ann/STICK vfat rw 0 0\n"
      "/dev/sdc1 /home/ann ext4 rw 0 0\n"
      "//nas/photos /mnt/photos cifs rw 0 0\n"
      "proc /proc proc rw 0 0\n");
  const std::vector<Drive> drives = MountedDrives(mounts, "/home/ann/");
  ASSERT_EQ(drives.size(), 3u);
  const struct {
    const char* text;
    const char* path;
    VolumeKind kind;
  } expected[] = {{"/", "/", VolumeKind::Fixed},
                  {"/home/ann", "/home/ann/", VolumeKind::Fixed},
                  {"/media/ann/STICK", "/media/ann/STICK/", VolumeKind::Removable}};
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(drives[i].text, expected[i].text) << i;
    EXPECT_EQ(drives[i].path, expected[i].path) << i;
    EXPECT_EQ(drives[i].kind, expected[i].kind) << i;
  }
  EXPECT_EQ(MountedDrives({}, "").size(), 1u) << "the root alone";
}

TEST(MountTable, NetworkMountsAreSharesReachedThroughTheirMountPoint) {
  const auto shares = MountedShares(ParseMountTable(
      "//nas/photos /mnt/photos cifs rw 0 0\n"
      "/dev/vda1 / ext4 rw 0 0\n"
      "//box /mnt/box cifs rw 0 0\n"));
  ASSERT_EQ(shares.size(), 2u);
  EXPECT_EQ(shares[0].server, "nas");
  EXPECT_EQ(shares[0].name, "photos");
  EXPECT_EQ(shares[0].path, "/mnt/photos/");
  EXPECT_EQ(shares[1].server, "box");
  EXPECT_EQ(shares[1].name, "/mnt/box") << "no share name: the mount point shows";
}

}  // namespace
}  // namespace lumapress
