#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

// RECT and MATRIX fields are SB[n] with n in a 5-bit field, so at most 31 bits.
constexpr int kMaxSignedFieldBits = 31;
constexpr int64_t kMaxRectTwips = (int64_t{1} << (kMaxSignedFieldBits - 1)) - 1;
constexpr int64_t kMinRectTwips = -(int64_t{1} << (kMaxSignedFieldBits - 1));
// A StraightEdgeRecord's NumBits is 4 bits (n - 2), so deltas fit in 17 signed bits.
constexpr int kMaxEdgeBits = 17;
constexpr int64_t kMaxEdgeDelta = (int64_t{1} << (kMaxEdgeBits - 1)) - 1;
constexpr int kMinEdgeBits = 2;
// CXFORMWITHALPHA terms are SB[Nbits] with Nbits in a 4-bit field, so at most 15 bits.
constexpr int kMaxColorTermBits = 15;
constexpr int32_t kMaxColorTerm = (1 << (kMaxColorTermBits - 1)) - 1;
constexpr int32_t kMinColorTerm = -(1 << (kMaxColorTermBits - 1));
// 16.16 fixed point for scale and skew factors.
constexpr double kFixedOne = 65536.0;
constexpr int32_t kFixedOneInt = 65536;

}  // namespace

int32_t SwfWriter::RoundHalfUp(double v) {
  const double rounded = std::floor(v + 0.5);
  if (std::isnan(rounded)) return 0;
  if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(rounded);
}

int SwfWriter::SignedBitCount(int32_t v) {
  const uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  return static_cast<int>(std::bit_width(magnitude)) + 1;
}

void SwfWriter::WriteRect(double xmin, double ymin, double xmax, double ymax) {
  WriteTwipsRect(RoundHalfUp(xmin * kTwipsPerPixel), RoundHalfUp(xmax * kTwipsPerPixel),
                 RoundHalfUp(ymin * kTwipsPerPixel), RoundHalfUp(ymax * kTwipsPerPixel));
}

void SwfWriter::WriteTwipsRect(int64_t xMin, int64_t xMax, int64_t yMin, int64_t yMax) {
  int32_t values[4];
  const int64_t given[4] = {xMin, xMax, yMin, yMax};
  int nbits = 0;
  for (int i = 0; i < 4; ++i) {
    values[i] = static_cast<int32_t>(std::clamp(given[i], kMinRectTwips, kMaxRectTwips));
    nbits = std::max(nbits, SignedBitCount(values[i]));
  }
  WriteBits(nbits, 5);  // Nbits
  for (int32_t value : values) WriteBits(value, nbits);  // Xmin, Xmax, Ymin, Ymax
  AlignToByte();
}

SwfWriter::FieldPair SwfWriter::FitMatrixPair(int32_t first, int32_t second,
                                              const char* overflowFormat, double x, double y) {
  FieldPair pair{std::max(SignedBitCount(first), SignedBitCount(second)), first, second};
  if (pair.bits > kMaxSignedFieldBits) {
    diagnostics().AddFormat(overflowFormat, pair.bits, x, y);
    const int shift = pair.bits - kMaxSignedFieldBits;
    pair.first >>= shift;
    pair.second >>= shift;
    pair.bits = kMaxSignedFieldBits;
  }
  return pair;
}

void SwfWriter::WriteFieldPair(const FieldPair& pair) {
  WriteBits(pair.bits, 5);
  WriteBits(pair.first, pair.bits);
  WriteBits(pair.second, pair.bits);
}

void SwfWriter::WriteMatrixScale(double sx, double sy) {
  const FieldPair scale =
      FitMatrixPair(RoundHalfUp(sx * kFixedOne), RoundHalfUp(sy * kFixedOne),
                    "!!!OVERFLOW SCALE BITS: %d _x:%f, _y:%f\n", sx, sy);
  if (scale.first == kFixedOneInt && scale.second == kFixedOneInt) {
    WriteBits(0, 1);  // HasScale
    return;
  }
  WriteBits(1, 1);  // HasScale
  WriteFieldPair(scale);  // NScaleBits, ScaleX, ScaleY
}

