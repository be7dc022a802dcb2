// Resampling cost against the decoding it follows: a photo-like 4000 x 3000 PNG made here
// (RGB, and RGBA with soft alpha) and the corpus's 1920 x 1080 photos, each decoded with
// libpng's simplified API and resampled to fill a 1280 x 720 stage (cover). Each iteration
// does both, alternating which goes first; "ratio" is resampling time over decoding time
// (0.5: resampling costs half as much as decoding the same file), both in this thread's CPU
// time and measured in the same run.
#include <benchmark/benchmark.h>
#include <png.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "conversion/resample.h"
#include "conversion/stage_placement.h"

namespace {

constexpr uint32_t kStageWidth = 1280, kStageHeight = 720;

struct Input {
  std::string name;
  std::vector<uint8_t> png;
};

// Decoded 8-bit RGB or RGBA pixels that own their bytes.
struct Decoded {
  std::vector<uint8_t> pixels;
  lumapress::DecodedImage view;
};

// libpng's simplified API to 8-bit RGB or RGBA; an empty view on failure.
Decoded Decode(const std::vector<uint8_t>& png) {
  Decoded decoded;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) return decoded;
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  decoded.pixels.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr) == 0) return decoded;
  decoded.view.width = image.width;
  decoded.view.height = image.height;
  decoded.view.sourceBitDepth = 8;
  decoded.view.channels = alpha ? 4 : 3;
  decoded.view.rowLength = static_cast<int32_t>(image.width) * decoded.view.channels;
  decoded.view.pixels = decoded.pixels;
  return decoded;
}

// Smooth gradients, texture and grain: decodes and filters like a photograph.
Input PhotoLike(const char* name, uint32_t width, uint32_t height, bool alpha) {
  const uint32_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> pixels(size_t{width} * height * channels);
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double t = std::sin(x / 37.0) * std::cos(y / 23.0) * 40.0;
      const int grain = static_cast<int>(noise >> 28) - 8;
      uint8_t* p = &pixels[(size_t{y} * width + x) * channels];
      p[0] = static_cast<uint8_t>(std::clamp(int(x * 200 / width + t) + grain + 20, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(int(y * 180 / height - t) + grain + 40, 0, 255));
      p[2] = static_cast<uint8_t>(std::clamp(int(120 + t * 1.5) + grain, 0, 255));
      if (alpha) p[3] = static_cast<uint8_t>(x < width / 2 ? 255 : y * 255 / height);
    }
  }
  return Input{name, lumapress::bench::EncodePng(pixels, width, height, alpha)};
}

std::vector<Input> LoadInputs() {
  std::vector<Input> inputs;
  inputs.push_back(PhotoLike("generated_rgb8_4000x3000", 4000, 3000, false));
  inputs.push_back(PhotoLike("generated_rgba8_4000x3000", 4000, 3000, true));
  for (const std::string& path : lumapress::bench::CorpusFiles("photo1080_")) {
    std::ifstream in(path, std::ios::binary);
    inputs.push_back({std::filesystem::path(path).stem().string(),
                      std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
  }
  return inputs;
}

std::map<std::string, double> ratios;  // the last measurement for each input

void DecodeAndResample(benchmark::State& state, const Input* input) {
  double decodeSeconds = 0.0, resampleSeconds = 0.0;
  bool decodeFirst = true;
  const Decoded decoded = Decode(input->png);  // the resampler's input, decoded once
  if (decoded.view.width == 0) {
    state.SkipWithError("libpng failed");
    return;
  }
  const lumapress::StagePlacement placement = lumapress::PlaceOnStage(
      decoded.view.width, decoded.view.height, kStageWidth, kStageHeight, lumapress::Fit::kCover);
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool decode = (turn == 0) == decodeFirst;
      const double start = lumapress::bench::ThreadSeconds();
      if (decode) {
        const Decoded again = Decode(input->png);
        benchmark::DoNotOptimize(again.pixels.data());
        decodeSeconds += lumapress::bench::ThreadSeconds() - start;
      } else {
        const lumapress::ResampledImage resampled =
            lumapress::ResampleImage(decoded.view, placement.area, placement.width, placement.height);
        benchmark::DoNotOptimize(resampled.storage.data());
        resampleSeconds += lumapress::bench::ThreadSeconds() - start;
      }
    }
    decodeFirst = !decodeFirst;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["decode_ms"] = decodeSeconds / iterations * 1e3;
  state.counters["resample_ms"] = resampleSeconds / iterations * 1e3;
  state.counters["ratio"] = resampleSeconds / decodeSeconds;
  ratios[input->name] = resampleSeconds / decodeSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static const std::vector<Input> inputs = LoadInputs();
  for (const Input& input : inputs) {
    benchmark::RegisterBenchmark(("Resample/" + input.name + "_to_1280x720").c_str(), DecodeAndResample, &input)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  for (const auto& [name, ratio] : ratios) {
    std::printf("%s: resampling to %ux%u takes %.3f x the time of decoding the PNG\n", name.c_str(),
                kStageWidth, kStageHeight, ratio);
  }
  benchmark::Shutdown();
  return 0;
}
