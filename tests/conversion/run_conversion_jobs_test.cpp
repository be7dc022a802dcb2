#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "conversion_fixture.h"
#include "platform/path_rules.h"
#include "support/byte_patterns.h"
#include "support/png_maker.h"
#include "support/swf_reader.h"

namespace lumapress::test {

namespace fs = std::filesystem;

namespace {

// More images than the workers may run ahead of the committed movie with two jobs.
constexpr size_t kManyImages = 14;

size_t EntriesIn(const std::string& folder) { return FolderEntries(folder).size(); }

}  // namespace

class BatchJobsTest : public ConversionTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override {
    settings_.batchMode = true;
    settings_.jobs = GetParam();
    settings_.outputPath = Path("out");
  }

  // img00.png ... of different sizes, so workers finish out of order.
  std::vector<std::string> ManyInputs() {
    std::vector<std::string> inputs;
    for (size_t i = 0; i < kManyImages; ++i) {
      const std::string name = "img" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".png";
      inputs.push_back(i % 3 == 0 ? PhotoPng(name, 48 - 3 * uint32_t(i), 40)
                                  : FlatPng(name, 4 + uint32_t(i), 4, uint8_t(i)));
    }
    return inputs;
  }

  std::string MovieOf(size_t i) const {
    return Path("out/img" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".swf");
  }

  // A PNG whose image data is cut short: found only while decoding.
  std::string CutPng(const std::string& name) {
    std::vector<uint8_t> png = EncodePng(PatternPng(kRgb, 8, 40, 40));
    png.resize(FindChunk(png, "IDAT") + 20);
    WriteFileBytes(Path(name), png);
    return Path(name);
  }
};

