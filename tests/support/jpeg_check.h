#pragma once

// Independent checks of JPEG streams through libjpeg-turbo: decoding, a reference encoder
// with standard tables and 4:2:0 sampling, PSNR, and procedurally generated photo-like
// pictures. No test framework inside, so benchmarks can use it as well.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jpeg/jpeg_properties.h"

namespace lumapress::test {

struct DecodedJpeg {
  bool ok = false;
  std::string error;            // libjpeg's message when !ok
  int width = 0;
  int height = 0;
  int components = 0;           // per output pixel
  int jpegColorSpace = 0;       // J_COLOR_SPACE libjpeg found in the stream
  int frameComponents = 0;      // components in the frame header
  std::vector<uint8_t> pixels;  // rows top to bottom, components interleaved
};

// Decodes with libjpeg's default output colour space (RGB for YCbCr, grey, CMYK for YCCK
// and CMYK, components as stored otherwise). Never throws on a bad stream.
DecodedJpeg DecodeJpeg(std::span<const uint8_t> stream);

// libjpeg-turbo's own encoder on interleaved RGB: standard tables scaled by `quality`,
// 4:2:0 sampling, the accurate integer DCT, no Huffman optimisation.
std::vector<uint8_t> EncodeWithLibjpeg(std::span<const uint8_t> rgb, int width, int height,
                                       int quality);

// Peak signal-to-noise ratio in dB of two equally long 8-bit sample arrays (99 when equal).
double Psnr(std::span<const uint8_t> a, std::span<const uint8_t> b);

// Interleaved RGB: smooth gradients, fine texture, hard-edged shapes and a little noise.
std::vector<uint8_t> MakePhotoLikeRgb(int width, int height, uint32_t seed);

// Uniformly random bytes.
std::vector<uint8_t> MakeNoise(size_t length, uint32_t seed);

// Fills an initialised record as the SWF writer does: RGB(A) pixels of `channels` bytes,
// top row first, into a three-component YCbCr frame of the same size, sampled 4:2:0.
void SetUpSwfStyleRecord(JPEG_PROPERTIES& record, const uint8_t* pixels, int width, int height,
                         int channels, int quality, uint8_t* buffer, size_t bufferSize);

// Result of running this system's encoder the way the SWF writer does.
struct LumapressJpeg {
  int32_t result = 0;
  std::vector<uint8_t> bytes;  // the encoded stream (empty on failure)
};

// Clears a record, InitProperties, RGB(A) pixels of `channels` bytes into YCbCr 4:2:0,
// EncodeImage mode 9 into a buffer of `bufferSize` bytes (JpegWorstCaseSize when 0),
// ReleaseProperties. The buffer is allocated with exactly that size. The operations are
// `set` computed by `instructionSet`.
LumapressJpeg EncodeWithLumapress(std::span<const uint8_t> pixels, int width, int height,
                                  int channels, int quality,
                                  JpegOpsSet set = kJpegPreferredOpsSet, size_t bufferSize = 0,
                                  JpegInstructionSet instructionSet = FastestInstructionSet());

}  // namespace lumapress::test
