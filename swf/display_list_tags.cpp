#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {

void SwfWriter::SetBackgroundColor(int32_t red, int32_t green, int32_t blue) {
  WriteU16(TagHeaderWord(kTagSetBackgroundColor, 3));
  WriteByte(red);    // Red
  WriteByte(green);  // Green
  WriteByte(blue);   // Blue
}

void SwfWriter::PlaceObject(int32_t characterId, int32_t depth) {
  WriteU16(TagHeaderWord(kTagPlaceObject, 5));
  WriteU16(characterId);  // CharacterId
  WriteU16(depth);        // Depth
  WriteByte(0);           // Matrix: identity (HasScale 0, HasRotate 0, NTranslateBits 0)
}

void SwfWriter::PlaceObject(int32_t characterId, int32_t depth, int32_t x, int32_t y) {
  BeginShortTag(kTagPlaceObject);
  WriteU16(characterId);  // CharacterId
  WriteU16(depth);        // Depth
  WriteMatrixScale(1, 1);  // Matrix: a translation only
  WriteMatrixRotate(0, 0);
  WriteMatrixTranslate(x, y);
  AlignToByte();
  EndShortTag();
}

void SwfWriter::PlaceObject2(const PlaceObject2Fields& fields) {
  const bool hasCharacter = fields.characterId > 0;
  uint8_t flags = 0;  // no clip actions, clip depth, name or ratio
  if (fields.hasColorTransform) flags |= kPlaceFlagHasColorTransform;
  if (fields.hasMatrix) flags |= kPlaceFlagHasMatrix;
  if (hasCharacter) flags |= kPlaceFlagHasCharacter;
  if (fields.move) flags |= kPlaceFlagMove;
  BeginShortTag(kTagPlaceObject2);
  WriteByte(flags);
  WriteU16(fields.depth);  // Depth
  if (hasCharacter) WriteU16(fields.characterId);  // CharacterId
  if (fields.hasMatrix) {  // Matrix
    WriteMatrixScale(1, 1);
    WriteMatrixRotate(0, 0);
    WriteMatrixTranslate(fields.translateX, fields.translateY);
    AlignToByte();
  }
  if (fields.hasColorTransform) WriteColorTransformWithAlpha(fields.colorTransform);  // ColorTransform
  EndShortTag();
}

void SwfWriter::RemoveDepth(int32_t depth) {
  WriteU16(TagHeaderWord(kTagRemoveObject2, 2));
  WriteU16(depth);  // Depth
}

void SwfWriter::ShowFrame() {
  WriteU16(TagHeaderWord(kTagShowFrame, 0));
  ++frameCount_;
}

int32_t SwfWriter::DefineBitmapShape(int32_t width, int32_t height, int32_t bitmapId) {
  const int32_t shapeId = NewCharacterId();
  const double w = static_cast<double>(int64_t{width} * kTwipsPerPixel);
  const double h = static_cast<double>(int64_t{height} * kTwipsPerPixel);
  BeginShortTag(kTagDefineShape);
  WriteU16(shapeId);                 // ShapeId
  WriteRect(0, 0, width, height);    // ShapeBounds
  WriteByte(1);                      // FillStyleCount
  WriteByte(kFillClippedBitmap);     // FillStyleType
  WriteU16(bitmapId);                // BitmapId
  WriteMatrixScale(kTwipsPerPixel, kTwipsPerPixel);  // BitmapMatrix: one pixel per 20 twips
  WriteMatrixRotate(0, 0);
  WriteMatrixTranslate(0, 0);
  AlignToByte();
  WriteByte(0);     // LineStyleCount
  WriteBits(1, 4);  // NumFillBits
  WriteBits(0, 4);  // NumLineBits
  // StyleChangeRecord: move to the bottom-right corner, fill style 1 on the fill-0 side.
  WriteBits(0, 1);  // TypeFlag
  WriteBits(0, 1);  // StateNewStyles
  WriteBits(0, 1);  // StateLineStyle
  WriteBits(0, 1);  // StateFillStyle1
  WriteBits(1, 1);  // StateFillStyle0
  WriteBits(1, 1);  // StateMoveTo
  WriteMatrixTranslate(w, h);  // MoveBits, MoveDeltaX, MoveDeltaY
  WriteBits(1, 1);  // FillStyle0
  // The outline: left, up, right, down, back to the start.
  WriteStraightEdge(-w, 0);
  WriteStraightEdge(0, -h);
  WriteStraightEdge(w, 0);
  WriteStraightEdge(0, h);
  WriteBits(0, 6);  // EndShapeRecord: TypeFlag 0, five zero flags
  AlignToByte();
  EndShortTag();
  return shapeId;
}

}  // namespace lumapress
