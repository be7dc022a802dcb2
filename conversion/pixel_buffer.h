#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumapress {

// Decoded 8-bit rows as bitmap preparation sees them: RGB or RGBA (straight alpha), rows
// top to bottom, `rowLength` bytes apart.
struct ImageRows {
  std::span<uint8_t> pixels;
  uint32_t width = 0;
  uint32_t height = 0;
  int channels = 3;  // 3 or 4
  size_t rowLength = 0;
};

// Width x height pixels of 4 bytes, rows without padding: A, R*A>>8, G*A>>8, B*A>>8 for
// images with alpha (the DefineBitsLossless2 layout), 0, R, G, B for opaque ones (the
// DefineBitsLossless format 5 layout).
struct PixelBuffer32 {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> bytes;
};

// Fills the buffer from `rows`. For 4-channel rows the source colour bytes are replaced by
// the same premultiplied values (the JPEG-with-alpha form encodes those). Stops early, the
// rest left zero, when the run is cancelled.
PixelBuffer32 FillPixelBuffer32(const ImageRows& rows);

// The PixelBuffer32 bytes of rows `first` to `first + count - 1` into `target` (count x width
// x 4 bytes), premultiplying 4-channel source rows in place as FillPixelBuffer32 does. Lets a
// bitmap be compressed a few rows at a time without the whole buffer.
void FillPixelRows32(const ImageRows& rows, uint32_t first, uint32_t count, uint8_t* target);

// Premultiplies 4-channel rows in place, as filling the buffer does, without the buffer.
void PremultiplyRows(const ImageRows& rows);

// A format-3 (colour-mapped) bitmap: a 256-entry RGB table, then one index byte per pixel
// in rows of `paddedWidth` bytes (width indices, then zeros).
struct ColorMappedData {
  uint32_t paddedWidth = 0;
  std::vector<uint8_t> bytes;  // 768 + paddedWidth x height
};

// The colour table holds 256 entries of 3 bytes.
inline constexpr size_t kColorTableEntries = 256;
inline constexpr size_t kColorTableBytes = kColorTableEntries * 3;

// Row length of a colour-mapped bitmap: a multiple of 4 always larger than the width
// (100, 101 and 103 give 104; 1 gives 4).
uint32_t ColorMappedRowLength(uint32_t width);

// The colour-mapped bitmap states its row length as BitmapWidth, a UI16: widths 65532-65535
// would pad to 65536, so they cannot take this form.
inline constexpr uint32_t kMaxColorMappedWidth = 65535;

// Builds the colour-mapped form of an opaque buffer. Colours are numbered in the order of
// their first appearance (rows from the top, pixels from the left). Returns nothing when
// the image has more than 256 colours, which one index byte cannot address, when its padded
// rows would pass kMaxColorMappedWidth, or when the run is cancelled.
std::optional<ColorMappedData> BuildColorMappedData(const PixelBuffer32& buffer);
// The same straight from 3-channel rows, which hold the same colours as their buffer.
std::optional<ColorMappedData> BuildColorMappedData(const ImageRows& rows);

}  // namespace lumapress
