#pragma once

#include <map>
#include <string>
#include <vector>

#include "folderbrowser/folder_source.h"

namespace lumapress::test {

// A file system and mount table made up by a test; remembers which folders were listed.
class FakeFolderSource : public FolderSource {
 public:
  std::string MountTable() override { return mounts; }
  std::string HomeFolder() override { return home; }
  std::vector<std::string> SubFolders(const std::string& path) override {
    listed.push_back(path);
    const auto it = folders.find(path);
    return it == folders.end() ? std::vector<std::string>{} : it->second;
  }

  std::string mounts;
  std::string home = "/home/ann";
  std::map<std::string, std::vector<std::string>> folders;
  std::vector<std::string> listed;
};

}  // namespace lumapress::test
