#pragma once

// Images as JPEG bitmaps: the baseline JPEG encoder run on an image's pixels, and the
// DefineBitsJPEG2/DefineBitsJPEG3 tags around its stream.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/bitmap_tags.h"

namespace lumapress {

class SwfWriter;

// Encodes width x height pixels of `channels` bytes (red, green, blue first; rows top to
// bottom, no gaps) as a baseline JPEG stream of `quality` into `jpeg`. The output buffer is
// sized for the worst case, so the encoder never runs out of room.
BitmapResult EncodeJpeg(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                        int32_t quality, int32_t channels, std::vector<uint8_t>& jpeg);

// The DefineBitsJPEG2 tag of RGB pixels, and the DefineBitsJPEG3 tag of premultiplied RGBA
// pixels whose alpha bytes become the alpha plane, compressed with `effort`.
BitmapResult BuildJpegBitmapTag(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                                int32_t quality, int32_t channels, BitmapTag& tag);
BitmapResult BuildJpegBitmapWithAlphaTag(std::span<const uint8_t> pixels, int32_t width,
                                         int32_t height, int32_t quality, LosslessEffort effort,
                                         BitmapTag& tag);

// DefineJpegBitmap's results other than the character id; nothing is written with them.
inline constexpr int32_t kJpegBitmapEncoderUnavailable = -1;
inline constexpr int32_t kJpegBitmapEncodeFailed = -2;

// Encodes RGB(x) pixels (`channels` bytes each, rows top to bottom) as JPEG of `quality`
// (0-99) and writes DefineBitsJPEG2 into `writer`. Returns `characterId`, or a failure above.
int32_t DefineJpegBitmap(SwfWriter& writer, int32_t characterId, std::span<const uint8_t> pixels,
                         int32_t width, int32_t height, int32_t quality, int32_t channels);
// The same for premultiplied RGBA pixels, writing DefineBitsJPEG3 with the alpha bytes as its
// alpha plane.
int32_t DefineJpegBitmapWithAlpha(SwfWriter& writer, int32_t characterId,
                                  std::span<const uint8_t> pixels, int32_t width, int32_t height,
                                  int32_t quality);

}  // namespace lumapress
