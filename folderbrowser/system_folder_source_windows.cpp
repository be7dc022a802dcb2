#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "folderbrowser/drive_types.h"
#include "folderbrowser/folder_source.h"
#include "platform/utf8_text.h"

namespace lumapress {
namespace {

// Bytes for one batch of network resources, as the network enumeration hands them out.
constexpr DWORD kNetworkBufferBytes = 16384;

// Closes a network enumeration when dropped.
struct NetworkEnumCloser {
  void operator()(HANDLE handle) const { WNetCloseEnum(handle); }
};

// Closes a folder search when dropped.
struct FindCloser {
  void operator()(HANDLE handle) const { FindClose(handle); }
};

}  // namespace

std::vector<Drive> SystemFolderSource::Drives() {
  std::vector<Drive> drives;
  std::vector<wchar_t> roots(GetLogicalDriveStringsW(0, nullptr) + 1, L'\0');
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
  if (length == 0 || length >= roots.size()) return drives;
  // "A:\", "C:\", ... each ended by a null character, the list by another.
  for (const wchar_t* root = roots.data(); *root != L'\0'; root += std::wcslen(root) + 1) {
    drives.push_back(DriveFromRoot(Utf8FromWide(root), GetDriveTypeW(root)));
  }
  return drives;
}

std::vector<SharedFolder> SystemFolderSource::SharedFolders() {
  std::vector<SharedFolder> shares;
  HANDLE handle = nullptr;
  if (WNetOpenEnumW(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, &handle) != NO_ERROR) {
    return shares;
  }
  const std::unique_ptr<void, NetworkEnumCloser> enumeration(handle);
  // NETRESOURCEW records and the texts they point to share the buffer.
  std::vector<DWORD> buffer(kNetworkBufferBytes / sizeof(DWORD));
  for (;;) {
    DWORD count = static_cast<DWORD>(-1);
    DWORD bytes = kNetworkBufferBytes;
    if (WNetEnumResourceW(handle, &count, buffer.data(), &bytes) != NO_ERROR) break;
    const auto* resources = reinterpret_cast<const NETRESOURCEW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      if (resources[i].lpRemoteName == nullptr) continue;
      if (auto share = ShareFromRemoteName(Utf8FromWide(resources[i].lpRemoteName))) {
        shares.push_back(std::move(*share));
      }
    }
  }
  return shares;
}

std::vector<std::string> SystemFolderSource::SubFolders(const std::string& path) {
  std::vector<std::string> names;
  std::wstring pattern = WideFromUtf8(path);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry;
  HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, 0);
  if (handle == INVALID_HANDLE_VALUE) return names;
  const std::unique_ptr<void, FindCloser> search(handle);
  do {
    const std::wstring_view name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || name == L"." || name == L"..") {
      continue;
    }
    names.push_back(Utf8FromWide(name));
  } while (FindNextFileW(handle, &entry) != 0);
  // The same order on every file system (FAT lists by creation).
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumapress
