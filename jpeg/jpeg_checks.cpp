#include "jpeg/jpeg_checks.h"

#include <cstdlib>

#include "jpeg/jpeg_markers.h"
#include "jpeg/jpeg_properties.h"

namespace lumapress {
namespace {

constexpr int32_t kMaxDimension = 65535;      // SOF0 carries 16-bit dimensions
constexpr int32_t kMaxPixelChannels = 255;
constexpr int32_t kMaxJpegChannels = 256;
constexpr int32_t kPackedSubsampling = 2;     // packed 4:2:2 YCbCr input

bool IsFileMode(int32_t mode) {
  return mode == kJpegModeFile || mode == kJpegModeTablesFile || mode == kJpegModeImageFile;
}

bool PixelsValid(const JpegImageParams& image) {
  return image.pixels != nullptr && image.pixelWidth > 0 && image.pixelWidth <= kMaxDimension &&
         image.pixelHeight >= -kMaxDimension && image.pixelHeight <= kMaxDimension &&
         image.pixelPadBytes >= 0 && image.pixelChannels > 0 &&
         image.pixelChannels <= kMaxPixelChannels;
}

bool SamplingFitsComponents(int32_t pattern, int32_t components) {
  if (pattern == 0) return true;
  if (components == 3) return pattern == 1 || pattern == 2;
  if (components == 4) return pattern == 3 || pattern == 4;
  return false;
}

bool ColoursCombine(const JpegImageParams& image) {
  const int32_t inColor = image.pixelColor, inChannels = image.pixelChannels;
  const int32_t outColor = image.jpegColor, outChannels = image.jpegChannels;
  const auto is = [&](int32_t color, int32_t channels) {
    return outColor == color && outChannels == channels;
  };
  switch (inColor) {
    case kJpegColorGrey:
      return inChannels == 1 && (is(kJpegColorGrey, 1) || is(kJpegColorYCbCr, 3));
    case kJpegColorRgb:
      if (inChannels == 4) return is(kJpegColorYCbCr, 3);  // the fourth byte is ignored
      [[fallthrough]];
    case kJpegColorBgr:
      return inChannels == 3 &&
             (is(kJpegColorGrey, 1) || is(kJpegColorRgb, 3) || is(kJpegColorYCbCr, 3));
    case kJpegColorCmyk:
      return inChannels == 4 && (is(kJpegColorCmyk, 4) || is(kJpegColorYcck, 4));
    case kJpegColorYCbCr:
      return inChannels == 3 && is(kJpegColorYCbCr, 3);
    case kJpegColorOther:
      return outColor == kJpegColorOther && inChannels >= outChannels;
    default:
      return false;
  }
}

}  // namespace

int32_t CheckJpegProperties(const JpegImageParams& image, int32_t mode, int32_t dctVariant) {
  if (mode < 0 || mode > kJpegModeHighest) return kJpegInvalidProperties;
  const bool writes = ModeWritesTables(mode) || ModeWritesScan(mode);
  if (!writes) return kJpegNotSupported;  // the reading modes
  const bool readsPixels = ModeWritesScan(mode);

  if (readsPixels) {
    if (!PixelsValid(image)) return kJpegInvalidProperties;
    const bool packed = image.pixelSubsampling == kPackedSubsampling &&
                        image.pixelColor == kJpegColorYCbCr;
    if (image.pixelSubsampling != 0 && !packed) return kJpegUnsupportedSubsampling;
  }
  if (IsFileMode(mode)) {
    if (image.jpegFileName == nullptr) return kJpegInvalidProperties;
  } else if (image.jpegBuffer == nullptr || image.jpegBufferSize <= 0) {
    // A negative capacity would put the buffer's end before its start.
    return kJpegInvalidProperties;
  }
  if (image.jpegChannels <= 0 || image.jpegChannels > kMaxJpegChannels) {
    return kJpegInvalidProperties;
  }
  if (readsPixels) {
    if (image.jpegWidth <= 0 || image.jpegWidth > kMaxDimension || image.jpegHeight <= 0 ||
        image.jpegHeight > kMaxDimension) {
      return kJpegInvalidProperties;
    }
    if (image.pixelColor != kJpegColorGrey && image.jpegColor != kJpegColorYCbCr &&
        image.jpegChannels > image.pixelChannels) {
      return kJpegInvalidProperties;
    }
    // The frame is read from the pixels: it must not reach past them.
    if (image.jpegWidth > image.pixelWidth || image.jpegHeight > std::abs(image.pixelHeight)) {
      return kJpegInvalidProperties;
    }
  }
  if (!SamplingFitsComponents(image.jpegSubsampling, image.jpegChannels)) {
    return kJpegUnsupportedSubsampling;
  }
  if (!ColoursCombine(image)) return kJpegInvalidProperties;
  if (dctVariant != 0 && dctVariant != 1) return kJpegInvalidProperties;
  return kJpegOk;
}

}  // namespace lumapress
