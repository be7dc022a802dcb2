#pragma once

#include <cstdint>

namespace lumapress {

struct JpegWorkingState;

// Encodes every MCU of the frame, top row first, left to right, into the sink: convert,
// transform each block, then quantise and Huffman-code each component's blocks.
int32_t EncodeScan(JpegWorkingState& state);

}  // namespace lumapress
