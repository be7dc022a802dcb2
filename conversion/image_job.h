#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "conversion/png_reader.h"
#include "conversion/stage_placement.h"
#include "conversion/write_image_bitmap.h"
#include "lumapress/status.h"

namespace lumapress {

// One input image decoded and encoded into its bitmap tag; no movie involved, so images can
// be prepared on several threads at once.
struct ImageJob {
  Status status = Status::kOk;  // kOk, or what went wrong with this image
  std::string reason;           // the system's words for it, where there are any
  std::string diagnostics;      // diagnostic lines of preparing it ("JPEG encoding error!")
  uint32_t width = 0;  // the image's size; once prepared, its bitmap's
  uint32_t height = 0;
  int32_t x = 0;  // where the bitmap's top-left corner goes on the stage, pixels
  int32_t y = 0;
  PreparedBitmap bitmap;
};

// True for the statuses found while opening an image (file, header, size): a run reports
// them before it checks the output folder.
bool IsOpeningFault(Status status);

// The message for `job`'s status about the image at `path`, with the reason appended.
ConversionResult ImageResult(const ImageJob& job, const std::string& path);

// Images wider or taller than this cannot be stored: SWF bitmaps hold 16-bit sizes.
inline constexpr uint32_t kMaxImageSide = 65535;

// Only the checks of opening the PNG at `path` (file, header, size against kMaxImageSide
// and `maxPixels`): kOk, an opening fault or kNoMemory, with its reason in `job`. Reads no
// pixels, but reads the file's start: not for inputs that can be read only once. Never throws.
ImageJob CheckImageOpens(const std::string& path, uint64_t maxPixels);

// Where an image of width x height pixels goes on the stage. Called once the image's header
// is read, from the thread preparing it.
using PlaceImage = std::function<StagePlacement(uint32_t width, uint32_t height)>;

// Opens, decodes and encodes the PNG at `path` for `jpegQuality`, compressing lossless data
// with `effort`; an image of more than `maxPixels` pixels is refused from its header, before
// any row is decoded. With `place`, an image to be shown at another size or cropped is
// resampled first and only the resampled pixels are encoded. Never throws. `reader` keeps its
// row memory for the next image: a thread converting many images passes the same reader each
// time. No image is open in it afterwards.
ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, uint64_t maxPixels, PngReader& reader,
                      LosslessEffort effort = LosslessEffort::kDefault, const PlaceImage& place = {});
ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, uint64_t maxPixels,
                      LosslessEffort effort = LosslessEffort::kDefault);
}  // namespace lumapress
