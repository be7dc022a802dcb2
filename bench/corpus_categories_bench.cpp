// Each corpus category converted into one movie, measured against references taken in the same
// run: the time as a ratio to decoding the same PNGs with plain libpng (the floor), the bytes
// against the movie every zlib stream of which zlib wrote (bitmaps at level 9, alpha stored, the
// whole body again at level 9: the writer before libdeflate), and the peak resident memory.
//
//   BM_Convert/<category>/<quality>/<jobs>/<smallest>  one movie of the category's images
//   BM_BatchSizes/<category>/<quality>                  one movie per image: the largest growth
//   BM_AlphaData/<form>/<way>                           the RGBA images' alpha data compressed
//                                                        three ways, in this process
//
// Categories: photo1080 (the eight 1920 x 1080 photos), photo4000 (a 4000 x 3000 mosaic of
// them, written into a scratch folder), flat (screenshots and palette images), rgba, gray,
// bit16. Each conversion is a whole lumapress-cli process, and so is the floor right before it
// (this program decoding the same files); CommandRunner measures their CPU time, wall time and
// peak memory. Run with repetitions for medians of alternating runs:
//
//   build/bench/corpus_categories_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
// LUMAPRESS_BENCH_CLI=path measures another build's lumapress-cli instead;
// LUMAPRESS_REFERENCE_CLI=path measures one in the same iterations as this build's, for the
// ref_* counters (not for the smallest runs: builds before --smallest do not know it).
//
// Counters: x_floor_cpu, x_floor_wall (conversion / floor), MiB (movie size), vs_zlib9_pct
// (size against the zlib-only movie, per cent), peak_rss_MiB; worst_vs_zlib9_pct for batches.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "command_runner.h"
#include "conversion/pixel_buffer.h"
#include "swf/bitmap_data.h"
#include "swf/movie_compression.h"
#include "common/zlib_deflater.h"
#include "zlib9_movie.h"

