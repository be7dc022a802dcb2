// Feeds arbitrary bytes to the PNG reader through a stdio stream, as the converter does.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/png_reader.h"
#include "support/png_maker.h"

namespace {

// Keeps every input fast and far below libFuzzer's memory limit; the limit check itself is
// the same code path as the default 1 GiB.
constexpr uint64_t kFuzzMaxDecodedBytes = uint64_t{16} << 20;

// Mutations nearly always break a chunk's CRC, and libpng stops there. Recomputing the CRCs
// lets the same mutation reach decompression, filtering and the transformations.
std::vector<uint8_t> WithCorrectCrcs(std::vector<uint8_t> bytes) {
  size_t at = 8;  // after the signature
  while (at + 12 <= bytes.size()) {
    const uint32_t length = (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
                            (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
    if (length > bytes.size() - at - 12) break;
    const uLong crc = crc32(0L, bytes.data() + at + 4, static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) {
      bytes[at + 8 + length + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    at += 12 + size_t{length};
  }
  return bytes;
}

// Opens and decodes one input; aborts when a success reports impossible values.
void Decode(const std::vector<uint8_t>& bytes) {
  const size_t size = bytes.size();
  lumapress::test::FilePtr file = lumapress::test::OpenBytesAsFile(bytes);
  if (file == nullptr) return;
  lumapress::PngReader reader;
  reader.SetMaxDecodedBytes(kFuzzMaxDecodedBytes);
  uint32_t width = 0;
  uint32_t height = 0;
  if (reader.OpenImage(file.get(), width, height) == lumapress::PngReader::kOpened) {
    if (width == 0 || height == 0 || width > lumapress::PngReader::kMaxDimension ||
        height > lumapress::PngReader::kMaxDimension) {
      std::abort();
    }
    // Mostly the converter's identity gamma; sometimes a real correction.
    const double screenGamma = size % 5 == 0 ? 2.2 : 0.0;
    const lumapress::DecodedImage* image = reader.ReadPixels(screenGamma);
    if (image != nullptr) {
      if ((image->channels != 3 && image->channels != 4) || image->width != width ||
          image->height != height ||
          image->rowLength != static_cast<int32_t>(width) * image->channels ||
          image->pixels.size() != static_cast<size_t>(image->rowLength) * height) {
        std::abort();
      }
      // Touch every byte so the sanitizers see any access outside the block.
      volatile uint8_t sum = 0;
      for (uint8_t byte : image->pixels) sum = static_cast<uint8_t>(sum + byte);
    }
  }
  file.reset();
  reader.ReleaseImage();
}

// One seed per colour type and bit depth, plain and interlaced, with tRNS and gAMA on some.
void WriteSeeds(const std::string& folder) {
  uint32_t seed = 0;
  for (const lumapress::test::ColorTypeDepth& c : lumapress::test::ValidColorTypeDepths()) {
    for (bool interlaced : {false, true}) {
      ++seed;
      lumapress::test::TestPng source =
          lumapress::test::PatternPng(c.colorType, c.bitDepth, 5 + seed % 7, 3 + seed % 5, seed);
      source.interlaced = interlaced;
      if ((c.colorType & 4) == 0 && seed % 2 == 0)
        source.trns = lumapress::test::PatternTrns(source);
      if (seed % 3 == 0) source.gamma = 1.0 / 2.2;
      const std::string name = folder + "/seed_" + std::to_string(c.colorType) + "_" +
                               std::to_string(c.bitDepth) + (interlaced ? "_adam7" : "") + ".png";
      lumapress::test::WriteFileBytes(name, lumapress::test::EncodePng(source));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("LUMAPRESS_FUZZ_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  Decode(bytes);
  const std::vector<uint8_t> repaired = WithCorrectCrcs(bytes);
  if (repaired != bytes) Decode(repaired);
  return 0;
}
