#include "jpeg/jpeg_dct.h"

#include <algorithm>

namespace lumapress {

namespace {

// ---- 32-bit transform ------------------------------------------------------------------

// Fixed-point constants, see the comments at their use.
constexpr int32_t kCos4Q16 = 46341;        // cos(pi/4) * 2^16
constexpr int32_t kCos2Q16 = 42813;        // cos(pi/8) / sqrt(2) * 2^16
constexpr int32_t kSin2Q16 = 17734;        // sin(pi/8) / sqrt(2) * 2^16
constexpr int32_t kCos1Q12 = 4017;         // cos(pi/16) * 2^12
constexpr int32_t kSin1Q12 = 799;          // sin(pi/16) * 2^12
constexpr int32_t kCos3Q12 = 3406;         // cos(3 pi/16) * 2^12
constexpr int32_t kSin3Q12 = 2276;         // sin(3 pi/16) * 2^12
constexpr int32_t kRoundRow = 2048;        // half of 2^12
constexpr int32_t kRoundColumn = 1048576;  // half of 2^21

// One line of eight values, `step` apart. The row pass keeps eight times the scale of the
// column pass, which removes it at the end (>> 6 and >> 21).
template <bool kColumn>
void DctLine(int16_t* line, int step) {
  const int32_t x0 = line[0], x1 = line[step], x2 = line[2 * step], x3 = line[3 * step];
  const int32_t x4 = line[4 * step], x5 = line[5 * step], x6 = line[6 * step], x7 = line[7 * step];
  const int32_t l = x0 + x7, m = x3 + x4, o = x1 + x6, r = x2 + x5;
  const int32_t t = ((x0 - x7) * kCos4Q16 + kRoundRow) >> 12;
  const int32_t u = ((x3 - x4) * kCos4Q16 + kRoundRow) >> 12;
  const int32_t v = (x1 + x2 - x5 - x6) * 8;
  const int32_t a = (x1 + x5 - x2 - x6) * 8;
  const int32_t w = v + t, b = a + u, t2 = t - v, u2 = u - a;

  const int32_t even2 = (l - m) * kCos2Q16 + (o - r) * kSin2Q16;
  const int32_t even6 = (l - m) * kSin2Q16 - (o - r) * kCos2Q16;
  const int32_t odd1 = w * kCos1Q12 + b * kSin1Q12;
  const int32_t odd7 = w * kSin1Q12 - b * kCos1Q12;
  const int32_t odd5 = t2 * kSin3Q12 + u2 * kCos3Q12;
  const int32_t odd3 = t2 * kCos3Q12 - u2 * kSin3Q12;
  int32_t out[8];
  if constexpr (kColumn) {
    out[0] = (l + m + o + r + 32) >> 6;
    out[4] = (l + m - o - r + 32) >> 6;
    out[2] = (even2 + kRoundColumn) >> 21;
    out[6] = (even6 + kRoundColumn) >> 21;
    out[1] = (odd1 + kRoundColumn) >> 21;
    out[7] = (odd7 + kRoundColumn) >> 21;
    out[5] = (odd5 + kRoundColumn) >> 21;
    out[3] = (odd3 + kRoundColumn) >> 21;
  } else {
    out[0] = (l + m + o + r) * 8;
    out[4] = (l + m - o - r) * 8;
    out[2] = (even2 + kRoundRow) >> 12;
    out[6] = (even6 + kRoundRow) >> 12;
    out[1] = (odd1 + kRoundRow) >> 12;
    out[7] = (odd7 + kRoundRow) >> 12;
    out[5] = (odd5 + kRoundRow) >> 12;
    out[3] = (odd3 + kRoundRow) >> 12;
  }
  for (int i = 0; i < 8; ++i) line[i * step] = static_cast<int16_t>(out[i]);
}

// ---- 16-bit transform ------------------------------------------------------------------

constexpr int32_t kTan1Q16 = kDctTan1Q16;
constexpr int32_t kTan2Q16 = kDctTan2Q16;
constexpr int32_t kTan3Minus1Q16 = kDctTan3Minus1Q16;
constexpr int32_t kCos4Q15 = kDctCos4Q15;
constexpr int32_t kRoundRows16 = kDctRoundRows16;

int16_t Saturate(int32_t value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }
int16_t Add(int16_t a, int16_t b) { return Saturate(int32_t{a} + b); }
int16_t Sub(int16_t a, int16_t b) { return Saturate(int32_t{a} - b); }
int16_t Shl(int16_t a, int n) { return static_cast<int16_t>(static_cast<uint16_t>(a) << n); }
int16_t MulHi(int16_t a, int32_t k) { return static_cast<int16_t>((int32_t{a} * k) >> 16); }
int16_t Or1(int16_t a) { return static_cast<int16_t>(a | 1); }

void DctColumn16(int16_t* column) {
  const int16_t x0 = column[0], x1 = column[8], x2 = column[16], x3 = column[24];
  const int16_t x4 = column[32], x5 = column[40], x6 = column[48], x7 = column[56];
  const int16_t tp07 = Shl(Add(x0, x7), 3), tp16 = Shl(Add(x1, x6), 3);
  const int16_t tp25 = Shl(Add(x2, x5), 3), tp34 = Shl(Add(x3, x4), 3);
  const int16_t tm07 = Shl(Sub(x0, x7), 3), tm16 = Shl(Sub(x1, x6), 4);
  const int16_t tm25 = Shl(Sub(x2, x5), 4), tm34 = Shl(Sub(x3, x4), 3);

  const int16_t d = Add(tp07, tp34), c = Sub(tp07, tp34);
  const int16_t a = Add(tp16, tp25), b = Sub(tp16, tp25);
  column[0] = Add(d, a);
  column[32] = Sub(d, a);
  column[16] = Or1(Add(c, MulHi(b, kTan2Q16)));
  column[48] = Or1(Sub(MulHi(c, kTan2Q16), b));

  const int16_t e = Or1(MulHi(Add(tm16, tm25), kCos4Q15));
  const int16_t f = MulHi(Sub(tm16, tm25), kCos4Q15);
  const int16_t p = Add(tm34, f), q = Sub(tm34, f);
  const int16_t s = Add(tm07, e), r = Sub(tm07, e);
  column[8] = Or1(Add(s, MulHi(p, kTan1Q16)));
  column[56] = Sub(MulHi(s, kTan1Q16), p);
  column[24] = Sub(r, Add(MulHi(q, kTan3Minus1Q16), q));
  column[40] = Add(Add(MulHi(r, kTan3Minus1Q16), r), q);
}

void DctRow16(int16_t* row, const std::array<int16_t, 7>& weight) {
  int64_t p[4], m[4];
  for (int i = 0; i < 4; ++i) {
    p[i] = Add(row[i], row[7 - i]);
    m[i] = Sub(row[i], row[7 - i]);
  }
  const int64_t w1 = weight[0], w2 = weight[1], w3 = weight[2], w4 = weight[3];
  const int64_t w5 = weight[4], w6 = weight[5], w7 = weight[6];
  // Computed wide, then wrapped to 32 bits as the vector unit's 32-bit sums wrap.
  const int64_t sums[8] = {
      w4 * (p[0] + p[1] + p[2] + p[3]),
      w1 * m[0] + w3 * m[1] + w5 * m[2] + w7 * m[3],
      w2 * p[0] + w6 * p[1] - w6 * p[2] - w2 * p[3],
      w3 * m[0] - w7 * m[1] - w1 * m[2] - w5 * m[3],
      w4 * (p[0] - p[1] - p[2] + p[3]),
      w5 * m[0] - w1 * m[1] + w7 * m[2] + w3 * m[3],
      w6 * p[0] - w2 * p[1] + w2 * p[2] - w6 * p[3],
      w7 * m[0] - w5 * m[1] + w3 * m[2] - w1 * m[3],
  };
  for (int u = 0; u < 8; ++u) {
    const auto sum = static_cast<int32_t>(static_cast<uint32_t>(sums[u]));
    const auto rounded = static_cast<int32_t>(static_cast<uint32_t>(sum) + kRoundRows16);
    row[u] = Saturate(rounded >> 20);
  }
}

}  // namespace

void ForwardDctPlain(int16_t* block) {
  for (int row = 0; row < 8; ++row) DctLine<false>(block + row * 8, 1);
  for (int column = 0; column < 8; ++column) DctLine<true>(block + column, 8);
}

void ForwardDctVector(int16_t* block) {
  for (int column = 0; column < 8; ++column) DctColumn16(block + column);
  for (int row = 0; row < 8; ++row) DctRow16(block + row * 8, kDctRowWeights[row]);
}

}  // namespace lumapress
