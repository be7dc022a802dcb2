#include "common/cancellation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "conversion/pixel_buffer.h"
#include "conversion/png_reader.h"
#include "conversion/write_image_bitmap.h"
#include "conversion_fixture.h"
#include "support/folder_snapshot.h"
#include "support/png_maker.h"
#include "conversion/jpeg_bitmap.h"
#include "swf/bitmap_tags.h"
#include "swf/swf_writer.h"

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSide = 256;

// kSide x kSide RGB pixels of thousands of colours, or of two.
std::vector<uint8_t> Pixels(bool manyColours) {
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < kSide; ++y) {
    for (uint32_t x = 0; x < kSide; ++x) {
      if (manyColours) {
        rgb.insert(rgb.end(), {uint8_t(x), uint8_t(y), uint8_t(x ^ y)});
      } else {
        rgb.insert(rgb.end(), {uint8_t(x < kSide / 2 ? 0 : 255), 0, 0});
      }
    }
  }
  return rgb;
}

DecodedImage Decoded(std::vector<uint8_t>& rgb) {
  DecodedImage image;
  image.width = image.height = kSide;
  image.sourceBitDepth = 8;
  image.channels = 3;
  image.rowLength = static_cast<int32_t>(kSide * 3);
  image.pixels = rgb;
  return image;
}

struct LoopCase {
  const char* what;
  std::function<bool()> completes;  // runs the loop; true when it got to its end
};

// Each long loop of a conversion stops when the run it works for is cancelled, and only then.
TEST(Cancellation, EveryLongLoopStopsWhenTheRunIsCancelled) {
  TempFolder folder;
  const std::vector<uint8_t> png = EncodePng(Rgb8Png(kSide, kSide, Pixels(true)));
  std::vector<uint8_t> noise(3 << 20);
  std::mt19937 random(7);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  const LoopCase cases[] = {
      {"decoding rows",
       [&] {
         PngReader reader;
         const FilePtr file = OpenBytesAsFile(png);
         uint32_t width = 0, height = 0;
         return reader.OpenImage(file.get(), width, height) == PngReader::kOpened && reader.ReadPixels(0.0) != nullptr;
       }},
      {"JPEG encoding",
       [] {
         std::vector<uint8_t> jpeg;
         return EncodeJpeg(Pixels(true), kSide, kSide, 80, 3, jpeg) == BitmapResult::kOk;
       }},
      {"colour mapping",
       [] {
         std::vector<uint8_t> rgb = Pixels(false);
         const DecodedImage image = Decoded(rgb);
         return BuildColorMappedData(ImageRows{image.pixels, kSide, kSide, 3, kSide * 3}).has_value();
       }},
      {"format 5 rows",
       [] {
         std::vector<uint8_t> rgb = Pixels(true);
         PreparedBitmap bitmap;
         return PrepareImageBitmap(Decoded(rgb), 100, LosslessEffort::kDefault, bitmap) == BitmapResult::kOk;
       }},
      {"compressing the movie",
       [&] {
         SwfWriter writer(kSide, kSide, 12, 6);
         if (!writer.OpenCompressedMovie(folder.path() + "/m.swf", 0)) return false;
         writer.DefineBitsJPEG2(1, noise);
         return writer.Finish() > 0;
       }},
  };
  for (const bool cancelled : {false, true}) {
    const CancellationCheck check([cancelled] { return cancelled; });
    const CancellationScope scope(&check);
    for (const LoopCase& c : cases) EXPECT_EQ(c.completes(), !cancelled) << c.what << (cancelled ? ", cancelled" : "");
  }
}

TEST(Cancellation, ScopesNestAndBelongToTheirThread) {
  EXPECT_FALSE(CancellationRequested());
  const CancellationCheck yes([] { return true; });
  const CancellationCheck no([] { return false; });
  {
    const CancellationScope outer(&yes);
    EXPECT_TRUE(CancellationRequested());
    {
      const CancellationScope inner(&no);
      EXPECT_FALSE(CancellationRequested());
    }
    EXPECT_TRUE(CancellationRequested());
    bool elsewhere = true;
    std::thread([&] { elsewhere = CancellationRequested(); }).join();
    EXPECT_FALSE(elsewhere);
  }
  EXPECT_FALSE(CancellationRequested());
}

