#include "conversion/write_image_bitmap.h"

#include "common/cancellation.h"
#include "common/kept_objects.h"
#include "common/reusable_buffer.h"
#include "common/whole_buffer_deflater.h"
#include "conversion/jpeg_bitmap.h"
#include "conversion/pixel_buffer.h"
#include "swf/bitmap_data.h"
#include "swf/swf_codes.h"

namespace lumapress {

namespace {

// Bitmap tags state their width and height in 16 bits.
constexpr uint32_t kMaxBitmapSide = 65535;

KeptObjects<ReusableBuffer>& KeptPixelBuffers() {
  static KeptObjects<ReusableBuffer> kept;
  return kept;
}

// A format 5 lossless tag: the whole PixelBuffer32, which libdeflate compresses in one call,
// in memory kept for the next image. Refused before anything is allocated when
// the buffer is beyond that call's limit.
BitmapResult BuildLossless32Tag(int32_t code, const ImageRows& rows, LosslessEffort effort,
                                BitmapTag& tag) {
  const uint64_t bytes = uint64_t{rows.width} * rows.height * 4;
  if (bytes > WholeBufferDeflater::kMaxInputBytes) return BitmapResult::kTooLarge;
  const auto pixels = KeptPixelBuffers().Borrow();
  const std::span<uint8_t> buffer = pixels->Get(static_cast<size_t>(bytes));
  FillPixelRows32(rows, 0, rows.height, buffer.data());
  // libdeflate's one call cannot be interrupted: a cancelled run stops before it.
  const BitmapResult result =
      CancellationRequested()
          ? BitmapResult::kCompressFailed
          : BuildLosslessTag(code, kBitmapFormat32, static_cast<int32_t>(rows.width),
                             static_cast<int32_t>(rows.height), 0, buffer, LosslessLevel(effort, 4), tag);
  pixels->Release();
  return result;
}

}  // namespace

BitmapResult PrepareImageBitmap(const DecodedImage& image, int32_t jpegQuality,
                                LosslessEffort effort, PreparedBitmap& bitmap) {
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
      return BuildJpegBitmapWithAlphaTag(image.pixels, width, height, jpegQuality, effort,
                                         bitmap.tag);
    case BitmapForm::kJpeg:
      return BuildJpegBitmapTag(image.pixels, width, height, jpegQuality, image.channels, bitmap.tag);
    case BitmapForm::kLosslessWithAlpha:
      return BuildLossless32Tag(kTagDefineBitsLossless2, rows, effort, bitmap.tag);
    case BitmapForm::kLosslessColorMapped:
      // The opaque rows hold the colours of their PixelBuffer32; no buffer is needed.
      if (const auto mapped = BuildColorMappedData(rows)) {
        return BuildLosslessTag(kTagDefineBitsLossless, kBitmapFormatColorMapped,
                                static_cast<int32_t>(mapped->paddedWidth), height,
                                static_cast<int32_t>(kColorTableEntries), mapped->bytes,
                                LosslessLevel(effort, 1), bitmap.tag);
      }
      bitmap.form = BitmapForm::kLossless32;  // more colours than an index byte holds, or too wide
      [[fallthrough]];
    case BitmapForm::kLossless32:
      return BuildLossless32Tag(kTagDefineBitsLossless, rows, effort, bitmap.tag);
  }
  return BitmapResult::kCompressFailed;
}

void ReleaseKeptBitmapMemory() noexcept {
  KeptPixelBuffers().Clear();
  ReleaseKeptDeflaters();
  ReleaseKeptTagBodies();
}

size_t KeptBitmapObjectCount() {
  return KeptPixelBuffers().Count() + KeptDeflaterCount() + KeptTagBodyCount();
}

}  // namespace lumapress