void SwfWriter::WriteMatrixRotate(double r0, double r1) {
  const FieldPair skew =
      FitMatrixPair(RoundHalfUp(r0 * kFixedOne), RoundHalfUp(r1 * kFixedOne),
                    "!!!OVERFLOW ROTATE BITS: %d _x:%f, _y:%f\n", r0, r1);
  if (skew.first == 0 && skew.second == 0) {
    WriteBits(0, 1);  // HasRotate
    return;
  }
  WriteBits(1, 1);  // HasRotate
  WriteFieldPair(skew);  // NRotateBits, RotateSkew0, RotateSkew1
}

void SwfWriter::WriteMatrixTranslate(double x, double y) {
  const FieldPair translate = FitMatrixPair(RoundHalfUp(x), RoundHalfUp(y),
                                            "!!!OVERFLOW TRANS BITS: %d _x:%f, _y:%f\n", x, y);
  if (translate.first == 0 && translate.second == 0) {
    WriteBits(0, 5);  // NTranslateBits, no values
    return;
  }
  WriteFieldPair(translate);  // NTranslateBits, TranslateX, TranslateY
}

void SwfWriter::WriteStraightEdge(double dx, double dy) {
  const int64_t deltaX = RoundHalfUp(dx);
  const int64_t deltaY = RoundHalfUp(dy);
  const int64_t longest = std::max(std::llabs(deltaX), std::llabs(deltaY));
  if (longest == 0) return;
  // Equal pieces, each within one record's range; their sum is exactly the edge.
  const int64_t pieces = (longest + kMaxEdgeDelta - 1) / kMaxEdgeDelta;
  for (int64_t i = 0; i < pieces; ++i) {
    const int64_t pieceX = deltaX * (i + 1) / pieces - deltaX * i / pieces;
    const int64_t pieceY = deltaY * (i + 1) / pieces - deltaY * i / pieces;
    WriteEdgeRecord(static_cast<int32_t>(pieceX), static_cast<int32_t>(pieceY));
  }
}

void SwfWriter::WriteEdgeRecord(int32_t dx, int32_t dy) {
  const int bits = std::max({kMinEdgeBits, dx == 0 ? 0 : SignedBitCount(dx),
                             dy == 0 ? 0 : SignedBitCount(dy)});
  WriteBits(1, 1);  // TypeFlag: edge
  WriteBits(1, 1);  // StraightFlag
  WriteBits(bits - 2, 4);  // NumBits
  if (dx == 0) {
    WriteBits(0, 1);  // GeneralLineFlag
    WriteBits(1, 1);  // VertLineFlag
    WriteBits(dy, bits);  // DeltaY
  } else if (dy == 0) {
    WriteBits(0, 1);  // GeneralLineFlag
    WriteBits(0, 1);  // VertLineFlag
    WriteBits(dx, bits);  // DeltaX
  } else {
    WriteBits(1, 1);  // GeneralLineFlag
    WriteBits(dx, bits);  // DeltaX
    WriteBits(dy, bits);  // DeltaY
  }
}

void SwfWriter::WriteColorTransformWithAlpha(const ColorTransform& transform) {
  const int32_t mult[4] = {transform.redMult, transform.greenMult, transform.blueMult, transform.alphaMult};
  const int32_t add[4] = {transform.redAdd, transform.greenAdd, transform.blueAdd, transform.alphaAdd};
  const bool hasMult = std::any_of(std::begin(mult), std::end(mult), [](int32_t m) { return m != ColorTransform::kOne; });
  const bool hasAdd = std::any_of(std::begin(add), std::end(add), [](int32_t a) { return a != 0; });
  int32_t terms[8];
  int count = 0;
  if (hasMult) {
    for (int32_t m : mult) terms[count++] = std::clamp(m, kMinColorTerm, kMaxColorTerm);
  }
  if (hasAdd) {
    for (int32_t a : add) terms[count++] = std::clamp(a, kMinColorTerm, kMaxColorTerm);
  }
  int nbits = 0;
  for (int i = 0; i < count; ++i) nbits = std::max(nbits, SignedBitCount(terms[i]));
  WriteBits(hasAdd ? 1 : 0, 1);   // HasAddTerms
  WriteBits(hasMult ? 1 : 0, 1);  // HasMultTerms
  WriteBits(nbits, 4);            // Nbits
  // Red, green, blue and alpha multiply terms, then the four add terms.
  for (int i = 0; i < count; ++i) WriteBits(terms[i], nbits);
  AlignToByte();
}

}  // namespace lumapress
