#pragma once

#include <span>
#include <string>

#include "platform/file_system.h"

namespace lumapress {

// The file a movie is written into before it takes its name: in the movie's folder, so the
// finished movie can be renamed over the old one at once, under a short name of its own
// pattern, ".lumapress-<hash of the movie's name>-<unique>.part" (41 bytes, so any movie name
// the system allows works). It is created exclusively and held for as long as the object
// lives (HeldFile: an flock, or on Windows a handle that shares no deletion): a later run
// tells a killed run's leftovers, which nothing holds, from the files of a conversion still
// running.
class TemporaryMovie {
 public:
  // Creates and locks a fresh file for the movie at `moviePath` (a path to write, with any
  // symbolic link already followed). Check ok().
  explicit TemporaryMovie(std::string moviePath);
  // Removes the file unless it was committed.
  ~TemporaryMovie();
  TemporaryMovie(const TemporaryMovie&) = delete;
  TemporaryMovie& operator=(const TemporaryMovie&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Renames the finished file onto the movie's path, replacing a file there. False when that
  // fails; the file is then removed.
  bool Commit();
  // Renames the finished file onto `moviePath` (in the same folder) unless that name is taken,
  // as the file system compares names. False when it is taken or the move fails; the file then
  // stays, to be committed under another name or removed with this object.
  bool CommitIfFree(const std::string& moviePath);

 private:
  std::string moviePath_;
  std::string path_;  // empty when it could not be created, or after Commit
  HeldFile file_;     // holds the file while it is written
};

// The temporary name's prefix and suffix, and the part that ties it to a movie.
std::string TemporaryMoviePrefix(const std::string& moviePath);
inline constexpr char kTemporaryMovieSuffix[] = ".part";

// Removes what killed runs left for the movies at `moviePaths` (paths to write): files of the
// temporary pattern for these movies' names in their folders that no conversion holds. Other
// files, links, and files a running conversion holds are left alone. Returns how many were
// removed.
size_t RemoveStaleTemporaryMovies(std::span<const std::string> moviePaths);

}  // namespace lumapress
