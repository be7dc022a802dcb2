#include "conversion/png_header.h"

#include <algorithm>
#include <array>

namespace lumapress {
namespace {

// Signature (8 bytes), IHDR length (4) and type (4), width, height (4 each, big-endian), bit
// depth and colour type (1 each).
constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kIhdr[] = {'I', 'H', 'D', 'R'};
constexpr size_t kIhdrTypeOffset = 12;
constexpr size_t kWidthOffset = 16;
constexpr size_t kBitDepthOffset = 24;
constexpr size_t kFieldsEnd = 26;

uint32_t BigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

}  // namespace

bool PeekPngHeader(std::FILE* file, PngHeaderFields& fields) {
  std::array<uint8_t, kFieldsEnd> bytes{};
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
  if (!std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin()) ||
      !std::equal(std::begin(kIhdr), std::end(kIhdr), bytes.begin() + kIhdrTypeOffset)) {
    return false;
  }
  fields.width = BigEndian32(bytes.data() + kWidthOffset);
  fields.height = BigEndian32(bytes.data() + kWidthOffset + 4);
  fields.bitDepth = bytes[kBitDepthOffset];
  fields.colorType = bytes[kBitDepthOffset + 1];
  return true;
}

}  // namespace lumapress
