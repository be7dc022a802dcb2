#include "jpeg/jpeg_ops.h"

#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_dct.h"
#include "jpeg/jpeg_huffman.h"

namespace lumapress {
namespace {
// The portable sets keep no processor state between blocks.
void NoVectorState() {}
}  // namespace

JpegOpsTable MakeJpegOps(JpegOpsSet set) {
  const bool vector = set == JpegOpsSet::kVector;
  const JpegForwardDctFn dct = vector ? ForwardDctVector : ForwardDctPlain;
  const JpegQuantizeFn quantize = vector ? QuantizeVector : QuantizePlain;
  JpegOpsTable ops{};
  ops.set = set;
  ops.endVectorState = NoVectorState;
  // Variant 0 has no arithmetic of its own here; it runs the same transform as variant 1.
  for (int variant = 0; variant < kJpegDctVariants; ++variant) {
    ops.variantDct[variant] = dct;
    ops.variantQuantize[variant] = quantize;
  }
  ops.forwardDct = dct;
  ops.quantize = quantize;
  ops.convertMcu = nullptr;
  ops.wholeMcu = ConvertRgb3WholeMcu;
  ops.encodeBlock = EncodeBlock;
  ops.writeBytes = WriteBytes;
  return ops;
}

}  // namespace lumapress
