#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumapress {

// File operations on UTF-8 paths. On Windows each path is converted to UTF-16 and handed to
// the wide system calls, so names outside the ANSI code page work; elsewhere the bytes are
// passed unchanged. The only place that knows which system it runs on.

// fopen with the same modes, including "x" (fail when the file exists, errno EEXIST).
std::FILE* OpenFile(const std::string& path, const char* mode);

// Moves `from` over `to` in one step, replacing a file already at `to`. False when that fails;
// `from` then stays where it was.
bool RenameReplacing(const std::string& from, const std::string& to);

// Moves `from` to `to` in one step unless an entry is already there, as the file system
// compares names: a folder that ignores case finds A.swf when asked for a.swf. False when
// `to` is taken or the move fails; `from` then stays where it was. Where the file system
// cannot refuse to replace, the name is looked up first.
bool RenameIfFree(const std::string& from, const std::string& to);

// Removes a file. False when there was none or it could not be removed.
bool RemoveFile(const std::string& path);

// True when an entry of exactly this name exists (a symbolic link itself counts).
bool PathExists(const std::string& path);

bool IsFolder(const std::string& path);

// True for a regular file (through links), false for a folder, a device, a pipe or nothing.
bool IsRegularFile(const std::string& path);

// Which existing file `path` names (through links): a text two paths share exactly when they
// name the same file (device and inode; on Windows volume and file index). Nothing when
// there is no such file.
std::optional<std::string> FileIdentity(const std::string& path);

// Creates one folder with default permissions. False when it could not be created.
bool CreateFolder(const std::string& path);

// The size of a file; nothing when it cannot be read.
std::optional<uint64_t> FileSize(const std::string& path);

// True when both paths name the same file: one existing file (through links or other
// spellings too) or, when either does not exist, the same path once normalised (on Windows
// with the case of letters ignored, as its file systems do).
bool SameFile(const std::string& a, const std::string& b);

// The path as std::filesystem takes it, and back: UTF-8 on this side (UTF-16 underneath on
// Windows, where a narrow path would be read in the ANSI code page).
std::filesystem::path NativePath(const std::string& path);
std::string Utf8Path(const std::filesystem::path& path);

// The absolute, normalised spelling of `path` with the links in its existing part followed
// (on Windows in one case of letters, as its file systems compare names): two paths of files
// not there yet name the same file when these agree.
std::string ComparablePath(const std::string& path);

// Names of the entries in `folder`; empty when it cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// A new file that this process holds for as long as the object lives, so that another
// process's RemoveIfUnheld leaves it alone: an advisory lock (flock) on POSIX, on Windows a
// handle that shares no deletion. Writing it through another stream stays possible.
class HeldFile {
 public:
  enum class Result { kHeld, kNameTaken, kFailed };

  HeldFile() = default;
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Creates the file exclusively and holds it. kNameTaken when the name exists (or another
  // process removed the fresh file before the hold): try another name.
  Result Create(const std::string& path);
  // Lets go; the file stays. (Windows renames no file held open: release before.)
  void Release();

 private:
  intptr_t handle_ = -1;
};

// Removes the regular file at `path` when no process holds it (see HeldFile). A link, a folder
// or anything else is left alone. True when it was removed.
bool RemoveIfUnheld(const std::string& path);

// Hides a temporary file from folder listings, or shows it again. Windows sets the hidden
// attribute; elsewhere a name starting with '.' hides it, so there is nothing to do.
void SetHidden(const std::string& path, bool hidden);

// True when folder listings leave the entry out by default: the hidden attribute on Windows,
// a name starting with '.' elsewhere.
bool IsHidden(const std::string& path);

}  // namespace lumapress
