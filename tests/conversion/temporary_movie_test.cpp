#include "conversion/temporary_movie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "conversion_fixture.h"
#include "support/folder_snapshot.h"
#include "support/png_maker.h"

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

// The longest file name most file systems allow.
constexpr size_t kLongestName = 255;

TEST(TemporaryMovie, ShortNameInTheMoviesFolderRemovedUnlessCommitted) {
  TempFolder folder;
  const std::string movie = folder.path() + "/" + std::string(kLongestName - 4, 'm') + ".swf";
  std::string path;
  {
    TemporaryMovie temporary(movie);
    ASSERT_TRUE(temporary.ok());
    path = temporary.path();
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder.path()));
    EXPECT_EQ(fs::path(path).filename().string().size(), 41u);
    EXPECT_EQ(path.rfind(TemporaryMoviePrefix(movie), 0), 0u);
    EXPECT_TRUE(fs::is_regular_file(path));
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(fs::exists(movie));
}

TEST(TemporaryMovie, CommitMovesTheFileOntoTheMovie) {
  TempFolder folder;
  const std::string movie = folder.path() + "/m.swf";
  std::ofstream(movie) << "earlier";
  TemporaryMovie temporary(movie);
  ASSERT_TRUE(temporary.ok());
  std::ofstream(temporary.path()) << "finished";
  EXPECT_TRUE(temporary.Commit());
  EXPECT_EQ(SnapshotFolder(folder.path()), (FolderSnapshot{{"m.swf", "file: finished"}}));
}

TEST(TemporaryMovie, EveryCallGetsItsOwnFile) {
  TempFolder folder;
  TemporaryMovie first(folder.path() + "/m.swf");
  TemporaryMovie second(folder.path() + "/m.swf");
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_NE(first.path(), second.path());
}

TEST(TemporaryMovie, MissingFolderFails) {
  TempFolder folder;
  EXPECT_FALSE(TemporaryMovie(folder.path() + "/missing/m.swf").ok());
}

// A killed run's file for m.swf goes; everything else stays: files a conversion still holds,
// files for other movies, other programs' files and anything that is not a regular file.
TEST(TemporaryMovie, OnlyUnheldLeftoversOfTheSameMovieAreRemoved) {
  TempFolder folder;
  const std::string movie = folder.path() + "/m.swf";
  const std::string mine = TemporaryMoviePrefix(movie);
  const std::string others = TemporaryMoviePrefix(folder.path() + "/other.swf");
  const auto write = [](const std::string& path) { std::ofstream(path) << "left behind"; };
  write(mine + "0123abcd.part");                    // stale: goes
  write(mine + "fedcba98.part");                    // stale: goes
  write(others + "0123abcd.part");                  // another movie's
  write(mine + "0123abcd.tmp");                     // another suffix
  write(mine + "0123abc.part");                     // another length
  write(mine + "0123ABCD.part");                    // not our digits
  write(folder.path() + "/.m.swf.part-1-2");        // an older pattern
  write(folder.path() + "/keep.txt");
#ifndef _WIN32
  fs::create_symlink("keep.txt", mine + "11111111.part");  // a link is never followed or removed
#endif
  fs::create_directory(mine + "22222222.part");
  const TemporaryMovie running(movie);  // a conversion that is still writing
  ASSERT_TRUE(running.ok());
  FolderSnapshot expected = SnapshotFolder(folder.path());
  expected.erase(fs::path(mine + "0123abcd.part").filename().string());
  expected.erase(fs::path(mine + "fedcba98.part").filename().string());

  EXPECT_EQ(RemoveStaleTemporaryMovies(std::vector<std::string>{movie}), 2u);
  EXPECT_EQ(SnapshotFolder(folder.path()), expected);
  EXPECT_TRUE(fs::exists(running.path()));
}

TEST(TemporaryMovie, MissingFolderHasNothingToRemove) {
  TempFolder folder;
  EXPECT_EQ(RemoveStaleTemporaryMovies(std::vector<std::string>{folder.path() + "/missing/m.swf"}), 0u);
}

// Each run cleans up after the killed runs before it, for its own movies only.
TEST_F(ConversionTest, RunRemovesWhatKilledRunsLeftForItsMovies) {
  fs::create_directory(Path("out"));
  const std::string staleSingle = TemporaryMoviePrefix(Path("m.swf")) + "00000001.part";
  const std::string staleBatch = TemporaryMoviePrefix(Path("out/a.swf")) + "00000002.part";
  const std::string otherMovie = TemporaryMoviePrefix(Path("out/zzz.swf")) + "00000003.part";
  for (const std::string& path : {staleSingle, staleBatch, otherMovie}) std::ofstream(path) << "partial";
  const std::string input = FlatPng("a.png", 4, 4, 1);

  settings_.outputPath = Path("m.swf");
  ASSERT_EQ(Convert({input}), 0);
  EXPECT_FALSE(fs::exists(staleSingle));

  settings_.batchMode = true;
  settings_.outputPath = Path("out");
  ASSERT_EQ(Convert({input}), 0);
  EXPECT_FALSE(fs::exists(staleBatch));
  EXPECT_TRUE(fs::exists(otherMovie));
  EXPECT_EQ(ReadSwfFile(Path("out/a.swf")).frameCount, 13);
}

// Movie names as long as the system allows: the temporary name is short whatever the movie's.
TEST_F(ConversionTest, MovieNamesOfTheLongestLengthConvert) {
  const std::string stem(kLongestName - 4, 'n');
  const std::string input = FlatPng(stem + ".png", 4, 4, 1);
  settings_.outputPath = Path(stem + ".swf");
  ASSERT_EQ(Convert({input}), 0) << result_.message;
  EXPECT_EQ(ReadSwfFile(settings_.outputPath).frameCount, 13);

  settings_.batchMode = true;
  settings_.outputPath = Path("out");
  ASSERT_EQ(Convert({input}), 0) << result_.message;
  EXPECT_EQ(ReadSwfFile(Path("out/" + stem + ".swf")).frameCount, 13);
  EXPECT_TRUE(TemporaryFilesIn(folder_.path()).empty());
  EXPECT_TRUE(TemporaryFilesIn(Path("out")).empty());
}

}  // namespace
}  // namespace lumapress::test
