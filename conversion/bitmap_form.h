#pragma once

#include <cstdint>
#include <string_view>

namespace lumapress {

// The four ways an image is stored in a movie, and the colour-mapped variant of lossless.
enum class BitmapForm {
  kJpegWithAlpha,         // DefineBitsJPEG3: JPEG colour plus a zlib alpha plane
  kJpeg,                  // DefineBitsJPEG2
  kLosslessWithAlpha,     // DefineBitsLossless2, format 5, premultiplied ARGB
  kLosslessColorMapped,   // DefineBitsLossless, format 3, 256-entry colour table
  kLossless32,            // DefineBitsLossless, format 5, 0 R G B
};

// Qualities from this value up store the image losslessly.
inline constexpr int32_t kLosslessQuality = 100;

// The form for an image of `channels` (3 or 4) whose PNG header states `sourceBitDepth`.
// Opaque 8-bit images take the colour-mapped form; they fall back to format 5 when they
// have more colours than a colour table holds.
BitmapForm ChooseBitmapForm(int channels, int32_t jpegQuality, int sourceBitDepth);

// "DefineBitsLossless format 3" and the like, for summaries.
std::string_view BitmapFormName(BitmapForm form);

}  // namespace lumapress
