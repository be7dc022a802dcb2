#include "jpeg/jpeg_huffman.h"

#include <array>

#include "jpeg/jpeg_huffman_core.h"

namespace lumapress {
namespace {

constexpr std::array<std::array<uint64_t, 256>, 8> MakeZigZagBitsOfRow() {
  std::array<uint8_t, kJpegBlockSize> zigZagOfNatural{};
  for (int k = 0; k < kJpegBlockSize; ++k) zigZagOfNatural[kJpegZigZagToNatural[k]] = static_cast<uint8_t>(k);
  std::array<std::array<uint64_t, 256>, 8> table{};
  for (int row = 0; row < 8; ++row) {
    for (int columns = 0; columns < 256; ++columns) {
      for (int column = 0; column < 8; ++column) {
        if (columns & (1 << column)) table[row][columns] |= uint64_t{1} << zigZagOfNatural[row * 8 + column];
      }
    }
  }
  return table;
}

}  // namespace

constinit const std::array<std::array<uint64_t, 256>, 8> kJpegZigZagBitsOfRow = MakeZigZagBitsOfRow();

int32_t EncodeBlock(JpegBitSink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                    int16_t& predictor, const int16_t* block) {
  uint64_t acMask = 0;
  for (int k = 1; k < kJpegBlockSize; ++k) {
    acMask |= static_cast<uint64_t>(block[kJpegZigZagToNatural[k]] != 0) << k;
  }
  return EncodeBlockWithMask(sink, dc, ac, predictor, block, acMask);
}

}  // namespace lumapress
