#pragma once

// A record set up the way the SWF writer sets one up, for the encoder's tests.

#include <cstdint>
#include <vector>

#include "jpeg/jpeg_properties.h"
#include "support/jpeg_check.h"

namespace lumapress::test {

struct SwfStyleRecord {
  JPEG_PROPERTIES record{};
  std::vector<uint8_t> buffer;

  SwfStyleRecord(const std::vector<uint8_t>& pixels, int width, int height, int channels,
                 int quality, size_t bufferSize) : buffer(bufferSize) {
    InitProperties(record);
    SetUpSwfStyleRecord(record, pixels.data(), width, height, channels, quality, buffer.data(), bufferSize);
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
