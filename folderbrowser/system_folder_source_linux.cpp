#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "folderbrowser/folder_source.h"
#include "folderbrowser/mount_table.h"

namespace lumapress {
namespace {

std::vector<MountEntry> Mounts() {
  std::ifstream file("/proc/self/mounts");
  std::ostringstream text;
  text << file.rdbuf();
  return ParseMountTable(text.str());
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return {};
}

}  // namespace

std::vector<Drive> SystemFolderSource::Drives() { return MountedDrives(Mounts(), HomeFolder()); }

std::vector<SharedFolder> SystemFolderSource::SharedFolders() { return MountedShares(Mounts()); }

std::vector<std::string> SystemFolderSource::SubFolders(const std::string& path) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(path, fs::directory_options::skip_permission_denied, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::error_code statError;
    if (entries->is_directory(statError)) names.push_back(entries->path().filename().string());
  }
  // The system lists entries in no useful order; people look for names alphabetically.
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumapress
