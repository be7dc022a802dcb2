#pragma once

#include <map>
#include <string>
#include <vector>

namespace lumapress::test {

// Everything under a folder, to check that a run left it exactly as it was: each entry's path
// relative to the folder (with '/' between its parts), with what it is ("dir", "link -> target", "special") or a regular
// file's bytes (its size and a hash of them when it is large). Links are not followed.
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot SnapshotFolder(const std::string& folder);

// Names of the entries directly in `folder` that a conversion writes while it works (its
// temporary movie files), sorted; empty when none are left.
std::vector<std::string> TemporaryFilesIn(const std::string& folder);

}  // namespace lumapress::test
