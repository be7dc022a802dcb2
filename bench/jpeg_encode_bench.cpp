// Encoding speed of the JPEG encoder (both arithmetics on every instruction set) against
// libjpeg-turbo on the same 1920 x 1080 RGB pixels: quality 80, 4:2:0, standard Huffman
// tables, integer DCT.
// Prints megapixels per second and each set's speed as a fraction of libjpeg-turbo's.

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "jpeg/jpeg_properties.h"

namespace {

using lumapress::JPEG_PROPERTIES;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kQuality = 80;
constexpr size_t kMaxPictures = 4;  // enough variety, modest memory

struct Picture {
  std::vector<uint8_t> rgb;
};

// The corpus photos of the benchmark's size, decoded with libpng's simplified API.
std::vector<Picture> LoadCorpus() {
  std::vector<Picture> pictures;
  const std::filesystem::path folder = LUMAPRESS_CORPUS_DIR;
  std::error_code error;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("photo1080_", 0) == 0 && entry.path().extension() == ".png") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    if (pictures.size() == kMaxPictures) break;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.string().c_str())) continue;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    if (ok && image.width >= kWidth && image.height >= kHeight) {
      Picture picture;  // the top-left 1920 x 1080
      for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = rgb.data() + size_t(y) * image.width * 3;
        picture.rgb.insert(picture.rgb.end(), row, row + kWidth * 3);
      }
      pictures.push_back(std::move(picture));
    }
    png_image_free(&image);
  }
  return pictures;
}

// Without the corpus: gradients, ripples, hard edges and grain.
Picture MakePhotoLike() {
  Picture picture;
  picture.rgb.resize(size_t(kWidth) * kHeight * 3);
  uint32_t state = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const double grain = double(state >> 28) - 8;
      const bool edge = ((x / 97) + (y / 61)) % 5 == 0;
      const double base[3] = {40 + 150.0 * x / kWidth, 90 + 60 * std::sin(x / 53.0) * std::cos(y / 37.0),
                              200 - 150.0 * y / kHeight};
      for (int c = 0; c < 3; ++c) {
        const double v = (edge ? 30 : base[c]) + grain;
        picture.rgb[(size_t(y) * kWidth + x) * 3 + c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  return picture;
}

const std::vector<Picture>& Pictures() {
  static const std::vector<Picture> pictures = [] {
    auto loaded = LoadCorpus();
    if (loaded.empty()) loaded.push_back(MakePhotoLike());
    return loaded;
  }();
  return pictures;
}

void EncodeLumapress(benchmark::State& state, lumapress::JpegOpsSet set,
                     lumapress::JpegInstructionSet instructionSet) {
  if (!lumapress::InstructionSetAvailable(instructionSet)) {
    state.SkipWithError("instruction set not available on this processor");
    return;
  }
  const auto& pictures = Pictures();
  std::vector<uint8_t> buffer(lumapress::JpegWorstCaseSize(kWidth, kHeight));
  size_t next = 0, bytes = 0;
  for (auto _ : state) {
    JPEG_PROPERTIES record{};
    lumapress::InitProperties(record);
    lumapress::SelectJpegOpsSet(record, set, instructionSet);
    record.pixels = pictures[next].rgb.data();
    record.pixelWidth = record.jpegWidth = kWidth;
    record.pixelHeight = record.jpegHeight = kHeight;
    record.pixelChannels = 3;
    record.pixelColor = lumapress::kJpegColorRgb;
    record.jpegBuffer = buffer.data();
    record.jpegBufferSize = static_cast<int32_t>(buffer.size());
    record.jpegChannels = 3;
    record.jpegColor = lumapress::kJpegColorYCbCr;
    record.quality = kQuality;
    if (lumapress::EncodeImage(record, lumapress::kJpegModeBuffer) != 0) state.SkipWithError("encode failed");
    bytes += size_t(record.jpegBufferSize);
    lumapress::ReleaseProperties(record);
    next = (next + 1) % pictures.size();
  }
  state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6,
                                              benchmark::Counter::kIsRate);
  state.counters["bytes"] = double(bytes) / double(std::max<int64_t>(state.iterations(), 1));
}

using lumapress::JpegInstructionSet;
using lumapress::JpegOpsSet;
void BM_PlainPortable(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kPlain, JpegInstructionSet::kPortable); }
void BM_PlainSse2(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kPlain, JpegInstructionSet::kSse2); }
void BM_PlainAvx2(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kPlain, JpegInstructionSet::kAvx2); }
void BM_VectorPortable(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kVector, JpegInstructionSet::kPortable); }
void BM_VectorSse2(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kVector, JpegInstructionSet::kSse2); }
void BM_VectorAvx2(benchmark::State& s) { EncodeLumapress(s, JpegOpsSet::kVector, JpegInstructionSet::kAvx2); }

void BM_LibjpegTurbo(benchmark::State& state) {
  const auto& pictures = Pictures();
  std::vector<uint8_t> buffer(lumapress::JpegWorstCaseSize(kWidth, kHeight));
  size_t next = 0, bytes = 0;
  for (auto _ : state) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = buffer.data();
    unsigned long size = buffer.size();
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.optimize_coding = FALSE;
    info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 2;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = const_cast<uint8_t*>(pictures[next].rgb.data()) + size_t(info.next_scanline) * kWidth * 3;
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (out != buffer.data()) std::free(out);
    bytes += size;
    next = (next + 1) % pictures.size();
  }
  state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6,
                                              benchmark::Counter::kIsRate);
  state.counters["bytes"] = double(bytes) / double(std::max<int64_t>(state.iterations(), 1));
}

BENCHMARK(BM_LibjpegTurbo)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainPortable)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainSse2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainAvx2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VectorPortable)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VectorSse2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VectorAvx2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's processor time per encode (robust on a shared machine) so the
// ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        seconds_[run.run_name.function_name] = run.cpu_accumulated_time / double(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    const auto reference = seconds_.find("BM_LibjpegTurbo");
    if (reference == seconds_.end()) return;
    std::printf("pictures: %zu (%s)\n", Pictures().size(),
                Pictures().size() > 1 ? "corpus" : "corpus or generated");
    for (const auto& [name, seconds] : seconds_) {
      std::printf("%-20s %7.1f MP/s  speed vs libjpeg-turbo: %.2f\n", name.c_str(),
                  kWidth * kHeight / 1e6 / seconds, reference->second / seconds);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
