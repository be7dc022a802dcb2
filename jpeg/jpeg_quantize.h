#pragma once

// Quantisation of DCT coefficients by multiplication with Q15 reciprocals of the scaled
// quantisation table.

#include <array>
#include <cstdint>

namespace lumapress {

// 32768 / Q per coefficient, natural order. Q = 1 gives 32768, hence 16 unsigned bits.
struct JpegReciprocalTable {
  uint16_t value[64];
};

// From a quantisation table as DQT carries it (zig-zag order, entries 1-255). An entry of 0
// is treated as 1.
JpegReciprocalTable BuildReciprocalTable(const std::array<uint8_t, 64>& zigzagTable);

// c' = (c * reciprocal + 16384) >> 15 in 32 bits, in place.
void QuantizePlain(int16_t* block, const JpegReciprocalTable& table);

// c' = (mulhi(c << 3, reciprocal >> 1) + 1) >> 1 in 16 bits, in place; equals the plain
// result whenever the reciprocal is even.
void QuantizeVector(int16_t* block, const JpegReciprocalTable& table);

}  // namespace lumapress
