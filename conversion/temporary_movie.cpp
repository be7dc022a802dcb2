#include "conversion/temporary_movie.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "conversion/movie_steps.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

// ".lumapress-" + 16 hex digits of the movie name's hash + "-" + 8 hex digits + ".part".
constexpr std::string_view kNamePrefix = ".lumapress-";
constexpr size_t kHashDigits = 16;
constexpr size_t kUniqueDigits = 8;
constexpr size_t kNameLength = kNamePrefix.size() + kHashDigits + 1 + kUniqueDigits + sizeof kTemporaryMovieSuffix - 1;
// Fresh names tried before giving up; each clash needs another program's file of our pattern.
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

fs::path FolderOf(const std::string& moviePath) {
  const fs::path folder = fs::path(moviePath).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// The name's first part: ".lumapress-<hash>-".
std::string NameStart(const std::string& moviePath) {
  return std::string(kNamePrefix) + Hex(NameHash(fs::path(moviePath).filename().string()), kHashDigits) + "-";
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

#ifdef _WIN32
// Removes `path` when it is a regular file nobody holds open (a held file cannot be removed).
bool RemoveIfStale(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(fs::symlink_status(path, error)) && fs::remove(path, error);
}
#else
// True when `path` still names the file open on `fd`.
bool NamesOpenFile(const std::string& path, int fd) {
  struct stat named {}, held {};
  return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &held) == 0 && named.st_dev == held.st_dev &&
         named.st_ino == held.st_ino;
}

// Removes `path` when nothing holds its lock; never follows a link or touches anything but a
// regular file.
bool RemoveIfStale(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat held {};
  bool removed = false;
  if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      NamesOpenFile(path, fd)) {
    removed = ::unlink(path.c_str()) == 0;
  }
  ::close(fd);
  return removed;
}
#endif

}  // namespace

std::string TemporaryMoviePrefix(const std::string& moviePath) {
  return (FolderOf(moviePath) / NameStart(moviePath)).string();
}

TemporaryMovie::TemporaryMovie(std::string moviePath) : moviePath_(std::move(moviePath)) {
  const std::string prefix = TemporaryMoviePrefix(moviePath_);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    const std::string candidate = prefix + Hex(NextUnique(), kUniqueDigits) + kTemporaryMovieSuffix;
#ifndef _WIN32
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return;
    }
    // A cleaner that opened the fresh file first holds the lock or has removed the name:
    // leave the file to it and take another name. File systems without flock go unlocked;
    // cleaners cannot lock there either, so they leave every file alone.
    if ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) || !NamesOpenFile(candidate, fd)) {
      ::close(fd);
      continue;
    }
    lock_ = fd;
#else
    std::FILE* created = std::fopen(candidate.c_str(), "wbx");
    if (created == nullptr) continue;
    std::fclose(created);
    hold_ = std::fopen(candidate.c_str(), "rb");
#endif
    path_ = candidate;
    return;
  }
}

TemporaryMovie::~TemporaryMovie() {
  if (!path_.empty()) DiscardMovie(path_);
  Release();
}

bool TemporaryMovie::Commit() {
  if (path_.empty()) return false;
#ifdef _WIN32
  Release();  // a file held open cannot be renamed there
#endif
  // Renamed while still locked: a cleaner cannot take the finished file in between.
  const bool committed = CommitMovie(path_, moviePath_);  // removes the file when it fails
  path_.clear();
  Release();
  return committed;
}

void TemporaryMovie::Release() {
#ifdef _WIN32
  if (hold_ != nullptr) std::fclose(hold_);
  hold_ = nullptr;
#else
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
#endif
}

size_t RemoveStaleTemporaryMovies(std::span<const std::string> moviePaths) {
  size_t removed = 0;
  std::map<fs::path, std::set<std::string>> startsByFolder;
  for (const std::string& movie : moviePaths) startsByFolder[FolderOf(movie)].insert(NameStart(movie));
  for (const auto& [folder, starts] : startsByFolder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      const size_t startLength = kNamePrefix.size() + kHashDigits + 1;
      if (name.size() != kNameLength || !name.ends_with(kTemporaryMovieSuffix) ||
          !starts.contains(name.substr(0, startLength)) ||
          !IsHex(std::string_view(name).substr(startLength, kUniqueDigits))) {
        continue;
      }
      if (RemoveIfStale(it->path().string())) ++removed;
    }
  }
  return removed;
}

}  // namespace lumapress
