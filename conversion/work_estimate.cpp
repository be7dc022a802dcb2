#include "conversion/work_estimate.h"

#include "conversion/png_header.h"
#include "platform/file_system.h"
#include "common/stdio_file.h"

namespace lumapress {
namespace {

constexpr uint8_t kGrayAlpha = 4;
constexpr uint8_t kRgba = 6;
constexpr int32_t kLosslessQuality = 100;

// Measured on photographs, screenshots and logos when a JPEG's alpha plane was stored in the
// movie uncompressed and the movie's level-9 deflate worked through every byte of it: about
// three times its pixels' decoding and encoding. Compressed in its tag by libdeflate, a plane
// now takes about half that time (docs/performance.md); only the order of a batch depends on it.
constexpr uint64_t kAlphaPlaneWeight = 3;

}  // namespace

uint64_t EstimateConversionWork(const std::string& path, int32_t jpegQuality) {
  // A pipe or device can be read only once: its header belongs to the real read.
  if (!IsRegularFile(path)) return 0;
  UniqueFile file(OpenFile(path, "rb"));
  if (!file) return 0;
  // Inflating the image data follows the file's size; unfiltering, converting and encoding
  // the rows follow the pixel count.
  uint64_t work = FileSize(path).value_or(0);
  PngHeaderFields header;
  if (!PeekPngHeader(file.get(), header)) return work;
  const uint64_t pixels = uint64_t{header.width} * header.height;
  work += pixels;
  const bool alpha = header.colorType == kGrayAlpha || header.colorType == kRgba;
  if (alpha && jpegQuality < kLosslessQuality) work += kAlphaPlaneWeight * pixels;
  return work;
}

}  // namespace lumapress
