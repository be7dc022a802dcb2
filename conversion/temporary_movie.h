#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace lumapress {

// The file a movie is written into before it takes its name: in the movie's folder, so the
// finished movie can be renamed over the old one at once, under a short name of its own
// pattern, ".lumapress-<hash of the movie's name>-<unique>.part" (41 bytes, so any movie name
// the system allows works). It is created exclusively and holds an advisory lock (flock) for
// as long as the object lives: a later run tells a killed run's leftovers, which nothing
// holds, from the files of a conversion still running. (Windows has no flock: there the file
// is held open, which keeps other processes from removing it.)
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

  // Renames the finished file onto the movie's path. False when that fails; the file is then
  // removed.
  bool Commit();

 private:
  void Release();

  std::string moviePath_;
  std::string path_;  // empty when it could not be created, or after Commit
#ifdef _WIN32
  std::FILE* hold_ = nullptr;  // open without delete sharing: nobody removes the file meanwhile
#else
  int lock_ = -1;  // descriptor holding the flock
#endif
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
