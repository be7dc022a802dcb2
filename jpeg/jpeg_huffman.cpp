#include "jpeg/jpeg_huffman.h"

#include <bit>

namespace lumapress {
namespace {

constexpr uint8_t kZeroRunSymbol = 0xF0;  // ZRL: sixteen zero coefficients
constexpr uint8_t kEndOfBlockSymbol = 0x00;
constexpr int kMaxZeroRun = 15;           // longest run a run/size symbol carries

// Bit length of |value|: the value's category.
int Category(int32_t value) {
  return std::bit_width(static_cast<uint32_t>(value < 0 ? -value : value));
}

// Code of `symbol` followed by the `size` low bits of `value` (of value - 1 when negative).
int32_t PutSymbolAndBits(JpegBitSink& sink, const JpegHuffmanCodes& codes, int symbol,
                         int32_t value, int size) {
  const int length = codes.length[symbol];
  if (length == 0) return kJpegDataError;
  const uint32_t low = static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
  return PutBits(sink, (uint32_t{codes.code[symbol]} << size) | low, length + size);
}

}  // namespace

int32_t EncodeBlock(JpegBitSink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                    int16_t& predictor, const int16_t* block) {
  const int32_t diff = int32_t{block[0]} - predictor;
  predictor = block[0];
  int32_t result = PutSymbolAndBits(sink, dc, Category(diff), diff, Category(diff));
  if (result != kJpegOk) return result;

  uint64_t nonZero = 0;
  for (int k = 1; k < kJpegBlockSize; ++k) {
    nonZero |= static_cast<uint64_t>(block[kJpegZigZagToNatural[k]] != 0) << k;
  }
  int previous = 0;
  while (nonZero != 0) {
    const int k = std::countr_zero(nonZero);
    nonZero &= nonZero - 1;
    int run = k - previous - 1;
    previous = k;
    while (run > kMaxZeroRun) {
      result = PutSymbolAndBits(sink, ac, kZeroRunSymbol, 0, 0);
      if (result != kJpegOk) return result;
      run -= kMaxZeroRun + 1;
    }
    const int32_t value = block[kJpegZigZagToNatural[k]];
    const int size = Category(value);
    result = PutSymbolAndBits(sink, ac, run * 16 + size, value, size);
    if (result != kJpegOk) return result;
  }
  if (previous < kJpegBlockSize - 1) return PutSymbolAndBits(sink, ac, kEndOfBlockSymbol, 0, 0);
  return kJpegOk;
}

}  // namespace lumapress
