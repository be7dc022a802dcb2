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

bool RemoveFile(const std::string& path) { return DeleteFileW(WideFromUtf8(path).c_str()) != 0; }

bool PathExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(const std::string& path) {
  return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0;
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

#else

namespace fs = std::filesystem;

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool RenameReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
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
