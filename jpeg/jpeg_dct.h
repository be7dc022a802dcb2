#pragma once

// Forward 8 x 8 DCT of level-shifted samples (-128..127), in place, natural order. Both
// variants give the T.81 coefficient F(u, v) rounded to an integer; they may differ in the
// last bit.

#include <array>
#include <cstdint>

namespace lumapress {

// 32-bit integer transform: rows, then columns.
void ForwardDctPlain(int16_t* block);

// Transform that keeps every intermediate in 16 bits with saturating additions and
// high-half multiplies, as vector units compute it: columns, then rows.
void ForwardDctVector(int16_t* block);

// Row weights of the 16-bit transform: kDctRowWeights[n][m - 1] = round(2^15 cos(k pi/16)
// cos(m pi/16)) with k = 4, 1, 2, 3, 4, 3, 2, 1 for row n = 0..7.
extern const std::array<std::array<int16_t, 7>, 8> kDctRowWeights;

}  // namespace lumapress
