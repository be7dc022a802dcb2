#include "support/folder_snapshot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lumapress::test {

namespace fs = std::filesystem;

namespace {

// Files up to this size are shown as they are, so a failure prints readable differences.
constexpr size_t kBytesShown = 256;

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

}  // namespace

FolderSnapshot SnapshotFolder(const std::string& folder) {
  FolderSnapshot snapshot;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).generic_string();  // '/' everywhere
    const fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      snapshot[name] = "link -> " + fs::read_symlink(entry.path()).string();
    } else if (fs::is_directory(status)) {
      snapshot[name] = "dir";
    } else if (fs::is_regular_file(status)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(in), {});
      snapshot[name] = bytes.size() <= kBytesShown ? "file: " + bytes : "file of " + std::to_string(bytes.size()) +
                                                                         " bytes, hash " + std::to_string(Fnv1a(bytes));
    } else {
      snapshot[name] = "special";
    }
  }
  return snapshot;
}

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".lumapress-") || name.ends_with(".part")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumapress::test
