#include "conversion/movie_steps.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/path_rules.h"
#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

constexpr char kNumFilesVariable[] = "numfiles";
// Sizes of the tags whose bytes are certain before they are written.
constexpr uint64_t kLongTagHeaderBytes = 6;  // UI16 code and 0x3F, UI32 length
constexpr uint64_t kCharacterIdBytes = 2;
constexpr uint64_t kShowFrameBytes = 2;
constexpr uint64_t kEndTagBytes = 2;

// True when the image hides the whole stage.
bool CoversStage(const ImageFrames& shown) {
  return shown.x <= 0 && shown.y <= 0 && int64_t{shown.x} + shown.width >= shown.stageWidth &&
         int64_t{shown.y} + shown.height >= shown.stageHeight;
}

}  // namespace

MovieStart StartMovie(SwfWriter& writer, const std::string& path, const std::string& controlFilePath,
                      size_t imageCount, uint64_t frames, uint32_t backgroundColor) {
  const auto frameCount = static_cast<int32_t>(std::min<uint64_t>(frames, INT32_MAX));
  if (!writer.OpenCompressedMovie(path, frameCount)) return MovieStart::kCannotCreate;
  SetHidden(path, true);
  writer.SetBackgroundColor(static_cast<int32_t>(backgroundColor >> 16 & 0xFF),
                            static_cast<int32_t>(backgroundColor >> 8 & 0xFF),
                            static_cast<int32_t>(backgroundColor & 0xFF));
  if (!controlFilePath.empty()) {
    const int32_t spriteId = writer.DefineLoaderSprite(controlFilePath);
    if (spriteId < 0) return MovieStart::kControlPathTooLong;
    writer.PlaceObject(spriteId, kLoaderSpriteDepth);
    writer.BeginDoAction();
    writer.ActionPushString(kNumFilesVariable);
    writer.ActionPushString(std::to_string(imageCount));
    writer.ActionSetVariable();
    writer.EndDoAction();
  }
  return writer.Failed() ? MovieStart::kCannotCreate : MovieStart::kOk;
}

int32_t FadeAlpha(uint32_t frame, uint32_t fadeFrames) {
  // Rounded to the nearest 1/256: the same steps in every fade of this length.
  return static_cast<int32_t>((uint64_t{frame} * ColorTransform::kOne * 2 + fadeFrames) / (uint64_t{fadeFrames} * 2));
}

void WriteImageFrames(SwfWriter& writer, const PreparedBitmap& bitmap, const ImageFrames& shown) {
  const int32_t bitmapId = writer.NewCharacterId();
  writer.DefineBitmap(bitmapId, bitmap.tag);
  const uint32_t fadeFrames = std::min(shown.fadeFrames, shown.frames);
  int32_t shapeId = 0;
  int32_t x = shown.x * kTwipsPerPixel;
  int32_t y = shown.y * kTwipsPerPixel;
  if (fadeFrames > 1 && !CoversStage(shown)) {
    shapeId = writer.DefineStageBitmapShape(
        static_cast<int32_t>(shown.stageWidth), static_cast<int32_t>(shown.stageHeight), shown.x, shown.y,
        static_cast<int32_t>(shown.width), static_cast<int32_t>(shown.height), bitmapId, shown.backgroundColor);
    x = 0;  // the shape holds the image's place on the stage
    y = 0;
  } else {
    shapeId = writer.DefineBitmapShape(static_cast<int32_t>(shown.width), static_cast<int32_t>(shown.height), bitmapId);
  }
  for (uint32_t frame = 1; frame < fadeFrames; ++frame) {
    PlaceObject2Fields fading;
    fading.depth = kFadingImageDepth;
    fading.move = frame > 1;
    if (frame == 1) {
      fading.characterId = shapeId;
      fading.hasMatrix = x != 0 || y != 0;
      fading.translateX = x;
      fading.translateY = y;
    }
    fading.hasColorTransform = true;
    fading.colorTransform = ColorTransform::Alpha(FadeAlpha(frame, fadeFrames));
    writer.PlaceObject2(fading);
    writer.ShowFrame();
  }
  // The frame the image is shown whole: on depth 1, alone.
  if (shown.replacePrevious) writer.RemoveDepth(kImageDepth);
  if (fadeFrames > 1) writer.RemoveDepth(kFadingImageDepth);
  if (x == 0 && y == 0) {
    writer.PlaceObject(shapeId, kImageDepth);
  } else {
    writer.PlaceObject(shapeId, kImageDepth, x, y);
  }
  for (uint32_t frame = std::max(fadeFrames, 1u); frame <= shown.frames; ++frame) {
    if (shown.stopAtEnd && frame == shown.frames) {
      writer.BeginDoAction();
      writer.ActionStop();
      writer.EndDoAction();
    }
    writer.ShowFrame();
  }
}

bool FinishMovie(SwfWriter& writer) { return writer.Finish() >= 0; }

uint64_t CertainImageBytes(const PreparedBitmap& bitmap, uint32_t frames) {
  return kLongTagHeaderBytes + kCharacterIdBytes + uint64_t{bitmap.tag.body.size()} +
         uint64_t{frames} * kShowFrameBytes;
}

bool MovieFits(int64_t writtenBytes, uint64_t moreBytes, int64_t limit) {
  if (writtenBytes < 0 || writtenBytes > limit) return false;
  const uint64_t room = static_cast<uint64_t>(limit - writtenBytes);
  return moreBytes <= room && room - moreBytes >= kEndTagBytes;
}

bool CommitMovie(const std::string& temporaryPath, const std::string& moviePath) {
  SetHidden(temporaryPath, false);
  if (RenameReplacing(temporaryPath, moviePath)) return true;
  DiscardMovie(temporaryPath);
  return false;
}

void DiscardMovie(const std::string& temporaryPath) { RemoveFile(temporaryPath); }

}  // namespace lumapress
