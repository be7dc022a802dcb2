#include <gtest/gtest.h>

#include "swf_test_files.h"

namespace lumapress::test {
namespace {

TEST(SwfGeometry, RoundHalfUpGoesTowardPositiveInfinityOnHalves) {
  const struct {
    double value;
    int32_t expected;
  } cases[] = {{2.5, 3},   {2.4999, 2}, {-2.5, -2}, {-2.5001, -3}, {0.05 * 20, 1},
               {0.0, 0},   {-0.5, 0},   {6400.0, 6400}, {1e12, 2147483647}, {-1e12, -2147483647 - 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(SwfWriter::RoundHalfUp(c.value), c.expected);
  }
}

TEST(SwfGeometry, SignedBitCount) {
  const struct {
    int32_t value;
    int expected;
  } cases[] = {{0, 1},       {1, 2},        {-1, 2},        {3, 3},         {4, 4},
               {-4, 4},      {6400, 14},    {65535, 17},    {65536, 18},    {1310720, 22},
               {1 << 29, 31}, {(1 << 30) - 1, 31}, {1 << 30, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(SwfWriter::SignedBitCount(c.value), c.expected);
  }
}

TEST(SwfGeometry, RecordBytes) {
  const ByteCase<SwfWriter> cases[] = {
      {"RECT 0 0 320 240", [](SwfWriter& w) { w.WriteRect(0, 0, 320, 240); },
       "70 00 0C 80 00 00 96 00"},
      {"RECT 0 0 100 50", [](SwfWriter& w) { w.WriteRect(0, 0, 100, 50); },
       "60 00 3E 80 00 1F 40"},
      {"bitmap matrix: scale 20, no rotation, no translation",
       [](SwfWriter& w) {
         w.WriteMatrixScale(20, 20);
         w.WriteMatrixRotate(0, 0);
         w.WriteMatrixTranslate(0, 0);
         w.AlignToByte();
       },
       "D9 40 00 05 00 00 00"},
      {"identity matrix",
       [](SwfWriter& w) {
         w.WriteMatrixScale(1, 1);
         w.WriteMatrixRotate(0, 0);
         w.WriteMatrixTranslate(0, 0);
         w.AlignToByte();
       },
       "00"},
      {"translate 100, -50",
       [](SwfWriter& w) {
         w.WriteMatrixScale(1, 1);
         w.WriteMatrixRotate(0, 0);
         w.WriteMatrixTranslate(100, -50);
         w.AlignToByte();
       },
       "10 C9 9C"},
      {"horizontal edge -6400",
       [](SwfWriter& w) { w.WriteStraightEdge(-6400, 0); w.AlignToByte(); }, "F0 9C 00"},
      {"vertical edge 4800", [](SwfWriter& w) { w.WriteStraightEdge(0, 4800); w.AlignToByte(); },
       "F1 4B 00"},
      {"general edge 1, 1 uses the minimum of 2 bits",
       [](SwfWriter& w) { w.WriteStraightEdge(1, 1); w.AlignToByte(); }, "C2 A0"},
      {"general edge 3, -1", [](SwfWriter& w) { w.WriteStraightEdge(3, -1); w.AlignToByte(); },
       "C6 F8"},
      {"zero edge writes nothing", [](SwfWriter& w) { w.WriteStraightEdge(0, 0); }, ""},
      {"edge deltas round half up",
       [](SwfWriter& w) { w.WriteStraightEdge(-6400.5, 0.4); w.AlignToByte(); }, "F0 9C 00"},
      {"horizontal edge of 65535 twips fits one record",
       [](SwfWriter& w) { w.WriteStraightEdge(65535, 0); w.AlignToByte(); }, "FC 7F FF 80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(BytesAfterHeader(c.write)), Hex(c.expectedHex));
  }
}

struct Edge {
  int bits;
  int32_t dx, dy;
};

// Straight-edge records up to the first record whose TypeFlag is 0.
std::vector<Edge> DecodeEdges(std::span<const uint8_t> bytes) {
  SwfBitReader reader(bytes);
  std::vector<Edge> edges;
  while (reader.ReadUB(1) == 1) {
    EXPECT_EQ(reader.ReadUB(1), 1u) << "StraightFlag";
    Edge edge{static_cast<int>(reader.ReadUB(4)) + 2, 0, 0};
    if (reader.ReadUB(1)) {
      edge.dx = reader.ReadSB(edge.bits);
      edge.dy = reader.ReadSB(edge.bits);
    } else if (reader.ReadUB(1)) {
      edge.dy = reader.ReadSB(edge.bits);
    } else {
      edge.dx = reader.ReadSB(edge.bits);
    }
    edges.push_back(edge);
  }
  return edges;
}

TEST(SwfGeometry, LongEdgesAreSplitIntoRecordsOfTheSameDirection) {
  const struct {
    int32_t dx, dy;
    size_t records;
  } cases[] = {{-80000, 0, 2},       {0, 80000, 2},        {65536, 0, 2},
               {-1310700, 0, 20}, {-1310701, 0, 21},    {70000, -131071, 3},  {200000, 1, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
    // A zero TypeFlag after the records ends the decoding.
    const auto bytes = BytesAfterHeader([&](SwfWriter& w) {
      w.WriteStraightEdge(c.dx, c.dy);
      w.WriteBits(0, 2);
      w.AlignToByte();
      w.WriteByte(0);
    });
    const auto edges = DecodeEdges(bytes);
    ASSERT_EQ(edges.size(), c.records);
    int64_t sumX = 0, sumY = 0;
    for (const Edge& edge : edges) {
      EXPECT_LE(edge.bits, 17);
      EXPECT_LE(std::abs(edge.dx), 65535);
      EXPECT_LE(std::abs(edge.dy), 65535);
      if (c.dx == 0) {
        EXPECT_EQ(edge.dx, 0);  // axis-aligned edges stay axis-aligned
      }
      if (c.dy == 0) {
        EXPECT_EQ(edge.dy, 0);
      }
      EXPECT_TRUE(edge.dx != 0 || edge.dy != 0);
      EXPECT_GE(int64_t{edge.dx} * c.dx, 0);  // same direction as the whole edge
      EXPECT_GE(int64_t{edge.dy} * c.dy, 0);
      sumX += edge.dx;
      sumY += edge.dy;
    }
    EXPECT_EQ(sumX, c.dx);
    EXPECT_EQ(sumY, c.dy);
  }
}

TEST(SwfGeometry, RectFieldsUpTo31BitsReadBack) {
  const struct {
    double xmin, ymin, xmax, ymax;
    int nbits;
    int32_t xMin, xMax, yMin, yMax;
  } cases[] = {
      {0, 0, 2000000, 0, 27, 0, 40000000, 0, 0},
      {0, -3000000, 4000000, 0, 28, 0, 80000000, -60000000, 0},
      {0, 0, 50000000, 25000000, 31, 0, 1000000000, 0, 500000000},
      {-50000000, 0, 0, 1, 31, -1000000000, 0, 0, 20},
      {0, 0, 60000000, 0, 31, 0, 1073741823, 0, 0},  // beyond 31 bits: clamped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.xmax << " x " << c.ymax);
    const auto bytes = BytesAfterHeader([&](SwfWriter& w) { w.WriteRect(c.xmin, c.ymin, c.xmax, c.ymax); });
    SwfBitReader reader(bytes);
    const SwfRect rect = ReadRect(reader);
    EXPECT_EQ(rect.nbits, c.nbits);
    EXPECT_EQ(rect.xMin, c.xMin);
    EXPECT_EQ(rect.xMax, c.xMax);
    EXPECT_EQ(rect.yMin, c.yMin);
    EXPECT_EQ(rect.yMax, c.yMax);
    EXPECT_EQ(reader.BytesLeft(), 0u);
  }
}

TEST(SwfGeometry, WideMatrixFieldsReadBackAndOverflowsAreShiftedInto31Bits) {
  const struct {
    const char* what;
    double sx, sy, r0, r1, x, y;
    SwfMatrix expected;
    const char* diagnostics;
  } cases[] = {
      {"translate in 31 bits", 1, 1, 0, 0, 1e9, -5e8,
       {false, 0, 65536, 65536, false, 0, 0, 0, 31, 1000000000, -500000000}, ""},
      {"scale in 30 bits", 5000, -0.5, 0, 0, 0, 0,
       {true, 30, 327680000, -32768, false, 0, 0, 0, 0, 0, 0}, ""},
      {"translate overflow", 1, 1, 0, 0, 1073741824.0, 0,
       {false, 0, 65536, 65536, false, 0, 0, 0, 31, 536870912, 0},
       "!!!OVERFLOW TRANS BITS: 32 _x:1073741824.000000, _y:0.000000\n"},
      {"scale overflow", 20000, 1, 0, 0, 0, 0,
       {true, 31, 655360000, 32768, false, 0, 0, 0, 0, 0, 0},
       "!!!OVERFLOW SCALE BITS: 32 _x:20000.000000, _y:1.000000\n"},
      {"rotate overflow", 1, 1, -20000, 0.5, 0, 0,
       {false, 0, 65536, 65536, true, 31, -655360000, 16384, 0, 0, 0},
       "!!!OVERFLOW ROTATE BITS: 32 _x:-20000.000000, _y:0.500000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string diagnostics;
    const auto bytes = BytesAfterHeader([&](SwfWriter& w) {
      w.WriteMatrixScale(c.sx, c.sy);
      w.WriteMatrixRotate(c.r0, c.r1);
      w.WriteMatrixTranslate(c.x, c.y);
      w.AlignToByte();
      diagnostics = w.diagnostics().Text();
    });
    SwfBitReader reader(bytes);
    const SwfMatrix m = ReadMatrix(reader);
    EXPECT_EQ(m.hasScale, c.expected.hasScale);
    EXPECT_EQ(m.scaleBits, c.expected.scaleBits);
    EXPECT_EQ(m.scaleX, c.expected.scaleX);
    EXPECT_EQ(m.scaleY, c.expected.scaleY);
    EXPECT_EQ(m.hasRotate, c.expected.hasRotate);
    EXPECT_EQ(m.rotateBits, c.expected.rotateBits);
    EXPECT_EQ(m.rotateSkew0, c.expected.rotateSkew0);
    EXPECT_EQ(m.rotateSkew1, c.expected.rotateSkew1);
    EXPECT_EQ(m.translateBits, c.expected.translateBits);
    EXPECT_EQ(m.translateX, c.expected.translateX);
    EXPECT_EQ(m.translateY, c.expected.translateY);
    EXPECT_EQ(diagnostics, c.diagnostics);
  }
}

}  // namespace
}  // namespace lumapress::test
