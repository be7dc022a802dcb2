#include "conversion/jpeg_bitmap.h"

#include <climits>
#include <memory>

#include "jpeg/jpeg_properties.h"
#include "swf/bitmap_data.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

// Releases the encoder's resources however the encoding ends.
class JpegRecord {
 public:
  JpegRecord() : record_{} {}
  ~JpegRecord() {
    if (initialised_) ReleaseProperties(record_);
  }
  JpegRecord(const JpegRecord&) = delete;
  JpegRecord& operator=(const JpegRecord&) = delete;

  bool Init() {
    initialised_ = InitProperties(record_) == kJpegOk;
    return initialised_;
  }
  JPEG_PROPERTIES& get() { return record_; }

 private:
  JPEG_PROPERTIES record_;
  bool initialised_ = false;
};

int32_t JpegBitmapFailure(BitmapResult result) {
  return result == BitmapResult::kEncoderUnavailable ? kJpegBitmapEncoderUnavailable : kJpegBitmapEncodeFailed;
}

// A JPEG stream in a buffer sized for the worst case; only the pages the encoder writes are
// ever touched.
struct EncodedJpeg {
  std::unique_ptr<uint8_t[]> buffer;
  size_t length = 0;
  std::span<const uint8_t> bytes() const { return {buffer.get(), length}; }
};

BitmapResult EncodeJpegStream(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                              int32_t quality, int32_t channels, EncodedJpeg& jpeg) {
  JpegRecord record;
  if (!record.Init()) {
    return BitmapResult::kEncoderUnavailable;
  }
  const size_t capacity = JpegWorstCaseSize(width, height);
  if (capacity > static_cast<size_t>(INT32_MAX)) {
    // The record's buffer size is a 32-bit field.
    return BitmapResult::kEncodeFailed;
  }
  jpeg.buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  JPEG_PROPERTIES& p = record.get();
  p.pixels = pixels.data();
  p.pixelWidth = width;
  p.pixelHeight = height;  // positive: top row first
  p.pixelChannels = channels;
  p.pixelColor = kJpegColorRgb;
  p.jpegBuffer = jpeg.buffer.get();
  p.jpegBufferSize = static_cast<int32_t>(capacity);
  p.jpegWidth = width;
  p.jpegHeight = height;
  p.jpegChannels = 3;
  p.jpegColor = kJpegColorYCbCr;
  p.quality = quality;
  if (EncodeImage(p, kJpegModeBuffer) != kJpegOk) {
    jpeg = EncodedJpeg{};
    return BitmapResult::kEncodeFailed;
  }
  jpeg.length = static_cast<size_t>(p.jpegBufferSize);
  return BitmapResult::kOk;
}

}  // namespace

BitmapResult EncodeJpeg(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                        int32_t quality, int32_t channels, std::vector<uint8_t>& jpeg) {
  EncodedJpeg encoded;
  const BitmapResult result = EncodeJpegStream(pixels, width, height, quality, channels, encoded);
  const auto bytes = encoded.bytes();
  jpeg.assign(bytes.begin(), bytes.end());
  return result;
}

BitmapResult BuildJpegBitmapTag(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                                int32_t quality, int32_t channels, BitmapTag& tag) {
  EncodedJpeg jpeg;
  const BitmapResult result = EncodeJpegStream(pixels, width, height, quality, channels, jpeg);
  if (result != BitmapResult::kOk) return result;
  tag = BuildJpeg2Tag(jpeg.bytes());
  return BitmapResult::kOk;
}

BitmapResult BuildJpegBitmapWithAlphaTag(std::span<const uint8_t> pixels, int32_t width,
                                         int32_t height, int32_t quality, LosslessEffort effort,
                                         BitmapTag& tag) {
  EncodedJpeg jpeg;
  const BitmapResult result = EncodeJpegStream(pixels, width, height, quality, 4, jpeg);
  if (result != BitmapResult::kOk) return result;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> alpha(count);
  for (size_t i = 0; i < count; ++i) alpha[i] = pixels[i * 4 + 3];
  return BuildJpeg3Tag(jpeg.bytes(), alpha, LosslessLevel(effort, 1), tag);
}

int32_t DefineJpegBitmap(SwfWriter& writer, int32_t characterId, std::span<const uint8_t> pixels,
                         int32_t width, int32_t height, int32_t quality, int32_t channels) {
  BitmapTag tag;
  const BitmapResult result = BuildJpegBitmapTag(pixels, width, height, quality, channels, tag);
  if (result != BitmapResult::kOk) return JpegBitmapFailure(result);
  writer.DefineBitmap(characterId, tag);
  return characterId;
}

int32_t DefineJpegBitmapWithAlpha(SwfWriter& writer, int32_t characterId,
                                  std::span<const uint8_t> pixels, int32_t width, int32_t height,
                                  int32_t quality) {
  BitmapTag tag;
  const BitmapResult result =
      BuildJpegBitmapWithAlphaTag(pixels, width, height, quality, LosslessEffort::kDefault, tag);
  if (result != BitmapResult::kOk) return JpegBitmapFailure(result);
  writer.DefineBitmap(characterId, tag);
  return characterId;
}

}  // namespace lumapress
