#include "conversion/movie_steps.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/path_rules.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

constexpr int32_t kWhite = 255;
constexpr char kNumFilesVariable[] = "numfiles";
// Sizes of the tags whose bytes are certain before they are written.
constexpr uint64_t kLongTagHeaderBytes = 6;  // UI16 code and 0x3F, UI32 length
constexpr uint64_t kCharacterIdBytes = 2;
constexpr uint64_t kShowFrameBytes = 2;
constexpr uint64_t kEndTagBytes = 2;

}  // namespace

MovieStart StartMovie(SwfWriter& writer, const std::string& path, const std::string& controlFilePath,
                      size_t imageCount, uint32_t framesPerImage) {
  const uint64_t frames = uint64_t{framesPerImage} * imageCount;
  const auto frameCount = static_cast<int32_t>(std::min<uint64_t>(frames, INT32_MAX));
  if (!writer.OpenCompressedMovie(path, frameCount)) return MovieStart::kCannotCreate;
  SetHidden(path, true);
  writer.SetBackgroundColor(kWhite, kWhite, kWhite);
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

void WriteImageFrames(SwfWriter& writer, const PreparedBitmap& bitmap, uint32_t width,
                      uint32_t height, bool replacePrevious, uint32_t frames) {
  const int32_t bitmapId = writer.NewCharacterId();
  writer.DefineBitmap(bitmapId, bitmap.tag);
  const int32_t shapeId =
      writer.DefineBitmapShape(static_cast<int32_t>(width), static_cast<int32_t>(height), bitmapId);
  if (replacePrevious) writer.RemoveDepth(kImageDepth);
  writer.PlaceObject(shapeId, kImageDepth);
  for (uint32_t frame = 0; frame < frames; ++frame) writer.ShowFrame();
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
