#pragma once

#include <cstdint>

#include "conversion/resample.h"
#include "lumapress/settings.h"

namespace lumapress {

// Where and how large an image is shown on the stage.
struct StagePlacement {
  SourceArea area;      // the part of the image shown (all of it, except where cover crops)
  uint32_t width = 0;   // its size on the stage, pixels
  uint32_t height = 0;
  int32_t x = 0;        // its top-left corner on the stage, pixels
  int32_t y = 0;
  bool resample = false;  // false: the image's own pixels, as decoded
};

// none: the image at its own size at the top-left corner. contain: the whole image, scaled
// to fit and centred (each side at least 1 pixel). cover: scaled to fill the stage and
// centred, the overflow cropped away, so the bitmap is exactly the stage's size. An image
// that already has the size it is shown at is not resampled.
StagePlacement PlaceOnStage(uint32_t imageWidth, uint32_t imageHeight, uint32_t stageWidth,
                            uint32_t stageHeight, Fit fit);

}  // namespace lumapress
