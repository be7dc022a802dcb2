#pragma once

#include <filesystem>
#include <string>

namespace lumapress::test {

// Paths are UTF-8 strings in the program; std::filesystem takes them through these, so names
// outside the ANSI code page work on Windows too.
std::filesystem::path FsPath(const std::string& utf8Path);
std::string Utf8Path(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes away.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace lumapress::test
