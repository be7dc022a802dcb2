#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "folderbrowser/folder_source.h"
#include "folderbrowser/mount_table.h"

namespace lumapress::test {

// A file system made up by a test; remembers which folders were listed. Its drives and
// shares come from a Linux mount table and home folder, unless a test gives them itself.
class FakeFolderSource : public FolderSource {
 public:
  std::vector<Drive> Drives() override {
    return drives ? *drives : MountedDrives(ParseMountTable(mounts), home);
  }
  std::vector<SharedFolder> SharedFolders() override {
    return shares ? *shares : MountedShares(ParseMountTable(mounts));
  }
  std::vector<std::string> SubFolders(const std::string& path) override {
    listed.push_back(path);
    const auto it = folders.find(path);
    return it == folders.end() ? std::vector<std::string>{} : it->second;
  }

  std::string mounts;
  std::string home = "/home/ann";
  std::optional<std::vector<Drive>> drives;
  std::optional<std::vector<SharedFolder>> shares;
  std::map<std::string, std::vector<std::string>> folders;
  std::vector<std::string> listed;
};

}  // namespace lumapress::test
