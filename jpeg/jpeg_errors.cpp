#include <array>

#include "jpeg/jpeg_properties.h"

namespace lumapress {
namespace {

struct ErrorText {
  int32_t code;
  const char* text;
};

constexpr std::array<ErrorText, 34> kErrorTexts = {{
    {kJpegRoiSuccess, "ROI Success"},
    {kJpegInterruptSuccess, "Interrupt Success"},
    {kJpegOk, "Success"},
    {kJpegException, "Exception detected"},
    {kJpegInvalidEncoder, "Invalid Encoder"},
    {kJpegUnsupportedSubsampling, "Unsupported subsampling"},
    {kJpegUnsupportedBytesPerPixel, "Unsupported bytes per pixel"},
    {kJpegMemoryError, "Memory error"},
    {kJpegBadHuffmanTable, "Bad Huffman table"},
    {kJpegBadQuantizationTable, "Bad Quantization table"},
    {kJpegInvalidProperties, "Invalid JPEG_PROPERTIES"},
    {kJpegErrorCloseFile, "Error close file"},
    {kJpegInvalidFileName, "Invalid file name"},
    {kJpegErrorEof, "Error EOF"},
    {kJpegNotSupported, "Not supported"},
    {kJpegNotJpeg, "Not JPEG"},
    {kJpegErrorComp, "Error COMP"},
    {kJpegErrorSof, "Error SOF"},
    {kJpegErrorDnl, "Error DNL"},
    {kJpegNoHuffmanTable, "No Huffman table"},
    {kJpegNoQuantizationTable, "No Quantization table"},
    {kJpegNoFrame, "No frame"},
    {kJpegMultipleFrames, "Multiply frame"},
    {kJpegDataError, "Data error"},
    {kJpegNoImage, "No image"},
    {kJpegFileError, "File error"},
    {kJpegInternalError, "Internal error"},
    {kJpegBadRstMarker, "Bad RST marker"},
    {kJpegThumbnailTooSmall, "Thumbnail too small"},
    {kJpegThumbnailWrongColor, "Thumbnail has wrong color"},
    {kJpegBufferTooSmall, "Output buffer too small"},
    {kJpegUnsupportedFrame, "Unsupported frame was found"},
    {kJpegCommentBufferError, "Error access to jpeg_comment buffer"},
    {kJpegReserved, "Reserved"},
}};

}  // namespace

const char* DescribeError(int32_t code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return "Unknown error code";
}

}  // namespace lumapress
