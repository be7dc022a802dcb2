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
  const struct {
    const char* path;
    const char* result;
  } cases[] = {
      {"/out/movie", "/out/movie.swf"},
      {"/out/movie.swf", "/out/movie.swf"},
      {"/out/movie.SWF", "/out/movie.SWF"},
      {"/out/movie.flash", "/out/movie.flash"},
      {"/my.folder/movie", "/my.folder/movie.swf"},
      {"movie", "movie.swf"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDefaultExtension(c.path, ".swf"), c.result) << c.path;
}

}  // namespace
}  // namespace lumapress
