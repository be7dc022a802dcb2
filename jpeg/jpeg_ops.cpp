#include "jpeg/jpeg_ops.h"

#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_dct.h"
#include "jpeg/jpeg_huffman.h"

namespace lumapress {
namespace {

// The portable set keeps no processor state between blocks.
void NoVectorState() {}

void PlainDctBlocks(int16_t* blocks, int count) {
  for (int b = 0; b < count; ++b) ForwardDctPlain(blocks + b * kJpegBlockSize);
}
void VectorDctBlocks(int16_t* blocks, int count) {
  for (int b = 0; b < count; ++b) ForwardDctVector(blocks + b * kJpegBlockSize);
}

const JpegKernelSet& KernelsOf(JpegInstructionSet instructionSet) {
  switch (instructionSet) {
    case JpegInstructionSet::kSse2:
      return Sse2Kernels();
    case JpegInstructionSet::kAvx2:
      return Avx2Kernels();
    default:
      return PortableKernels();
  }
}

}  // namespace

const JpegKernelSet& PortableKernels() {
  static constexpr JpegKernelSet kPortable = {
      ConvertRgb3WholeMcu,
      ConvertRgb3AveragedMcu,
      ConvertRgbxMeanMcu,
      {ForwardDctPlain, ForwardDctVector},
      {PlainDctBlocks, VectorDctBlocks},
      {QuantizePlain, QuantizeVector},
      EncodeBlock,
      NoVectorState,
  };
  return kPortable;
}

JpegOpsTable MakeJpegOps(JpegOpsSet set, JpegInstructionSet instructionSet) {
  const JpegKernelSet& kernels = KernelsOf(instructionSet);
  const int arithmetic = set == JpegOpsSet::kVector ? 1 : 0;
  JpegOpsTable ops{};
  ops.processorClass = set == JpegOpsSet::kVector ? 6 : 0;
  ops.set = set;
  ops.instructionSet = instructionSet;
  ops.endVectorState = kernels.endVectorState;
  // Variant 0 has no arithmetic of its own here; it runs the same transform as variant 1.
  for (int variant = 0; variant < kJpegDctVariants; ++variant) {
    ops.variantDct[variant] = kernels.dct[arithmetic];
    ops.variantDctBlocks[variant] = kernels.dctBlocks[arithmetic];
    ops.variantQuantize[variant] = kernels.quantize[arithmetic];
  }
  ops.forwardDct = ops.variantDct[1];
  ops.forwardDctBlocks = ops.variantDctBlocks[1];
  ops.quantize = ops.variantQuantize[1];
  ops.convertMcu = nullptr;
  ops.wholeMcu = kernels.wholeMcu;
  ops.averagedMcu = kernels.averagedMcu;
  ops.meanRgbxMcu = kernels.meanRgbxMcu;
  ops.encodeBlock = kernels.encodeBlock;
  ops.writeBytes = WriteBytes;
  return ops;
}

JpegOpsTable MakeJpegOpsForClass(int processorClass) {
  const JpegOpsSet set = ClassUsesVectorArithmetic(processorClass) ? JpegOpsSet::kVector : JpegOpsSet::kPlain;
  JpegOpsTable ops = MakeJpegOps(set, FastestInstructionSet());
  ops.processorClass = processorClass;
  return ops;
}

}  // namespace lumapress
