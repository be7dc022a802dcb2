#pragma once

#include <cstdint>
#include <string>

#include "conversion/write_image_bitmap.h"

namespace lumapress {

class SwfWriter;

// Movie constants of the converter.
inline constexpr int32_t kMovieVersion = 6;        // SWF version byte
inline constexpr int32_t kImageDepth = 1;          // every image in turn
inline constexpr int32_t kLoaderSpriteDepth = 65535;  // above the images

enum class MovieStart {
  kOk,
  kCannotCreate,       // the movie file cannot be created
  kControlPathTooLong  // the control-file path does not fit an ActionPush
};

// Creates the movie at `path` (a TemporaryMovie's file), hidden from folder listings and
// compressed as it is written, and writes its opening: white background, and with a control
// file the loader sprite on depth 65535 and "numfiles" set to `imageCount`. The movie will
// hold `imageCount` images of `framesPerImage` frames each.
MovieStart StartMovie(SwfWriter& writer, const std::string& path, const std::string& controlFilePath,
                      size_t imageCount, uint32_t framesPerImage);

// One image: its bitmap tag, the shape that shows it, RemoveObject2 on depth 1 when
// `replacePrevious`, PlaceObject on depth 1, and `frames` ShowFrame tags.
void WriteImageFrames(SwfWriter& writer, const PreparedBitmap& bitmap, uint32_t width,
                      uint32_t height, bool replacePrevious, uint32_t frames);

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
