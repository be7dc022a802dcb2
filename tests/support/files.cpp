#include "support/files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace lumapress::test {

// Paths are UTF-8 on every system: files are opened through the program's own file layer.
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  const File file(OpenFile(path, "rb"), std::fclose);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  if (std::ferror(file.get())) throw std::runtime_error("cannot read " + path);
  return bytes;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  const File file(OpenFile(path, "wb"), std::fclose);
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder))) {
    names.push_back(Utf8Path(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumapress::test