// Each movie's statistics reach the caller together, named after their movie, in list order,
// whichever worker wrote the movie.
TEST_P(BatchJobsTest, DiagnosticsNameTheirMovieInListOrder) {
  fs::create_directory(settings_.outputPath);
  const std::vector<std::string> inputs = ManyInputs();
  std::vector<std::string> movies;
  ConversionCallbacks callbacks;
  callbacks.diagnostics = [&](const std::string& moviePath, std::string_view text) {
    movies.push_back(moviePath);
    EXPECT_EQ(text.rfind("- uncompressed input: ", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with("- done.\n")) << text;
  };
  ASSERT_TRUE(RunConversion(settings_, inputs, callbacks).ok());
  // The run names each movie as it writes it: the folder and the system's separator.
  std::vector<std::string> expected;
  for (size_t i = 0; i < inputs.size(); ++i) {
    expected.push_back(WithTrailingSeparator(settings_.outputPath) + "img" + std::string(i < 10 ? "0" : "") +
                       std::to_string(i) + ".swf");
  }
  EXPECT_EQ(movies, expected);
}

TEST_P(BatchJobsTest, EveryMovieIsCommittedAndReportedInListOrder) {
  fs::create_directory(settings_.outputPath);
  const std::vector<std::string> inputs = ManyInputs();
  std::vector<std::string> reported;
  EXPECT_EQ(Convert(inputs, [&](const ConversionProgress& p) {
              EXPECT_EQ(p.imagesDone, reported.size() + 1);
              EXPECT_TRUE(fs::exists(p.moviePath)) << p.moviePath;
              reported.push_back(p.inputPath);
              return true;
            }),
            0);
  EXPECT_EQ(reported, inputs);
  for (size_t i = 0; i < kManyImages; ++i) EXPECT_EQ(ReadSwfFile(MovieOf(i)).frameCount, 13) << i;
  EXPECT_EQ(EntriesIn(settings_.outputPath), kManyImages);  // no temporary left
}

TEST_P(BatchJobsTest, DecodeFaultKeepsEarlierMoviesAndDiscardsLaterOnes) {
  fs::create_directory(settings_.outputPath);
  std::vector<std::string> inputs = ManyInputs();
  const size_t bad = 9;
  inputs[bad] = CutPng("cut.png");
  size_t reports = 0;
  EXPECT_EQ(Convert(inputs, [&](const ConversionProgress&) { return ++reports > 0; }), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot decode input file " + inputs[bad] + "!"});
  EXPECT_EQ(reports, bad);
  for (size_t i = 0; i < bad; ++i) EXPECT_TRUE(fs::exists(MovieOf(i))) << i;
  EXPECT_EQ(EntriesIn(settings_.outputPath), bad);  // nothing after the fault, no temporaries
}

TEST_P(BatchJobsTest, CancelKeepsOnlyTheReportedMovies) {
  fs::create_directory(settings_.outputPath);
  EXPECT_EQ(Convert(ManyInputs(), [](const ConversionProgress& p) { return p.imagesDone < 3; }), -1);
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_EQ(EntriesIn(settings_.outputPath), 3u);
  EXPECT_TRUE(fs::exists(MovieOf(2)));
}

TEST_P(BatchJobsTest, NothingIsWrittenWhenTheFolderQuestionIsDeclined) {
  settings_.outputPath = Path("new/out");
  user_.answer = false;
  const std::vector<std::string> inputs = ManyInputs();
  const size_t before = EntriesIn(folder_.path());
  EXPECT_EQ(Convert(inputs), -1);
  EXPECT_EQ(user_.questions.size(), 1u);
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_FALSE(fs::exists(Path("new")));
  EXPECT_EQ(EntriesIn(folder_.path()), before);
}

TEST_P(BatchJobsTest, OpeningFaultOfTheFirstImageComesBeforeTheQuestion) {
  settings_.outputPath = Path("new/out");
  std::vector<std::string> inputs = ManyInputs();
  inputs[0] = Path("missing.png");
  EXPECT_EQ(Convert(inputs), -1);
  EXPECT_TRUE(user_.questions.empty());
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot open input file " + inputs[0] + "! (No such file or directory)"});
  EXPECT_FALSE(fs::exists(Path("new")));
}

TEST_P(BatchJobsTest, MissingFirstImageLeavesAnExistingFolderEmpty) {
  fs::create_directory(settings_.outputPath);
  std::vector<std::string> inputs = ManyInputs();
  inputs[0] = Path("missing.png");
  EXPECT_EQ(Convert(inputs), -1);
  EXPECT_EQ(user_.messages, std::vector<std::string>{"Cannot open input file " + inputs[0] + "! (No such file or directory)"});
  EXPECT_EQ(EntriesIn(settings_.outputPath), 0u);  // movies written ahead are discarded
}

TEST_P(BatchJobsTest, AcceptedFolderReceivesEveryMovie) {
  settings_.outputPath = Path("new/out");
  EXPECT_EQ(Convert(ManyInputs()), 0);
  EXPECT_EQ(user_.questions.size(), 1u);
  EXPECT_EQ(EntriesIn(settings_.outputPath), kManyImages);
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchJobsTest, ::testing::Values(1u, 2u, 3u, kMaxJobs));

// Movies are a function of their inputs and settings alone: the number of jobs, and so the
// order in which the workers finish, changes no byte, in either mode.
TEST_F(ConversionTest, EveryJobCountWritesTheSameBytes) {
  std::vector<std::string> inputs;
  for (uint32_t i = 0; i < 7; ++i) {
    const std::string name = "m" + std::to_string(i) + ".png";
    switch (i % 3) {
      case 0: inputs.push_back(PhotoPng(name, 40 + 7 * i, 30)); break;
      case 1: inputs.push_back(FlatPng(name, 9 + i, 5, uint8_t(40 * i))); break;
      default: inputs.push_back(AlphaPng(name, 20, 11 + i)); break;
    }
  }
  for (const int32_t quality : {80, 100}) {
    settings_.jpegQuality = quality;
    for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
      settings_.jobs = jobs;
      settings_.batchMode = false;
      settings_.outputPath = Path("show" + std::to_string(jobs) + ".swf");
      ASSERT_EQ(Convert(inputs), 0) << jobs;
      settings_.batchMode = true;
      settings_.outputPath = Path("batch" + std::to_string(jobs));
      ASSERT_EQ(Convert(inputs), 0) << jobs;
      if (jobs == 1) continue;
      EXPECT_EQ(ReadFileBytes(Path("show" + std::to_string(jobs) + ".swf")), ReadFileBytes(Path("show1.swf")))
          << "quality " << quality << ", " << jobs << " jobs";
      for (uint32_t i = 0; i < inputs.size(); ++i) {
        const std::string name = "/m" + std::to_string(i) + ".swf";
        EXPECT_EQ(ReadFileBytes(Path("batch" + std::to_string(jobs)) + name), ReadFileBytes(Path("batch1") + name))
            << name << ", quality " << quality << ", " << jobs << " jobs";
      }
    }
  }
}

// Precompressed spans, flat data deflated twice, alpha, JPEG scans: the files must not depend
// on which worker made which tag or when the movie's stream received it.
TEST_F(ConversionTest, MixedImagesGiveTheSameFilesForAnyJobCount) {
  const std::vector<uint8_t> noise = NoiseBytes(180 * 120 * 4, 11);
  WriteRgb8Png(Path("noise.png"), 180, 120, std::span(noise).first(180 * 120 * 3));
  WriteRgba8Png(Path("noisy-alpha.png"), 180, 120, noise);
  WritePngFile(Path("deep.png"), PatternPng(kRgb, 16, 90, 60, 1));
  WritePngFile(Path("palette.png"), PatternPng(kPalette, 4, 70, 50, 2));
  const std::vector<std::string> inputs = {
      Path("noise.png"),       PhotoPng("photo.png", 300, 200), FlatPng("flat.png", 640, 480, 5),
      Path("noisy-alpha.png"), AlphaPng("alpha.png", 120, 90),  Path("deep.png"),
      Path("palette.png")};
  const struct {
    const char* what;
    int32_t quality;
    bool smallest;
    std::vector<unsigned> jobCounts;  // the first one gives the reference
  } settings[] = {{"lossless", 100, false, {1, 2, 3, 8}},
                  {"JPEG", 80, false, {1, 2, 3, 8}},
                  {"lossless, smallest (slow)", 100, true, {1, 3}}};
  for (const auto& s : settings) {
    settings_.jpegQuality = s.quality;
    settings_.smallest = s.smallest;
    for (const bool batch : {false, true}) {
      settings_.batchMode = batch;
      std::vector<std::vector<uint8_t>> reference;
      for (const unsigned jobs : s.jobCounts) {
        SCOPED_TRACE(std::string(s.what) + (batch ? ", batch" : ", one movie") + ", jobs " +
                     std::to_string(jobs));
        settings_.jobs = jobs;
        const std::string output = Path("out" + std::to_string(jobs) + (batch ? "" : ".swf"));
        settings_.outputPath = output;
        fs::remove_all(output);
        ASSERT_EQ(Convert(inputs), 0);
        std::vector<std::vector<uint8_t>> files;
        if (batch) {
          for (const char* name :
               {"noise", "photo", "flat", "noisy-alpha", "alpha", "deep", "palette"}) {
            files.push_back(ReadFileBytes(output + "/" + name + ".swf"));
          }
        } else {
          files.push_back(ReadFileBytes(output));
        }
        if (jobs == s.jobCounts.front()) {
          reference = files;
        } else {
          EXPECT_TRUE(files == reference);
        }
      }
    }
  }
}

}  // namespace lumapress::test
