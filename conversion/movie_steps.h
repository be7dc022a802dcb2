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

// Creates the movie at `path` (a TemporaryMoviePath), hidden from folder listings and
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

// A name for the movie while it is written: in the same folder as `moviePath`, so that the
// finished movie can be renamed over it; distinct for every call.
std::string TemporaryMoviePath(const std::string& moviePath);

// Shows the finished movie at `temporaryPath` and moves it to `moviePath` in one step. False
// (the temporary movie removed) when that fails.
bool CommitMovie(const std::string& temporaryPath, const std::string& moviePath);

// Removes a temporary movie that will not be committed.
void DiscardMovie(const std::string& temporaryPath);

}  // namespace lumapress
