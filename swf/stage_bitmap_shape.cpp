#include <algorithm>
#include <cstdint>
#include <vector>

#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

constexpr uint32_t kNoFill = 0;
constexpr uint32_t kBitmapFill = 1;
constexpr uint32_t kColourFill = 2;

// The distinct values of {0, a, b, end}, ascending; a and b are clamped to 0..end first.
std::vector<int64_t> GridLines(int64_t a, int64_t b, int64_t end) {
  std::vector<int64_t> lines{0, std::clamp<int64_t>(a, 0, end), std::clamp<int64_t>(b, 0, end), end};
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

}  // namespace

int32_t SwfWriter::DefineStageBitmapShape(int32_t stageWidth, int32_t stageHeight, int32_t x,
                                          int32_t y, int32_t width, int32_t height,
                                          int32_t bitmapId, uint32_t rgb) {
  // The bitmap's rectangle on the stage, twips.
  const int64_t left = int64_t{x} * kTwipsPerPixel;
  const int64_t top = int64_t{y} * kTwipsPerPixel;
  const int64_t right = (int64_t{x} + width) * kTwipsPerPixel;
  const int64_t bottom = (int64_t{y} + height) * kTwipsPerPixel;
  const int32_t shapeId = NewCharacterId();
  BeginShortTag(kTagDefineShape);
  WriteU16(shapeId);                            // ShapeId
  WriteRect(0, 0, stageWidth, stageHeight);     // ShapeBounds
  WriteByte(2);                                 // FillStyleCount
  WriteByte(kFillClippedBitmap);                // 1: FillStyleType
  WriteU16(bitmapId);                           //    BitmapId
  WriteMatrixScale(kTwipsPerPixel, kTwipsPerPixel);  // BitmapMatrix: one pixel per 20 twips,
  WriteMatrixRotate(0, 0);                           // the bitmap's corner at (x, y)
  WriteMatrixTranslate(static_cast<double>(left), static_cast<double>(top));
  AlignToByte();
  WriteByte(kFillSolid);                        // 2: FillStyleType
  WriteByte(static_cast<int32_t>(rgb >> 16 & 0xFF));  // Color: red, green, blue
  WriteByte(static_cast<int32_t>(rgb >> 8 & 0xFF));
  WriteByte(static_cast<int32_t>(rgb & 0xFF));
  WriteByte(0);     // LineStyleCount
  WriteBits(2, 4);  // NumFillBits
  WriteBits(0, 4);  // NumLineBits

  // The stage cut along the bitmap's edges into at most 3 x 3 cells, in twips; every cell is
  // the bitmap's or the colour's. Each edge between cells of different fills (the stage's
  // outside counting as no fill) is written once with the fills on its two sides, so the two
  // regions meet on common edges and anti-aliasing leaves no seam between them.
  const std::vector<int64_t> columns = GridLines(left, right, int64_t{stageWidth} * kTwipsPerPixel);
  const std::vector<int64_t> rows = GridLines(top, bottom, int64_t{stageHeight} * kTwipsPerPixel);
  const auto cellFill = [&](int column, int row) {
    if (column < 0 || row < 0 || column + 1 >= static_cast<int>(columns.size()) ||
        row + 1 >= static_cast<int>(rows.size())) {
      return kNoFill;
    }
    const bool inBitmap = columns[column] >= left && columns[column + 1] <= right && rows[row] >= top &&
                          rows[row + 1] <= bottom;
    return inBitmap ? kBitmapFill : kColourFill;
  };
  // One StyleChangeRecord (move to the edge's start, both fills) and the edge. FillStyle0 is
  // the fill on the right of an edge as it is drawn, seen on the stage (y pointing down), as
  // in every outline this writer draws; FillStyle1 the fill on its left.
  const auto writeEdge = [&](int64_t fromX, int64_t fromY, int64_t dx, int64_t dy, uint32_t fill0,
                             uint32_t fill1) {
    WriteBits(0, 1);  // TypeFlag: StyleChangeRecord
    WriteBits(0, 1);  // StateNewStyles
    WriteBits(0, 1);  // StateLineStyle
    WriteBits(1, 1);  // StateFillStyle1
    WriteBits(1, 1);  // StateFillStyle0
    WriteBits(1, 1);  // StateMoveTo
    WriteMatrixTranslate(static_cast<double>(fromX), static_cast<double>(fromY));  // MoveBits, deltas
    WriteBits(static_cast<int32_t>(fill0), 2);  // FillStyle0
    WriteBits(static_cast<int32_t>(fill1), 2);  // FillStyle1
    WriteStraightEdge(static_cast<double>(dx), static_cast<double>(dy));
  };
  const int columnCount = static_cast<int>(columns.size()) - 1;
  const int rowCount = static_cast<int>(rows.size()) - 1;
  // Vertical edges, drawn downwards: the cell to the west is on their right.
  for (int line = 0; line <= columnCount; ++line) {
    for (int row = 0; row < rowCount; ++row) {
      const uint32_t west = cellFill(line - 1, row);
      const uint32_t east = cellFill(line, row);
      if (west != east) writeEdge(columns[line], rows[row], 0, rows[row + 1] - rows[row], west, east);
    }
  }
  // Horizontal edges, drawn to the east: the cell to the south is on their right.
  for (int line = 0; line <= rowCount; ++line) {
    for (int column = 0; column < columnCount; ++column) {
      const uint32_t north = cellFill(column, line - 1);
      const uint32_t south = cellFill(column, line);
      if (north != south) writeEdge(columns[column], rows[line], columns[column + 1] - columns[column], 0, south, north);
    }
  }
  WriteBits(0, 6);  // EndShapeRecord: TypeFlag 0, five zero flags
  AlignToByte();
  EndShortTag();
  return shapeId;
}

}  // namespace lumapress
