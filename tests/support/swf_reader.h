#pragma once

// A small SWF reader for tests, written from the file format alone and sharing no code with the
// writer. Every function throws SwfFormatError when the data is malformed or truncated.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/files.h"

namespace lumapress::test {

class SwfFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads SWF fields: bit fields most significant bit first, integers little-endian. Byte reads
// need an aligned reader (call Align after bit fields, as SWF does).
class SwfBitReader {
 public:
  explicit SwfBitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint32_t ReadUB(int count);  // UB[count], count 0-32
  int32_t ReadSB(int count);   // SB[count], count 0-32, sign-extended
  void Align();                // skips to the next byte boundary
  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  std::span<const uint8_t> ReadBytes(size_t count);
  std::string ReadCString();  // up to and without the terminating zero byte

  size_t BytePosition() const { return bitPosition_ / 8; }  // whole bytes consumed
  size_t BytesLeft() const { return bytes_.size() - (bitPosition_ + 7) / 8; }

 private:
  void NeedAligned() const;
  std::span<const uint8_t> bytes_;
  size_t bitPosition_ = 0;
};

struct SwfRect {
  int nbits = 0;
  int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // twips
};
SwfRect ReadRect(SwfBitReader& reader);  // aligns afterwards

struct SwfMatrix {
  bool hasScale = false;
  int scaleBits = 0;
  int32_t scaleX = 65536, scaleY = 65536;  // 16.16
  bool hasRotate = false;
  int rotateBits = 0;
  int32_t rotateSkew0 = 0, rotateSkew1 = 0;  // 16.16
  int translateBits = 0;
  int32_t translateX = 0, translateY = 0;  // twips
};
SwfMatrix ReadMatrix(SwfBitReader& reader);  // does not align

// CXFORMWITHALPHA (or CXFORM, without the alpha terms): 8.8 multiply terms, then add terms.
struct SwfColorTransform {
  bool hasAddTerms = false;
  bool hasMultTerms = false;
  int nbits = 0;
  int32_t mult[4] = {256, 256, 256, 256};  // red, green, blue, alpha
  int32_t add[4] = {0, 0, 0, 0};
};
SwfColorTransform ReadColorTransform(SwfBitReader& reader, bool withAlpha);  // aligns afterwards

struct SwfTag {
  uint16_t code = 0;
  bool longForm = false;   // UI32 length after the header word
  size_t offset = 0;       // of the header word, in the uncompressed file (or sprite body + base)
  std::vector<uint8_t> body;
  std::vector<SwfTag> spriteTags;  // DefineSprite (39) only: its timeline, End tag included
};

// Tags from `bytes` up to and including the End tag (or the end of the bytes). Offsets are
// reported as baseOffset + position. DefineSprite bodies are read recursively.
std::vector<SwfTag> ReadTagList(std::span<const uint8_t> bytes, size_t baseOffset);

struct SwfMovie {
  bool compressed = false;  // "CWS"
  uint8_t version = 0;
  uint32_t fileLength = 0;  // the header's FileLength field
  SwfRect frameSize;
  uint16_t frameRate = 0;  // 8.8 fixed point: whole frames in the high byte
  uint16_t frameCount = 0;
  std::vector<SwfTag> tags;  // main timeline, End tag included
  size_t trailingBytes = 0;  // bytes after the End tag
  std::vector<uint8_t> bytes;  // the uncompressed file: "FWS" form of a CWS input

  // Main-timeline tags with `code`, in file order.
  std::vector<const SwfTag*> TagsWithCode(uint16_t code) const;
};

// Parses an "FWS" or "CWS" movie; a CWS body is inflated first and must end where the file ends.
// The header's frame count must equal the main timeline's ShowFrame tags.
SwfMovie ReadSwf(std::span<const uint8_t> file);
SwfMovie ReadSwfFile(const std::string& path);

// Inflates one complete zlib stream that must fill `data` exactly.
std::vector<uint8_t> InflateZlib(std::span<const uint8_t> data);

// DefineShape (code 2) body of a bitmap-filled shape without line styles.
struct ShapeEdge {
  int numBits = 0;  // NumBits + 2
  int32_t dx = 0, dy = 0;
};
struct BitmapShape {
  uint16_t shapeId = 0;
  SwfRect bounds;
  uint8_t fillStyleType = 0;
  uint16_t bitmapId = 0;
  SwfMatrix bitmapMatrix;
  int numFillBits = 0, numLineBits = 0;
  int styleChanges = 0;  // style-change records seen
  bool moveTo = false;
  int32_t moveX = 0, moveY = 0;  // of the last style change with StateMoveTo
  uint32_t fillStyle0 = 0;       // of the last style change with StateFillStyle0
  std::vector<ShapeEdge> edges;  // straight edges in order
  size_t trailingBytes = 0;      // body bytes after the EndShapeRecord's padding
};
BitmapShape ParseDefineShape(std::span<const uint8_t> body);

// One StyleChangeRecord: which fields it sets, and their values.
struct ShapeStyleChange {
  bool moveTo = false;
  int32_t moveX = 0, moveY = 0;  // twips, from the shape's origin
  bool setsFill0 = false, setsFill1 = false;
  uint32_t fill0 = 0, fill1 = 0;
};
// Reads shape records from after NumFillBits and NumLineBits up to the EndShapeRecord, then
// aligns; straight edges and style changes without new styles only (curves and new styles
// are refused: the writer draws none).
void ReadShapeRecords(SwfBitReader& reader, int fillBits, int lineBits,
                      const std::function<void(const ShapeStyleChange&)>& onStyleChange,
                      const std::function<void(const ShapeEdge&)>& onEdge);

// DoAction body: the actions up to ActionEndFlag.
struct SwfAction {
  uint8_t code = 0;
  std::vector<uint8_t> payload;  // actions 0x80 and above: the bytes after the UI16 length
};
struct DoActionContents {
  std::vector<SwfAction> actions;  // ActionEndFlag not included
  std::vector<std::string> pushedStrings;  // every string value of every ActionPush, in order
  bool ended = false;            // ActionEndFlag found
  size_t trailingBytes = 0;      // body bytes after ActionEndFlag
};
DoActionContents ParseDoAction(std::span<const uint8_t> body);

// PlaceObject (4) or PlaceObject2 (26) body.
struct SwfPlacement {
  uint16_t code = 0;
  bool move = false;          // PlaceObject2's PlaceFlagMove
  bool hasCharacter = false;  // always for PlaceObject
  uint16_t characterId = 0;
  uint16_t depth = 0;
  bool hasMatrix = false;     // always for PlaceObject
  SwfMatrix matrix;
  bool hasColorTransform = false;
  SwfColorTransform colorTransform;
  size_t trailingBytes = 0;   // body bytes after the last field
};
SwfPlacement ParsePlacement(const SwfTag& tag);

}  // namespace lumapress::test
