#include "support/swf_shape_outline.h"

#include <limits>
#include <map>
#include <utility>

namespace lumapress::test {
namespace {

[[noreturn]] void Fail(const char* what) { throw SwfFormatError(what); }

}  // namespace

ShapeOutline ParseShapeOutline(std::span<const uint8_t> body) {
  SwfBitReader reader(body);
  ShapeOutline outline;
  outline.shapeId = reader.ReadU16();
  outline.bounds = ReadRect(reader);
  const uint8_t fillCount = reader.ReadU8();
  for (uint8_t i = 0; i < fillCount; ++i) {
    ShapeFill fill;
    fill.type = reader.ReadU8();
    if (fill.type == 0x00) {
      const uint32_t red = reader.ReadU8();
      const uint32_t green = reader.ReadU8();
      const uint32_t blue = reader.ReadU8();
      fill.rgb = red << 16 | green << 8 | blue;
    } else if (fill.type >= 0x40 && fill.type <= 0x43) {
      fill.bitmapId = reader.ReadU16();
      fill.matrix = ReadMatrix(reader);
      reader.Align();
    } else {
      Fail("only solid and bitmap fills are expected");
    }
    outline.fills.push_back(fill);
  }
  if (reader.ReadU8() != 0) Fail("expected no line styles");
  const int fillBits = static_cast<int>(reader.ReadUB(4));
  const int lineBits = static_cast<int>(reader.ReadUB(4));
  int64_t x = 0, y = 0;
  uint32_t fill0 = 0, fill1 = 0;
  ReadShapeRecords(
      reader, fillBits, lineBits,
      [&](const ShapeStyleChange& change) {
        if (change.moveTo) {
          x = change.moveX;
          y = change.moveY;
        }
        if (change.setsFill0) fill0 = change.fill0;
        if (change.setsFill1) fill1 = change.fill1;
        if (fill0 > outline.fills.size() || fill1 > outline.fills.size()) Fail("fill style out of range");
      },
      [&](const ShapeEdge& edge) {
        outline.edges.push_back({x, y, edge.dx, edge.dy, fill0, fill1});
        x += edge.dx;
        y += edge.dy;
      });
  return outline;
}

uint32_t FillAt(const ShapeOutline& outline, double x, double y) {
  double nearest = std::numeric_limits<double>::infinity();
  uint32_t fill = 0;
  for (const OutlineEdge& edge : outline.edges) {
    if (edge.dx != 0) continue;  // only vertical edges cross an eastward ray here
    const double top = static_cast<double>(std::min(edge.y, edge.y + edge.dy));
    const double bottom = static_cast<double>(std::max(edge.y, edge.y + edge.dy));
    const double edgeX = static_cast<double>(edge.x);
    if (y <= top || y >= bottom || edgeX <= x || edgeX >= nearest) continue;
    nearest = edgeX;
    // Drawn downwards, its right side is the west; drawn upwards, its left side.
    fill = edge.dy > 0 ? edge.fill0 : edge.fill1;
  }
  return fill;
}

bool EveryFillCloses(const ShapeOutline& outline) {
  // Per fill and vertex: edges leaving minus edges arriving, each edge turned so that the fill
  // lies on its right.
  std::map<std::pair<uint32_t, std::pair<int64_t, int64_t>>, int> balance;
  for (const OutlineEdge& edge : outline.edges) {
    const std::pair<int64_t, int64_t> start{edge.x, edge.y};
    const std::pair<int64_t, int64_t> end{edge.x + edge.dx, edge.y + edge.dy};
    if (edge.fill0 != 0) {
      ++balance[{edge.fill0, start}];
      --balance[{edge.fill0, end}];
    }
    if (edge.fill1 != 0) {
      ++balance[{edge.fill1, end}];
      --balance[{edge.fill1, start}];
    }
  }
  for (const auto& [key, count] : balance) {
    if (count != 0) return false;
  }
  return true;
}

}  // namespace lumapress::test
