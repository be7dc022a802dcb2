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
inline constexpr std::array<std::array<int16_t, 7>, 8> kDctRowWeights = {{
    {{22725, 21407, 19266, 16384, 12873, 8867, 4520}},
    {{31521, 29692, 26722, 22725, 17855, 12299, 6270}},
    {{29692, 27969, 25172, 21407, 16819, 11585, 5906}},
    {{26722, 25172, 22654, 19266, 15137, 10426, 5315}},
    {{22725, 21407, 19266, 16384, 12873, 8867, 4520}},
    {{26722, 25172, 22654, 19266, 15137, 10426, 5315}},
    {{29692, 27969, 25172, 21407, 16819, 11585, 5906}},
    {{31521, 29692, 26722, 22725, 17855, 12299, 6270}},
}};

// Multipliers of the 16-bit column pass (units of 2^-16, cos(pi/4) in 2^-15).
inline constexpr int16_t kDctTan1Q16 = 13036;         // tan(pi/16)
inline constexpr int16_t kDctTan2Q16 = 27146;         // tan(pi/8)
inline constexpr int16_t kDctTan3Minus1Q16 = -21746;  // tan(3 pi/16) - 1
inline constexpr int16_t kDctCos4Q15 = 23170;         // cos(pi/4)
inline constexpr int32_t kDctRoundRows16 = 524288;    // half of 2^20, the row pass's divisor

}  // namespace lumapress
