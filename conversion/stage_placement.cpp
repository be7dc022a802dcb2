#include "conversion/stage_placement.h"

#include <algorithm>

namespace lumapress {
namespace {

// numerator / denominator rounded to the nearest integer, halves up.
uint64_t DivideRounded(uint64_t numerator, uint64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

uint32_t ClampSide(uint64_t side, uint32_t stageSide) {
  return static_cast<uint32_t>(std::clamp<uint64_t>(side, 1, stageSide));
}

// Which side limits the scale is decided on integers (imageW x stageH against stageW x
// imageH), so exact fits never depend on how a quotient rounds.
StagePlacement Contain(uint32_t imageWidth, uint32_t imageHeight, uint32_t stageWidth,
                       uint32_t stageHeight) {
  StagePlacement placement;
  placement.area = {0.0, 0.0, double(imageWidth), double(imageHeight)};
  const uint64_t widthTimesStageHeight = uint64_t{imageWidth} * stageHeight;
  const uint64_t stageWidthTimesHeight = uint64_t{stageWidth} * imageHeight;
  if (stageWidthTimesHeight <= widthTimesStageHeight) {  // the width fills the stage
    placement.width = stageWidth;
    placement.height = ClampSide(DivideRounded(uint64_t{imageHeight} * stageWidth, imageWidth), stageHeight);
  } else {  // the height fills the stage
    placement.height = stageHeight;
    placement.width = ClampSide(DivideRounded(uint64_t{imageWidth} * stageHeight, imageHeight), stageWidth);
  }
  placement.x = static_cast<int32_t>((stageWidth - placement.width) / 2);
  placement.y = static_cast<int32_t>((stageHeight - placement.height) / 2);
  return placement;
}

// The stage divided by the scale, centred on the image: the whole of one side, the middle of
// the other.
StagePlacement Cover(uint32_t imageWidth, uint32_t imageHeight, uint32_t stageWidth,
                     uint32_t stageHeight) {
  StagePlacement placement;
  placement.width = stageWidth;
  placement.height = stageHeight;
  const uint64_t widthTimesStageHeight = uint64_t{imageWidth} * stageHeight;
  const uint64_t stageWidthTimesHeight = uint64_t{stageWidth} * imageHeight;
  if (stageWidthTimesHeight >= widthTimesStageHeight) {  // the width fills the stage
    const double shownHeight = double(stageHeight) * imageWidth / stageWidth;
    placement.area = {0.0, (imageHeight - shownHeight) / 2, double(imageWidth), shownHeight};
  } else {  // the height fills the stage
    const double shownWidth = double(stageWidth) * imageHeight / stageHeight;
    placement.area = {(imageWidth - shownWidth) / 2, 0.0, shownWidth, double(imageHeight)};
  }
  return placement;
}

}  // namespace

StagePlacement PlaceOnStage(uint32_t imageWidth, uint32_t imageHeight, uint32_t stageWidth,
                            uint32_t stageHeight, Fit fit) {
  StagePlacement placement;
  switch (fit) {
    case Fit::kContain:
      placement = Contain(imageWidth, imageHeight, stageWidth, stageHeight);
      break;
    case Fit::kCover:
      placement = Cover(imageWidth, imageHeight, stageWidth, stageHeight);
      break;
    case Fit::kNone:
      // The player clips what passes the stage's edges.
      placement.area = {0.0, 0.0, double(imageWidth), double(imageHeight)};
      placement.width = imageWidth;
      placement.height = imageHeight;
      break;
  }
  // Shown at its own size it is the whole image (cover crops only a larger image).
  placement.resample = placement.width != imageWidth || placement.height != imageHeight;
  return placement;
}

}  // namespace lumapress
