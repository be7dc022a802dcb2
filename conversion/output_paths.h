#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumapress {

// The folder part of a path: the text before its last '/', empty when there is none.
std::string FolderPart(std::string_view path);

// The folder a movie path or output folder refers to on disk: the folder part itself, "."
// for a bare file name (the working folder), "/" for a file directly under the root.
std::string ResolvedFolder(std::string_view folderPart, bool hadSlash);

// True when `text` ends in `suffix`, ignoring ASCII case.
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// `folder` with a '/' appended unless it already ends in one.
std::string WithTrailingSlash(std::string_view folder);

// The movie a batch run writes for `inputPath` into `outputFolder` (which ends in '/'):
// the input's last component without its ".png" (any case) plus ".swf". Other inputs use
// their name without its last extension, or the whole name when that would name the input
// itself; the result always lies in the output folder.
std::string BatchMoviePath(std::string_view outputFolder, std::string_view inputPath);

// True when a file-system entry of exactly this name exists.
bool PathExists(const std::string& path);

// Makes sure folder `path` exists, creating missing parents first (top down). Returns false
// when a folder could not be created. Each folder created is added to `created`, if given.
bool CreateFolderPath(const std::string& path, std::vector<std::string>* created = nullptr);

}  // namespace lumapress
