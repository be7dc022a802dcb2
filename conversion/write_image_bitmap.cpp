#include "conversion/write_image_bitmap.h"

#include "conversion/pixel_buffer.h"
#include "swf/swf_writer.h"

namespace lumapress {

BitmapResult PrepareImageBitmap(const DecodedImage& image, int32_t jpegQuality,
                                PreparedBitmap& bitmap) {
  const auto width = static_cast<int32_t>(image.width);
  const auto height = static_cast<int32_t>(image.height);
  const ImageRows rows{image.pixels, image.width, image.height, image.channels,
                       static_cast<size_t>(image.rowLength)};
  bitmap.form = ChooseBitmapForm(image.channels, jpegQuality, image.sourceBitDepth);
  switch (bitmap.form) {
    case BitmapForm::kJpegWithAlpha:
      // The encoder reads the premultiplied colour that filling the buffer leaves in the rows.
      FillPixelBuffer32(rows);
      return BuildJpegBitmapWithAlphaTag(image.pixels, width, height, jpegQuality, bitmap.tag);
    case BitmapForm::kJpeg:
      return BuildJpegBitmapTag(image.pixels, width, height, jpegQuality, image.channels, bitmap.tag);
    case BitmapForm::kLosslessWithAlpha: {
      const PixelBuffer32 buffer = FillPixelBuffer32(rows);
      return BuildLosslessTag(kTagDefineBitsLossless2, kBitmapFormat32, width, height, 0,
                              buffer.bytes, kZlibStored, bitmap.tag);
    }
    case BitmapForm::kLosslessColorMapped:
    case BitmapForm::kLossless32: {
      const PixelBuffer32 buffer = FillPixelBuffer32(rows);
      if (bitmap.form == BitmapForm::kLosslessColorMapped) {
        if (const auto mapped = BuildColorMappedData(buffer)) {
          return BuildLosslessTag(kTagDefineBitsLossless, kBitmapFormatColorMapped,
                                  static_cast<int32_t>(mapped->paddedWidth), height,
                                  static_cast<int32_t>(kColorTableEntries), mapped->bytes,
                                  kZlibBest, bitmap.tag);
        }
        bitmap.form = BitmapForm::kLossless32;  // more colours than one index byte holds
      }
      return BuildLosslessTag(kTagDefineBitsLossless, kBitmapFormat32, width, height, 0,
                              buffer.bytes, kZlibBest, bitmap.tag);
    }
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
