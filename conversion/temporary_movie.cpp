#include "conversion/temporary_movie.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string_view>

#include "conversion/movie_steps.h"
#include "platform/file_system.h"
#include "platform/path_rules.h"

namespace lumapress {
namespace {

// ".lumapress-" + 16 hex digits of the movie name's hash + "-" + 8 hex digits + ".part".
constexpr std::string_view kNamePrefix = ".lumapress-";
constexpr size_t kHashDigits = 16;
constexpr size_t kUniqueDigits = 8;
constexpr size_t kNameStartLength = kNamePrefix.size() + kHashDigits + 1;
constexpr size_t kNameLength = kNameStartLength + kUniqueDigits + sizeof kTemporaryMovieSuffix - 1;
// Fresh names tried before giving up; each clash needs another file of our pattern.
constexpr int kCreateAttempts = 64;

std::string Hex(uint64_t value, size_t digits) {
  std::string text(digits, '0');
  for (size_t i = digits; i-- > 0; value >>= 4) text[i] = "0123456789abcdef"[value & 0xF];
  return text;
}

bool IsHex(std::string_view text) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// FNV-1a: ties a temporary file to its movie's name without the name itself.
uint64_t NameHash(std::string_view name) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : name) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

// The movie's folder as the start of a path: empty, or ending in a separator.
std::string FolderText(const std::string& moviePath) {
  return moviePath.substr(0, moviePath.size() - LastComponent(moviePath).size());
}

// The name's first part: ".lumapress-<hash>-".
std::string NameStart(const std::string& moviePath) {
  return std::string(kNamePrefix) + Hex(NameHash(LastComponent(moviePath)), kHashDigits) + "-";
}

// Distinct in this process, and unlikely to meet another process's.
uint64_t NextUnique() {
  static const uint64_t seed = [] {
    std::random_device device;
    return (uint64_t{device()} << 32) ^ device();
  }();
  static std::atomic<uint64_t> counter{0};
  uint64_t value = seed + 0x9E3779B97F4A7C15ull * ++counter;
  value ^= value >> 29;
  return value * 0xBF58476D1CE4E5B9ull;
}

}  // namespace

std::string TemporaryMoviePrefix(const std::string& moviePath) {
  return FolderText(moviePath) + NameStart(moviePath);
}

TemporaryMovie::TemporaryMovie(std::string moviePath) : moviePath_(std::move(moviePath)) {
  const std::string prefix = TemporaryMoviePrefix(moviePath_);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    const std::string candidate = prefix + Hex(NextUnique(), kUniqueDigits) + kTemporaryMovieSuffix;
    switch (file_.Create(candidate)) {
      case HeldFile::Result::kHeld: path_ = candidate; return;
      case HeldFile::Result::kNameTaken: continue;
      case HeldFile::Result::kFailed: return;
    }
  }
}

TemporaryMovie::~TemporaryMovie() {
  if (!path_.empty()) {
    file_.Release();
    DiscardMovie(path_);
  }
}

bool TemporaryMovie::Commit() {
  if (path_.empty()) return false;
  // Renamed while still held where the system allows it, so a cleaner cannot take the
  // finished file in between; Windows renames no file held open.
  if (kNativePathStyle == PathStyle::kWindows) file_.Release();
  const bool committed = CommitMovie(path_, moviePath_);  // removes the file when it fails
  path_.clear();
  file_.Release();
  return committed;
}

bool TemporaryMovie::CommitIfFree(const std::string& moviePath) {
  if (path_.empty()) return false;
  if (kNativePathStyle == PathStyle::kWindows) file_.Release();  // as in Commit
  SetHidden(path_, false);
  if (!RenameIfFree(path_, moviePath)) {
    SetHidden(path_, true);
    return false;
  }
  path_.clear();
  file_.Release();
  return true;
}

size_t RemoveStaleTemporaryMovies(std::span<const std::string> moviePaths) {
  std::map<std::string, std::set<std::string>> startsByFolder;
  for (const std::string& movie : moviePaths) startsByFolder[FolderText(movie)].insert(NameStart(movie));
  size_t removed = 0;
  for (const auto& [folder, starts] : startsByFolder) {
    for (const std::string& name : FolderEntryNames(folder.empty() ? "." : folder)) {
      if (name.size() != kNameLength || !name.ends_with(kTemporaryMovieSuffix) ||
          !starts.contains(name.substr(0, kNameStartLength)) ||
          !IsHex(std::string_view(name).substr(kNameStartLength, kUniqueDigits))) {
        continue;
      }
      if (RemoveIfUnheld(folder + name)) ++removed;
    }
  }
  return removed;
}

}  // namespace lumapress
