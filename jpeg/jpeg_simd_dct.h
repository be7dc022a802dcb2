#pragma once

// The 16-bit forward DCT written once over a vector type V. Every operation works inside
// 128-bit lanes, so V = 8 x int16 transforms one block and V = two 128-bit lanes transforms
// two blocks at once. V supplies: Adds, Subs, Shl<n>, MulHi, Or, Unpack{Lo,Hi}{16,32,64},
// Madd, Add32, Sar32<n>, Packs32 and Broadcast (a 128-bit constant into every lane).
// Include only after the instruction set's target options are in force.

#include <array>
#include <cstdint>

#include "jpeg/jpeg_dct.h"

#ifndef LUMAPRESS_SIMD_INLINE
#define LUMAPRESS_SIMD_INLINE inline __attribute__((always_inline))
#endif

namespace lumapress::simd {

// Madd weights of the row pass: for output u, pair 0 multiplies (P0, P1) or (M0, M1), pair 1
// (P2, P3) or (M2, M3); 16 values per pair: (first, second) weight of rows 0..7.
struct DctRowWeightTable {
  alignas(16) int16_t value[8][2][16];
};

constexpr DctRowWeightTable MakeDctRowWeightTable() {
  // {weight index m (1..7), sign} of the first and second factor, per output and pair.
  constexpr int kTerms[8][2][2][2] = {
      {{{4, 1}, {4, 1}}, {{4, 1}, {4, 1}}},      // X0 = W4 (P0 + P1 + P2 + P3)
      {{{1, 1}, {3, 1}}, {{5, 1}, {7, 1}}},      // X1
      {{{2, 1}, {6, 1}}, {{6, -1}, {2, -1}}},    // X2
      {{{3, 1}, {7, -1}}, {{1, -1}, {5, -1}}},   // X3
      {{{4, 1}, {4, -1}}, {{4, -1}, {4, 1}}},    // X4
      {{{5, 1}, {1, -1}}, {{7, 1}, {3, 1}}},     // X5
      {{{6, 1}, {2, -1}}, {{2, 1}, {6, -1}}},    // X6
      {{{7, 1}, {5, -1}}, {{3, 1}, {1, -1}}},    // X7
  };
  DctRowWeightTable table{};
  for (int u = 0; u < 8; ++u) {
    for (int pair = 0; pair < 2; ++pair) {
      for (int row = 0; row < 8; ++row) {
        for (int j = 0; j < 2; ++j) {
          const auto& term = kTerms[u][pair][j];
          table.value[u][pair][2 * row + j] =
              static_cast<int16_t>(term[1] * kDctRowWeights[row][term[0] - 1]);
        }
      }
    }
  }
  return table;
}

inline constexpr DctRowWeightTable kDctRowWeightTable = MakeDctRowWeightTable();

template <class V>
LUMAPRESS_SIMD_INLINE void Transpose8x8(typename V::T r[8]) {
  using T = typename V::T;
  const T a0 = V::UnpackLo16(r[0], r[1]), a1 = V::UnpackHi16(r[0], r[1]);
  const T a2 = V::UnpackLo16(r[2], r[3]), a3 = V::UnpackHi16(r[2], r[3]);
  const T a4 = V::UnpackLo16(r[4], r[5]), a5 = V::UnpackHi16(r[4], r[5]);
  const T a6 = V::UnpackLo16(r[6], r[7]), a7 = V::UnpackHi16(r[6], r[7]);
  const T b0 = V::UnpackLo32(a0, a2), b1 = V::UnpackHi32(a0, a2);
  const T b2 = V::UnpackLo32(a1, a3), b3 = V::UnpackHi32(a1, a3);
  const T b4 = V::UnpackLo32(a4, a6), b5 = V::UnpackHi32(a4, a6);
  const T b6 = V::UnpackLo32(a5, a7), b7 = V::UnpackHi32(a5, a7);
  r[0] = V::UnpackLo64(b0, b4);
  r[1] = V::UnpackHi64(b0, b4);
  r[2] = V::UnpackLo64(b1, b5);
  r[3] = V::UnpackHi64(b1, b5);
  r[4] = V::UnpackLo64(b2, b6);
  r[5] = V::UnpackHi64(b2, b6);
  r[6] = V::UnpackLo64(b3, b7);
  r[7] = V::UnpackHi64(b3, b7);
}

// The column pass on rows r[0..7] (each lane one column), in place.
template <class V>
LUMAPRESS_SIMD_INLINE void DctColumns16(typename V::T r[8]) {
  using T = typename V::T;
  const T one = V::Set16(1);
  const T tan1 = V::Set16(kDctTan1Q16), tan2 = V::Set16(kDctTan2Q16);
  const T tan3m1 = V::Set16(kDctTan3Minus1Q16), cos4 = V::Set16(kDctCos4Q15);
  const T tp07 = V::template Shl<3>(V::Adds(r[0], r[7])), tp16 = V::template Shl<3>(V::Adds(r[1], r[6]));
  const T tp25 = V::template Shl<3>(V::Adds(r[2], r[5])), tp34 = V::template Shl<3>(V::Adds(r[3], r[4]));
  const T tm07 = V::template Shl<3>(V::Subs(r[0], r[7])), tm16 = V::template Shl<4>(V::Subs(r[1], r[6]));
  const T tm25 = V::template Shl<4>(V::Subs(r[2], r[5])), tm34 = V::template Shl<3>(V::Subs(r[3], r[4]));

  const T d = V::Adds(tp07, tp34), c = V::Subs(tp07, tp34);
  const T a = V::Adds(tp16, tp25), b = V::Subs(tp16, tp25);
  r[0] = V::Adds(d, a);
  r[4] = V::Subs(d, a);
  r[2] = V::Or(V::Adds(c, V::MulHi(b, tan2)), one);
  r[6] = V::Or(V::Subs(V::MulHi(c, tan2), b), one);

  const T e = V::Or(V::MulHi(V::Adds(tm16, tm25), cos4), one);
  const T f = V::MulHi(V::Subs(tm16, tm25), cos4);
  const T p = V::Adds(tm34, f), q = V::Subs(tm34, f);
  const T s = V::Adds(tm07, e), rr = V::Subs(tm07, e);
  r[1] = V::Or(V::Adds(s, V::MulHi(p, tan1)), one);
  r[7] = V::Subs(V::MulHi(s, tan1), p);
  r[3] = V::Subs(rr, V::Adds(V::MulHi(q, tan3m1), q));
  r[5] = V::Adds(V::Adds(V::MulHi(rr, tan3m1), rr), q);
}

// One output of the row pass from the interleaved pairs: 32-bit sums, rounded, >> 20.
template <class V>
LUMAPRESS_SIMD_INLINE typename V::T RowOutput(const typename V::T pairs[4], int u) {
  using T = typename V::T;
  const T round = V::Set32(kDctRoundRows16);
  const int16_t* w0 = kDctRowWeightTable.value[u][0];
  const int16_t* w1 = kDctRowWeightTable.value[u][1];
  const T lo = V::Add32(V::Madd(pairs[0], V::Broadcast(w0)), V::Madd(pairs[2], V::Broadcast(w1)));
  const T hi = V::Add32(V::Madd(pairs[1], V::Broadcast(w0 + 8)), V::Madd(pairs[3], V::Broadcast(w1 + 8)));
  return V::Packs32(V::template Sar32<20>(V::Add32(lo, round)), V::template Sar32<20>(V::Add32(hi, round)));
}

// The row pass on columns t[0..7] (each lane one row, after a transpose); the results come
// back as columns of the output (t[u] holds coefficient u of every row).
template <class V>
LUMAPRESS_SIMD_INLINE void DctRows16(typename V::T t[8]) {
  using T = typename V::T;
  T p[4], m[4];
  for (int i = 0; i < 4; ++i) {
    p[i] = V::Adds(t[i], t[7 - i]);
    m[i] = V::Subs(t[i], t[7 - i]);
  }
  // Rows 0-3 and 4-7 of (P0, P1) and (P2, P3), then the same for M.
  const T even[4] = {V::UnpackLo16(p[0], p[1]), V::UnpackHi16(p[0], p[1]), V::UnpackLo16(p[2], p[3]),
                     V::UnpackHi16(p[2], p[3])};
  const T odd[4] = {V::UnpackLo16(m[0], m[1]), V::UnpackHi16(m[0], m[1]), V::UnpackLo16(m[2], m[3]),
                    V::UnpackHi16(m[2], m[3])};
  for (int u = 0; u < 8; u += 2) {
    t[u] = RowOutput<V>(even, u);
    t[u + 1] = RowOutput<V>(odd, u + 1);
  }
}

// The whole 16-bit transform on rows r[0..7] of natural-order blocks, in place.
template <class V>
LUMAPRESS_SIMD_INLINE void ForwardDct16(typename V::T r[8]) {
  DctColumns16<V>(r);
  Transpose8x8<V>(r);
  DctRows16<V>(r);
  Transpose8x8<V>(r);
}

}  // namespace lumapress::simd
