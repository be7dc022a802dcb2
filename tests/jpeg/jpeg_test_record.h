#pragma once

// A record set up the way the SWF writer sets one up, for the encoder's tests.

#include <cstdint>
#include <vector>

#include "jpeg/jpeg_properties.h"

namespace lumapress::test {

struct SwfStyleRecord {
  JPEG_PROPERTIES record{};
  std::vector<uint8_t> buffer;

  SwfStyleRecord(const std::vector<uint8_t>& pixels, int width, int height, int channels,
                 int quality, size_t bufferSize) : buffer(bufferSize) {
    InitProperties(record);
    record.pixels = pixels.data();
    record.pixelWidth = width;
    record.pixelHeight = height;
    record.pixelChannels = channels;
    record.pixelColor = kJpegColorRgb;
    record.jpegBuffer = buffer.data();
    record.jpegBufferSize = static_cast<int32_t>(bufferSize);
    record.jpegWidth = width;
    record.jpegHeight = height;
    record.jpegChannels = 3;
    record.jpegColor = kJpegColorYCbCr;
    record.quality = quality;
  }
  ~SwfStyleRecord() { ReleaseProperties(record); }
  SwfStyleRecord(const SwfStyleRecord&) = delete;
  SwfStyleRecord& operator=(const SwfStyleRecord&) = delete;

  // The bytes written on success.
  std::vector<uint8_t> Written() const {
    return {buffer.begin(), buffer.begin() + record.jpegBufferSize};
  }
};

}  // namespace lumapress::test