namespace {

namespace fs = std::filesystem;
using lumapress::bench::CorpusFiles;

constexpr const char* kCategories[] = {"photo1080", "photo4000", "flat", "rgba", "gray", "bit16"};
constexpr uint32_t kMosaicWidth = 4000, kMosaicHeight = 3000;

const fs::path& WorkFolder() {
  static const fs::path folder =
      fs::temp_directory_path() / ("lumapress-categories-" + std::to_string(getpid()));
  return folder;
}

// A 4000 x 3000 photograph-sized image: the 1080p photos tiled row by row, cropped at the edges,
// so its statistics are those of photos (no interpolation smooths it). Written once, at zlib
// level 1, into the scratch folder.
std::string MosaicPath() {
  static const std::string path = [] {
    const std::vector<std::string> photos = CorpusFiles("photo1080_");
    if (photos.empty()) return std::string();
    std::vector<lumapress::bench::DecodedRgb> tiles(photos.size());
    for (size_t i = 0; i < photos.size(); ++i)
      lumapress::bench::DecodeWithLibpng(photos[i], tiles[i]);
    std::vector<uint8_t> rgb(size_t{kMosaicWidth} * kMosaicHeight * 3);
    const uint32_t tileW = tiles[0].width, tileH = tiles[0].height;
    const uint32_t across = (kMosaicWidth + tileW - 1) / tileW;
    for (uint32_t y = 0; y < kMosaicHeight; ++y) {
      for (uint32_t x = 0; x < kMosaicWidth; ++x) {
        const auto& tile = tiles[((y / tileH) * across + x / tileW) % tiles.size()];
        const uint8_t* from = &tile.rgb[(size_t{y % tileH} * tileW + x % tileW) * 3];
        std::copy(from, from + 3, &rgb[(size_t{y} * kMosaicWidth + x) * 3]);
      }
    }
    fs::create_directories(WorkFolder());
    const std::string file = (WorkFolder() / "photo4000_mosaic.png").string();
    FILE* out = std::fopen(file.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
      png_destroy_write_struct(&png, &info);
      std::fclose(out);
      return std::string();
    }
    png_init_io(png, out);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, kMosaicWidth, kMosaicHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < kMosaicHeight; ++y)
      png_write_row(png, &rgb[size_t{y} * kMosaicWidth * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return file;
  }();
  return path;
}

std::vector<std::string> Inputs(const std::string& category) {
  if (category == "photo4000") {
    const std::string mosaic = MosaicPath();
    return mosaic.empty() ? std::vector<std::string>{} : std::vector<std::string>{mosaic};
  }
  return CorpusFiles(category + "_");
}

using lumapress::bench::CpuSeconds;
using lumapress::bench::WallSeconds;

struct Times {
  double cpu = 0, wall = 0;
};

// This program, started with kFloorArgument and PNG paths, only decodes them with libpng.
constexpr const char* kFloorArgument = "--decode-with-libpng";

int DecodeOnly(int count, char** paths) {
  for (int i = 0; i < count; ++i) {
    lumapress::bench::DecodedRgb image;
    if (!lumapress::bench::DecodeWithLibpng(paths[i], image)) return 1;
    benchmark::DoNotOptimize(image.rgb.data());
  }
  return 0;
}

// The floor: decoding `inputs` with plain libpng, as a whole process like the conversion.
Times Floor(const std::vector<std::string>& inputs) {
  std::vector<std::string> argv = {fs::read_symlink("/proc/self/exe").string(), kFloorArgument};
  argv.insert(argv.end(), inputs.begin(), inputs.end());
  const auto run = lumapress::bench::CommandRunner::Run(argv);
  return {run.ok ? run.cpu : 0, run.ok ? run.wall : 0};
}

// The command line's arguments for one conversion.
struct Conversion {
  int32_t quality = 100;
  unsigned jobs = 1;
  bool smallest = false;
  bool batch = false;
  std::string output;
};

// The value of environment variable `name`, or `otherwise` when it is not set.
std::string Setting(const char* name, const std::string& otherwise) {
  const char* set = std::getenv(name);
  return set != nullptr && *set != '\0' ? set : otherwise;
}

// The command line measured: this build's, or LUMAPRESS_BENCH_CLI. LUMAPRESS_REFERENCE_CLI,
// when set, is measured in the same iterations, right after it (another build, to compare).
std::string CliPath() { return Setting("LUMAPRESS_BENCH_CLI", LUMAPRESS_CLI); }
std::string ReferenceCliPath() { return Setting("LUMAPRESS_REFERENCE_CLI", ""); }

// lumapress-cli at `cli` converting `inputs` as a whole process.
lumapress::bench::CommandRunner::Result RunCli(const std::string& cli, const Conversion& c,
                                               const std::vector<std::string>& inputs) {
  std::vector<std::string> argv = {
      cli,  "--quiet", "-y", "-q", std::to_string(c.quality), "-j", std::to_string(c.jobs),
      "-o", c.output};
  if (c.smallest) argv.push_back("--smallest");
  if (c.batch) argv.push_back("--batch");
  argv.insert(argv.end(), inputs.begin(), inputs.end());
  return lumapress::bench::CommandRunner::Run(argv);
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The zlib-only size of a movie, computed once per file content size and name.
size_t Zlib9Size(const std::string& path) {
  static std::map<std::string, size_t> known;
  const std::vector<uint8_t> file = FileBytes(path);
  const std::string key = path + ":" + std::to_string(file.size());
  auto found = known.find(key);
  if (found == known.end())
    found = known.emplace(key, lumapress::bench::Zlib9MovieSize(file).value_or(0)).first;
  return found->second;
}

double GrowthPercent(size_t bytes, size_t reference) {
  return reference == 0 ? 0.0 : 100.0 * (double(bytes) - double(reference)) / double(reference);
}

void BM_Convert(benchmark::State& state, const std::string& category, int32_t quality,
                unsigned jobs, bool smallest) {
  const std::vector<std::string> inputs = Inputs(category);
  if (inputs.empty()) return state.SkipWithError("no corpus images (set LUMAPRESS_CORPUS_DIR)");
  fs::create_directories(WorkFolder());
  const Conversion conversion{quality, jobs, smallest, false,
                              (WorkFolder() / (category + ".swf")).string()};
  // The reference cannot make the smallest movies: builds before --smallest do not know it.
  const std::string reference = smallest ? std::string() : ReferenceCliPath();
  Conversion referenceConversion = conversion;
  referenceConversion.output = (WorkFolder() / (category + "-reference.swf")).string();
  Times floor, converting, referenceConverting;
  double peakMiB = 0, referencePeakMiB = 0;
  for (auto _ : state) {
    const Times f = Floor(inputs);
    const auto run = RunCli(CliPath(), conversion, inputs);
    const auto referenceRun =
        reference.empty() ? run : RunCli(reference, referenceConversion, inputs);
    if (!run.ok || !referenceRun.ok) {
      state.SkipWithError("conversion failed");
      return;
    }
    floor.cpu += f.cpu, floor.wall += f.wall;
    converting.cpu += run.cpu, converting.wall += run.wall;
    referenceConverting.cpu += referenceRun.cpu, referenceConverting.wall += referenceRun.wall;
    peakMiB = std::max(peakMiB, run.peakMiB);
    referencePeakMiB = std::max(referencePeakMiB, referenceRun.peakMiB);
    state.SetIterationTime(run.wall);
  }
  if (!reference.empty()) {
    state.counters["ref_x_floor_cpu"] = referenceConverting.cpu / floor.cpu;
    state.counters["ref_x_floor_wall"] = referenceConverting.wall / floor.wall;
    state.counters["ref_MiB"] = double(fs::file_size(referenceConversion.output)) / (1 << 20);
    state.counters["ref_peak_rss_MiB"] = referencePeakMiB;
  }
  const size_t bytes = fs::file_size(conversion.output);
  state.counters["x_floor_cpu"] = converting.cpu / floor.cpu;
  state.counters["x_floor_wall"] = converting.wall / floor.wall;
  state.counters["MiB"] = double(bytes) / (1 << 20);
  state.counters["vs_zlib9_pct"] = GrowthPercent(bytes, Zlib9Size(conversion.output));
  state.counters["peak_rss_MiB"] = peakMiB;
}

void BM_BatchSizes(benchmark::State& state, const std::string& category, int32_t quality) {
  const std::vector<std::string> inputs = Inputs(category);
  if (inputs.empty()) return state.SkipWithError("no corpus images (set LUMAPRESS_CORPUS_DIR)");
  const Conversion conversion{quality, 2, false, true,
                              (WorkFolder() / ("batch-" + category)).string()};
  fs::create_directories(conversion.output);
  for (auto _ : state) {
    const auto run = RunCli(CliPath(), conversion, inputs);
    if (!run.ok) return state.SkipWithError("conversion failed");
    state.SetIterationTime(run.wall);
  }
  double worst = -100;
  size_t total = 0, totalZlib9 = 0;
  for (const std::string& input : inputs) {
    const std::string movie =
        (fs::path(conversion.output) / fs::path(input).stem()).string() + ".swf";
    const size_t bytes = fs::file_size(movie), zlib9 = Zlib9Size(movie);
    worst = std::max(worst, GrowthPercent(bytes, zlib9));
    total += bytes, totalZlib9 += zlib9;
  }
  state.counters["worst_vs_zlib9_pct"] = worst;
  state.counters["total_vs_zlib9_pct"] = GrowthPercent(total, totalZlib9);
}

// The alpha data of the RGBA images (rgba_*, and the 16-bit RGBA diagram): premultiplied ARGB
// for lossless bitmaps, or the alpha plane of JPEG bitmaps.
std::vector<std::vector<uint8_t>> AlphaData(bool plane) {
  std::vector<std::string> inputs = CorpusFiles("rgba_");
  for (const std::string& path : CorpusFiles("bit16_")) {
    if (path.find("rgba") != std::string::npos) inputs.push_back(path);
  }
  std::vector<std::vector<uint8_t>> all;
  for (const std::string& path : inputs) {
    lumapress::bench::DecodedRgb image;
    if (!lumapress::bench::DecodeWithLibpng(path, image) ||
        image.rgb.size() != size_t{image.width} * image.height * 4) {
      continue;
    }
    const lumapress::PixelBuffer32 buffer = lumapress::FillPixelBuffer32(
        lumapress::ImageRows{image.rgb, image.width, image.height, 4, size_t{image.width} * 4});
    if (!plane) {
      all.push_back(buffer.bytes);
      continue;
    }
    std::vector<uint8_t> alpha(buffer.bytes.size() / 4);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = buffer.bytes[i * 4];
    all.push_back(std::move(alpha));
  }
  return all;
}

// What the movie's stream makes of `bytes` when it deflates them (level 9, as it is set up).
size_t MovieDeflated(std::span<const uint8_t> bytes) {
  lumapress::ZlibDeflater deflater(lumapress::kMovieZlibLevel, lumapress::kMovieZlibMemLevel);
  std::vector<uint8_t> out;
  deflater.Append(bytes, true, out);
  return out.size();
}

// The ways to compress alpha data: 0 stored in the tag, the movie deflates it (the writer before
// libdeflate); 1 libdeflate once in the tag, the movie stores it; 2 as the writer does now
// (libdeflate; for lossless data zlib for long repeats; the movie deflates again what pays).
void BM_AlphaData(benchmark::State& state, bool plane, int way) {
  const std::vector<std::vector<uint8_t>> data = AlphaData(plane);
  if (data.empty()) return state.SkipWithError("no RGBA corpus images");
  const int level = lumapress::LosslessLevel(lumapress::LosslessEffort::kDefault, plane ? 1 : 4);
  size_t bytes = 0, stored = 0;
  for (auto _ : state) {
    bytes = 0;
    const double cpu = CpuSeconds();
    for (const auto& input : data) {
      if (way == 0) {
        bytes += MovieDeflated(lumapress::bench::Compress2(input, 0));
        continue;
      }
      lumapress::BitmapTag tag;
      if (way == 1) {
        lumapress::AppendZlibStream(input, level, tag.body);
        bytes += tag.body.size();
        continue;
      }
      if (plane) {
        lumapress::AppendAlphaPlane(input, level, tag);
      } else {
        lumapress::AppendBitmapData(input, level, tag);
      }
      bytes += tag.precompressed.empty() ? MovieDeflated(tag.body) : tag.body.size();
    }
    state.SetIterationTime(CpuSeconds() - cpu);
  }
  for (const auto& input : data) stored += MovieDeflated(lumapress::bench::Compress2(input, 0));
  state.counters["MiB_in"] = 0;
  for (const auto& input : data) state.counters["MiB_in"] += double(input.size()) / (1 << 20);
  state.counters["KiB"] = double(bytes) / 1024;
  state.counters["vs_stored_pct"] = GrowthPercent(bytes, stored);
}

void RegisterAll() {
  for (const char* category : kCategories) {
    for (const int32_t quality : {100, 80}) {
      const std::vector<unsigned> jobCounts = std::string(category) == "photo1080"
                                                  ? std::vector<unsigned>{1, 2}
                                                  : std::vector<unsigned>{1};
      for (const unsigned jobs : jobCounts) {
        const std::string name = "BM_Convert/" + std::string(category) + "/" +
                                 std::to_string(quality) + "/" + std::to_string(jobs) + "/default";
        benchmark::RegisterBenchmark(name.c_str(), BM_Convert, category, quality, jobs, false)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
    }
    const std::string smallest = "BM_Convert/" + std::string(category) + "/100/1/smallest";
    benchmark::RegisterBenchmark(smallest.c_str(), BM_Convert, category, 100, 1u, true)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  for (const bool plane : {false, true}) {
    for (const int way : {0, 1, 2}) {
      static const char* const kWays[] = {"stored_movie9", "libdeflate_once", "chosen"};
      const std::string name = std::string("BM_AlphaData/") +
                               (plane ? "jpeg_alpha_plane" : "lossless_argb") + "/" + kWays[way];
      benchmark::RegisterBenchmark(name.c_str(), BM_AlphaData, plane, way)
          ->Iterations(3)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  for (const char* category : kCategories) {
    for (const int32_t quality : {100, 80}) {
      const std::string name =
          "BM_BatchSizes/" + std::string(category) + "/" + std::to_string(quality);
      benchmark::RegisterBenchmark(name.c_str(), BM_BatchSizes, category, quality)
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == kFloorArgument) return DecodeOnly(argc - 2, argv + 2);
  lumapress::bench::CommandRunner::Start();  // while this process is small
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  fs::remove_all(WorkFolder(), error);
  return 0;
}
