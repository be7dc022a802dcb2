#include "support/swf_reader.h"

#include <algorithm>

#include <zlib.h>

#include <cstdio>
#include <fstream>

#include "platform/file_system.h"
#include "common/stdio_file.h"

namespace lumapress::test {
namespace {

constexpr uint16_t kCodeShowFrame = 1;
constexpr uint16_t kCodeDefineSprite = 39;
constexpr uint8_t kCodeActionPush = 0x96;
constexpr uint16_t kCodePlaceObject = 4;
constexpr uint16_t kCodePlaceObject2 = 26;

[[noreturn]] void Fail(const std::string& what) { throw SwfFormatError(what); }

}  // namespace

uint32_t SwfBitReader::ReadUB(int count) {
  if (count < 0 || count > 32) Fail("bad field width");
  if (bitPosition_ + static_cast<size_t>(count) > bytes_.size() * 8) Fail("bit field past end");
  uint64_t value = 0;
  for (int i = 0; i < count; ++i, ++bitPosition_) {
    const int bit = bytes_[bitPosition_ / 8] >> (7 - bitPosition_ % 8) & 1;
    value = value << 1 | static_cast<uint64_t>(bit);
  }
  return static_cast<uint32_t>(value);
}

int32_t SwfBitReader::ReadSB(int count) {
  const uint32_t raw = ReadUB(count);
  if (count == 0) return 0;
  if (count < 32 && (raw >> (count - 1) & 1)) return static_cast<int32_t>(raw | ~0u << count);
  return static_cast<int32_t>(raw);
}

void SwfBitReader::Align() { bitPosition_ = (bitPosition_ + 7) / 8 * 8; }

void SwfBitReader::NeedAligned() const {
  if (bitPosition_ % 8 != 0) Fail("byte field on an unaligned position");
}

uint8_t SwfBitReader::ReadU8() { return ReadBytes(1)[0]; }

uint16_t SwfBitReader::ReadU16() {
  const auto b = ReadBytes(2);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t SwfBitReader::ReadU32() {
  const auto b = ReadBytes(4);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

std::span<const uint8_t> SwfBitReader::ReadBytes(size_t count) {
  NeedAligned();
  const size_t at = bitPosition_ / 8;
  if (count > bytes_.size() - at) Fail("bytes past end");
  bitPosition_ += count * 8;
  return bytes_.subspan(at, count);
}

std::string SwfBitReader::ReadCString() {
  std::string text;
  for (uint8_t c = ReadU8(); c != 0; c = ReadU8()) text += static_cast<char>(c);
  return text;
}

SwfRect ReadRect(SwfBitReader& reader) {
  SwfRect rect;
  rect.nbits = static_cast<int>(reader.ReadUB(5));
  rect.xMin = reader.ReadSB(rect.nbits);
  rect.xMax = reader.ReadSB(rect.nbits);
  rect.yMin = reader.ReadSB(rect.nbits);
  rect.yMax = reader.ReadSB(rect.nbits);
  reader.Align();
  return rect;
}

SwfMatrix ReadMatrix(SwfBitReader& reader) {
  SwfMatrix matrix;
  matrix.hasScale = reader.ReadUB(1) != 0;
  if (matrix.hasScale) {
    matrix.scaleBits = static_cast<int>(reader.ReadUB(5));
    matrix.scaleX = reader.ReadSB(matrix.scaleBits);
    matrix.scaleY = reader.ReadSB(matrix.scaleBits);
  }
  matrix.hasRotate = reader.ReadUB(1) != 0;
  if (matrix.hasRotate) {
    matrix.rotateBits = static_cast<int>(reader.ReadUB(5));
    matrix.rotateSkew0 = reader.ReadSB(matrix.rotateBits);
    matrix.rotateSkew1 = reader.ReadSB(matrix.rotateBits);
  }
  matrix.translateBits = static_cast<int>(reader.ReadUB(5));
  matrix.translateX = reader.ReadSB(matrix.translateBits);
  matrix.translateY = reader.ReadSB(matrix.translateBits);
  return matrix;
}

SwfColorTransform ReadColorTransform(SwfBitReader& reader, bool withAlpha) {
  SwfColorTransform transform;
  transform.hasAddTerms = reader.ReadUB(1) != 0;
  transform.hasMultTerms = reader.ReadUB(1) != 0;
  transform.nbits = static_cast<int>(reader.ReadUB(4));
  const int channels = withAlpha ? 4 : 3;
  if (transform.hasMultTerms) {
    for (int i = 0; i < channels; ++i) transform.mult[i] = reader.ReadSB(transform.nbits);
  }
  if (transform.hasAddTerms) {
    for (int i = 0; i < channels; ++i) transform.add[i] = reader.ReadSB(transform.nbits);
  }
  reader.Align();
  return transform;
}

std::vector<SwfTag> ReadTagList(std::span<const uint8_t> bytes, size_t baseOffset) {
  std::vector<SwfTag> tags;
  SwfBitReader reader(bytes);
  while (reader.BytesLeft() > 0) {
    SwfTag tag;
    tag.offset = baseOffset + reader.BytePosition();
    const uint16_t header = reader.ReadU16();
    tag.code = static_cast<uint16_t>(header >> 6);
    uint32_t length = header & 0x3F;
    tag.longForm = length == 0x3F;
    if (tag.longForm) length = reader.ReadU32();
    const size_t bodyOffset = baseOffset + reader.BytePosition();
    const auto body = reader.ReadBytes(length);
    tag.body.assign(body.begin(), body.end());
    if (tag.code == kCodeDefineSprite) {
      if (body.size() < 4) Fail("DefineSprite body too short");
      tag.spriteTags = ReadTagList(body.subspan(4), bodyOffset + 4);
    }
    tags.push_back(std::move(tag));
    if (tags.back().code == 0) break;
  }
  return tags;
}

std::vector<uint8_t> InflateZlib(std::span<const uint8_t> data) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) Fail("inflateInit failed");
  std::vector<uint8_t> out;
  uint8_t chunk[65536];
  stream.next_in = const_cast<Bytef*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    result = inflate(&stream, Z_NO_FLUSH);
    out.insert(out.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
    if (result == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  const uInt unused = stream.avail_in;
  inflateEnd(&stream);
  if (result != Z_STREAM_END) Fail("zlib stream incomplete or corrupt");
  if (unused != 0) Fail("bytes after the zlib stream");
  return out;
}

SwfMovie ReadSwf(std::span<const uint8_t> file) {
  if (file.size() < 8) Fail("shorter than a movie header");
  SwfMovie movie;
  const bool plain = file[0] == 'F' && file[1] == 'W' && file[2] == 'S';
  movie.compressed = file[0] == 'C' && file[1] == 'W' && file[2] == 'S';
  if (!plain && !movie.compressed) Fail("not an SWF signature");
  if (movie.compressed) {
    // One buffer for header and inflated body, built in place (GCC 12 misreads an insert here).
    const auto body = InflateZlib(file.subspan(8));
    movie.bytes.resize(8 + body.size());
    std::copy(file.begin(), file.begin() + 8, movie.bytes.begin());
    std::copy(body.begin(), body.end(), movie.bytes.begin() + 8);
    movie.bytes[0] = 'F';
  } else {
    movie.bytes.assign(file.begin(), file.end());
  }
  SwfBitReader reader(movie.bytes);
  reader.ReadBytes(3);
  movie.version = reader.ReadU8();
  movie.fileLength = reader.ReadU32();
  movie.frameSize = ReadRect(reader);
  movie.frameRate = reader.ReadU16();
  movie.frameCount = reader.ReadU16();
  const size_t tagsStart = reader.BytePosition();
  movie.tags = ReadTagList(std::span(movie.bytes).subspan(tagsStart), tagsStart);
  size_t end = tagsStart;
  if (!movie.tags.empty()) {
    const SwfTag& last = movie.tags.back();
    end = last.offset + (last.longForm ? 6 : 2) + last.body.size();
  }
  movie.trailingBytes = movie.bytes.size() - end;
  // A player runs as many frames as the header says: a movie whose ShowFrame tags disagree
  // with it is broken, whatever else it holds.
  const size_t shownFrames = movie.TagsWithCode(kCodeShowFrame).size();
  if (shownFrames != movie.frameCount) {
    Fail("header frame count " + std::to_string(movie.frameCount) + " differs from the " +
         std::to_string(shownFrames) + " ShowFrame tags");
  }
  return movie;
}

SwfMovie ReadSwfFile(const std::string& path) { return ReadSwf(ReadFileBytes(path)); }

std::vector<const SwfTag*> SwfMovie::TagsWithCode(uint16_t code) const {
  std::vector<const SwfTag*> found;
  for (const SwfTag& tag : tags) {
    if (tag.code == code) found.push_back(&tag);
  }
  return found;
}

BitmapShape ParseDefineShape(std::span<const uint8_t> body) {
  SwfBitReader reader(body);
  BitmapShape shape;
  shape.shapeId = reader.ReadU16();
  shape.bounds = ReadRect(reader);
  const uint8_t fillStyleCount = reader.ReadU8();
  if (fillStyleCount != 1) Fail("expected one fill style");
  shape.fillStyleType = reader.ReadU8();
  if (shape.fillStyleType < 0x40 || shape.fillStyleType > 0x43) Fail("expected a bitmap fill");
  shape.bitmapId = reader.ReadU16();
  shape.bitmapMatrix = ReadMatrix(reader);
  reader.Align();
  if (reader.ReadU8() != 0) Fail("expected no line styles");
  shape.numFillBits = static_cast<int>(reader.ReadUB(4));
  shape.numLineBits = static_cast<int>(reader.ReadUB(4));
  ReadShapeRecords(
      reader, shape.numFillBits, shape.numLineBits,
      [&](const ShapeStyleChange& change) {
        ++shape.styleChanges;
        if (change.moveTo) {
          shape.moveTo = true;
          shape.moveX = change.moveX;
          shape.moveY = change.moveY;
        }
        if (change.setsFill0) shape.fillStyle0 = change.fill0;
      },
      [&](const ShapeEdge& edge) { shape.edges.push_back(edge); });
  shape.trailingBytes = reader.BytesLeft();
  return shape;
}

void ReadShapeRecords(SwfBitReader& reader, int fillBits, int lineBits,
                      const std::function<void(const ShapeStyleChange&)>& onStyleChange,
                      const std::function<void(const ShapeEdge&)>& onEdge) {
  for (;;) {
    if (reader.ReadUB(1) == 0) {
      const uint32_t flags = reader.ReadUB(5);
      if (flags == 0) break;  // EndShapeRecord
      if (flags & 0x10) Fail("new styles are not expected in DefineShape here");
      ShapeStyleChange change;
      if (flags & 0x01) {  // StateMoveTo
        const int moveBits = static_cast<int>(reader.ReadUB(5));
        change.moveTo = true;
        change.moveX = reader.ReadSB(moveBits);
        change.moveY = reader.ReadSB(moveBits);
      }
      change.setsFill0 = (flags & 0x02) != 0;
      change.setsFill1 = (flags & 0x04) != 0;
      if (change.setsFill0) change.fill0 = reader.ReadUB(fillBits);
      if (change.setsFill1) change.fill1 = reader.ReadUB(fillBits);
      if (flags & 0x08) reader.ReadUB(lineBits);  // LineStyle
      onStyleChange(change);
      continue;
    }
    if (reader.ReadUB(1) == 0) Fail("curved edges are not expected");
    ShapeEdge straight;
    straight.numBits = static_cast<int>(reader.ReadUB(4)) + 2;
    if (reader.ReadUB(1) != 0) {  // GeneralLineFlag
      straight.dx = reader.ReadSB(straight.numBits);
      straight.dy = reader.ReadSB(straight.numBits);
    } else if (reader.ReadUB(1) != 0) {  // VertLineFlag
      straight.dy = reader.ReadSB(straight.numBits);
    } else {
      straight.dx = reader.ReadSB(straight.numBits);
    }
    onEdge(straight);
  }
  reader.Align();
}

DoActionContents ParseDoAction(std::span<const uint8_t> body) {
  SwfBitReader reader(body);
  DoActionContents contents;
  while (reader.BytesLeft() > 0) {
    SwfAction action;
    action.code = reader.ReadU8();
    if (action.code == 0) {
      contents.ended = true;
      break;
    }
    if (action.code >= 0x80) {
      const auto payload = reader.ReadBytes(reader.ReadU16());
      action.payload.assign(payload.begin(), payload.end());
    }
    if (action.code == kCodeActionPush) {
      SwfBitReader values(action.payload);
      while (values.BytesLeft() > 0) {
        const uint8_t type = values.ReadU8();
        switch (type) {
          case 0: contents.pushedStrings.push_back(values.ReadCString()); break;
          case 1: case 7: values.ReadBytes(4); break;     // float, integer
          case 2: case 3: break;                          // null, undefined
          case 4: case 5: case 8: values.ReadBytes(1); break;  // register, boolean, constant8
          case 6: values.ReadBytes(8); break;             // double
          case 9: values.ReadBytes(2); break;             // constant16
          default: Fail("unknown ActionPush value type");
        }
      }
    }
    contents.actions.push_back(std::move(action));
  }
  contents.trailingBytes = reader.BytesLeft();
  return contents;
}

SwfPlacement ParsePlacement(const SwfTag& tag) {
  SwfBitReader reader(tag.body);
  SwfPlacement placement;
  placement.code = tag.code;
  if (tag.code == kCodePlaceObject) {
    placement.hasCharacter = true;
    placement.characterId = reader.ReadU16();
    placement.depth = reader.ReadU16();
    placement.hasMatrix = true;
    placement.matrix = ReadMatrix(reader);
    reader.Align();
    if (reader.BytesLeft() > 0) {  // the optional CXFORM fills the rest of the tag
      placement.hasColorTransform = true;
      placement.colorTransform = ReadColorTransform(reader, false);
    }
  } else if (tag.code == kCodePlaceObject2) {
    const uint8_t flags = reader.ReadU8();
    if (flags & 0xF0) Fail("PlaceObject2 with clip actions, clip depth, name or ratio is not expected here");
    placement.move = (flags & 0x01) != 0;
    placement.hasCharacter = (flags & 0x02) != 0;
    placement.hasMatrix = (flags & 0x04) != 0;
    placement.hasColorTransform = (flags & 0x08) != 0;
    placement.depth = reader.ReadU16();
    if (placement.hasCharacter) placement.characterId = reader.ReadU16();
    if (placement.hasMatrix) {
      placement.matrix = ReadMatrix(reader);
      reader.Align();
    }
    if (placement.hasColorTransform) placement.colorTransform = ReadColorTransform(reader, true);
  } else {
    Fail("not a PlaceObject or PlaceObject2 tag");
  }
  placement.trailingBytes = reader.BytesLeft();
  return placement;
}

}  // namespace lumapress::test
