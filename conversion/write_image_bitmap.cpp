#include "conversion/write_image_bitmap.h"

#include <algorithm>
#include <vector>

#include "common/cancellation.h"
#include "conversion/pixel_buffer.h"
#include "swf/swf_writer.h"
#include "swf/zlib_deflater.h"

namespace lumapress {

namespace {

// Bitmap tags state their width and height in 16 bits.
constexpr uint32_t kMaxBitmapSide = 65535;

// Format 5 data is compressed this many bytes of PixelBuffer32 rows at a time, so the whole
// buffer never exists; at level 9 zlib's stream does not depend on how its input is cut.
constexpr size_t kLosslessChunkBytes = size_t{256} * 1024;

// A format 5 lossless tag whose PixelBuffer32 is built and compressed a few rows at a time.
// Stored (level 0) blocks would end where the pieces end, so that level takes the whole buffer.
BitmapResult BuildLossless32Tag(int32_t code, const ImageRows& rows, int level, BitmapTag& tag) {
  if (level == kZlibStored) {
    const PixelBuffer32 buffer = FillPixelBuffer32(rows);
    if (CancellationRequested()) return BitmapResult::kCompressFailed;
    return BuildLosslessTag(code, kBitmapFormat32, static_cast<int32_t>(rows.width),
                            static_cast<int32_t>(rows.height), 0, buffer.bytes, level, tag);
  }
  BeginLosslessTag(code, kBitmapFormat32, static_cast<int32_t>(rows.width),
                   static_cast<int32_t>(rows.height), 0, tag);
  const size_t rowBytes = size_t{rows.width} * 4;
  const auto rowsPerChunk = static_cast<uint32_t>(
      std::clamp<size_t>(kLosslessChunkBytes / std::max<size_t>(rowBytes, 1), 1, rows.height == 0 ? 1 : rows.height));
  std::vector<uint8_t> chunk(size_t{rowsPerChunk} * rowBytes);
  ZlibDeflater deflater(level);
  uint32_t y = 0;
  do {
    if (CancellationRequested()) return BitmapResult::kCompressFailed;
    const uint32_t count = std::min(rowsPerChunk, rows.height - y);
    FillPixelRows32(rows, y, count, chunk.data());
    y += count;
    const std::span<const uint8_t> piece(chunk.data(), size_t{count} * rowBytes);
    if (!deflater.Append(piece, y == rows.height, tag.body)) {  // ZlibBitmapData
      tag.body.clear();
      return BitmapResult::kCompressFailed;
    }
  } while (y < rows.height);
  return BitmapResult::kOk;
}

}  // namespace

BitmapResult PrepareImageBitmap(const DecodedImage& image, int32_t jpegQuality,
                                PreparedBitmap& bitmap) {
  // BitmapWidth and BitmapHeight are UI16 fields.
  if (image.width > kMaxBitmapSide || image.height > kMaxBitmapSide) return BitmapResult::kCompressFailed;
  const auto width = static_cast<int32_t>(image.width);
  const auto height = static_cast<int32_t>(image.height);
  const ImageRows rows{image.pixels, image.width, image.height, image.channels,
                       static_cast<size_t>(image.rowLength)};
  bitmap.form = ChooseBitmapForm(image.channels, jpegQuality, image.sourceBitDepth);
  switch (bitmap.form) {
    case BitmapForm::kJpegWithAlpha:
      // The encoder reads premultiplied colour, as filling the PixelBuffer32 leaves it.
      PremultiplyRows(rows);
      return BuildJpegBitmapWithAlphaTag(image.pixels, width, height, jpegQuality, bitmap.tag);
    case BitmapForm::kJpeg:
      return BuildJpegBitmapTag(image.pixels, width, height, jpegQuality, image.channels, bitmap.tag);
    case BitmapForm::kLosslessWithAlpha:
      return BuildLossless32Tag(kTagDefineBitsLossless2, rows, kZlibStored, bitmap.tag);
    case BitmapForm::kLosslessColorMapped:
      // The opaque rows hold the colours of their PixelBuffer32; no buffer is needed.
      if (const auto mapped = BuildColorMappedData(rows)) {
        return BuildLosslessTag(kTagDefineBitsLossless, kBitmapFormatColorMapped,
                                static_cast<int32_t>(mapped->paddedWidth), height,
                                static_cast<int32_t>(kColorTableEntries), mapped->bytes, kZlibBest,
                                bitmap.tag);
      }
      bitmap.form = BitmapForm::kLossless32;  // more colours than an index byte holds, or too wide
      [[fallthrough]];
    case BitmapForm::kLossless32:
      return BuildLossless32Tag(kTagDefineBitsLossless, rows, kZlibBest, bitmap.tag);
  }
  return BitmapResult::kCompressFailed;
}

BitmapResult WriteImageBitmap(SwfWriter& writer, int32_t bitmapId, const DecodedImage& image,
                              int32_t jpegQuality, BitmapForm* form) {
  PreparedBitmap bitmap;
  const BitmapResult result = PrepareImageBitmap(image, jpegQuality, bitmap);
  if (form != nullptr) *form = bitmap.form;
  if (result == BitmapResult::kOk) writer.DefineBitmap(bitmapId, bitmap.tag);
  return result;
}

}  // namespace lumapress
