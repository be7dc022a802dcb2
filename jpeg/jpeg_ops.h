#pragma once

// The per-block operations of an encode as one table of entry points, so that a faster set
// for a given processor replaces entries without touching the driver.

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_cpu.h"
#include "jpeg/jpeg_quantize.h"
#include "jpeg/jpeg_tables.h"

namespace lumapress {

struct JpegWorkingState;

// Fills the MCU workspace (blocks component by component) for MCU (mcuX, mcuY).
using JpegConvertMcuFn = void (*)(const JpegWorkingState& state, int mcuX, int mcuY,
                                  int16_t* workspace);
// Converts 16 x 16 pixels (rows `rowStride` bytes apart) into four Y blocks, Cb and Cr.
using JpegWholeMcuFn = void (*)(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace);
using JpegForwardDctFn = void (*)(int16_t* block);
// The forward DCT of `count` consecutive blocks.
using JpegForwardDctBlocksFn = void (*)(int16_t* blocks, int count);
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

// One instruction set's implementations of every interchangeable operation.
struct JpegKernelSet {
  JpegWholeMcuFn wholeMcu;     // 3-byte RGB: Y per pixel, chroma from summed 2 x 2 RGB
  JpegWholeMcuFn averagedMcu;  // 3-byte RGB: chroma per pixel, then 2 x 2 means
  JpegWholeMcuFn meanRgbxMcu;  // 4-byte RGBx: chroma of the rounded 2 x 2 RGB means
  JpegForwardDctFn dct[kJpegDctVariants];  // [0] 32-bit, [1] 16-bit arithmetic
  JpegForwardDctBlocksFn dctBlocks[kJpegDctVariants];
  JpegQuantizeFn quantize[kJpegDctVariants];
  JpegEncodeBlockFn encodeBlock;
  JpegEndVectorStateFn endVectorState;
};

struct JpegOpsTable {
  int32_t processorClass;
  JpegOpsSet set;
  JpegInstructionSet instructionSet;
  JpegEndVectorStateFn endVectorState;
  JpegForwardDctFn variantDct[kJpegDctVariants];
  JpegForwardDctBlocksFn variantDctBlocks[kJpegDctVariants];
  JpegQuantizeFn variantQuantize[kJpegDctVariants];
  JpegForwardDctFn forwardDct;  // copied from the variant entries per encode
  JpegForwardDctBlocksFn forwardDctBlocks;
  JpegQuantizeFn quantize;
  JpegConvertMcuFn convertMcu;  // chosen per encode from the input layout
  JpegWholeMcuFn wholeMcu;
  JpegWholeMcuFn averagedMcu;
  JpegWholeMcuFn meanRgbxMcu;
  JpegEncodeBlockFn encodeBlock;
  JpegWriteBytesFn writeBytes;
};

// The table for `set` computed with `instructionSet`, which must be available.
JpegOpsTable MakeJpegOps(JpegOpsSet set, JpegInstructionSet instructionSet);

// The table a processor class selects: its arithmetic, on the fastest available set.
JpegOpsTable MakeJpegOpsForClass(int processorClass);

// The set a current x86-64 processor runs: the 16-bit (vector) arithmetic.
inline constexpr JpegOpsSet kJpegPreferredOpsSet = JpegOpsSet::kVector;

// Implementations per instruction set; the SSE2 and AVX2 ones exist on x86-64 only and
// fall back to the portable ones elsewhere.
const JpegKernelSet& PortableKernels();
const JpegKernelSet& Sse2Kernels();
const JpegKernelSet& Avx2Kernels();

}  // namespace lumapress
