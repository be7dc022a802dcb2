#include "platform/file_system.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include "platform/utf8_text.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>  // renameat2 (glibc), renamex_np (macOS)

#include <cerrno>

#include "platform/path_rules.h"
#endif

namespace lumapress {

#ifdef _WIN32

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WideFromUtf8(path).c_str()); }

// The C runtime's fopen knows no "x"; _wsopen_s does the exclusive creation and _fdopen turns
// the descriptor into a stream.
std::FILE* OpenNewFile(const std::wstring& path, const char* mode) {
  std::string streamMode;
  for (const char* c = mode; *c != '\0'; ++c) {
    if (*c != 'x') streamMode += *c;
  }
  int flags = _O_CREAT | _O_EXCL | (std::strchr(mode, '+') ? _O_RDWR : _O_WRONLY);
  flags |= std::strchr(mode, 'b') ? _O_BINARY : _O_TEXT;
  int descriptor = -1;
  if (_wsopen_s(&descriptor, path.c_str(), flags, _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) {
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, streamMode.c_str());
  if (file == nullptr) _close(descriptor);
  return file;
}

// A handle that only reads the file's identity, closed when dropped.
class IdentityHandle {
 public:
  explicit IdentityHandle(const std::string& path)
      : handle_(CreateFileW(WideFromUtf8(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~IdentityHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  IdentityHandle(const IdentityHandle&) = delete;
  IdentityHandle& operator=(const IdentityHandle&) = delete;

  bool Read(BY_HANDLE_FILE_INFORMATION& info) const {
    return handle_ != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle_, &info) != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const std::wstring widePath = WideFromUtf8(path);
  if (std::strchr(mode, 'x') != nullptr) return OpenNewFile(widePath, mode);
  return _wfopen(widePath.c_str(), WideFromUtf8(mode).c_str());
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RenameIfFree(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WideFromUtf8(path).c_str()) != 0; }

bool PathExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(const std::string& path) {
  return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<std::string> FileIdentity(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!IdentityHandle(path).Read(info)) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
         std::to_string(info.nFileIndexLow);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) == 0 ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  if (IdentityHandle(a).Read(first) && IdentityHandle(b).Read(second)) {
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
  }
  // Normalising also turns every '/' into '\'.
  const std::wstring normalA = std::filesystem::path(WideFromUtf8(a)).lexically_normal().wstring();
  const std::wstring normalB = std::filesystem::path(WideFromUtf8(b)).lexically_normal().wstring();
  return CompareStringOrdinal(normalA.c_str(), -1, normalB.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void SetHidden(const std::string& path, bool hidden) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  DWORD wanted = hidden ? attributes | FILE_ATTRIBUTE_HIDDEN : attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN};
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (wanted != attributes) SetFileAttributesW(WideFromUtf8(path).c_str(), wanted);
}

bool IsHidden(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(WideFromUtf8(path)); }

std::string Utf8Path(const std::filesystem::path& path) { return Utf8FromWide(path.wstring()); }

std::string ComparablePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(NativePath(path), error);
  if (error) absolute = NativePath(path);
  std::filesystem::path normal = std::filesystem::weakly_canonical(absolute, error);
  if (error) normal = absolute.lexically_normal();
  std::wstring text = normal.wstring();
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return Utf8FromWide(text);
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(NativePath(folder), error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(Utf8FromWide(it->path().filename().wstring()));
  }
  return names;
}

HeldFile::Result HeldFile::Create(const std::string& path) {
  Release();
  // No FILE_SHARE_DELETE: nobody removes or renames the file while it is held.
  const HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Result::kNameTaken : Result::kFailed;
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
  return Result::kHeld;
}

void HeldFile::Release() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

bool RemoveIfUnheld(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return false;
  }
  return DeleteFileW(WideFromUtf8(path).c_str()) != 0;  // fails while another process holds it
}

#else

namespace fs = std::filesystem;

namespace {

// True when `path` still names the file open on `fd`.
bool NamesOpenFile(const std::string& path, int fd) {
  struct stat named {}, held {};
  return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &held) == 0 && named.st_dev == held.st_dev &&
         named.st_ino == held.st_ino;
}

}  // namespace

std::filesystem::path NativePath(const std::string& path) { return fs::path(path); }

std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

std::string ComparablePath(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  fs::path normal = fs::weakly_canonical(absolute, error);
  if (error) normal = absolute.lexically_normal();
  return normal.string();
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

HeldFile::Result HeldFile::Create(const std::string& path) {
  Release();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? Result::kNameTaken : Result::kFailed;
  // A cleaner that opened the fresh file first holds the lock or has removed the name: the
  // file is its to remove. File systems without flock go unlocked; cleaners cannot lock there
  // either, so they remove nothing.
  if ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) || !NamesOpenFile(path, fd)) {
    ::close(fd);
    return Result::kNameTaken;
  }
  handle_ = fd;
  return Result::kHeld;
}

void HeldFile::Release() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool RemoveIfUnheld(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat held {};
  bool removed = false;
  // Locked here, the file is no one else's; and the name must still be that file.
  if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      NamesOpenFile(path, fd)) {
    removed = ::unlink(path.c_str()) == 0;
  }
  ::close(fd);
  return removed;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool RenameReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

bool RenameIfFree(const std::string& from, const std::string& to) {
  // EEXIST: taken. Other errors may mean that this file system, kernel or sandbox cannot
  // refuse to replace; the fallback below tells.
#if defined(RENAME_NOREPLACE)  // glibc 2.28 and later
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EPERM) return false;
#elif defined(__APPLE__) && defined(RENAME_EXCL)  // macOS 10.12 and later
  if (::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) return true;
  if (errno != EINVAL && errno != ENOTSUP && errno != EPERM) return false;
#endif
  // The file system cannot refuse to replace (a FUSE driver, say): look, then move.
  struct stat facts {};
  if (::lstat(to.c_str(), &facts) == 0 || errno != ENOENT) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
  std::error_code error;
  return fs::remove(path, error);
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool CreateFolder(const std::string& path) {
  std::error_code error;
  return fs::create_directory(path, error);
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::optional<std::string> FileIdentity(const std::string& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return std::nullopt;
  return std::to_string(static_cast<unsigned long long>(facts.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(facts.st_ino));
}

std::optional<uint64_t> FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

void SetHidden(const std::string&, bool) {}

bool IsHidden(const std::string& path) { return LastComponent(path).starts_with('.'); }

#endif

}  // namespace lumapress
