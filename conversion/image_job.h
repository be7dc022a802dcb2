#pragma once

#include <cstdint>
#include <string>

#include "conversion/png_reader.h"
#include "conversion/write_image_bitmap.h"

namespace lumapress {

// What went wrong with one input image, in the order a run meets the faults.
enum class ImageFault {
  kNone,
  // Found while opening, before the output folder is checked:
  kCannotOpen,    // the file cannot be opened for reading
  kReaderFailed,  // not a PNG, a broken header, or no memory for the decoder
  kTooLarge,      // wider or taller than a SWF bitmap can be (or, found while encoding, more
                  // bitmap data than the compressor takes in one call)
  // Found while decoding and encoding:
  kCannotDecode,        // corrupt or truncated image data
  kNoMemory,            // memory ran out for this image
  kEncoderUnavailable,  // the JPEG encoder could not be initialised
  kEncodeFailed,        // the JPEG encoder or the compressor reported an error
};

// True for the faults found before the output folder is checked.
bool IsOpeningFault(ImageFault fault);

// One input image decoded and encoded into its bitmap tag; no movie involved, so images can
// be prepared on several threads at once.
struct ImageJob {
  ImageFault fault = ImageFault::kNone;
  uint32_t width = 0;
  uint32_t height = 0;
  PreparedBitmap bitmap;
};

// Images wider or taller than this cannot be stored: SWF bitmaps hold 16-bit sizes.
inline constexpr uint32_t kMaxImageSide = 65535;

// Only the checks of opening the PNG at `path` (file, header, size): one of the opening faults,
// kNoMemory, or kNone. Reads no pixels. Never throws.
ImageFault CheckImageOpens(const std::string& path);

// Opens, decodes and encodes the PNG at `path` for `jpegQuality`, compressing lossless data
// with `effort`. Never throws.
ImageJob PrepareImage(const std::string& path, int32_t jpegQuality,
                      LosslessEffort effort = LosslessEffort::kDefault);

// The same with the caller's reader, which keeps its row memory for the next image: a thread
// converting many images passes the same reader each time. No image is open afterwards.
ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, PngReader& reader,
                      LosslessEffort effort = LosslessEffort::kDefault);

}  // namespace lumapress
