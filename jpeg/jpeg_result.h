#pragma once

#include <cstdint>

namespace lumapress {

// Result codes; DescribeError gives each one its text.
enum JpegResult : int32_t {
  kJpegRoiSuccess = 2,
  kJpegInterruptSuccess = 1,
  kJpegOk = 0,
  kJpegException = -1,
  kJpegInvalidEncoder = -2,
  kJpegUnsupportedSubsampling = -3,
  kJpegUnsupportedBytesPerPixel = -4,
  kJpegMemoryError = -5,
  kJpegBadHuffmanTable = -6,
  kJpegBadQuantizationTable = -7,
  kJpegInvalidProperties = -8,
  kJpegErrorCloseFile = -9,
  kJpegInvalidFileName = -10,
  kJpegErrorEof = -11,
  kJpegNotSupported = -12,
  kJpegNotJpeg = -13,
  kJpegErrorComp = -14,
  kJpegErrorSof = -15,
  kJpegErrorDnl = -16,
  kJpegNoHuffmanTable = -17,
  kJpegNoQuantizationTable = -18,
  kJpegNoFrame = -19,
  kJpegMultipleFrames = -20,
  kJpegDataError = -21,
  kJpegNoImage = -22,
  kJpegFileError = -23,
  kJpegInternalError = -24,
  kJpegBadRstMarker = -25,
  kJpegThumbnailTooSmall = -26,
  kJpegThumbnailWrongColor = -27,
  kJpegBufferTooSmall = -28,
  kJpegUnsupportedFrame = -29,
  kJpegCommentBufferError = -30,
  kJpegReserved = -99,
};

}  // namespace lumapress
