#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "support/swf_reader.h"

namespace lumapress::test {

// A DefineShape (code 2) read as regions: its fill styles and every straight edge with its
// absolute start and the fills on its two sides. Curves, line styles and new styles are
// refused: the writer draws none.
struct ShapeFill {
  uint8_t type = 0;       // 0x00 solid, 0x40-0x43 bitmap
  uint32_t rgb = 0;       // solid: 0xRRGGBB
  uint16_t bitmapId = 0;  // bitmap
  SwfMatrix matrix;       // bitmap
};
struct OutlineEdge {
  int64_t x = 0, y = 0;    // start, twips
  int64_t dx = 0, dy = 0;  // twips
  uint32_t fill0 = 0;      // FillStyle0: the fill on the edge's right as drawn (y down); 0 none
  uint32_t fill1 = 0;      // FillStyle1: the fill on its left
};
struct ShapeOutline {
  uint16_t shapeId = 0;
  SwfRect bounds;
  std::vector<ShapeFill> fills;  // fill style n is fills[n - 1]
  std::vector<OutlineEdge> edges;
};
ShapeOutline ParseShapeOutline(std::span<const uint8_t> body);

// The fill style (0 for none) at (x, y) twips, a point on no edge, found by casting a ray to
// the east: the first vertical edge it crosses has the point on its west side.
uint32_t FillAt(const ShapeOutline& outline, double x, double y);

// True when the edges of every fill close up: at each vertex, as many of the fill's edges
// (turned so that the fill lies on their right) arrive as leave.
bool EveryFillCloses(const ShapeOutline& outline);

}  // namespace lumapress::test
