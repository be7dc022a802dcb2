// Converts one fuzzed PNG with fuzzed settings and checks the movie written with the test-only
// SWF reader. Input layout: 4 setting bytes (quality, flags, frame rate, control-file length),
// then the PNG file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "lumapress/convert.h"
#include "support/png_maker.h"
#include "support/swf_bitmaps.h"
#include "support/swf_reader.h"

namespace {

namespace fs = std::filesystem;
namespace test = lumapress::test;

constexpr size_t kSettingBytes = 4;
// Keeps each input fast: larger images are skipped before decoding.
constexpr uint64_t kMaxFuzzPixels = uint64_t{1} << 20;



const std::string& WorkFolder() {
  static const std::string folder = [] {
    const fs::path path = fs::temp_directory_path() / ("lumapress-fuzz-" + std::to_string(getpid()));
    fs::create_directories(path);
    return path.string();
  }();
  return folder;
}

uint32_t BigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// The movie must parse, count its frames right and hold one readable bitmap per image.
void CheckMovie(const std::string& path, const lumapress::ConversionSettings& settings) {
  const test::SwfMovie movie = test::ReadSwfFile(path);
  Check(movie.compressed && movie.version == 6 && movie.fileLength == movie.bytes.size());
  Check(movie.frameCount == movie.TagsWithCode(1).size());
  size_t bitmaps = 0;
  for (const test::SwfTag& tag : movie.tags) {
    if (tag.code == 20 || tag.code == 21 || tag.code == 35 || tag.code == 36) {
      const test::SwfBitmap bitmap = test::ParseBitmapTag(tag);
      if (tag.code == 20 || tag.code == 36) {
        Check(settings.jpegQuality >= 100);
        const uint32_t width = static_cast<uint32_t>(movie.frameSize.xMax / 20);
        const uint32_t height = static_cast<uint32_t>(movie.frameSize.yMax / 20);
        Check(test::LosslessPixels(bitmap, width, height).size() == size_t{width} * height * 4);
      } else {
        Check(settings.jpegQuality < 100 && bitmap.imageData.size() >= 6);
      }
      ++bitmaps;
    }
  }
  Check(bitmaps == 1);
  Check(settings.controlFilePath.empty() == movie.TagsWithCode(39).empty());
}

void WriteSeeds(const std::string& folder) {
  uint32_t seed = 0;
  for (const test::ColorTypeDepth& c : test::ValidColorTypeDepths()) {
    for (uint8_t quality : {50, 100}) {
      ++seed;
      std::vector<uint8_t> input = {quality, static_cast<uint8_t>(seed & 3), 24, static_cast<uint8_t>(seed % 3)};
      const std::vector<uint8_t> png =
          test::EncodePng(test::PatternPng(c.colorType, c.bitDepth, 3 + seed % 17, 2 + seed % 9, seed));
      input.insert(input.end(), png.begin(), png.end());
      test::WriteFileBytes(folder + "/seed_" + std::to_string(seed) + ".bin", input);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("LUMAPRESS_FUZZ_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kSettingBytes) return 0;
  const std::vector<uint8_t> png(data + kSettingBytes, data + size);
  if (png.size() >= 24 && uint64_t{BigEndian32(&png[16])} * BigEndian32(&png[20]) > kMaxFuzzPixels) {
    return 0;
  }
  const std::string input = WorkFolder() + "/input.png";
  test::WriteFileBytes(input, png);

  lumapress::ConversionSettings settings;
  settings.jpegQuality = data[0] % 101;
  settings.batchMode = (data[1] & 1) != 0;
  settings.jobs = (data[1] & 2) != 0 ? 2 : 1;
  settings.framesPerSecond = 1.0f + data[2];
  settings.delaySeconds = 0.01f + (data[1] >> 4) * 0.05f;
  settings.controlFilePath = std::string(data[3] % 8, 'c');
  const std::string movie = WorkFolder() + (settings.batchMode ? "/input.swf" : "/movie.swf");
  settings.outputPath = settings.batchMode ? WorkFolder() : movie;
  fs::remove(movie);

  lumapress::ConversionCallbacks callbacks;
  callbacks.createFolder = [](std::string_view) { return true; };
  const std::vector<std::string> inputs = {input};
  const lumapress::ConversionResult result = lumapress::RunConversion(settings, inputs, callbacks);
  if (result.ok()) {
    CheckMovie(movie, settings);
  } else {
    Check(!fs::exists(movie));
  }
  return 0;
}
