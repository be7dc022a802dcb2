#pragma once

#include <string>

namespace lumapress {

// What a path names on disk, as the output checks see it.
struct FileFacts {
  enum class Kind {
    kMissing,      // nothing there (yet)
    kRegular,      // a regular file, reached directly or through symbolic links
    kDirectory,
    kSpecial,      // a device, FIFO or socket
    kDanglingLink  // a symbolic link whose target does not exist
  };
  Kind kind = Kind::kMissing;
  bool isLink = false;  // the path itself is a symbolic link
  // Which file the path names: two paths name the same file exactly when their keys are
  // equal. An existing file is known by its device and inode (so links and other spellings
  // meet); a missing one by its absolute path with links in its folders followed and "." and
  // ".." resolved.
  std::string key;
  // The file that writing to the path replaces: the final target when the path is a
  // symbolic link, else the path itself.
  std::string writePath;
};

// Looks at `path` without reading or opening it.
FileFacts InspectPath(const std::string& path);

// True when the regular file at `path` may be replaced by a movie: it is empty or starts with
// a SWF signature ("FWS", "CWS" or "ZWS"). Reads at most its first three bytes.
bool HoldsMovieOrNothing(const std::string& path);

}  // namespace lumapress
