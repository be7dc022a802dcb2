#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "lumapress/convert.h"
#include "support/files.h"
#include "support/png_maker.h"
#include "support/temp_folder.h"

// Movies made with the settings every earlier version had are pinned byte for byte: a new
// option that is not asked for must not change a single byte of them. The inputs are computed
// with integers only, so that every platform makes the same images.
namespace lumapress::test {
namespace {

// A few flat colours: the colour-mapped lossless form, or JPEG.
std::vector<uint8_t> FlatRgb(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t band = static_cast<uint8_t>((x / 10 + y / 10) % 4);
      rgb.insert(rgb.end(), {uint8_t(band * 80), uint8_t(255 - band * 60), uint8_t(band % 2 ? 40 : 220)});
    }
  }
  return rgb;
}

// Thousands of colours: the 32-bit lossless form, or JPEG.
std::vector<uint8_t> GradientRgb(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      rgb.insert(rgb.end(), {uint8_t(x * 5 + y), uint8_t(y * 7), uint8_t((x * y) ^ (x + 3 * y))});
    }
  }
  return rgb;
}

// Varying alpha: DefineBitsLossless2, or JPEG with an alpha plane.
std::vector<uint8_t> TranslucentRgba(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgba;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      rgba.insert(rgba.end(), {uint8_t(200 + x % 50), uint8_t(100 + 3 * y), uint8_t(x * y),
                               uint8_t((x * 7 + y * 13) & 0xFF)});
    }
  }
  return rgba;
}

struct Digest {
  std::string movie;  // name in the output folder
  uint32_t crc = 0;   // CRC-32 of the whole file
  size_t size = 0;

  bool operator==(const Digest&) const = default;
};

void PrintTo(const Digest& digest, std::ostream* out) {
  char crc[16];
  std::snprintf(crc, sizeof crc, "0x%08X", digest.crc);
  *out << "{\"" << digest.movie << "\", " << crc << ", " << digest.size << "}";
}

Digest DigestOf(const std::string& folder, const std::string& name) {
  const std::vector<uint8_t> bytes = ReadFileBytes(folder + "/" + name);
  const auto crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size())));
  return {name, crc, bytes.size()};
}

struct PinnedRun {
  const char* what;
  bool batch;
  int32_t quality;
  const char* controlFile;  // empty for none
  float delaySeconds;
  float framesPerSecond;
  std::vector<Digest> movies;
};

void PrintTo(const PinnedRun& run, std::ostream* out) { *out << run.what; }

class MovieDigests : public ::testing::TestWithParam<PinnedRun> {
 protected:
  MovieDigests() {
    WriteRgb8Png(Path("flat.png"), 40, 30, FlatRgb(40, 30));
    WriteRgb8Png(Path("gradient.png"), 48, 36, GradientRgb(48, 36));
    WriteRgba8Png(Path("translucent.png"), 32, 32, TranslucentRgba(32, 32));
  }
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }

  TempFolder folder_;
};

TEST_P(MovieDigests, MoviesStayByteForByte) {
  const PinnedRun& run = GetParam();
  ConversionSettings settings;
  settings.batchMode = run.batch;
  settings.jpegQuality = run.quality;
  settings.controlFilePath = run.controlFile;
  settings.delaySeconds = run.delaySeconds;
  settings.framesPerSecond = run.framesPerSecond;
  settings.jobs = 2;
  const std::string out = Path("out");
  std::filesystem::create_directory(FsPath(out));
  settings.outputPath = run.batch ? out : out + "/show.swf";
  const std::vector<std::string> inputs = {Path("flat.png"), Path("gradient.png"), Path("translucent.png")};
  const ConversionResult result = RunConversion(settings, inputs);
  ASSERT_TRUE(result.ok()) << result.message;

  std::vector<Digest> made;
  for (const std::string& name : FolderEntries(out)) made.push_back(DigestOf(out, name));
  EXPECT_EQ(made, run.movies);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MovieDigests,
    ::testing::Values(
        PinnedRun{"SlideShowLossless", false, 100, "", 1.0f, 12.0f, {{"show.swf", 0x89458877, 9814}}},
        PinnedRun{"SlideShowJpeg", false, 80, "", 1.0f, 12.0f, {{"show.swf", 0x9A7368BF, 2467}}},
        PinnedRun{"SlideShowControlFile", false, 80, "player.swf", 2.5f, 24.0f, {{"show.swf", 0xD8533C10, 2543}}},
        PinnedRun{"BatchLossless",
                  true,
                  100,
                  "",
                  1.0f,
                  12.0f,
                  {{"flat.swf", 0x915C7CD5, 148}, {"gradient.swf", 0xD3591C64, 5597}, {"translucent.swf", 0x03EBFC99, 4147}}},
        PinnedRun{"BatchJpeg",
                  true,
                  80,
                  "player.swf",
                  0.5f,
                  30.0f,
                  {{"flat.swf", 0xEFC5CAAB, 1085}, {"gradient.swf", 0xF6F1AD89, 1240}, {"translucent.swf", 0xE980F0DC, 1359}}}),
    [](const ::testing::TestParamInfo<PinnedRun>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace lumapress::test
