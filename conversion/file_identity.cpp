#include "conversion/file_identity.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "swf/stdio_file.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

// The absolute, normalised spelling of a path, with the links of its existing part followed.
std::string NormalPath(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  fs::path normal = fs::weakly_canonical(absolute, error);
  if (error) normal = absolute.lexically_normal();
  return normal.string();
}

// The key of an existing file: its device and inode where the system has them.
std::string ExistingFileKey(const std::string& path) {
#ifndef _WIN32
  struct stat facts {};
  if (::stat(path.c_str(), &facts) == 0) {
    return "inode:" + std::to_string(static_cast<unsigned long long>(facts.st_dev)) + ":" +
           std::to_string(static_cast<unsigned long long>(facts.st_ino));
  }
#endif
  return "path:" + NormalPath(path);
}

FileFacts::Kind KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::not_found: return FileFacts::Kind::kMissing;
    case fs::file_type::regular: return FileFacts::Kind::kRegular;
    case fs::file_type::directory: return FileFacts::Kind::kDirectory;
    default: return FileFacts::Kind::kSpecial;
  }
}

}  // namespace

FileFacts InspectPath(const std::string& path) {
  FileFacts facts;
  std::error_code error;
  facts.isLink = fs::is_symlink(fs::symlink_status(path, error));
  const fs::file_status target = fs::status(path, error);
  facts.kind = KindOf(target.type());
  if (facts.kind == FileFacts::Kind::kMissing && facts.isLink) facts.kind = FileFacts::Kind::kDanglingLink;
  if (facts.kind == FileFacts::Kind::kMissing || facts.kind == FileFacts::Kind::kDanglingLink) {
    facts.key = "path:" + NormalPath(path);
    facts.writePath = path;
    return facts;
  }
  facts.key = ExistingFileKey(path);
  facts.writePath = path;
  if (facts.isLink) {
    const fs::path target = fs::canonical(path, error);
    if (!error) facts.writePath = target.string();
  }
  return facts;
}

bool HoldsMovieOrNothing(const std::string& path) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::array<char, 3> signature{};
  const size_t count = std::fread(signature.data(), 1, signature.size(), file.get());
  if (count == 0) return std::feof(file.get()) != 0;  // empty
  if (count < signature.size()) return false;
  const bool swf = signature[1] == 'W' && signature[2] == 'S';
  return swf && (signature[0] == 'F' || signature[0] == 'C' || signature[0] == 'Z');
}

}  // namespace lumapress
