#pragma once

// The encoder's own part of a JPEG_PROPERTIES record. Plain data only, so a record stays a
// trivially copyable aggregate that callers may clear with zero bytes; everything the
// encoder needs while encoding lives here, none of it in globals.

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_ops.h"
#include "jpeg/jpeg_tables.h"

namespace lumapress {

// A single scan interleaves at most four components (ITU T.81, B.2.3).
inline constexpr int kJpegMaxScanComponents = 4;
// Quantisation tables and Huffman table pairs this encoder installs.
inline constexpr int kJpegTableCount = 2;

// One frame component: identifier, sampling factors and table selectors.
struct JpegComponent {
  uint8_t id;
  uint8_t h;
  uint8_t v;
  uint8_t quantTable;
  uint8_t dcTable;
  uint8_t acTable;
};

// The caller-visible fields as EncodeImage copied them (or as a caller left them when it
// set useWorkingState), plus what the encoder derives from them.
struct JpegImageParams {
  const uint8_t* pixels;
  int32_t pixelWidth;
  int32_t pixelHeight;
  int32_t pixelPadBytes;
  int32_t pixelChannels;
  int32_t pixelColor;
  int32_t pixelSubsampling;
  const char* jpegFileName;
  uint8_t* jpegBuffer;
  int32_t jpegBufferSize;
  int32_t jpegWidth;
  int32_t jpegHeight;
  int32_t jpegChannels;
  int32_t jpegColor;
  int32_t jpegSubsampling;
  int32_t colorConversion;
  int32_t upsampling;
  int32_t quality;
};

// Values of the JFIF APP0 segment.
struct JpegJfifValues {
  uint8_t versionMajor;
  uint8_t versionMinor;
  uint8_t units;
  uint16_t xDensity;
  uint16_t yDensity;
};

// Values of the Adobe APP14 segment.
struct JpegAdobeValues {
  uint16_t version;
  uint16_t flags0;
  uint16_t flags1;
};

struct JpegWorkingState {
  uint32_t initialized;     // set by InitProperties, cleared by ReleaseProperties
  int32_t mode;             // -1 until EncodeImage stores one
  int32_t dctVariant;       // 0 or 1; both run the integer transform of the ops table
  JpegImageParams image;
  JpegJfifValues jfif;
  JpegAdobeValues adobe;

  // Derived per encode.
  ptrdiff_t rowStride;      // bytes from one stored row to the next image row (signed)
  const uint8_t* firstRow;  // the image's top row
  uint32_t colorTransform;  // non-zero when colour conversion takes place
  int32_t componentCount;
  JpegComponent components[kJpegMaxScanComponents];
  int32_t maxH;
  int32_t maxV;
  int32_t mcusAcross;
  int32_t mcusDown;

  uint8_t quantTables[kJpegTableCount][kJpegBlockSize];  // scaled, zig-zag order
  JpegReciprocalTable reciprocals[kJpegTableCount];
  JpegHuffmanCodes dcCodes[kJpegTableCount];
  JpegHuffmanCodes acCodes[kJpegTableCount];

  JpegBitSink sink;
  JpegOpsTable ops;
};

}  // namespace lumapress
