#pragma once

// The baseline JPEG encoder's caller-owned record, its mode and result codes, and the four
// operations that drive it. A caller clears a record, calls InitProperties, fills in the
// input and output fields, calls EncodeImage once and ReleaseProperties at the end.

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_result.h"
#include "jpeg/jpeg_working_state.h"

namespace lumapress {

// Version of this encoder; carried in the COM segment of every stream.
inline constexpr char kJpegEncoderVersion[] = "1.51.12";

// Mode codes for EncodeImage.
enum JpegMode : int32_t {
  kJpegModeNotSet = -1,
  kJpegModeFile = 8,               // complete stream into jpegFileName
  kJpegModeBuffer = 9,             // complete stream into jpegBuffer
  kJpegModeTablesFile = 10,        // SOI, APPn, COM, DQT, DHT, EOI into the file
  kJpegModeTablesBuffer = 11,      // the same into jpegBuffer
  kJpegModeImageFile = 12,         // SOI, SOF0, SOS, scan, EOI into the file
  kJpegModeImageBuffer = 13,       // the same into jpegBuffer
  kJpegModeHighest = 21,           // 0-7 and 14-21 belong to reading JPEG data
};

// Colour codes for pixelColor and jpegColor.
enum JpegColor : int32_t {
  kJpegColorRgb = 1,
  kJpegColorBgr = 2,
  kJpegColorYCbCr = 3,
  kJpegColorGrey = 4,
  kJpegColorCmyk = 5,   // four channels, no colour transform
  kJpegColorYcck = 6,   // four channels with a luminance/chrominance transform
  kJpegColorOther = 255,
};


// The record. Every caller-visible field is 32 bits wide except the pointers, which are
// native. A record cleared to zero bytes and given to InitProperties holds the defaults
// noted on each field.
struct JPEG_PROPERTIES {
  uint32_t useWorkingState;     // 0: non-zero skips copying the fields into workingState
  const uint8_t* pixels;        // null: first byte of the first stored row
  int32_t pixelWidth;           // 0: pixels per row, 1-65535
  int32_t pixelHeight;          // 0: rows; negative when the first stored row is the bottom
  int32_t pixelPadBytes;        // 0: bytes after each row's pixels
  int32_t pixelChannels;        // 3: bytes per input pixel, 1-255
  int32_t pixelColor;           // 2: colour code of the input
  int32_t pixelSubsampling;     // 0: 0 one byte per channel, 2 packed 4:2:2 YCbCr
  const char* jpegFileName;     // null: output file of the file modes
  uint8_t* jpegBuffer;          // null: output memory of the buffer modes
  int32_t jpegBufferSize;       // 0: capacity on entry, bytes written afterwards
  int32_t jpegWidth;            // 0: frame width, 1-65535
  int32_t jpegHeight;           // 0: frame height, 1-65535
  int32_t jpegChannels;         // 3: components in the frame
  int32_t jpegColor;            // 3: colour code of the frame
  int32_t jpegSubsampling;      // 1: sampling pattern code 0-4
  int32_t thumbnailWidth;       // 0: not used when encoding
  int32_t thumbnailHeight;      // 0: not used when encoding
  int32_t colorConversion;      // 1: chroma components use quantisation table 1
  int32_t upsampling;           // 1: kept for decoders; no effect on encoding
  int32_t quality;              // 75: 1-100; 0 or less acts as 1, above 100 as 100
  JpegWorkingState workingState;
};

// Fills in the defaults of a record cleared to zero bytes and chooses the per-block
// operations: the processor class (forced by LUMAPRESS_USECPU or the USECPU line of the
// machine-wide setting file, else from CPUID) decides the arithmetic. Returns 0.
int32_t InitProperties(JPEG_PROPERTIES& record);

// Checks the record and encodes in `mode`; on success jpegBufferSize holds the bytes written.
int32_t EncodeImage(JPEG_PROPERTIES& record, int32_t mode);

// Gives back what InitProperties and EncodeImage acquired. Returns 0, or -8 for a record
// that InitProperties never prepared.
int32_t ReleaseProperties(JPEG_PROPERTIES& record);

// The fixed text of a result code ("Unknown error code" for codes without one).
const char* DescribeError(int32_t code);

// Bytes that are always enough for the stream of a width x height image with three
// components sampled 2x2, 1x1, 1x1, at any quality: a jpegBuffer of this size never
// yields -28. Both dimensions 1-65535.
size_t JpegWorstCaseSize(int width, int height);

// Replaces the record's per-block operations with `set` computed by `instructionSet`, which
// must be available (after InitProperties, which picks them from the processor class).
void SelectJpegOpsSet(JPEG_PROPERTIES& record, JpegOpsSet set,
                      JpegInstructionSet instructionSet = FastestInstructionSet());

}  // namespace lumapress
