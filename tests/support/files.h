#pragma once

// Whole files and folders, for tests that check what is on disk.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumapress::test {

// The file's bytes; throws when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// The file's bytes as text; empty when there is no such file.
std::string ReadFileText(const std::string& path);
// Creates or replaces the file; throws when it cannot be written.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);
// Names of the folder's entries, sorted; hidden ones included.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace lumapress::test
