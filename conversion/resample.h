#pragma once

#include <cstdint>
#include <vector>

#include "conversion/decoded_image.h"

namespace lumapress {

// A rectangle of a source image in pixel units; fractional where a cover fit crops.
struct SourceArea {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
};

// An image that owns its pixels: `view` describes `storage`.
struct ResampledImage {
  std::vector<uint8_t> storage;
  DecodedImage view;
};

// Resamples `area` of `source` to `width` x `height` pixels with a separable filter (the
// kernel widened by the scale factor when shrinking). The channel count and sourceBitDepth
// stay those of the source; images with alpha are filtered premultiplied and returned with
// straight alpha, as decoded images are. An empty image (view.width 0) when the run is
// cancelled. `area` lies within the source, `width` and `height` are at least 1.
// Throws nothing but std::bad_alloc.
ResampledImage ResampleImage(const DecodedImage& source, const SourceArea& area, uint32_t width,
                             uint32_t height);

}  // namespace lumapress
