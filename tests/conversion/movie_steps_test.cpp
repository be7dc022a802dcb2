#include "conversion/movie_steps.h"
#include "conversion/temporary_movie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_rules.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(test::FsPath(folder))) {
    names.push_back(test::Utf8Path(entry.path().filename()));
  }
  return names;
}

TEST(MovieSteps, TemporaryMovieSitsBesideTheMovie) {
  const std::string movie = WithTrailingSeparator("out") + "Film-äöü.swf";
  const std::string prefix = TemporaryMoviePrefix(movie);
  EXPECT_EQ(prefix.rfind(WithTrailingSeparator("out") + ".lumapress-", 0), 0u) << prefix;
  EXPECT_EQ(TemporaryMoviePrefix("a.swf").rfind(".lumapress-", 0), 0u);
}

// Hidden from folder listings while written (the leading dot, or on Windows the hidden
// attribute); the committed movie is visible.
TEST(MovieSteps, TemporaryMovieIsHiddenUntilCommitted) {
  test::TempFolder folder;
  const std::string movie = WithTrailingSeparator(folder.path()) + "Film-äöü-日本.swf";
  TemporaryMovie held(movie);
  ASSERT_TRUE(held.ok());
  const std::string temporary = held.path();
  SwfWriter writer(4, 4, 12, kMovieVersion);
  ASSERT_EQ(StartMovie(writer, temporary, "", 1, 1), MovieStart::kOk);
  EXPECT_TRUE(IsHidden(temporary));
  EXPECT_FALSE(PathExists(movie));
  writer.ShowFrame();
  ASSERT_TRUE(FinishMovie(writer));
  ASSERT_TRUE(held.Commit());
  EXPECT_FALSE(IsHidden(movie));
  EXPECT_FALSE(PathExists(temporary));
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"Film-äöü-日本.swf"});
  EXPECT_EQ(test::ReadSwfFile(movie).frameCount, 1);
}

TEST(MovieSteps, FailedCommitRemovesTheTemporaryMovie) {
  test::TempFolder folder;
  const std::string temporary = WithTrailingSeparator(folder.path()) + ".a.swf.part";
  SwfWriter writer(4, 4, 12, kMovieVersion);
  ASSERT_EQ(StartMovie(writer, temporary, "", 1, 1), MovieStart::kOk);
  writer.ShowFrame();
  ASSERT_TRUE(FinishMovie(writer));
  const std::string intoMissingFolder =
      WithTrailingSeparator(WithTrailingSeparator(folder.path()) + "missing") + "a.swf";
  EXPECT_FALSE(CommitMovie(temporary, intoMissingFolder));
  EXPECT_TRUE(Names(folder.path()).empty());
}

}  // namespace
}  // namespace lumapress
