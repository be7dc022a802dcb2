#include "conversion/file_identity.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"
#include "common/stdio_file.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

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
  const fs::path native = NativePath(path);
  std::error_code error;
  facts.isLink = fs::is_symlink(fs::symlink_status(native, error));
  facts.kind = KindOf(fs::status(native, error).type());
  if (facts.kind == FileFacts::Kind::kMissing && facts.isLink) facts.kind = FileFacts::Kind::kDanglingLink;
  facts.writePath = path;
  if (const std::optional<std::string> identity = FileIdentity(path)) {
    facts.key = "file:" + *identity;
  } else {
    facts.key = "path:" + ComparablePath(path);
  }
  if (facts.isLink && facts.kind != FileFacts::Kind::kDanglingLink) {
    const fs::path target = fs::canonical(native, error);
    if (!error) facts.writePath = Utf8Path(target);
  }
  return facts;
}

bool HoldsMovieOrNothing(const std::string& path) {
  UniqueFile file(OpenFile(path, "rb"));
  if (!file) return false;
  std::array<char, 3> signature{};
  const size_t count = std::fread(signature.data(), 1, signature.size(), file.get());
  if (count == 0) return std::feof(file.get()) != 0;  // empty
  if (count < signature.size()) return false;
  const bool swf = signature[1] == 'W' && signature[2] == 'S';
  return swf && (signature[0] == 'F' || signature[0] == 'C' || signature[0] == 'Z');
}

}  // namespace lumapress
