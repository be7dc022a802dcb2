#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumapress {

// How a system spells paths. POSIX has one separator, '/'. Windows takes '\' and '/' alike,
// and a path may start with a drive ("C:", "C:\") or a network share ("\\server\share\").
enum class PathStyle { kPosix, kWindows };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

bool IsPathSeparator(char c, PathStyle style = kNativePathStyle);

// The separator written when a path is joined: '\' on Windows, '/' elsewhere.
char PreferredSeparator(PathStyle style = kNativePathStyle);

// The position of the last separator; npos when there is none.
size_t LastSeparator(std::string_view path, PathStyle style = kNativePathStyle);

// The length of the root that `path` starts with; 0 for a relative path. "/" on POSIX; on
// Windows "\" (the current drive's root), "C:" (the drive's current folder), "C:\", and
// "\\server\share\" (or the whole text when nothing follows the share).
size_t RootLength(std::string_view path, PathStyle style = kNativePathStyle);

// The Windows drive that `path` starts with ("C:"); empty for other paths and on POSIX.
std::string_view DrivePart(std::string_view path, PathStyle style = kNativePathStyle);

// The text after the root and the last separator: the file or folder name.
std::string_view LastComponent(std::string_view path, PathStyle style = kNativePathStyle);

// The folder that must exist before `path` can be written: the text before its last
// separator, the root itself when the name sits directly in it ("/", "C:\", "\\srv\share\"),
// the drive's current folder for "C:name", and "." for a bare name.
std::string ContainingFolder(std::string_view path, PathStyle style = kNativePathStyle);

// The folder above `path`, or empty when `path` is a root or has no folder part: what must
// be created before `path` itself can be.
std::string ParentFolder(std::string_view path, PathStyle style = kNativePathStyle);

// `folder` with the preferred separator appended, unless it already ends in a separator.
std::string WithTrailingSeparator(std::string_view folder, PathStyle style = kNativePathStyle);

}  // namespace lumapress
