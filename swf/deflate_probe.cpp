#include "swf/deflate_probe.h"

#include <libdeflate.h>

#include <memory>
#include <new>
#include <vector>

namespace lumapress {
namespace {

constexpr size_t kSampleBytes = size_t{16} * 1024;
constexpr size_t kSamples = 4;
// Libdeflate's fastest level finds the long repeats that matter and costs little.
constexpr int kProbeLevel = 1;
// Deflating again must save at least 1 byte in this many: below that the movie's level 9 pass
// costs more time than the bytes are worth (measured on JPEG scans and bitmap streams).
constexpr size_t kWorthwhileSaving = 200;

struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};

}  // namespace

DeflatedSamples DeflateSamples(std::span<const uint8_t> bytes) {
  DeflatedSamples result;
  if (bytes.empty()) return result;
  const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
      libdeflate_alloc_compressor(kProbeLevel));
  if (!compressor) throw std::bad_alloc();
  const bool whole = bytes.size() <= kSamples * kSampleBytes;
  const size_t sampleBytes = whole ? bytes.size() : kSampleBytes;
  const size_t samples = whole ? 1 : kSamples;
  // Room for one byte less than the sample: a sample that does not shrink does not fit.
  std::vector<uint8_t> out(sampleBytes);
  for (size_t i = 0; i < samples; ++i) {
    const size_t offset = samples == 1 ? 0 : (bytes.size() - sampleBytes) * i / (samples - 1);
    const size_t size = libdeflate_deflate_compress(compressor.get(), bytes.data() + offset,
                                                    sampleBytes, out.data(), sampleBytes - 1);
    result.in += sampleBytes;
    result.out += size == 0 ? sampleBytes : size;  // 0: no shorter than the sample
  }
  return result;
}

bool WorthDeflatingAgain(std::span<const uint8_t> bytes) {
  const DeflatedSamples samples = DeflateSamples(bytes);
  return samples.out < samples.in && (samples.in - samples.out) * kWorthwhileSaving >= samples.in;
}

}  // namespace lumapress
