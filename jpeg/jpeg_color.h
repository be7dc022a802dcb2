#pragma once

// Colour conversion and chroma downsampling: pixels of one MCU into level-shifted blocks
// (component by component, each component's blocks row by row).

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_ops.h"

namespace lumapress {

struct JpegWorkingState;

// Blocks in one MCU: T.81 allows at most ten in an interleaved scan.
inline constexpr int kJpegMaxBlocksPerMcu = 10;
inline constexpr size_t kJpegWorkspaceAlignment = 32;  // for vector loads of whole blocks

// Y of a pixel, already level-shifted: (77 R + 150 G + 29 B - 32640) >> 8.
inline int32_t LumaOf(int32_t r, int32_t g, int32_t b) {
  return (77 * r + 150 * g + 29 * b - 32640) >> 8;
}
// Cb and Cr of one pixel (or of rounded means of pixels).
inline int32_t BlueChromaOf(int32_t r, int32_t g, int32_t b) {
  return (128 * b - 43 * r - 85 * g + 128) >> 8;
}
inline int32_t RedChromaOf(int32_t r, int32_t g, int32_t b) {
  return (128 * r - 107 * g - 21 * b + 128) >> 8;
}

// A whole 16 x 16 MCU of 3-byte RGB pixels: Y per pixel, Cb and Cr from the sums of each
// 2 x 2 group.
void ConvertRgb3WholeMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace);

// 16 x 16 3-byte RGB pixels (an edge MCU after padding): Y, Cb and Cr per pixel, chroma
// then the rounded mean of each 2 x 2 group.
void ConvertRgb3AveragedMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace);

// 16 x 16 4-byte pixels (R, G, B, unused): Y per pixel, chroma from the rounded means of
// each 2 x 2 group's R, G and B.
void ConvertRgbxMeanMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace);

// 3-byte RGB sampled 2x2, 1x1, 1x1: whole MCUs through the ops table's whole-MCU entry, edge
// MCUs converted per pixel, padded by repetition and averaged.
void ConvertRgb3Mcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace);

// RGB or BGR pixels of 3 or more bytes into Y, Cb, Cr under any of the three-component
// patterns: Y per pixel, chroma from the rounded means of the pixels each sample covers.
void ConvertRgbGenericMcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace);

// Every other accepted layout (greyscale, channels stored as given, four-channel colour,
// YCbCr input, packed 4:2:2 input): per-pixel component values, padded by repetition, each
// component averaged down to its sampling.
void ConvertPlanesMcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace);

// The converter for the layout described by `state`.
JpegConvertMcuFn ChooseConverter(const JpegWorkingState& state);

}  // namespace lumapress
