#pragma once

// The per-block operations of an encode as one table of entry points, so that a faster set
// for a given processor replaces entries without touching the driver.

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_quantize.h"
#include "jpeg/jpeg_tables.h"

namespace lumapress {

struct JpegWorkingState;

// Fills the MCU workspace (blocks component by component) for MCU (mcuX, mcuY).
using JpegConvertMcuFn = void (*)(const JpegWorkingState& state, int mcuX, int mcuY,
                                  int16_t* workspace);
// Converts a whole 16 x 16 MCU of 3-byte RGB pixels into four Y blocks, Cb and Cr.
using JpegWholeMcuFn = void (*)(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace);
using JpegForwardDctFn = void (*)(int16_t* block);
using JpegQuantizeFn = void (*)(int16_t* block, const JpegReciprocalTable& table);
using JpegEncodeBlockFn = int32_t (*)(JpegBitSink& sink, const JpegHuffmanCodes& dc,
                                      const JpegHuffmanCodes& ac, int16_t& predictor,
                                      const int16_t* block);
using JpegWriteBytesFn = int32_t (*)(JpegBitSink& sink, const uint8_t* bytes, size_t length);
using JpegEndVectorStateFn = void (*)();

// Which arithmetic the DCT and quantiser entries use: the 32-bit transform with the plain
// quantiser, or the 16-bit saturating transform with the vector quantiser.
enum class JpegOpsSet : int32_t { kPlain = 0, kVector = 1 };

inline constexpr int kJpegDctVariants = 2;

struct JpegOpsTable {
  JpegOpsSet set;
  JpegEndVectorStateFn endVectorState;
  JpegForwardDctFn variantDct[kJpegDctVariants];
  JpegQuantizeFn variantQuantize[kJpegDctVariants];
  JpegForwardDctFn forwardDct;  // copied from the variant entries per encode
  JpegQuantizeFn quantize;
  JpegConvertMcuFn convertMcu;  // chosen per encode from the input layout
  JpegWholeMcuFn wholeMcu;
  JpegEncodeBlockFn encodeBlock;
  JpegWriteBytesFn writeBytes;
};

JpegOpsTable MakeJpegOps(JpegOpsSet set);

// The set a current x86-64 processor runs: the 16-bit (vector) arithmetic.
inline constexpr JpegOpsSet kJpegPreferredOpsSet = JpegOpsSet::kVector;

}  // namespace lumapress
