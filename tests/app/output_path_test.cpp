#include "app/output_path.h"

#include <gtest/gtest.h>

namespace lumapress {
namespace {

TEST(OutputPath, BatchModeDropsAndRestoresTheMovieExtension) {
  const struct {
    const char* text;
    bool batchMode;
    const char* result;
  } cases[] = {
      {"/out/movie.swf", true, "/out/movie"},
      {"/out/Movie.SWF", true, "/out/Movie"},
      {"/out/movie", false, "/out/movie.swf"},
      {"/out", false, "/out.swf"},
      {"", false, ".swf"},
      {"/out/movie.swf", false, "/out/movie.swf"},
      {"/out/movie.Swf", false, "/out/movie.Swf"},
      {"/out/movie.flv", true, "/out/movie.flv"},
      {"/out/", true, "/out/"},
      {"", true, ""},
      {"swf", true, "swf"},
      {".swf", true, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputPathForMode(c.text, c.batchMode), c.result) << c.text << " " << c.batchMode;
  }
}

TEST(OutputPath, ANameWithoutExtensionGetsTheDefaultOne) {
  constexpr PathStyle kPosix = PathStyle::kPosix;
  constexpr PathStyle kWindows = PathStyle::kWindows;
  const struct {
    PathStyle style;
    const char* path;
    const char* result;
  } cases[] = {
      {kPosix, "/out/movie", "/out/movie.swf"},
      {kPosix, "/out/movie.swf", "/out/movie.swf"},
      {kPosix, "/out/movie.SWF", "/out/movie.SWF"},
      {kPosix, "/out/movie.flash", "/out/movie.flash"},
      {kPosix, "/my.folder/movie", "/my.folder/movie.swf"},
      {kPosix, "movie", "movie.swf"},
      {kPosix, "", ""},
      {kPosix, "my.folder\\movie", "my.folder\\movie"},
      {kWindows, "C:\\my.folder\\movie", "C:\\my.folder\\movie.swf"},
      {kWindows, "C:\\out\\movie.swf", "C:\\out\\movie.swf"},
      {kWindows, "my.folder/movie", "my.folder/movie.swf"},
      {kWindows, "C:movie", "C:movie.swf"},
      {kWindows, "C:\\", "C:\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithDefaultExtension(c.path, ".swf", c.style), c.result) << c.path;
  }
}

}  // namespace
}  // namespace lumapress
