#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "conversion_fixture.h"
#include "support/png_maker.h"

namespace lumapress::test {

namespace fs = std::filesystem;

namespace {

// An earlier movie at the output: only a movie may be replaced.
constexpr char kPreviousMovie[] = "CWS\x06 previous movie";

constexpr char kQuestion[] = "The specified output directory doesn't exist.\nWould you like to create it?";

size_t EntriesIn(const std::string& folder) { return FolderEntries(folder).size(); }

}  // namespace

TEST_F(ConversionTest, MissingSecondInputLeavesNoMovieAndKeepsTheOldOne) {
  settings_.outputPath = Path("movie.swf");
  std::ofstream(settings_.outputPath) << kPreviousMovie;
  const std::string missing = Path("missing.png");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1), missing, FlatPng("c.png", 4, 4, 2)}), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot open input file " + missing + "! (No such file or directory)"});
  EXPECT_EQ(ReadFileText(settings_.outputPath), kPreviousMovie);
  EXPECT_EQ(EntriesIn(folder_.path()), 3u);  // a.png, c.png, movie.swf: no temporary file
}

TEST_F(ConversionTest, BatchKeepsMoviesFinishedBeforeAFailure) {
  settings_.outputPath = Path("out");
  settings_.batchMode = true;
  settings_.jobs = 3;
  fs::create_directory(settings_.outputPath);
  const std::string missing = Path("b.png");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1), missing, FlatPng("c.png", 4, 4, 2)}), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot open input file " + missing + "! (No such file or directory)"});
  EXPECT_EQ(ReadSwfFile(Path("out/a.swf")).frameCount, 13);
  EXPECT_FALSE(fs::exists(Path("out/b.swf")));
  EXPECT_FALSE(fs::exists(Path("out/c.swf")));
  EXPECT_EQ(EntriesIn(settings_.outputPath), 1u);
}

TEST_F(ConversionTest, NotAPngStopsWithTheReaderMessage) {
  settings_.outputPath = Path("movie.swf");
  std::ofstream(Path("fake.png")) << "\xFF\xD8\xFF\xE0 not a png";
  EXPECT_EQ(Convert({Path("fake.png")}), -1);
  EXPECT_EQ(user_.messages,
            std::vector<std::string>{"PNG reader initialisation failed. (" + Path("fake.png") + " is not a PNG image)"});
  EXPECT_FALSE(fs::exists(settings_.outputPath));
}

TEST_F(ConversionTest, CorruptImageBodyStopsWithDecodeMessage) {
  settings_.outputPath = Path("movie.swf");
  std::vector<uint8_t> png = EncodePng(PatternPng(kRgb, 8, 40, 40));
  const size_t idat = FindChunk(png, "IDAT");
  ASSERT_NE(idat, kNoChunk);
  png.resize(idat + 20);  // cut inside the image data
  WriteFileBytes(Path("cut.png"), png);
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1), Path("cut.png")}), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot decode input file " + Path("cut.png") + "!"});
  EXPECT_FALSE(fs::exists(settings_.outputPath));
}

TEST_F(ConversionTest, OversizedImageIsRefused) {
  settings_.outputPath = Path("movie.swf");
  std::vector<uint8_t> png = PngSignature();
  for (const auto& chunk : {PngChunk("IHDR", IhdrData(70000, 1, 8, kRgb)), PngChunk("IEND", {})}) {
    png.insert(png.end(), chunk.begin(), chunk.end());
  }
  WriteFileBytes(Path("huge.png"), png);
  EXPECT_EQ(Convert({Path("huge.png")}), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Image " + Path("huge.png") +
                                                     " is too large! (70000 x 1 pixels; a side may have at most 65535)"});
  EXPECT_FALSE(fs::exists(settings_.outputPath));
}

struct InputFaultCase {
  const char* what;
  bool batch;
  unsigned jobs;
};

// Front ends that know where each input came from (a list file and line) hear which input a
// message is about; messages about the output name no input.
TEST_F(ConversionTest, MessagesAboutAnInputNameItsIndex) {
  const InputFaultCase cases[] = {
      {"single movie, one job", false, 1},
      {"single movie, three jobs", false, 3},
      {"batch, one job", true, 1},
      {"batch, three jobs", true, 3},
  };
  const std::string a = FlatPng("a.png", 4, 4, 1), b = FlatPng("b.png", 4, 4, 2), d = FlatPng("d.png", 4, 4, 3);
  std::ofstream(Path("fake.png")) << "not a png";
  for (const InputFaultCase& c : cases) {
    for (const std::string& bad : {Path("missing.png"), Path("fake.png")}) {
      user_ = {};
      settings_.batchMode = c.batch;
      settings_.jobs = c.jobs;
      settings_.outputPath = c.batch ? folder_.path() : Path("movie.swf");
      EXPECT_EQ(Convert({a, b, bad, d}), -1) << c.what;
      EXPECT_EQ(user_.messages.size(), 1u) << c.what;
      EXPECT_EQ(user_.inputIndexes, std::vector<size_t>{2}) << c.what << ", " << bad;
    }
    user_ = {};
    settings_.outputPath = c.batch ? Path("a.png/out") : Path("a.png/movie.swf");
    EXPECT_EQ(Convert({a}), -1) << c.what;
    EXPECT_EQ(user_.messages.size(), 1u) << c.what;
    EXPECT_TRUE(user_.inputIndexes.empty()) << c.what << ": " << user_.messages[0];
  }
}

