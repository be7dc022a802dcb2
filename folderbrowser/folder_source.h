#pragma once

#include <string>
#include <vector>

namespace lumapress {

// What the folder browser asks of the operating system; tests put a fake in its place.
class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // The text of the mount table (/proc/self/mounts).
  virtual std::string MountTable() = 0;
  // The user's home folder as an absolute path; empty when unknown.
  virtual std::string HomeFolder() = 0;
  // Names of the folders directly inside `path`, in the order they are to be shown; empty when
  // the folder has none or cannot be listed.
  virtual std::vector<std::string> SubFolders(const std::string& path) = 0;
};

// The running system: /proc/self/mounts, $HOME, and the file system itself.
class SystemFolderSource final : public FolderSource {
 public:
  std::string MountTable() override;
  std::string HomeFolder() override;
  std::vector<std::string> SubFolders(const std::string& path) override;
};

}  // namespace lumapress
