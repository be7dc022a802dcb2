#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/bitmap_tags.h"

// How lossless bitmap data becomes the zlib stream of its tag, so that the compressed movie
// around it comes out small and quickly.

namespace lumapress {

// libdeflate levels, chosen by measurement on the benchmark corpus (docs/performance.md).
// Format 5 pixels: the fastest level at which photos come out about as small as zlib's level 9
// made them. Data of one byte a pixel (colour-mapped indices, alpha planes) is a quarter of
// that for the same image, so a slower level costs little; 8-bit gray needs it not to grow.
inline constexpr int kPixelsLevel = 7;
inline constexpr int kBytePerPixelLevel = 9;
inline constexpr int kSmallestLevel = 12;

// The libdeflate level for lossless data of `bytesPerPixel` (1 or 4) at `effort`.
int LosslessLevel(LosslessEffort effort, int bytesPerPixel);

// Appends the zlib stream of `data` at libdeflate `level` (0 stores, 1-12) to `stream`,
// exactly as long as the compressor produced. Nothing is appended unless the result is kOk.
BitmapResult AppendZlibStream(std::span<const uint8_t> data, int level,
                              std::vector<uint8_t>& stream);

// Data that libdeflate shrinks more than this many times is made of long repeats.
inline constexpr size_t kRepetitiveShrink = 16;

// Appends the zlib stream of lossless bitmap data to the tag body, as a compressed movie is
// best served: libdeflate's stream at `level`, marked precompressed unless deflating it again
// would pay; but data made of long repeats (flat graphics, empty alpha), which libdeflate
// shrinks more than kRepetitiveShrink-fold, gets zlib's level 9 stream instead, which repeats
// in turn and which the movie's deflate shortens again (measured 10-30 % below libdeflate's
// stream deflated again, as small as zlib wrote such bitmaps before).
BitmapResult AppendBitmapData(std::span<const uint8_t> data, int level, BitmapTag& tag);

// The same for a JPEG alpha plane, without the zlib stream for long repeats: on alpha planes
// libdeflate's stream deflated again by the movie is already smaller than the plane stored
// and deflated once, at a third of the time (measured on the RGBA corpus images).
BitmapResult AppendAlphaPlane(std::span<const uint8_t> alpha, int level, BitmapTag& tag);

}  // namespace lumapress
