// Decode throughput of PngReader against libpng's simplified API (png_image_finish_read to
// 8-bit RGB or RGBA) on the same files in the same run. Each iteration decodes the file with
// both, alternating which goes first; "ratio" is the reader's throughput over libpng's
// (1.0: equal; the target is at least 0.95), both measured in this thread's CPU time.
#include <benchmark/benchmark.h>
#include <png.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "conversion/png_reader.h"

namespace {

struct Input {
  std::string name;
  std::vector<uint8_t> bytes;
};

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr OpenBytes(const std::vector<uint8_t>& bytes) {
  return FilePtr(fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb"));
}

// Decodes with the reader; returns the decoded byte count (0 on failure).
size_t DecodeWithReader(const std::vector<uint8_t>& bytes) {
  FilePtr file = OpenBytes(bytes);
  lumapress::PngReader reader;
  uint32_t width = 0;
  uint32_t height = 0;
  if (reader.OpenImage(file.get(), width, height) != lumapress::PngReader::kOpened) return 0;
  const lumapress::DecodedImage* image = reader.ReadPixels(0.0);
  if (image == nullptr) return 0;
  benchmark::DoNotOptimize(image->pixels.data());
  return image->pixels.size();
}

// Decodes with libpng's simplified API from the same kind of stream, into a fresh block.
size_t DecodeWithSimplifiedApi(const std::vector<uint8_t>& bytes) {
  FilePtr file = OpenBytes(bytes);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_stdio(&image, file.get()) == 0) return 0;
  image.format = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  const size_t size = PNG_IMAGE_SIZE(image);
  auto block = std::make_unique_for_overwrite<uint8_t[]>(size);
  if (png_image_finish_read(&image, nullptr, block.get(), 0, nullptr) == 0) return 0;
  benchmark::DoNotOptimize(block.get());
  return size;
}

// Smooth gradients with some texture, like a photograph, written by libpng's simplified API.
Input Generated(const char* name, uint32_t width, uint32_t height, bool alpha) {
  const uint32_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> pixels(size_t{width} * height * channels);
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      uint8_t* p = &pixels[(size_t{y} * width + x) * channels];
      p[0] = static_cast<uint8_t>(x * 255 / width + (noise >> 29));
      p[1] = static_cast<uint8_t>(y * 255 / height + (noise >> 28 & 3));
      p[2] = static_cast<uint8_t>((x + y) / 8);
      if (alpha) p[3] = static_cast<uint8_t>(x < width / 2 ? 255 : y * 255 / height);
    }
  }
  return Input{name, lumapress::bench::EncodePng(pixels, width, height, alpha)};
}

std::vector<Input> LoadInputs() {
  std::vector<Input> inputs;
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(LUMAPRESS_CORPUS_DIR, error)) {
    if (entry.path().extension() == ".png") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    inputs.push_back(
        {path.stem().string(), std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
  }
  inputs.push_back(Generated("generated_rgb8_1920x1080", 1920, 1080, false));
  inputs.push_back(Generated("generated_rgba8_1024x1024", 1024, 1024, true));
  return inputs;
}

std::map<std::string, double> ratios;  // the last measurement for each input

void DecodeBoth(benchmark::State& state, const Input* input) {
  double readerSeconds = 0.0;
  double libpngSeconds = 0.0;
  size_t decodedBytes = 0;
  bool readerFirst = true;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool reader = (turn == 0) == readerFirst;
      const double start = lumapress::bench::ThreadSeconds();
      const size_t bytes =
          reader ? DecodeWithReader(input->bytes) : DecodeWithSimplifiedApi(input->bytes);
      const double seconds = lumapress::bench::ThreadSeconds() - start;
      if (bytes == 0) {
        state.SkipWithError(reader ? "reader failed" : "libpng failed");
        return;
      }
      (reader ? readerSeconds : libpngSeconds) += seconds;
      decodedBytes = bytes;
    }
    readerFirst = !readerFirst;
  }
  const double total = static_cast<double>(decodedBytes) * static_cast<double>(state.iterations());
  state.counters["reader_MBps"] = total / readerSeconds / 1e6;
  state.counters["libpng_MBps"] = total / libpngSeconds / 1e6;
  state.counters["ratio"] = libpngSeconds / readerSeconds;
  ratios[input->name] = libpngSeconds / readerSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static const std::vector<Input> inputs = LoadInputs();
  for (const Input& input : inputs) {
    benchmark::RegisterBenchmark(("PngDecode/" + input.name).c_str(), DecodeBoth, &input)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  if (!ratios.empty()) {
    double logSum = 0.0;
    double lowest = 1e9;
    for (const auto& [name, ratio] : ratios) {
      logSum += std::log(ratio);
      lowest = std::min(lowest, ratio);
    }
    std::printf("reader/libpng throughput over %zu files: geometric mean %.3f, lowest %.3f\n",
                ratios.size(), std::exp(logSum / static_cast<double>(ratios.size())), lowest);
  }
  benchmark::Shutdown();
  return 0;
}
