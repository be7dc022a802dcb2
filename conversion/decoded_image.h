#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumapress {

// One decoded PNG as 8-bit RGB or RGBA rows. A view: the bytes belong to the PngReader that
// decoded them and stay valid until its ReleaseImage (or destruction). Bitmap preparation may
// change the bytes in place.
struct DecodedImage {
  uint32_t width = 0;          // pixels
  uint32_t height = 0;         // pixels
  int32_t sourceBitDepth = 0;  // bit depth in the PNG header (1, 2, 4, 8 or 16), before decoding
  int32_t channels = 0;        // 3 (R, G, B) or 4 (R, G, B, A; straight alpha)
  int32_t rowLength = 0;       // bytes per row, always width * channels (no padding)
  std::span<uint8_t> pixels;   // height rows, top to bottom, rowLength bytes each

  // Row `y` (0 is the top row); `y` must be below height.
  std::span<uint8_t> Row(uint32_t y) const {
    return pixels.subspan(static_cast<size_t>(y) * static_cast<size_t>(rowLength),
                          static_cast<size_t>(rowLength));
  }
};

}  // namespace lumapress
