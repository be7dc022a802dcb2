// Conversion throughput: photo-like 1920 x 1080 PNGs made here, and the corpus photos,
// converted into one movie at quality 80 and 100. Reports megapixels per second, the ratio of
// conversion time to the time of merely decoding the same PNGs (the floor every conversion
// pays), and the process's peak resident memory. Both times are measured in the same run.
#include <benchmark/benchmark.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "conversion/png_reader.h"
#include "lumapress/convert.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr int kGeneratedImages = 3;

// Converts, creating any missing folder; false (with the message on stderr) on failure.
bool Convert(const lumapress::ConversionSettings& settings, std::span<const std::string> paths) {
  lumapress::ConversionCallbacks callbacks;
  callbacks.createFolder = [](std::string_view) { return true; };
  const lumapress::ConversionResult result = lumapress::RunConversion(settings, paths, callbacks);
  if (!result.ok()) std::fprintf(stderr, "%s\n", result.message.c_str());
  return result.ok();
}

// Smooth gradients, texture and a little noise: compresses like a photograph, not like art.
std::vector<uint8_t> PhotoLikeRgb(uint32_t seed) {
  std::vector<uint8_t> rgb(size_t{kWidth} * kHeight * 3);
  uint32_t noise = seed * 2654435761u + 1;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double t = std::sin(x / (37.0 + seed)) * std::cos(y / 23.0) * 40.0;
      const int grain = static_cast<int>(noise >> 28) - 8;
      uint8_t* p = &rgb[(size_t{y} * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>(std::clamp(int(x * 200 / kWidth + t) + grain + 20, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(int(y * 180 / kHeight - t) + grain + 40, 0, 255));
      p[2] = static_cast<uint8_t>(std::clamp(int(120 + t * 1.5) + grain, 0, 255));
    }
  }
  return rgb;
}

bool WriteRgbPng(const std::string& path, const std::vector<uint8_t>& rgb) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (uint32_t y = 0; y < kHeight; ++y) png_write_row(png, rgb.data() + size_t{y} * kWidth * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

struct InputSet {
  std::vector<std::string> paths;
  double megapixels = 0.0;
};

const fs::path& WorkFolder() {
  static const fs::path folder = fs::temp_directory_path() / ("lumapress-bench-" + std::to_string(getpid()));
  return folder;
}

// Decodes every input once; returns the megapixels decoded.
double DecodeAll(const std::vector<std::string>& paths) {
  double megapixels = 0.0;
  for (const std::string& path : paths) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    lumapress::PngReader reader;
    uint32_t width = 0, height = 0;
    if (!file || reader.OpenImage(file.get(), width, height) != lumapress::PngReader::kOpened) continue;
    const lumapress::DecodedImage* image = reader.ReadPixels(0.0);
    if (image != nullptr) benchmark::DoNotOptimize(image->pixels.data());
    megapixels += width * double(height) / 1e6;
  }
  return megapixels;
}

const InputSet& Generated() {
  static const InputSet set = [] {
    InputSet s;
    fs::create_directories(WorkFolder());
    for (int i = 0; i < kGeneratedImages; ++i) {
      const std::string path = (WorkFolder() / ("photo" + std::to_string(i) + ".png")).string();
      WriteRgbPng(path, PhotoLikeRgb(static_cast<uint32_t>(i)));
      s.paths.push_back(path);
    }
    s.megapixels = DecodeAll(s.paths);
    return s;
  }();
  return set;
}

const InputSet& CorpusPhotos() {
  static const InputSet set = [] {
    InputSet s;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(LUMAPRESS_CORPUS_DIR, error)) {
      if (entry.path().filename().string().rfind("photo1080_", 0) == 0) s.paths.push_back(entry.path().string());
    }
    std::sort(s.paths.begin(), s.paths.end());
    s.megapixels = DecodeAll(s.paths);
    return s;
  }();
  return set;
}

double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

double Seconds(const std::chrono::steady_clock::duration& d) {
  return std::chrono::duration<double>(d).count();
}

// One iteration: decode the set (the floor), then convert it; both timed here.
void Convert(benchmark::State& state, const InputSet& (*inputs)()) {
  const InputSet& set = inputs();
  if (set.paths.empty()) {
    state.SkipWithError("no input images");
    return;
  }
  lumapress::ConversionSettings settings;
  settings.jpegQuality = static_cast<int32_t>(state.range(0));
  settings.jobs = static_cast<unsigned>(state.range(1));
  settings.outputPath = (WorkFolder() / "bench.swf").string();
  fs::create_directories(WorkFolder());
  double decodeSeconds = 0.0, convertSeconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    state.PauseTiming();
    DecodeAll(set.paths);
    const auto decoded = std::chrono::steady_clock::now();
    state.ResumeTiming();
    if (!Convert(settings, set.paths)) {
      state.SkipWithError("conversion failed");
      return;
    }
    const auto converted = std::chrono::steady_clock::now();
    decodeSeconds += Seconds(decoded - start);
    convertSeconds += Seconds(converted - decoded);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["MP/s"] = set.megapixels * iterations / convertSeconds;
  state.counters["x_decode"] = convertSeconds / decodeSeconds;
  state.counters["peak_MiB"] = PeakResidentMiB();
  state.counters["movie_MiB"] = fs::file_size(settings.outputPath) / (1024.0 * 1024.0);
}

void BM_ConvertGenerated(benchmark::State& state) { Convert(state, Generated); }
void BM_ConvertCorpusPhotos(benchmark::State& state) { Convert(state, CorpusPhotos); }

// Arguments: quality, jobs.
BENCHMARK(BM_ConvertGenerated)->Args({80, 1})->Args({100, 1})->Args({80, 2})->Args({100, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ConvertCorpusPhotos)->Args({80, 1})->Args({100, 1})->Args({80, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  fs::remove_all(WorkFolder(), error);
  return 0;
}
