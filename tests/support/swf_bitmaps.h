#pragma once

// Decoding of SWF bitmap definition tags for tests, on top of the test-only SWF reader:
// lossless bitmaps are inflated, the JPEG stream is cut out of its image data.

#include <cstdint>
#include <span>
#include <vector>

#include "support/swf_reader.h"

namespace lumapress::test {

struct SwfBitmap {
  uint16_t code = 0;         // 20, 21, 35 or 36
  uint16_t characterId = 0;
  // Lossless tags:
  uint8_t format = 0;        // 3 or 5
  uint16_t bitmapWidth = 0;  // as stored (padded row length for format 3)
  uint16_t bitmapHeight = 0;
  int colorTableSize = 0;    // entries, format 3 only
  std::vector<uint8_t> zlibData;  // ZlibBitmapData or BitmapAlphaData as stored
  std::vector<uint8_t> data;      // the inflated bitmap data (lossless) or alpha plane (JPEG3)
  // JPEG tags:
  std::vector<uint8_t> imageData;  // as stored, FF D9 FF D8 ... FF D9
  uint32_t alphaDataOffset = 0;    // JPEG3
};

// Parses one bitmap tag; throws SwfFormatError when it is malformed.
SwfBitmap ParseBitmapTag(const SwfTag& tag);

// The image as 4 bytes per pixel (byte 0 alpha or 0, then R, G, B) for `width` x `height`
// pixels, from a lossless bitmap: format 5 rows as stored, format 3 through its colour table.
std::vector<uint8_t> LosslessPixels(const SwfBitmap& bitmap, uint32_t width, uint32_t height);

// True when the zlib stream consists of stored (uncompressed) deflate blocks only.
bool IsStoredZlib(std::span<const uint8_t> stream);

// The JPEG stream inside a JPEG2/JPEG3 tag's ImageData: without its FF D9 FF D8 prefix and
// FF D9 suffix. Decode it with support/jpeg_check.h.
std::span<const uint8_t> JpegStream(std::span<const uint8_t> imageData);

}  // namespace lumapress::test
