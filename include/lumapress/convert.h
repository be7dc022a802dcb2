#pragma once

// Converts an ordered list of PNG images into one SWF movie, or one movie per image.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "lumapress/export.h"
#include "lumapress/settings.h"
#include "lumapress/status.h"

namespace lumapress {

// One image has gone into its movie.
struct ConversionProgress {
  size_t imagesDone = 0;   // images converted so far, this one included
  size_t imageCount = 0;   // images in the run
  std::string inputPath;   // the image just converted
  std::string moviePath;   // the movie it went into (its final name)
  std::string bitmapForm;  // the bitmap tag it became, e.g. "DefineBitsLossless format 3"
  uint32_t frames = 0;     // ShowFrame tags written for it
};

// What a run asks of its caller. Every callback but cancelRequested runs on the thread that
// called RunConversion, in list order, never two at once; an empty callback takes the default.
struct ConversionCallbacks {
  // Polled while the run works, often enough that it stops within a fraction of a second
  // even inside one huge image (between row blocks while decoding, encoding and writing).
  // True stops the run with kCancelled, as after a failure. Called from any thread of the
  // run, possibly from several at once, so it must be thread-safe: reading an atomic flag
  // (one a signal handler sets, say) is the intended use. Default: never.
  std::function<bool()> cancelRequested;
  // After each image, once it is in its movie. Returning false cancels the run: it stops
  // there with kCancelled, as after a failure. Default: go on.
  std::function<bool(const ConversionProgress& progress)> progress;
  // The output folder does not exist; `question` is the text to ask. True creates it (with
  // missing parents); false stops the run with kFolderDeclined. Default: false.
  std::function<bool(std::string_view question)> createFolder;
  // The writer's diagnostic lines (compression statistics and the like) for the movie at
  // `moviePath`, each movie's lines together and in list order. Default: dropped.
  std::function<void(const std::string& moviePath, std::string_view text)> diagnostics;
};

// The question asked before creating a missing output folder.
inline constexpr std::string_view kCreateFolderQuestion =
    "The specified output directory doesn't exist.\nWould you like to create it?";

// Converts `inputPaths`, in order. Single-movie mode writes one movie at settings.outputPath;
// batch mode writes one movie per image into the folder settings.outputPath, named after the
// image. The settings are checked first (CheckSettings); nothing is written unless they
// pass, and every movie's path is checked before anything is written: a run never replaces
// an input, the control file, another movie of the same run, or an existing file that is not
// a movie, and writes through a symbolic link to the movie it names. A movie appears under its
// name only when complete: a failed or cancelled run leaves no partial movie, keeps the movies
// it finished before (batch mode) and any earlier file of a movie's name that was not
// replaced, and removes the output folders it created that stayed empty. Temporary files that
// a killed run left for the same movies are removed first. Thread-safe for distinct runs.
LUMAPRESS_API ConversionResult RunConversion(const ConversionSettings& settings,
                                             std::span<const std::string> inputPaths,
                                             const ConversionCallbacks& callbacks = {});

}  // namespace lumapress
