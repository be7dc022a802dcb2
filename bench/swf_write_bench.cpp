// Throughput of the SWF writer's bulk and byte paths, the compression pass against one plain
// compress2 call on the same body, and the compression pass's peak memory on a 200 MiB movie.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "swf/compress_movie.h"
#include "common/diagnostics.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

constexpr size_t kMiB = size_t{1} << 20;
// Payload of the write benchmarks.
constexpr size_t kWritePayloadBytes = 64 * kMiB;
// Movie body for the compression comparison: big enough to dwarf start-up, quick on 2 cores.
constexpr size_t kCompressBodyBytes = 16 * kMiB;
// Movie for the memory measurement: far beyond any fixed whole-file buffer.
constexpr size_t kMemoryMovieBytes = 200 * kMiB;
// Tag code the payloads are framed in (DefineBitsLossless: bulk bitmap data).
constexpr int32_t kPayloadTag = 20;

// A folder for the benchmark's files, removed at exit.
class BenchDir {
 public:
  BenchDir()
      : path_(std::filesystem::temp_directory_path() /
              ("lumapress-swf-bench-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~BenchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

BenchDir& Dir() {
  static BenchDir dir;
  return dir;
}

// Bitmap-like data: half already-compressed (random) blocks, half smooth runs, as a movie of
// JPEG and lossless bitmaps holds.
std::vector<uint8_t> MoviePayload(size_t size, uint32_t seed) {
  std::vector<uint8_t> data(size);
  uint32_t state = seed;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    const bool randomBlock = (i / 65536) % 2 == 0;
    data[i] = randomBlock ? static_cast<uint8_t>(state >> 24) : static_cast<uint8_t>(i / 256);
  }
  return data;
}

// Writes a movie holding `payload` in one tag, in `chunks` WriteBytes calls, or byte by byte.
int32_t WriteMovie(const std::string& path, const std::vector<uint8_t>& payload, bool bulk,
                   size_t repeat = 1) {
  SwfWriter writer(640, 480, 12, 6);
  if (!writer.OpenMovie(path)) return -1;
  writer.SetBackgroundColor(255, 255, 255);
  writer.BeginTag(kPayloadTag);
  for (size_t r = 0; r < repeat; ++r) {
    if (bulk) {
      writer.WriteBytes(payload);
    } else {
      for (uint8_t byte : payload) writer.WriteByte(byte);
    }
  }
  writer.EndTag();
  writer.ShowFrame();
  return writer.Finish();
}

void BM_WriteMoviePayload(benchmark::State& state) {
  const bool bulk = state.range(0) != 0;
  const auto payload = MoviePayload(kWritePayloadBytes, 7);
  const std::string path = Dir().Path(bulk ? "bulk.swf" : "bytes.swf");
  for (auto _ : state) {
    if (WriteMovie(path, payload, bulk) < 0) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kWritePayloadBytes));
  state.SetLabel(bulk ? "WriteBytes" : "WriteByte per byte");
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteMoviePayload)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// CompressMovie's time per iteration; counters give one compress2 call on the same body and the
// ratio of the two times.
void BM_CompressMovieVsCompress2(benchmark::State& state) {
  const std::string input = Dir().Path("compress-in.swf");
  const std::string output = Dir().Path("compress-out.swf");
  const auto payload = MoviePayload(kCompressBodyBytes, 11);
  WriteMovie(input, payload, true);
  std::vector<uint8_t> movie(std::filesystem::file_size(input));
  {
    std::ifstream in(input, std::ios::binary);
    in.read(reinterpret_cast<char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
  }
  double streamSeconds = 0, referenceSeconds = 0;
  int32_t compressedSize = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    Diagnostics quiet;
    compressedSize = CompressMovie(input, output, quiet);
    const double stream = Seconds(std::chrono::steady_clock::now() - start);
    if (compressedSize < 0) state.SkipWithError("CompressMovie failed");

    uLongf size = compressBound(movie.size() - 8);
    std::vector<uint8_t> out(size);
    start = std::chrono::steady_clock::now();
    compress2(out.data(), &size, movie.data() + 8, movie.size() - 8, 9);
    const double reference = Seconds(std::chrono::steady_clock::now() - start);
    benchmark::DoNotOptimize(out.data());
    if (size + 8 != static_cast<uLongf>(compressedSize)) state.SkipWithError("sizes differ");

    state.SetIterationTime(stream);
    streamSeconds += stream;
    referenceSeconds += reference;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * movie.size()));
  state.counters["compress2_ms"] = 1000 * referenceSeconds / static_cast<double>(state.iterations());
  state.counters["time_vs_compress2"] = streamSeconds / referenceSeconds;
  state.counters["compressed_MiB"] = static_cast<double>(compressedSize) / kMiB;
  std::filesystem::remove(input);
  std::filesystem::remove(output);
}
BENCHMARK(BM_CompressMovieVsCompress2)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Resident memory of this process now, in KiB (Linux).
double ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

// Compresses a 200 MiB movie in a child process and reports the child's peak resident memory
// (ru_maxrss, which includes what the child inherited: reported as parent_rss_MiB).
void BM_CompressMoviePeakMemory(benchmark::State& state) {
  const std::string path = Dir().Path("memory.swf");
  {
    const auto block = MoviePayload(8 * kMiB, 13);
    WriteMovie(path, block, true, kMemoryMovieBytes / block.size());
  }
  double peakMiB = 0, parentMiB = 0;
  for (auto _ : state) {
    parentMiB = ResidentKiB() / 1024;
    const pid_t child = fork();
    if (child == 0) {
      Diagnostics quiet;
      _exit(CompressMovie(path, path, quiet) > 0 ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("compression in the child failed");
      break;
    }
    peakMiB = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB on Linux
  }
  state.counters["movie_MiB"] = static_cast<double>(kMemoryMovieBytes) / kMiB;
  state.counters["peak_rss_MiB"] = peakMiB;
  state.counters["parent_rss_MiB"] = parentMiB;
  std::filesystem::remove(path);
}
BENCHMARK(BM_CompressMoviePeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumapress

BENCHMARK_MAIN();
