#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace lumapress {

// File operations on UTF-8 paths. On Windows each path is converted to UTF-16 and handed to
// the wide system calls, so names outside the ANSI code page work; elsewhere the bytes are
// passed unchanged. The only place that knows which system it runs on.

// fopen with the same modes, including "x" (fail when the file exists, errno EEXIST).
std::FILE* OpenFile(const std::string& path, const char* mode);

// Moves `from` over `to` in one step, replacing a file already at `to`. False when that fails;
// `from` then stays where it was.
bool RenameReplacing(const std::string& from, const std::string& to);

// Removes a file. False when there was none or it could not be removed.
bool RemoveFile(const std::string& path);

// True when an entry of exactly this name exists (a symbolic link itself counts).
bool PathExists(const std::string& path);

bool IsFolder(const std::string& path);

// Creates one folder with default permissions. False when it could not be created.
bool CreateFolder(const std::string& path);

// The size of a file; nothing when it cannot be read.
std::optional<uint64_t> FileSize(const std::string& path);

// True when both paths name the same file: one existing file (through links or other
// spellings too) or, when either does not exist, the same path once normalised (on Windows
// with the case of letters ignored, as its file systems do).
bool SameFile(const std::string& a, const std::string& b);

// Hides a temporary file from folder listings, or shows it again. Windows sets the hidden
// attribute; elsewhere a name starting with '.' hides it, so there is nothing to do.
void SetHidden(const std::string& path, bool hidden);

// True when folder listings leave the entry out by default: the hidden attribute on Windows,
// a name starting with '.' elsewhere.
bool IsHidden(const std::string& path);

}  // namespace lumapress
