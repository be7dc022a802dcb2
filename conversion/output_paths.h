#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_rules.h"

namespace lumapress {

// True when `text` ends in `suffix`, ignoring ASCII case.
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// The movie a batch run writes for `inputPath` into `outputFolder` (which ends in a
// separator): the input's last component without its ".png" (any case) plus ".swf". Other
// inputs use their name without its last extension, or the whole name when that would name
// the input itself; the result always lies in the output folder. On Windows '\' and '/' both
// separate folders.
std::string BatchMoviePath(std::string_view outputFolder, std::string_view inputPath,
                           PathStyle style = kNativePathStyle);

// Makes sure folder `path` exists, creating missing parents first (top down). Returns false
// when a folder could not be created. Each folder created is added to `created`, if given.
bool CreateFolderPath(const std::string& path, std::vector<std::string>* created = nullptr,
                      PathStyle style = kNativePathStyle);

}  // namespace lumapress
