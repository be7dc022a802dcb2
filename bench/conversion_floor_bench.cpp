// Where a conversion's time goes, as ratios to the floor: decoding the same PNGs with libpng
// alone. Inputs are the eight 1920 x 1080 corpus photos (photo1080_*.png; the corpus is
// LUMAPRESS_CORPUS_DIR when set). Every figure is
// measured in the same run as its floor, as process CPU time (robust when other programs share
// the machine) and as wall time.
//
//   BM_Floor           libpng alone: read every photo into 8-bit RGB rows
//   BM_Convert/Q/J     RunConversion of all photos into one movie at quality Q with J jobs
//   BM_Batch/Q/J       the same in batch mode (one movie per photo)
//   BM_JpegEncode/Q    the JPEG encoder alone on the decoded rows
//   BM_BitmapDeflate   zlib level 9 of every photo's format 5 data (PixelBuffer32), as the
//                      bitmaps were compressed before libdeflate
//   BM_BitmapLibdeflate/L  libdeflate level L of the same data (the bitmaps' compressor now)
//   BM_MovieDeflate/Q  zlib level 9 of the finished movie's whole body at quality Q (what the
//                      movie's stream cost when it deflated the bitmaps' streams again)
//
// Counters: x_floor_cpu and x_floor_wall (time / floor time), speedup_vs_1job (wall time of
// the same benchmark with one job / this one; only for J > 1).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "conversion/pixel_buffer.h"
#include "lumapress/convert.h"
#include "swf/bitmap_data.h"
#include "conversion/jpeg_bitmap.h"
#include "swf/bitmap_tags.h"

