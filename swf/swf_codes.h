#pragma once

#include <cstdint>

namespace lumapress {

// SWF tag codes, as the file format numbers them.
inline constexpr int32_t kTagEnd = 0;
inline constexpr int32_t kTagShowFrame = 1;
inline constexpr int32_t kTagDefineShape = 2;
inline constexpr int32_t kTagPlaceObject = 4;
inline constexpr int32_t kTagSetBackgroundColor = 9;
inline constexpr int32_t kTagDoAction = 12;
inline constexpr int32_t kTagDefineBitsLossless = 20;
inline constexpr int32_t kTagDefineBitsJpeg2 = 21;
inline constexpr int32_t kTagPlaceObject2 = 26;
inline constexpr int32_t kTagRemoveObject2 = 28;
inline constexpr int32_t kTagDefineBitsJpeg3 = 35;
inline constexpr int32_t kTagDefineBitsLossless2 = 36;
inline constexpr int32_t kTagDefineSprite = 39;

// BitmapFormat values of the lossless bitmap tags.
inline constexpr int32_t kBitmapFormatColorMapped = 3;
inline constexpr int32_t kBitmapFormat32 = 5;

// A tag header word: code in the upper ten bits, length (0-62) or the long-form marker below.
inline constexpr int32_t kShortTagMaxLength = 62;
inline constexpr int32_t kLongTagMarker = 0x3F;
constexpr int32_t TagHeaderWord(int32_t code, int32_t lengthOrMarker) {
  return code << 6 | lengthOrMarker;
}

// Action codes inside DoAction bodies. Codes of 0x80 and above carry a UI16 length.
inline constexpr uint8_t kActionEndFlag = 0x00;
inline constexpr uint8_t kActionStop = 0x07;
inline constexpr uint8_t kActionGetVariable = 0x1C;
inline constexpr uint8_t kActionSetVariable = 0x1D;
inline constexpr uint8_t kActionPush = 0x96;
inline constexpr uint8_t kActionGetUrl2 = 0x9A;

// ActionPush value type for a zero-terminated string.
inline constexpr uint8_t kPushTypeString = 0x00;

// ActionGetURL2 flags: LoadTargetFlag set (load a movie into the target), no variables sent.
inline constexpr uint8_t kGetUrl2LoadMovieIntoTarget = 0x40;

// FillStyleType of a clipped bitmap fill.
inline constexpr uint8_t kFillSolid = 0x00;
inline constexpr uint8_t kFillClippedBitmap = 0x41;

// PlaceObject2 flags, in the order of the flags byte (PlaceFlagHasClipActions first).
inline constexpr uint8_t kPlaceFlagHasColorTransform = 0x08;
inline constexpr uint8_t kPlaceFlagHasMatrix = 0x04;
inline constexpr uint8_t kPlaceFlagHasCharacter = 0x02;
inline constexpr uint8_t kPlaceFlagMove = 0x01;

// Stage and shape coordinates are in twips.
inline constexpr int32_t kTwipsPerPixel = 20;

}  // namespace lumapress
