#include "support/temp_folder.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/file_system.h"
#include "platform/path_rules.h"

namespace lumapress::test {
namespace {

constexpr int kNameAttempts = 100;

}  // namespace

std::filesystem::path FsPath(const std::string& utf8Path) {
  return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TempFolder::TempFolder() {
  const std::string base = WithTrailingSeparator(Utf8Path(std::filesystem::temp_directory_path()));
  std::mt19937_64 random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         std::random_device()());
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = base + "lumapress-";
    for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    if (CreateFolder(name)) {
      path_ = name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder under " + base);
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::permissions(FsPath(path_), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, error);
  std::filesystem::remove_all(FsPath(path_), error);
}

}  // namespace lumapress::test
