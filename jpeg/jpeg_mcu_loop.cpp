#include "jpeg/jpeg_mcu_loop.h"

#include "common/cancellation.h"
#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_properties.h"

namespace lumapress {

int32_t EncodeScan(JpegWorkingState& state) {
  const JpegOpsTable& ops = state.ops;
  int blocksPerMcu = 0;
  for (int c = 0; c < state.componentCount; ++c) {
    const JpegComponent& component = state.components[c];
    if (component.dcTable >= kJpegTableCount || component.acTable >= kJpegTableCount) {
      ops.endVectorState();
      return kJpegNoHuffmanTable;
    }
    if (component.quantTable >= kJpegTableCount) {
      ops.endVectorState();
      return kJpegNoQuantizationTable;
    }
    blocksPerMcu += component.h * component.v;
  }
  if (blocksPerMcu > kJpegMaxBlocksPerMcu) return kJpegErrorComp;

  int16_t predictors[kJpegMaxScanComponents] = {};
  alignas(kJpegWorkspaceAlignment) int16_t workspace[kJpegMaxBlocksPerMcu * kJpegBlockSize];
  for (int mcuY = 0; mcuY < state.mcusDown; ++mcuY) {
    if (CancellationRequested()) {  // the run no longer wants the image
      ops.endVectorState();
      return kJpegException;
    }
    for (int mcuX = 0; mcuX < state.mcusAcross; ++mcuX) {
      ops.convertMcu(state, mcuX, mcuY, workspace);
      ops.forwardDctBlocks(workspace, blocksPerMcu);
      int16_t* block = workspace;
      for (int c = 0; c < state.componentCount; ++c) {
        const JpegComponent& component = state.components[c];
        for (int b = 0; b < component.h * component.v; ++b, block += kJpegBlockSize) {
          ops.quantize(block, state.reciprocals[component.quantTable]);
          const int32_t result =
              ops.encodeBlock(state.sink, state.dcCodes[component.dcTable],
                              state.acCodes[component.acTable], predictors[c], block);
          if (result != kJpegOk) {
            ops.endVectorState();
            return result;
          }
        }
      }
    }
  }
  ops.endVectorState();
  return kJpegOk;
}

}  // namespace lumapress