TEST_F(ConversionTest, UnwritableOutputStopsWithWriteMessage) {
  std::ofstream(Path("plain")) << "a file, not a folder";
  settings_.outputPath = Path("plain/movie.swf");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1)}), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot write output file " + settings_.outputPath + "!"});
  EXPECT_EQ(ReadFileText(Path("plain")), "a file, not a folder");
}

TEST_F(ConversionTest, FolderThatCannotBeCreatedStopsWithWriteMessage) {
  std::ofstream(Path("plain")) << "x";
  settings_.outputPath = Path("plain/sub/movie.swf");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1)}), -1);
  EXPECT_EQ(user_.questions, std::vector<std::string>{kQuestion});
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot write output file " + settings_.outputPath + "!"});
}

TEST_F(ConversionTest, DecliningTheFolderQuestionStopsSilently) {
  settings_.outputPath = Path("movies/new/a.swf");
  user_.answer = false;
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1)}), -1);
  EXPECT_EQ(user_.questions, std::vector<std::string>{kQuestion});
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_FALSE(fs::exists(Path("movies")));
}

TEST_F(ConversionTest, AcceptingTheFolderQuestionCreatesEveryLevelOnce) {
  settings_.outputPath = Path("movies/new/a.swf");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1), FlatPng("b.png", 4, 4, 2)}), 0);
  EXPECT_EQ(user_.questions.size(), 1u);
  EXPECT_EQ(ReadSwfFile(settings_.outputPath).frameCount, 26);

  user_.questions.clear();
  settings_.batchMode = true;
  settings_.outputPath = Path("batch/deeper/");
  EXPECT_EQ(Convert({Path("a.png"), Path("b.png")}), 0);
  EXPECT_EQ(user_.questions.size(), 1u);
  EXPECT_TRUE(fs::exists(Path("batch/deeper/a.swf")));
  EXPECT_TRUE(fs::exists(Path("batch/deeper/b.swf")));
}

TEST_F(ConversionTest, ExistingFolderAsksNothing) {
  settings_.outputPath = Path("a.swf");
  EXPECT_EQ(Convert({FlatPng("a.png", 4, 4, 1)}), 0);
  EXPECT_TRUE(user_.questions.empty());
}

TEST_F(ConversionTest, OpeningFaultsComeBeforeTheFolderQuestion) {
  settings_.outputPath = Path("missing-folder/a.swf");
  EXPECT_EQ(Convert({Path("nothing.png")}), -1);
  EXPECT_TRUE(user_.questions.empty());
  EXPECT_FALSE(fs::exists(Path("missing-folder")));
}

TEST_F(ConversionTest, CancelFromProgressLeavesFilesAsAfterAFailure) {
  settings_.outputPath = Path("movie.swf");
  std::ofstream(settings_.outputPath) << kPreviousMovie;
  const std::vector<std::string> inputs = {FlatPng("a.png", 4, 4, 1), FlatPng("b.png", 4, 4, 2)};
  std::vector<size_t> seen;
  EXPECT_EQ(Convert(inputs, [&](const ConversionProgress& p) {
              seen.push_back(p.imagesDone);
              EXPECT_EQ(p.imageCount, 2u);
              return false;
            }),
            -1);
  EXPECT_EQ(seen, std::vector<size_t>{1});
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_EQ(ReadFileText(settings_.outputPath), kPreviousMovie);

  settings_.batchMode = true;
  settings_.outputPath = Path("out");
  settings_.jobs = 2;
  EXPECT_EQ(Convert(inputs, [](const ConversionProgress& p) { return p.imagesDone < 1; }), -1);
  EXPECT_TRUE(fs::exists(Path("out/a.swf")));
  EXPECT_FALSE(fs::exists(Path("out/b.swf")));
  EXPECT_EQ(EntriesIn(Path("out")), 1u);
}

TEST_F(ConversionTest, ProgressReportsEachImage) {
  settings_.outputPath = Path("m.swf");
  settings_.jpegQuality = 60;
  std::vector<ConversionProgress> seen;
  ASSERT_EQ(Convert({FlatPng("a.png", 4, 4, 1), FlatPng("b.png", 4, 4, 2)},
                    [&](const ConversionProgress& p) {
                      seen.push_back(p);
                      return true;
                    }),
            0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].imagesDone, 2u);
  EXPECT_EQ(seen[1].inputPath, Path("b.png"));
  EXPECT_EQ(seen[1].moviePath, settings_.outputPath);
  EXPECT_EQ(seen[1].bitmapForm, "DefineBitsJPEG2");
  EXPECT_EQ(seen[1].frames, 13u);
}

TEST_F(ConversionTest, BatchNameOfANonPngInputNeverReplacesIt) {
  settings_.outputPath = folder_.path();
  settings_.batchMode = true;
  // A PNG whose name ends in .swf, in the output folder itself.
  fs::copy_file(FlatPng("a.png", 4, 4, 1), Path("clip.swf"));
  const std::string before = ReadFileText(Path("clip.swf"));
  EXPECT_EQ(Convert({Path("clip.swf")}), 0);
  EXPECT_EQ(ReadFileText(Path("clip.swf")), before);
  EXPECT_EQ(ReadSwfFile(Path("clip.swf.swf")).frameCount, 13);
}

}  // namespace lumapress::test
