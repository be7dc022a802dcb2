#pragma once

#include <cstdint>
#include <string>

#include "conversion/write_image_bitmap.h"

namespace lumapress {

class SwfWriter;

// Movie constants of the converter.
inline constexpr int32_t kMovieVersion = 6;        // SWF version byte
inline constexpr int32_t kImageDepth = 1;          // every image in turn
inline constexpr int32_t kFadingImageDepth = 2;    // an image fading in above the one before
inline constexpr int32_t kLoaderSpriteDepth = 65535;  // above the images

enum class MovieStart {
  kOk,
  kCannotCreate,       // the movie file cannot be created
  kControlPathTooLong  // the control-file path does not fit an ActionPush
};

// Creates the movie at `path` (a TemporaryMovie's file), hidden from folder listings and
// compressed as it is written, and writes its opening: the background colour (0xRRGGBB), and
// with a control file the loader sprite on depth 65535 and "numfiles" set to `imageCount`. The
// movie will hold `imageCount` images and `frames` frames in all.
MovieStart StartMovie(SwfWriter& writer, const std::string& path, const std::string& controlFilePath,
                      size_t imageCount, uint64_t frames, uint32_t backgroundColor = 0xFFFFFF);

// How one image appears in the movie.
struct ImageFrames {
  uint32_t width = 0;  // the bitmap's size, pixels
  uint32_t height = 0;
  int32_t x = 0;       // its top-left corner on the stage, pixels
  int32_t y = 0;
  uint32_t stageWidth = 0;  // the movie's stage, pixels
  uint32_t stageHeight = 0;
  uint32_t backgroundColor = 0xFFFFFF;  // 0xRRGGBB
  bool replacePrevious = false;  // an image before it is on depth 1
  uint32_t frames = 1;           // ShowFrame tags of the image
  uint32_t fadeFrames = 0;       // its first frames fading it in; at most `frames`
  bool stopAtEnd = false;        // ActionStop in its last frame
};

// One image: its bitmap tag, the shape that shows it and its frames. Without a fade: RemoveObject2
// on depth 1 when `replacePrevious`, PlaceObject on depth 1, the frames. With a fade of F frames,
// its first F - 1 frames show it on depth 2 with a PlaceObject2 whose alpha multiplier rises
// k / F of the full opacity in frame k, above the image before; in frame F both depths are
// cleared and it is placed on depth 1 at full opacity, so a show needs two depths whatever its
// length. A fading image that leaves part of the stage uncovered brings that part with it, in
// the background colour (one shape of the stage's size), so the image before fades out there
// too instead of vanishing when the fade ends. A fade of one frame is a cut.
void WriteImageFrames(SwfWriter& writer, const PreparedBitmap& bitmap, const ImageFrames& shown);

// The alpha multiplier (8.8 fixed point, 256 opaque) of frame `frame` (1 to fadeFrames) of a fade.
int32_t FadeAlpha(uint32_t frame, uint32_t fadeFrames);

// Finishes the movie (already in its compressed form). False when anything could not be
// written.
bool FinishMovie(SwfWriter& writer);

// The longest movie written, in uncompressed bytes (what FileLength states). The field is a
// UI32, but readers commonly hold it in a signed 32-bit integer, as this writer's own
// results do, so a movie may be at most one byte short of 2 GiB.
inline constexpr int64_t kMaxMovieBytes = INT32_MAX;

// Bytes an image certainly adds to a movie: its bitmap tag and its ShowFrame tags (the shape
// and display-list tags come on top).
uint64_t CertainImageBytes(const PreparedBitmap& bitmap, uint32_t frames);

// True when a movie `writtenBytes` long can take `moreBytes` and its End tag without passing
// `limit`. False means the movie cannot be written.
bool MovieFits(int64_t writtenBytes, uint64_t moreBytes, int64_t limit = kMaxMovieBytes);

// Shows the finished movie at `temporaryPath` and moves it to `moviePath` in one step. False
// (the temporary movie removed) when that fails.
bool CommitMovie(const std::string& temporaryPath, const std::string& moviePath);

// Removes a temporary movie that will not be committed.
void DiscardMovie(const std::string& temporaryPath);

}  // namespace lumapress
