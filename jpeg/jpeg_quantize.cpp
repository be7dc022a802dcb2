#include "jpeg/jpeg_quantize.h"

#include "jpeg/jpeg_tables.h"

namespace lumapress {

namespace {
constexpr int32_t kReciprocalOne = 32768;  // 1.0 in the reciprocals' Q15 scale
constexpr int32_t kHalfQ15 = 16384;
}  // namespace

JpegReciprocalTable BuildReciprocalTable(const std::array<uint8_t, 64>& zigzagTable) {
  JpegReciprocalTable table{};
  for (int k = 0; k < kJpegBlockSize; ++k) {
    const int32_t q = zigzagTable[k] == 0 ? 1 : zigzagTable[k];
    table.value[kJpegZigZagToNatural[k]] = static_cast<uint16_t>(kReciprocalOne / q);
  }
  return table;
}

void QuantizePlain(int16_t* block, const JpegReciprocalTable& table) {
  for (int i = 0; i < kJpegBlockSize; ++i) {
    const int32_t product = int32_t{block[i]} * int32_t{table.value[i]};
    block[i] = static_cast<int16_t>((product + kHalfQ15) >> 15);
  }
}

void QuantizeVector(int16_t* block, const JpegReciprocalTable& table) {
  for (int i = 0; i < kJpegBlockSize; ++i) {
    const auto scaled = static_cast<int16_t>(static_cast<uint16_t>(block[i]) << 3);
    const auto halfReciprocal = static_cast<int16_t>(table.value[i] >> 1);
    const auto high = static_cast<int16_t>((int32_t{scaled} * halfReciprocal) >> 16);
    const auto sum = static_cast<int16_t>(static_cast<uint16_t>(high) + 1u);
    block[i] = static_cast<int16_t>(sum >> 1);
  }
}

}  // namespace lumapress