TEST(Cancellation, ARequestStaysSeen) {
  int asked = 0;
  const CancellationCheck check([&] { return ++asked == 2; });
  EXPECT_FALSE(check.Requested());
  EXPECT_TRUE(check.Requested());
  EXPECT_TRUE(check.Requested());
  EXPECT_EQ(asked, 2);
}

// A run is asked often while it works: at least once per decoded row.
TEST_F(ConversionTest, CancellationIsPolledForEveryRowOfAnImage) {
  settings_.outputPath = Path("m.swf");
  const std::string input = PhotoPng("tall.png", 8, 3000);
  std::atomic<size_t> polls{0};
  ConversionCallbacks callbacks;
  callbacks.cancelRequested = [&] {
    ++polls;
    return false;
  };
  ASSERT_TRUE(RunConversion(settings_, std::vector<std::string>{input}, callbacks).ok());
  EXPECT_GE(polls.load(), 3000u);
}

// Wherever the run is when it is cancelled, it ends with kCancelled and leaves no partial
// movie and no temporary file; the earlier movie stays, and batch mode keeps the movies it
// committed.
TEST_F(ConversionTest, CancellingAnywhereLeavesNoPartialMovie) {
  const std::vector<std::string> inputs = {PhotoPng("a.png", 300, 200), AlphaPng("b.png", 200, 300),
                                           PhotoPng("c.png", 64, 64)};
  std::ofstream(Path("m.swf")) << "FWS\x06 earlier";
  fs::create_directory(Path("out"));
  size_t pollsOfAWholeRun = 0;
  {
    ConversionCallbacks callbacks;
    callbacks.cancelRequested = [&] { return ++pollsOfAWholeRun, false; };
    settings_.outputPath = Path("probe.swf");
    ASSERT_TRUE(RunConversion(settings_, inputs, callbacks).ok());
    fs::remove(Path("probe.swf"));
  }
  size_t cancelledRuns = 0;
  for (const bool batch : {false, true}) {
    for (const unsigned jobs : {1u, 2u}) {
      for (const int32_t quality : {100, 60}) {
        for (const size_t after : {size_t{1}, pollsOfAWholeRun / 10, pollsOfAWholeRun / 2, pollsOfAWholeRun - 5}) {
          SCOPED_TRACE(testing::Message() << (batch ? "batch" : "single") << ", " << jobs << " jobs, quality "
                                          << quality << ", after " << after << " polls");
          settings_.batchMode = batch;
          settings_.jobs = jobs;
          settings_.jpegQuality = quality;
          settings_.outputPath = batch ? Path("out") : Path("m.swf");
          const FolderSnapshot before = SnapshotFolder(folder_.path());
          std::atomic<size_t> polls{0};
          std::vector<std::string> committed;
          ConversionCallbacks callbacks;
          callbacks.cancelRequested = [&] { return ++polls >= after; };
          callbacks.progress = [&](const ConversionProgress& p) {
            if (batch) committed.push_back(p.moviePath);  // a slide show is done only at its end
            return true;
          };
          const ConversionResult result = RunConversion(settings_, inputs, callbacks);
          if (result.ok()) continue;  // finished before it was asked often enough
          ++cancelledRuns;
          EXPECT_EQ(result.status, Status::kCancelled);
          EXPECT_EQ(result.message, "The conversion was cancelled.");
          EXPECT_TRUE(TemporaryFilesIn(folder_.path()).empty());
          EXPECT_TRUE(TemporaryFilesIn(Path("out")).empty());
          FolderSnapshot after_ = SnapshotFolder(folder_.path());
          for (const std::string& movie : committed) {
            EXPECT_EQ(ReadSwfFile(movie).frameCount, 13) << movie;
            after_.erase(fs::relative(movie, folder_.path()).generic_string());
          }
          FolderSnapshot expected = before;
          for (const std::string& movie : committed) expected.erase(fs::relative(movie, folder_.path()).generic_string());
          EXPECT_EQ(after_, expected);
          if (batch) {
            for (const std::string& movie : committed) fs::remove(movie);
          }
        }
      }
    }
  }
  EXPECT_GE(cancelledRuns, 16u);  // at least those cancelled at once or a tenth of the way
}

}  // namespace
}  // namespace lumapress::test