namespace {

namespace fs = std::filesystem;

// Converts, creating any missing folder; false (with the message on stderr) on failure.
bool Convert(const lumapress::ConversionSettings& settings, std::span<const std::string> paths) {
  lumapress::ConversionCallbacks callbacks;
  callbacks.createFolder = [](std::string_view) { return true; };
  const lumapress::ConversionResult result = lumapress::RunConversion(settings, paths, callbacks);
  if (!result.ok()) std::fprintf(stderr, "%s\n", result.message.c_str());
  return result.ok();
}

using Photo = lumapress::bench::DecodedRgb;
using lumapress::bench::DecodeWithLibpng;

std::vector<std::string> PhotoPaths() { return lumapress::bench::CorpusFiles("photo1080_"); }

using lumapress::bench::CpuSeconds;
using lumapress::bench::WallSeconds;

// zlib's one-call compressor, as the movie's bitmaps and body were compressed before libdeflate.
void Compress2(const std::vector<uint8_t>& data, int level, std::vector<uint8_t>& stream) {
  uLongf size = compressBound(data.size());
  stream.resize(size);
  compress2(stream.data(), &size, data.data(), data.size(), level);
  stream.resize(size);
}

struct Times {
  double cpu = 0.0, wall = 0.0;
};

// Runs `work` once, timed both ways.
template <typename Work>
Times Measure(Work&& work) {
  const double cpu = CpuSeconds(), wall = WallSeconds();
  work();
  return {CpuSeconds() - cpu, WallSeconds() - wall};
}

Times FloorOnce() {
  return Measure([] {
    for (const std::string& path : PhotoPaths()) {
      Photo photo;
      DecodeWithLibpng(path, photo);
      benchmark::DoNotOptimize(photo.rgb.data());
    }
  });
}

const fs::path& WorkFolder() {
  static const fs::path folder = fs::temp_directory_path() / ("lumapress-floor-" + std::to_string(getpid()));
  return folder;
}

// Each measurement is reported against a floor measured right before it.
void Report(benchmark::State& state, Times sum, Times floor) {
  state.counters["x_floor_cpu"] = sum.cpu / floor.cpu;
  state.counters["x_floor_wall"] = sum.wall / floor.wall;
}

template <typename Work>
void Run(benchmark::State& state, Work&& work) {
  Times sum, floor;
  for (auto _ : state) {
    state.PauseTiming();
    const Times f = FloorOnce();
    floor.cpu += f.cpu;
    floor.wall += f.wall;
    state.ResumeTiming();
    const Times t = Measure(work);
    sum.cpu += t.cpu;
    sum.wall += t.wall;
    state.SetIterationTime(t.wall);
  }
  Report(state, sum, floor);
}

void BM_Floor(benchmark::State& state) {
  Run(state, [] { FloorOnce(); });
}

std::map<std::string, double>& OneJobWall() {
  static std::map<std::string, double> times;
  return times;
}

void Convert(benchmark::State& state, bool batch) {
  const std::vector<std::string> paths = PhotoPaths();
  if (paths.empty()) return state.SkipWithError("no corpus photos");
  lumapress::ConversionSettings settings;
  settings.jpegQuality = static_cast<int32_t>(state.range(0));
  settings.jobs = static_cast<unsigned>(state.range(1));
  settings.batchMode = batch;
  fs::create_directories(WorkFolder());
  settings.outputPath = batch ? WorkFolder().string() : (WorkFolder() / "movie.swf").string();
  double wall = 0.0;
  Run(state, [&] {
    const double start = WallSeconds();
    if (!Convert(settings, paths)) state.SkipWithError("conversion failed");
    wall += WallSeconds() - start;
  });
  const std::string key = std::string(batch ? "batch" : "single") + std::to_string(state.range(0));
  if (settings.jobs == 1) {
    OneJobWall()[key] = wall / double(state.iterations());
  } else if (OneJobWall().count(key) != 0) {
    state.counters["speedup_vs_1job"] = OneJobWall()[key] / (wall / double(state.iterations()));
  }
}

void BM_Convert(benchmark::State& state) { Convert(state, false); }
void BM_Batch(benchmark::State& state) { Convert(state, true); }

const std::vector<Photo>& Photos() {
  static const std::vector<Photo> photos = [] {
    std::vector<Photo> all;
    for (const std::string& path : PhotoPaths()) {
      Photo photo;
      if (DecodeWithLibpng(path, photo)) all.push_back(std::move(photo));
    }
    return all;
  }();
  return photos;
}

void BM_JpegEncode(benchmark::State& state) {
  const auto quality = static_cast<int32_t>(state.range(0));
  Photos();
  Run(state, [&] {
    for (const Photo& photo : Photos()) {
      std::vector<uint8_t> jpeg;
      lumapress::EncodeJpeg(photo.rgb, int32_t(photo.width), int32_t(photo.height), quality, 3, jpeg);
      benchmark::DoNotOptimize(jpeg.data());
    }
  });
}

// Every photo's format 5 data (its PixelBuffer32).
std::vector<lumapress::PixelBuffer32> PhotoBuffers() {
  std::vector<lumapress::PixelBuffer32> buffers;
  for (const Photo& photo : Photos()) {
    std::vector<uint8_t> copy = photo.rgb;
    buffers.push_back(lumapress::FillPixelBuffer32(
        lumapress::ImageRows{copy, photo.width, photo.height, 3, size_t{photo.width} * 3}));
  }
  return buffers;
}

// Counter `ratio`: compressed bytes / format 5 bytes.
template <typename Compress>
void CompressBuffers(benchmark::State& state, Compress&& compress) {
  const std::vector<lumapress::PixelBuffer32> buffers = PhotoBuffers();
  double in = 0, out = 0;
  Run(state, [&] {
    in = out = 0;
    for (const auto& buffer : buffers) {
      std::vector<uint8_t> stream;
      compress(buffer.bytes, stream);
      in += double(buffer.bytes.size());
      out += double(stream.size());
      benchmark::DoNotOptimize(stream.data());
    }
  });
  state.counters["ratio"] = out / in;
}

void BM_BitmapDeflate(benchmark::State& state) {
  CompressBuffers(state, [](const std::vector<uint8_t>& data, std::vector<uint8_t>& stream) {
    Compress2(data, 9, stream);
  });
}

void BM_BitmapLibdeflate(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  CompressBuffers(state, [level](const std::vector<uint8_t>& data, std::vector<uint8_t>& stream) {
    lumapress::AppendZlibStream(data, level, stream);
  });
}

// The body of the movie the conversion writes at this quality, uncompressed.
std::vector<uint8_t> MovieBody(int32_t quality) {
  lumapress::ConversionSettings settings;
  settings.jpegQuality = quality;
  fs::create_directories(WorkFolder());
  settings.outputPath = (WorkFolder() / "body.swf").string();
  Convert(settings, PhotoPaths());
  std::ifstream in(settings.outputPath, std::ios::binary);
  std::vector<uint8_t> compressed((std::istreambuf_iterator<char>(in)), {});
  if (compressed.size() < 8) return {};
  uLongf size = compressed[4] | compressed[5] << 8 | compressed[6] << 16 | uLongf(compressed[7]) << 24;
  std::vector<uint8_t> body(size - 8);
  uLongf bodySize = body.size();
  uncompress(body.data(), &bodySize, compressed.data() + 8, compressed.size() - 8);
  return body;
}

void BM_MovieDeflate(benchmark::State& state) {
  const std::vector<uint8_t> body = MovieBody(static_cast<int32_t>(state.range(0)));
  Run(state, [&] {
    std::vector<uint8_t> stream;
    Compress2(body, 9, stream);
    benchmark::DoNotOptimize(stream.data());
  });
  state.counters["body_MiB"] = body.size() / (1024.0 * 1024.0);
}

BENCHMARK(BM_Floor)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEncode)->Arg(80)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieDeflate)->Arg(80)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitmapDeflate)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitmapLibdeflate)
    ->Arg(6)
    ->Arg(7)
    ->Arg(9)
    ->Arg(12)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// Arguments: quality, jobs. One job first: the two-job runs report their speedup over it.
BENCHMARK(BM_Convert)->Args({80, 1})->Args({80, 2})->Args({100, 1})->Args({100, 2})
    ->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Batch)->Args({80, 1})->Args({80, 2})->Args({100, 1})->Args({100, 2})
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  fs::remove_all(WorkFolder(), error);
  return 0;
}
