#pragma once

#include <cstdint>

#include "conversion/bitmap_form.h"
#include "conversion/decoded_image.h"
#include "swf/bitmap_tags.h"

namespace lumapress {

// One image's bitmap definition, ready to be written with its character id.
struct PreparedBitmap {
  BitmapForm form = BitmapForm::kLossless32;
  BitmapTag tag;
};

// Builds the image's PixelBuffer32 (premultiplying 4-channel images in place), chooses the
// bitmap form from the channels, `jpegQuality` and the header bit depth, and encodes the
// bitmap tag, compressing lossless data and alpha planes with `effort`. Opaque 8-bit images
// with more than 256 colours are stored in format 5. Thread-safe for distinct images; throws
// std::bad_alloc when memory runs out.
BitmapResult PrepareImageBitmap(const DecodedImage& image, int32_t jpegQuality,
                                LosslessEffort effort, PreparedBitmap& bitmap);

// Frees the memory that bitmaps keep from one image to the next (pixel buffers, compressors,
// tag bodies; up to hundreds of megabytes), so that a program that lives on after a run, such
// as the dialog, does not hold it while idle. Buffers still in use are kept when they come back.
void ReleaseKeptBitmapMemory() noexcept;
// How many such buffers and compressors are kept now.
size_t KeptBitmapObjectCount();

}  // namespace lumapress
