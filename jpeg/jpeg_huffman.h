#pragma once

// Baseline Huffman coding of one quantised block (ITU T.81 F.1.2).

#include <cstdint>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_tables.h"

namespace lumapress {

// Writes the DC difference against `predictor` (which becomes the block's DC value) and the
// AC run/size symbols in zig-zag order, with ZRL before long zero runs and EOB after a zero
// tail. Returns 0, -28 when the output is full, or -21 when a table has no code for a symbol.
int32_t EncodeBlock(JpegBitSink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                    int16_t& predictor, const int16_t* block);

}  // namespace lumapress
